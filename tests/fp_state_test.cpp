// The component computes in the default floating-point state whatever state its caller set, and
// gives the caller that state back, flags included, also from a failing call.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "novaflux/kiv.h"
#include "novaflux/moist_air.hpp"
#include "novaflux/psylib.h"
#include "support/c_rating.hpp"
#include "support/test_data.hpp"

#if defined(__x86_64__) || defined(__i386__)
namespace novaflux {
namespace {

// x87 control and status words and MXCSR, flags included.
std::tuple<uint16_t, uint16_t, uint32_t> state() {
  uint16_t x87, status;
  uint32_t mxcsr;
  __asm__ __volatile__("fnstcw %0\n\tfnstsw %1\n\tstmxcsr %2" : "=m"(x87), "=m"(status), "=m"(mxcsr));
  return {x87, status & 0xBF, mxcsr};
}

void set_state(uint16_t x87, uint32_t mxcsr) {
  __asm__ __volatile__("fnclex\n\tfldcw %0\n\tldmxcsr %1" : : "m"(x87), "m"(mxcsr) : "memory");
}

std::vector<double> moist_air_figures() {
  return {LCSI_WETBULB(35.3f, 14.1f, 200), LCWETBULB(95.3f, 99.1f, 300), LCSI_RHTOGRAMS(-10.1f, 0.8f, 0),
          moist_air::saturation_temperature(0.7, true, 200), moist_air::barometric_pressure_kpa(1234)};
}

// A caller's state (tests/data/host_fp_states.json).
class FpState : public ::testing::TestWithParam<nlohmann::ordered_json> {};

TEST_P(FpState, FiguresAsInTheDefaultStateAndTheCallersStateBack) {
  std::vector<test_support::Rating> expected;
  for (const char* method : test_support::kMethods) expected.push_back(test_support::rate(method));
  const std::vector<double> expected_air = moist_air_figures();
  KivObject* failing = kiv_create();
  kiv_put(failing, "KivinputAltitude", 40000);

  const auto own = state();
  set_state(uint16_t(std::stoul(GetParam().at("x87").get<std::string>(), nullptr, 16)),
            uint32_t(std::stoul(GetParam().at("mxcsr").get<std::string>(), nullptr, 16)));
  std::vector<test_support::Rating> got;
  for (const char* method : test_support::kMethods) got.push_back(test_support::rate(method));
  const std::vector<double> air = moist_air_figures();
  const auto before = state();
  const int status = kiv_call(failing, "CalculateOutput");
  const auto after = state();
  set_state(std::get<0>(own), std::get<2>(own));

  EXPECT_EQ(got, expected);
  EXPECT_EQ(air, expected_air);
  EXPECT_NE(status, 0);
  EXPECT_EQ(after, before);
  kiv_destroy(failing);
}

INSTANTIATE_TEST_SUITE_P(HostStates, FpState, ::testing::ValuesIn(test_support::rows("host_fp_states.json", "states")),
                         [](const auto& info) { return info.param.at("name").template get<std::string>(); });

}  // namespace
}  // namespace novaflux
#endif
