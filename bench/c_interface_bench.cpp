// A rating as a host drives it through the C interface: every input put by name (or by DISPID)
// before each call, then kiv_call. One benchmark per path through a run: on a leakage step and
// between two steps, SI and IP, relative-humidity, wet-bulb and humidity-ratio inputs, balanced
// and unbalanced airflows, and the fixed-model run. Only the public header is used.
#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

#include "novaflux/kiv.h"

namespace {

using Inputs = std::vector<std::pair<const char*, double>>;

// The SI design day: 35 degC 40 % / -10 degC 80 % outdoors, 24 degC 50 % / 21 degC 40 % return,
// 300 m.
Inputs si_rh(double supply, double ret, double pressure) {
  return {{"KivunitSI", 1},           {"KivinputSupplyAir", supply},
          {"KivinputReturnAir", ret}, {"KivinputAltitude", 300},
          {"KivinputLeakagePressureDifference", pressure},
          {"KivinputOAUnitDBTRH", 1}, {"KivinputRAUnitDBTRH", 1},
          {"KivinputOAS_DBT", 35},    {"KivinputOAS_RH", 40},
          {"KivinputOAW_DBT", -10},   {"KivinputOAW_RH", 80},
          {"KivinputRaS_DBT", 24},    {"KivinputRaS_RH", 50},
          {"KivinputRaW_DBT", 21},    {"KivinputRaW_RH", 40}};
}

// The same day as humidity ratios, g/kg.
Inputs si_humidity_ratio(double pressure) {
  return {{"KivunitSI", 1},           {"KivinputSupplyAir", 10000},
          {"KivinputReturnAir", 9000}, {"KivinputAltitude", 300},
          {"KivinputLeakagePressureDifference", pressure},
          {"KivinputOAUnitDBTGR", 1}, {"KivinputRAUnitDBTGR", 1},
          {"KivinputOAS_DBT", 35},    {"KivinputOAS_GR", 14.1},
          {"KivinputOAW_DBT", -10},   {"KivinputOAW_GR", 1.3},
          {"KivinputRaS_DBT", 24},    {"KivinputRaS_GR", 9.4},
          {"KivinputRaW_DBT", 21},    {"KivinputRaW_GR", 6.2}};
}

// IP, wet-bulb inputs, 8 000 / 6 500 cfm.
Inputs ip_wet_bulb(double supply, double ret, double pressure) {
  return {{"KivunitSI", 0},           {"KivinputSupplyAir", supply},
          {"KivinputReturnAir", ret}, {"KivinputAltitude", 300},
          {"KivinputLeakagePressureDifference", pressure},
          {"KivinputOAUnitDBTWBT", 1}, {"KivinputRAUnitDBTWBT", 1},
          {"KivinputOAS_DBT", 95},    {"KivinputOAS_WBT", 78},
          {"KivinputOAW_DBT", 10},    {"KivinputOAW_WBT", 8},
          {"KivinputRaS_DBT", 75},    {"KivinputRaS_WBT", 62.5},
          {"KivinputRaW_DBT", 70},    {"KivinputRaW_WBT", 55}};
}

Inputs with_model(Inputs inputs, double model) {
  inputs.emplace_back("KivinputModel", model);
  return inputs;
}

// Puts the inputs by name and runs the method, as many times as the benchmark asks.
void rate_by_name(benchmark::State& state, const Inputs& inputs, const char* method) {
  KivObject* k = kiv_create();
  for (auto _ : state) {
    for (const auto& [name, value] : inputs) kiv_put(k, name, value);
    if (kiv_call(k, method) != 0) {
      state.SkipWithError(kiv_last_error(k));
      break;
    }
    double v = 0;
    kiv_get(k, "KivoutSaS_DBT", &v);
    benchmark::DoNotOptimize(v);
  }
  kiv_destroy(k);
}

// The same with the names resolved once and the inputs put by DISPID.
void rate_by_id(benchmark::State& state, const Inputs& inputs, const char* method) {
  KivObject* k = kiv_create();
  std::vector<std::pair<int, double>> ids;
  for (const auto& [name, value] : inputs) ids.emplace_back(kiv_property_id(name), value);
  const int result = kiv_property_id("KivoutSaS_DBT");
  for (auto _ : state) {
    for (const auto& [id, value] : ids) kiv_put_id(k, id, value);
    if (kiv_call(k, method) != 0) {
      state.SkipWithError(kiv_last_error(k));
      break;
    }
    double v = 0;
    kiv_get_id(k, result, &v);
    benchmark::DoNotOptimize(v);
  }
  kiv_destroy(k);
}

void BM_C_SI_RH_OnStep(benchmark::State& s) { rate_by_name(s, si_rh(10000, 9000, 100), "CalculateOutput"); }
void BM_C_SI_RH_BetweenSteps(benchmark::State& s) { rate_by_name(s, si_rh(10000, 9000, 110), "CalculateOutput"); }
void BM_C_SI_RH_Balanced(benchmark::State& s) { rate_by_name(s, si_rh(10000, 10000, 110), "CalculateOutput"); }
void BM_C_SI_RH_OutsideTable(benchmark::State& s) { rate_by_name(s, si_rh(10000, 9000, 800), "CalculateOutput"); }
void BM_C_SI_HumidityRatio(benchmark::State& s) { rate_by_name(s, si_humidity_ratio(110), "CalculateOutput"); }
void BM_C_IP_WetBulb_BetweenSteps(benchmark::State& s) { rate_by_name(s, ip_wet_bulb(8000, 6500, 0.45), "CalculateOutput"); }
void BM_C_IP_WetBulb_OnStep(benchmark::State& s) { rate_by_name(s, ip_wet_bulb(8000, 8000, 0.8), "CalculateOutput"); }
void BM_C_Model_BetweenSteps(benchmark::State& s) {
  rate_by_name(s, with_model(si_rh(10000, 9000, 110), 66), "CalculateOutputModel");
}
void BM_C_Model_IP(benchmark::State& s) {
  rate_by_name(s, with_model(ip_wet_bulb(8000, 6500, 0.45), 66), "CalculateOutputModel");
}
void BM_C_SI_RH_BetweenSteps_ById(benchmark::State& s) { rate_by_id(s, si_rh(10000, 9000, 110), "CalculateOutput"); }
BENCHMARK(BM_C_SI_RH_OnStep);
BENCHMARK(BM_C_SI_RH_BetweenSteps);
BENCHMARK(BM_C_SI_RH_Balanced);
BENCHMARK(BM_C_SI_RH_OutsideTable);
BENCHMARK(BM_C_SI_HumidityRatio);
BENCHMARK(BM_C_IP_WetBulb_BetweenSteps);
BENCHMARK(BM_C_IP_WetBulb_OnStep);
BENCHMARK(BM_C_Model_BetweenSteps);
BENCHMARK(BM_C_Model_IP);
BENCHMARK(BM_C_SI_RH_BetweenSteps_ById);

// Single property accesses, rotating over names spread through the interface table.
constexpr const char* kNames[] = {"KivunitSI", "KivinputSupplyAir", "KivinputOAS_DBT", "KivinputRaW_RH",
                                  "KivinputLeakagePressureDifference", "KivoutEaW_RH", "KivinputRAUnitDBTWBT",
                                  "KivinputSeries"};

void BM_C_PutByName(benchmark::State& state) {
  KivObject* k = kiv_create();
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(kiv_put(k, kNames[i++ & 7], 1.0));
  kiv_destroy(k);
}
BENCHMARK(BM_C_PutByName);

void BM_C_PropertyId(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(kiv_property_id(kNames[i++ & 7]));
}
BENCHMARK(BM_C_PropertyId);

void BM_C_PutById(benchmark::State& state) {
  KivObject* k = kiv_create();
  int ids[8];
  for (int i = 0; i < 8; ++i) ids[i] = kiv_property_id(kNames[i]);
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(kiv_put_id(k, ids[i++ & 7], 1.0));
  kiv_destroy(k);
}
BENCHMARK(BM_C_PutById);

void BM_C_GetById(benchmark::State& state) {
  KivObject* k = kiv_create();
  int ids[8];
  for (int i = 0; i < 8; ++i) ids[i] = kiv_property_id(kNames[i]);
  size_t i = 0;
  double v = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kiv_get_id(k, ids[i++ & 7], &v));
    benchmark::DoNotOptimize(v);
  }
  kiv_destroy(k);
}
BENCHMARK(BM_C_GetById);

}  // namespace

BENCHMARK_MAIN();
