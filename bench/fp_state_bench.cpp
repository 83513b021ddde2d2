// The cost of the floating-point guard every public entry holds (src/common/fp_state.hpp): in
// the default state, where it only reads the state (twice), and in a host state it must change and
// give back; and one rating through the C interface in a host's state against the default one.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <utility>

#include "common/fp_state.hpp"
#include "novaflux/kiv.h"
#include "novaflux/psylib.h"

namespace {

#if defined(__x86_64__) || defined(__i386__)
void set_state(uint16_t x87, uint32_t mxcsr) {
  __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(x87) : "memory");
  __asm__ __volatile__("ldmxcsr %0" : : "m"(mxcsr) : "memory");
}
#else
void set_state(uint16_t, uint32_t) {}
#endif

// Rounding upward on both units, as a host's fesetround(FE_UPWARD) leaves it.
class UpwardHost {
public:
  UpwardHost() { set_state(0x0B7F, 0x5F80); }
  ~UpwardHost() { set_state(0x037F, 0x1F80); }
};

void BM_GuardDefaultState(benchmark::State& state) {
  for (auto _ : state) {
    const novaflux::FpStateGuard fp;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_GuardDefaultState);

void BM_GuardHostStateChanged(benchmark::State& state) {
  const UpwardHost host;
  for (auto _ : state) {
    const novaflux::FpStateGuard fp;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_GuardHostStateChanged);

// The smallest guarded entries: a moist-air entry point and a property read by DISPID.
void BM_WetBulbEntry(benchmark::State& state) {
  float t = 35.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(t);
    benchmark::DoNotOptimize(LCSI_WETBULB(t, 14.1f, 300));
  }
}
BENCHMARK(BM_WetBulbEntry);

void BM_WetBulbEntryHostStateChanged(benchmark::State& state) {
  const UpwardHost host;
  BM_WetBulbEntry(state);
}
BENCHMARK(BM_WetBulbEntryHostStateChanged);

void BM_GetById(benchmark::State& state) {
  KivObject* k = kiv_create();
  const int id = kiv_property_id("KivoutSaS_DBT");
  double v = 0;
  for (auto _ : state) benchmark::DoNotOptimize(kiv_get_id(k, id, &v));
  kiv_destroy(k);
}
BENCHMARK(BM_GetById);

void BM_GetByIdHostStateChanged(benchmark::State& state) {
  const UpwardHost host;
  BM_GetById(state);
}
BENCHMARK(BM_GetByIdHostStateChanged);

// The SI design day between two leakage steps, as bench/c_interface_bench.cpp rates it.
void rate(benchmark::State& state) {
  KivObject* k = kiv_create();
  const std::pair<const char*, double> inputs[] = {
      {"KivunitSI", 1}, {"KivinputSupplyAir", 10000}, {"KivinputReturnAir", 9000}, {"KivinputAltitude", 300},
      {"KivinputLeakagePressureDifference", 110}, {"KivinputOAUnitDBTRH", 1}, {"KivinputRAUnitDBTRH", 1},
      {"KivinputOAS_DBT", 35}, {"KivinputOAS_RH", 40}, {"KivinputOAW_DBT", -10}, {"KivinputOAW_RH", 80},
      {"KivinputRaS_DBT", 24}, {"KivinputRaS_RH", 50}, {"KivinputRaW_DBT", 21}, {"KivinputRaW_RH", 40}};
  for (auto _ : state) {
    for (const auto& [name, value] : inputs) kiv_put(k, name, value);
    benchmark::DoNotOptimize(kiv_call(k, "CalculateOutput"));
  }
  kiv_destroy(k);
}

void BM_RatingDefaultState(benchmark::State& state) { rate(state); }
BENCHMARK(BM_RatingDefaultState);

void BM_RatingHostStateChanged(benchmark::State& state) {
  const UpwardHost host;
  rate(state);
}
BENCHMARK(BM_RatingHostStateChanged);

}  // namespace

BENCHMARK_MAIN();
