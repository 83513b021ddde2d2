// Entering-air resolution by input mode, the leaving states and the actual airflows, with the
// real psychrometric library.
#include <gtest/gtest.h>

#include <cmath>

#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "component/run_steps.hpp"
#include "novaflux/psylib.h"
#include "psychrometrics/state_completion.hpp"
#include "support/run_fixture.hpp"

using namespace novaflux;

namespace {

bool has_decimals(double value, int n) { return vb_round(value, n) == value; }

class EnteringAir : public ::testing::Test {
protected:
  void SetUp() override { test_support::reset_thread_state(); }
  KivClass k;
};

TEST_F(EnteringAir, RelativeHumidityOfHundredIsCappedWithAWarning) {
  k.put_KivunitSI(true);
  k.KivinputOAUnitDBTRH = true;
  k.KivinputOAS_DBT = 30;
  k.KivinputOAS_RH = 100;
  detail::ResolveOutdoorSummer(k);
  EXPECT_EQ(k.KivOutErrorCode, 4);
  EXPECT_EQ(k.KivOutErrorMsg.to_text(), "Please Crosscheck the RH required");
  EXPECT_EQ(k.KivinputOAS_RH, 99.9);
  EXPECT_EQ(k.KivoutOAS_RH, 99.9);
}

TEST_F(EnteringAir, RelativeHumidityJustBelowHundredIsNoWarning) {
  k.put_KivunitSI(true);
  k.KivinputOAUnitDBTRH = true;
  k.KivinputOAS_DBT = 30;
  k.KivinputOAS_RH = 99.95;
  detail::ResolveOutdoorSummer(k);
  EXPECT_EQ(k.KivOutErrorCode, 0);
}

struct ModeCase {
  const char* name;
  bool oa_wbt, oa_rh, oa_gr;
  bool ra_wbt, ra_rh, ra_gr;
  bool outdoor_reformatted;  // the outdoor dry bulb 35.25 becomes 35.3
  bool return_reformatted;
  bool wet_bulb_mode;        // the outdoor wet bulb is an input (kept, reformatted)
};

class InputModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(InputModes, SelectModeAndReformatDryBulbs) {
  const ModeCase& c = GetParam();
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(true);
  k.KivinputOAUnitDBTWBT = c.oa_wbt;
  k.KivinputOAUnitDBTRH = c.oa_rh;
  k.KivinputOAUnitDBTGR = c.oa_gr;
  k.put_KivinputRAUnitDBTWBT(c.ra_wbt);
  k.KivinputRAUnitDBTRH = c.ra_rh;
  k.KivinputRAUnitDBTGR = c.ra_gr;
  k.KivinputOAS_DBT = 35.25;
  k.KivinputOAS_WBT = 24.25;
  k.KivinputOAS_RH = 40;
  k.KivinputOAS_GR = 14;
  k.KivinputRaS_DBT = 24.25;
  k.KivinputRaS_WBT = 17.05;
  k.KivinputRaS_RH = 50;
  k.KivinputRaS_GR = 9;
  detail::ResolveOutdoorSummer(k);
  detail::ResolveReturnSummer(k);
  EXPECT_EQ(k.KivinputOAS_DBT, c.outdoor_reformatted ? 35.3 : 35.25);
  EXPECT_EQ(k.KivinputRaS_DBT, c.return_reformatted ? 24.3 : 24.25);
  if (c.wet_bulb_mode) EXPECT_EQ(k.KivinputOAS_WBT, 24.3);
  else EXPECT_TRUE(has_decimals(k.KivinputOAS_WBT, 2));
  // Every mode completes the state.
  EXPECT_GT(k.KivoutOAS_RH, 20);
  EXPECT_LT(k.KivoutOAS_RH, 60);
  EXPECT_GT(k.KivoutRaS_Enthalpy, 40);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InputModes,
    ::testing::Values(
        ModeCase{"wet_bulb", true, false, false, true, false, false, true, true, true},
        // Outdoor RH mode keeps the dry bulb as entered; return RH mode reformats it.
        ModeCase{"relative_humidity", false, true, false, false, true, false, false, true, false},
        ModeCase{"humidity_ratio", false, false, true, false, false, true, true, true, false},
        // Both outdoor RH and GR set: wet-bulb mode. All return flags clear: humidity ratio.
        ModeCase{"outdoor_rh_and_gr", false, true, true, false, false, false, true, true, true},
        ModeCase{"nothing_set", false, false, false, false, false, false, true, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EnteringAir, WinterHumidityRatioInRhModeHasTwoDecimals) {
  k.put_KivunitSI(true);
  k.KivinputOAUnitDBTRH = true;
  k.KivinputRAUnitDBTRH = true;
  k.KivinputOAW_DBT = -10;
  k.KivinputOAW_RH = 80;
  k.KivinputRaW_DBT = 21;
  k.KivinputRaW_RH = 40;
  detail::ResolveOutdoorSummer(k);
  detail::ResolveOutdoorWinter(k);
  detail::ResolveReturnWinter(k);
  const StateResult expected = StateFromDbtRh(1, -10, 80, 0);
  EXPECT_EQ(k.KivoutOAW_AbsHum, expected.w);  // 2 decimals, not 1
  EXPECT_NE(k.KivoutOAW_AbsHum, vb_round(expected.w, 1));
  EXPECT_TRUE(has_decimals(k.KivoutRaW_AbsHum, 2));
}

TEST_F(EnteringAir, SupersaturatedHumidityRatioIsReplacedBySaturation) {
  k.put_KivunitSI(true);
  k.KivinputOAUnitDBTGR = true;
  k.KivinputOAS_DBT = 20;
  k.KivinputOAS_GR = 30;  // far above saturation at 20 degC (about 14.7 g/kg)
  detail::ResolveOutdoorSummer(k);
  EXPECT_EQ(k.KivoutOAS_RH, 99.9);
  const StateResult saturated = StateFromDbtRh(1, 20, 99.9, 0);
  EXPECT_EQ(k.KivinputOAS_GR, saturated.w);
  EXPECT_NEAR(k.KivinputOAS_GR, 14.7, 0.2);
}

// ---- Leaving air ----

TEST(LeavingAir, SupplyWinterDryBulbKeepsItsSign) {
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(true);
  k.KivinputOAUnitDBTRH = true;
  k.KivinputRAUnitDBTRH = true;
  k.KivinputOAS_DBT = 30;
  k.KivinputOAS_RH = 40;
  k.KivinputOAW_DBT = -20;
  k.KivinputOAW_RH = 50;
  k.KivinputRaS_DBT = 24;
  k.KivinputRaS_RH = 50;
  k.KivinputRaW_DBT = 5;
  k.KivinputRaW_RH = 50;
  auto& p = module_state().performance;
  p.SummerSupplyEfficiency = p.SummerExhaustEfficiency = 50.0;
  p.SummerSupplyLEfficiency = p.SummerExhaustLEfficiency = 0.0;
  p.WinterSupplySEfficiency = p.WinterExhaustSEfficiency = 50.0;
  p.WinterSupplyLEfficiency = 50.0;
  p.WinterExhaustLEfficiency = 50;
  detail::CondensationCheck(k);
  // -20 - 0.5 x (-20 - 5) = -7.5: the supply air leaves below zero.
  EXPECT_EQ(k.KivoutSaW_DBT, -7.5);
  EXPECT_EQ(k.KivoutEaW_DBT, -7.5);
  EXPECT_GE(k.KivoutSaW_AbsHum, 0);
  // Latent efficiency 0 in summer: the supply keeps the outdoor humidity ratio and the
  // exhaust the return one.
  EXPECT_EQ(k.KivoutSaS_AbsHum, k.KivoutOAS_AbsHum);
  EXPECT_EQ(k.KivoutEaS_AbsHum, k.KivoutRaS_AbsHum);
}

TEST(LeavingAir, FullEfficiencyAndSaturation) {
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(true);
  k.KivinputOAUnitDBTGR = true;
  k.KivinputRAUnitDBTRH = false;
  k.KivinputOAS_DBT = 30;
  k.KivinputOAS_GR = 10;
  k.KivinputOAW_DBT = -10;
  k.KivinputOAW_GR = 1.5;
  k.KivinputRaS_DBT = 24;
  k.KivinputRaS_GR = 9;
  k.KivinputRaW_DBT = 22;
  k.KivinputRaW_GR = 12;  // humid return air: the winter supply saturates
  auto& p = module_state().performance;
  p.SummerSupplyEfficiency = p.SummerExhaustEfficiency = 100.0;
  p.SummerSupplyLEfficiency = p.SummerExhaustLEfficiency = 0.0;
  p.WinterSupplySEfficiency = p.WinterExhaustSEfficiency = 20.0;
  p.WinterSupplyLEfficiency = 100.0;
  p.WinterExhaustLEfficiency = 0;
  detail::CondensationCheck(k);
  EXPECT_EQ(k.KivoutSaS_DBT, 24);  // the return dry bulb
  EXPECT_EQ(k.KivoutEaS_DBT, 30);  // the outdoor dry bulb
  // Winter supply at -3.6 degC with 12 g/kg is supersaturated: 99.9 % and the saturation ratio.
  EXPECT_EQ(k.KivoutSaW_DBT, -3.6);
  EXPECT_EQ(k.KivoutSaW_RH, 99.9);
  EXPECT_LT(k.KivoutSaW_AbsHum, 4);
  EXPECT_TRUE(has_decimals(k.KivoutSaW_AbsHum, 1));
}

TEST(ActualAirflows, DensityCorrectedAndRounded) {
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(true);
  k.KivinputSupplyAir = 1000;
  k.KivoutSaS_DBT = 26;
  k.KivoutSaS_AbsHum = 10;
  k.KivoutSaW_DBT = 10;
  k.KivoutSaW_AbsHum = 4;
  k.KivinputRaS_DBT = 24;
  k.KivoutRaS_AbsHum = 9;
  k.KivinputRaW_DBT = 21;
  k.KivoutRaW_AbsHum = 6;
  const double rho_s = LCSI_DENSITY(26, 10, 0);
  const double rho_r = LCSI_DENSITY(24, 9, 0);
  for (double ret : {1000.5, 1001.5}) {
    k.KivinputReturnAir = ret;
    detail::ActualAirflows(k);
    const auto& a = module_state().actual;
    EXPECT_EQ(a.ActualSupplyFlowSummer.to_number(), vb_round(1.2 * 1000 / rho_s, 0));
    // The return airflow is taken as a whole number first: 1000.5 -> 1000, 1001.5 -> 1002.
    const double whole = ret == 1000.5 ? 1000 : 1002;
    EXPECT_EQ(a.ActualReturnFlowSummer.to_number(), vb_round(1.2 * whole / rho_r, 0));
  }
  // IP states are converted to degC and g/kg before the density: 78.8 degF = 26 degC.
  test_support::reset_thread_state();
  k.put_KivunitSI(false);
  k.KivoutSaS_DBT = 78.8;
  k.KivoutSaS_AbsHum = 70;
  detail::ActualAirflows(k);
  EXPECT_EQ(module_state().actual.ActualSupplyFlowSummer.to_number(),
            vb_round(1.2 * 1000 / LCSI_DENSITY(26.0f, 10.0f, 0), 0));
}

}  // namespace
