// The component computes in the default floating-point state whatever state its host set, and
// gives the host that state back, flags included, also from a failing call.
#include <gtest/gtest.h>

#include <cstdint>

#include "novaflux/kiv.h"
#include "novaflux/moist_air.hpp"
#include "novaflux/psylib.h"
#include "support/c_rating.hpp"

#if defined(__x86_64__) || defined(__i386__)

namespace novaflux {
namespace {

struct HostState {
  const char* name;
  uint16_t x87;
  uint32_t mxcsr;
};

// States hosts run in: the x87 control word and MXCSR they set (cf. tests/com/run_com_tests.py).
const HostState kStates[] = {
    {"x87_53_bits", 0x027F, 0x1F80},     {"x87_24_bits", 0x007F, 0x1F80},
    {"toward_zero", 0x0F7F, 0x7F80},     {"upward", 0x0B7F, 0x5F80},
    {"downward", 0x077F, 0x3F80},        {"exceptions_unmasked", 0x1332, 0x1900},
    {"flush_to_zero_daz", 0x037F, 0x9FC0}};

struct Snapshot {
  uint16_t x87 = 0, status = 0;
  uint32_t mxcsr = 0;
  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot() {
  Snapshot s;
  __asm__ __volatile__("fnstcw %0" : "=m"(s.x87));
  __asm__ __volatile__("fnstsw %0" : "=m"(s.status));
  __asm__ __volatile__("stmxcsr %0" : "=m"(s.mxcsr));
  s.status &= 0xBF;
  return s;
}

void set_state(uint16_t x87, uint32_t mxcsr) {
  __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(x87) : "memory");
  __asm__ __volatile__("ldmxcsr %0" : : "m"(mxcsr) : "memory");
}

// The state for the length of a test, the default one (the process's start-up state) back after.
class InHostState {
public:
  explicit InHostState(const HostState& s) : saved_(snapshot()) { set_state(s.x87, s.mxcsr); }
  ~InHostState() { set_state(saved_.x87, saved_.mxcsr); }

private:
  Snapshot saved_;
};

// Figures of the moist-air entries that hosts call directly, and of the component's relations.
std::vector<double> moist_air_figures() {
  return {LCSI_WETBULB(35.3f, 14.1f, 200), LCWETBULB(95.3f, 99.1f, 300), LCSI_RHTOGRAMS(-10.1f, 0.8f, 0),
          LCDENSITY(70.1f, 40.3f, 1500), moist_air::saturation_temperature(0.7, true, 200),
          moist_air::humidity_ratio_at_enthalpy(21.3, 43.1, true), moist_air::barometric_pressure_kpa(1234)};
}

class FpState : public ::testing::TestWithParam<HostState> {};

TEST_P(FpState, FiguresOfEveryMethodAsInTheDefaultState) {
  for (const char* method : test_support::kMethods) {
    const test_support::Rating expected = test_support::rate(method);
    InHostState host(GetParam());
    const Snapshot before = snapshot();
    const test_support::Rating got = test_support::rate(method);
    EXPECT_EQ(snapshot().x87, before.x87) << method;
    EXPECT_EQ(snapshot().mxcsr & 0xFFC0, before.mxcsr & 0xFFC0) << method;
    EXPECT_EQ(got, expected) << method;
  }
}

TEST_P(FpState, MoistAirFiguresAsInTheDefaultState) {
  const std::vector<double> expected = moist_air_figures();
  InHostState host(GetParam());
  EXPECT_EQ(moist_air_figures(), expected);
}

TEST_P(FpState, HostStateBackExactlyAfterAFailingCall) {
  KivObject* o = kiv_create();
  for (const auto& [name, value] : test_support::si_design_day_inputs()) kiv_put(o, name, value);
  kiv_put(o, "KivinputAltitude", 40000);
  InHostState host(GetParam());
  const Snapshot before = snapshot();
  EXPECT_NE(kiv_call(o, "CalculateOutput"), 0);
  EXPECT_EQ(snapshot(), before);
  const Snapshot before_wet_bulb = snapshot();
  LCSI_WETBULB(35, 14, 0);
  EXPECT_EQ(snapshot(), before_wet_bulb);
  kiv_destroy(o);
}

INSTANTIATE_TEST_SUITE_P(HostStates, FpState, ::testing::ValuesIn(kStates),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace novaflux

#endif
