// Cost of each entry point of libpsylib32.so, called as the component calls it: through the
// exported C function, on a rotating set of air states so that no result can be reused.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>

#include "novaflux/psylib.h"

namespace {

struct State {
  float t;    // dry bulb, degC or degF
  float w;    // humidity ratio, g/kg or grains/lb
  float rh;   // relative humidity, fraction
  float wb;   // wet bulb, degC or degF
  short alt;  // m
};

// Summer, winter and return-air states of the kind a wheel rating passes, SI and IP.
constexpr std::array<State, 8> kSi{{{35.0f, 14.0f, 0.40f, 24.0f, 0},
                                    {-15.0f, 0.8f, 0.80f, -16.0f, 300},
                                    {24.0f, 9.3f, 0.50f, 17.0f, 1500},
                                    {22.0f, 5.0f, 0.30f, 12.5f, -200},
                                    {5.2f, 4.1f, 0.75f, 2.9f, 2500},
                                    {45.0f, 20.0f, 0.25f, 29.0f, 0},
                                    {-30.0f, 0.2f, 0.60f, -30.5f, 4000},
                                    {12.0f, 7.0f, 0.95f, 11.5f, 800}}};
constexpr std::array<State, 8> kIp{{{95.0f, 98.0f, 0.40f, 75.0f, 0},
                                    {5.0f, 5.6f, 0.80f, 3.5f, 300},
                                    {75.0f, 65.0f, 0.50f, 62.5f, 1500},
                                    {72.0f, 35.0f, 0.30f, 54.5f, -200},
                                    {41.0f, 29.0f, 0.75f, 37.0f, 2500},
                                    {113.0f, 140.0f, 0.25f, 84.0f, 0},
                                    {-22.0f, 1.4f, 0.60f, -23.0f, 4000},
                                    {54.0f, 49.0f, 0.95f, 52.5f, 800}}};

template <float (*Fn)(float, float, short), float State::*Second>
void three_arguments(benchmark::State& bench, const std::array<State, 8>& states) {
  std::size_t i = 0;
  for (auto _ : bench) {
    const State& s = states[i++ & 7];
    benchmark::DoNotOptimize(Fn(s.t, s.*Second, s.alt));
  }
}

template <float (*Fn)(float, float)>
void two_arguments(benchmark::State& bench, const std::array<State, 8>& states) {
  std::size_t i = 0;
  for (auto _ : bench) {
    const State& s = states[i++ & 7];
    benchmark::DoNotOptimize(Fn(s.t, s.w));
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("LCSI_WETBULB", three_arguments<LCSI_WETBULB, &State::w>, kSi);
  benchmark::RegisterBenchmark("LCSI_RH", three_arguments<LCSI_RH, &State::w>, kSi);
  benchmark::RegisterBenchmark("LCSI_ENTHALPY", two_arguments<LCSI_ENTHALPY>, kSi);
  benchmark::RegisterBenchmark("LCSI_DENSITY", three_arguments<LCSI_DENSITY, &State::w>, kSi);
  benchmark::RegisterBenchmark("LCSI_RHTOGRAMS", three_arguments<LCSI_RHTOGRAMS, &State::rh>, kSi);
  benchmark::RegisterBenchmark("LCSI_WBTOGR", three_arguments<LCSI_WBTOGR, &State::wb>, kSi);
  benchmark::RegisterBenchmark("LCWETBULB", three_arguments<LCWETBULB, &State::w>, kIp);
  benchmark::RegisterBenchmark("LCRH", three_arguments<LCRH, &State::w>, kIp);
  benchmark::RegisterBenchmark("LCENTHALPY", two_arguments<LCENTHALPY>, kIp);
  benchmark::RegisterBenchmark("LCDENSITY", three_arguments<LCDENSITY, &State::w>, kIp);
  benchmark::RegisterBenchmark("LCRHTOGR", three_arguments<LCRHTOGR, &State::rh>, kIp);
  benchmark::RegisterBenchmark("LCWBTOGR", three_arguments<LCWBTOGR, &State::wb>, kIp);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
