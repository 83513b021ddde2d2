// The server's work for one rating without the network: the router handling POST /api/rate
// (JSON parsed, rated from a fresh state, JSON written), against the same rating through the
// C++ API. bench/server_load.sh measures the whole server over HTTP.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

#include "rating_json/rating_request.hpp"
#include "server/api_router.hpp"

namespace {

std::string design_day() {
  std::ifstream in(NOVAFLUX_SOURCE_DIR "/examples/si_design_day.json", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void BM_RateRequestInProcess(benchmark::State& state) {
  const std::string text = design_day();
  for (auto _ : state) {
    const auto rated = novaflux::rate_request({novaflux::parse_json_text(text, ""), std::nullopt});
    benchmark::DoNotOptimize(rated.json().dump(2));
  }
}
BENCHMARK(BM_RateRequestInProcess);

void BM_HandleRateRequest(benchmark::State& state) {
  novaflux::server::HttpRequest request{"POST", "/api/rate", {{"Host", "localhost:8080"}}, design_day()};
  for (auto _ : state) benchmark::DoNotOptimize(novaflux::server::handle_request(request, {}));
}
BENCHMARK(BM_HandleRateRequest);

}  // namespace
BENCHMARK_MAIN();
