// The annual study on the Chicago TMY3 year: the whole study in process (the weather file read,
// every hour rated, summed) against the same year's 8 760 bare ratings (each hour's inputs
// written into a new object and rated from a fresh thread state, nothing else), on one and two
// threads; the weather file alone; and `select --weather` over every fitting model as a process.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "component/result_columns.hpp"
#include "studies/annual_study.hpp"
#include "studies/hour_rating.hpp"

using namespace novaflux;

namespace {

const std::string kWeather = NOVAFLUX_SOURCE_DIR "/examples/weather/USA_IL_Chicago-OHare.Intl.AP.725300_TMY3.epw";
const std::string kUnit = NOVAFLUX_SOURCE_DIR "/examples/si_design_day.json";

nlohmann::json unit_json() {
  std::ifstream in(kUnit);
  return nlohmann::json::parse(in);
}

void BM_ReadWeatherFile(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(read_epw_file(kWeather).hours.size());
  state.SetItemsProcessed(state.iterations() * 8760);
}
BENCHMARK(BM_ReadWeatherFile)->Unit(benchmark::kMillisecond);

// The reference: one rating per hour of the year on this thread, the inputs the study rates.
void BM_BareRatingsOfTheYear(benchmark::State& state) {
  const WeatherFile weather = read_epw_file(kWeather);
  AnnualOptions options;
  options.threads = 1;
  AnnualStudy unit_part;
  const StudySetup setup = study_setup(unit_json(), weather, options, unit_part);
  for (auto _ : state) {
    for (const WeatherHour& h : weather.hours) {
      KivClass k;
      detail::rate_case(k, true, [&](KivClass& object) { set_hour_inputs(setup, h, object); });
      benchmark::DoNotOptimize(k.KivoutSaW_DBT);
    }
  }
  state.SetItemsProcessed(state.iterations() * 8760);
}
BENCHMARK(BM_BareRatingsOfTheYear)->Unit(benchmark::kMillisecond);

// From the file to the summary; the hourly CSV is not written.
void BM_AnnualStudy(benchmark::State& state) {
  const nlohmann::json unit = unit_json();
  AnnualOptions options;
  options.threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    const AnnualStudy study = run_annual_study(unit, read_epw_file(kWeather), options);
    benchmark::DoNotOptimize(study.year.heating_kwh);
  }
  state.SetItemsProcessed(state.iterations() * 8760);
}
BENCHMARK(BM_AnnualStudy)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The hourly table as CSV, extra to the study.
void BM_HourlyCsv(benchmark::State& state) {
  AnnualOptions options;
  const AnnualStudy study = run_annual_study(unit_json(), read_epw_file(kWeather), options);
  for (auto _ : state) {
    std::ostringstream out;
    write_hourly_csv(study, out);
    benchmark::DoNotOptimize(out.tellp());
  }
}
BENCHMARK(BM_HourlyCsv)->Unit(benchmark::kMillisecond);

// Every fitting model's year, as a whole process.
void BM_SelectWithWeatherProcess(benchmark::State& state) {
  const std::string command = std::string(NOVAFLUX_BINARY_DIR "/bin/novaflux select ") + kUnit + " --weather " +
                              kWeather + " --threads " + std::to_string(state.range(0)) + " >/dev/null 2>&1";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("novaflux select --weather failed");
}
BENCHMARK(BM_SelectWithWeatherProcess)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
