// The cost of a rating and of what surrounds it: warm runs in both unit systems, the
// fixed-model run, the first run on a new thread (catalogue load included), the per-run check
// that the catalogue is unchanged, batch throughput, and the memory of an object and of the
// per-thread state.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "catalogue/catalogue.hpp"
#include "common/module_state.hpp"
#include "component/object_state.hpp"
#include "novaflux/kiv_class.hpp"
#include "support/design_days.hpp"

using namespace novaflux;

namespace {

// The SI design day at 200 m; unbalanced airflows with a smaller return.
void si_rh_inputs(KivClass& k, double supply = 10000, double ret = 9000) {
  test_support::set_si_design_day(k, supply, ret);
  k.KivinputAltitude = 200;
}

// Inputs are set again before every run: a run normalises some of them in place.
void BM_CalculateOutput_SI_RH(benchmark::State& state) {
  KivClass k;
  for (auto _ : state) {
    si_rh_inputs(k);
    k.CalculateOutput();
    benchmark::DoNotOptimize(k.KivoutSaS_DBT);
  }
}
BENCHMARK(BM_CalculateOutput_SI_RH);

void BM_CalculateOutput_IP_WetBulb(benchmark::State& state) {
  KivClass k;
  for (auto _ : state) {
    test_support::set_ip_design_day(k);
    k.CalculateOutput();
    benchmark::DoNotOptimize(k.KivoutSaS_DBT);
  }
}
BENCHMARK(BM_CalculateOutput_IP_WetBulb);

void BM_CalculateOutput_Unbalanced(benchmark::State& state) {
  KivClass k;
  for (auto _ : state) {
    si_rh_inputs(k, 10000, 6500);
    k.CalculateOutput();
    benchmark::DoNotOptimize(k.KivoutSaS_DBT);
  }
}
BENCHMARK(BM_CalculateOutput_Unbalanced);

void BM_CalculateOutputModel(benchmark::State& state) {
  KivClass k;
  for (auto _ : state) {
    si_rh_inputs(k);
    k.KivinputModel = Modelall::TXL_1600_Q_480_Condensation;
    k.CalculateOutputModel();
    benchmark::DoNotOptimize(k.KivoutSaS_DBT);
  }
}
BENCHMARK(BM_CalculateOutputModel);

// The first rating of a thread loads the catalogue and binds the psychrometric library;
// the thread's creation itself is not counted.
void BM_FirstRunOnNewThread(benchmark::State& state) {
  for (auto _ : state) {
    double seconds = 0;
    std::thread t([&] {
      const auto start = std::chrono::steady_clock::now();
      KivClass k;
      si_rh_inputs(k);
      k.CalculateOutput();
      benchmark::DoNotOptimize(k.KivoutSaS_DBT);
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    t.join();
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_FirstRunOnNewThread)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_UnchangedCatalogueCheck(benchmark::State& state) {
  open_database();
  for (auto _ : state) benchmark::DoNotOptimize(&open_database());
}
BENCHMARK(BM_UnchangedCatalogueCheck);

// Rows per second of the tool's batch verb on the 8 760 hourly cases of a year.
void BM_BatchYear(benchmark::State& state) {
  const std::string command = std::string(NOVAFLUX_BINARY_DIR "/bin/novaflux batch ") +
                              NOVAFLUX_SOURCE_DIR "/examples/year_8760.csv -o /tmp/novaflux_bench_year.csv --threads " +
                              std::to_string(state.range(0)) + " 2>/dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("novaflux batch failed");
  }
  state.SetItemsProcessed(state.iterations() * 8760);
  std::remove("/tmp/novaflux_bench_year.csv");
}
BENCHMARK(BM_BatchYear)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A host's first rating in a fresh process, from its main to the result: the component, the
// psychrometric library and the catalogue loaded, one rating (bench/first_rating_host.c).
void BM_FirstRatingInFreshProcess(benchmark::State& state) {
  const std::string command = std::string(NOVAFLUX_BINARY_DIR "/bin/first_rating_host ") +
                              NOVAFLUX_BINARY_DIR "/lib/libnovaflux.so";
  for (auto _ : state) {
    FILE* out = popen(command.c_str(), "r");
    long long ns = 0;
    double supply = 0;
    const bool read = out && std::fscanf(out, "%lld %lf", &ns, &supply) == 2;
    if (out) pclose(out);
    if (!read) {
      state.SkipWithError("first_rating_host failed");
      break;
    }
    state.SetIterationTime(static_cast<double>(ns) * 1e-9);
  }
}
BENCHMARK(BM_FirstRatingInFreshProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

size_t catalogue_bytes(const Catalogue& c) {
  auto text = [](const Text& t) { return t && t->size() > 15 ? t->capacity() : 0; };
  size_t bytes = sizeof(Catalogue);
  bytes += c.modelmast.capacity() * sizeof(ModelRow) + c.txlmastS.capacity() * sizeof(CurveRow) +
           c.txlmastW.capacity() * sizeof(CurveRow) + c.eatrvalue.capacity() * sizeof(LeakageRow) +
           c.dimension.capacity() * sizeof(DimensionRow) + c.dewpoint.capacity() * sizeof(DewpointRow);
  for (const auto& r : c.modelmast) bytes += text(r.type);
  for (const auto* t : {&c.txlmastS, &c.txlmastW})
    for (const auto& r : *t) bytes += text(r.series) + text(r.type);
  return bytes;
}

// Memory, as counters: one object (its properties and private fields) and the per-thread
// state (module values plus the loaded catalogue).
void BM_Memory(benchmark::State& state) {
  const Catalogue& catalogue = open_database();
  for (auto _ : state) benchmark::DoNotOptimize(&catalogue);
  state.counters["object_bytes"] = static_cast<double>(sizeof(KivClass) + sizeof(detail::ObjectState));
  state.counters["thread_state_bytes"] = static_cast<double>(sizeof(ModuleState));
  state.counters["catalogue_bytes"] = static_cast<double>(catalogue_bytes(catalogue));
}
BENCHMARK(BM_Memory)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
