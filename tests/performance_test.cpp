// Performance curves, the flow-ratio correction and the pressure drop.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "component/run_steps.hpp"
#include "performance/curve_lookup.hpp"
#include "support/run_fixture.hpp"
#include "support/test_catalogue.hpp"

using namespace novaflux;
using novaflux::detail::fields;

namespace {

CurveRow row(double velocity, double efficiency, double pdrop = 0) {
  return CurveRow{velocity, 200, std::string("F2"), std::string("N"), efficiency, efficiency, 0.0, pdrop};
}

TEST(LinearInterpolate, RoundsTheCallersAbscissaAndTheResult) {
  double x = 412.25;
  detail::LinearInterpolate(400.0, 600.0, 80.0, 70.0, x);
  EXPECT_EQ(x, 412.2);  // 4122.5 goes to the even neighbour
  x = 500;
  EXPECT_EQ(detail::LinearInterpolate(400.0, 600.0, 80.5, 70.0, x), 75.2);  // 75.25 -> 75.2
  x = 0.8437;
  EXPECT_EQ(detail::LinearInterpolate3(0.8, 0.9, 0.912, 0.955, x), 0.931);
  EXPECT_EQ(x, 0.844);
}

struct CurveCase {
  const char* name;
  std::vector<CurveRow> rows;
  double velocity;
  double expected;
};

class CurveLookup : public ::testing::TestWithParam<CurveCase> {};

TEST_P(CurveLookup, ExactRowInterpolationOrScaling) {
  const CurveCase& c = GetParam();
  const std::string series = "F2", type = "N";
  Variant result;
  const std::array columns{CurveColumn{&CurveRow::efficiency, &result}};
  IgnoreErrors region;
  lookup_curve(c.rows, CurveKey{"txlmastS", 200, series, type}, c.velocity, columns, region);
  EXPECT_EQ(result.to_number(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CurveLookup,
    ::testing::Values(
        CurveCase{"between_rows", {row(400, 80), row(600, 70)}, 500, 75.0},
        // One row at exactly the velocity: its value unrounded.
        CurveCase{"exact_row", {row(400, 80), row(500, 77.77), row(600, 70)}, 500, 77.77},
        // Two rows at the velocity count as no exact row.
        CurveCase{"two_exact_rows", {row(400, 80), row(500, 77), row(500, 78), row(600, 70)}, 500, 75.0},
        // Below the table: the first row scaled through the origin, 78 x 250 / 300.
        CurveCase{"below_table", {row(300, 78), row(400, 74)}, 250, 65.0},
        // Above the table: the last row scaled likewise, 64 x 900 / 800 (not a cap).
        CurveCase{"above_table", {row(700, 66), row(800, 64)}, 900, 72.0},
        // Rows stored out of order still bracket by velocity.
        CurveCase{"unordered", {row(600, 70), row(300, 90), row(400, 80), row(800, 60)}, 500, 75.0},
        // Rows of another depth, series or type do not count.
        CurveCase{"other_keys",
                  {row(400, 80), row(600, 70),
                   CurveRow{450, 250, std::string("F2"), std::string("N"), 10.0, 10.0, 0.0, 0.0},
                   CurveRow{450, 200, std::string("F3"), std::string("N"), 10.0, 10.0, 0.0, 0.0},
                   CurveRow{450, 200, std::string("F2"), std::string("n"), 10.0, 10.0, 0.0, 0.0}},
                  500, 75.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CurveLookup, NoCurveForTheKeyFailsEvenInsideAnIgnoringRegion) {
  const std::vector<CurveRow> rows{CurveRow{400, 250, std::string("F2"), std::string("N"), 80.0, 80.0, 0.0, 0.0}};
  const std::string series = "F2", type = "N";
  Variant result = 42.0;
  const std::array columns{CurveColumn{&CurveRow::efficiency, &result}};
  IgnoreErrors region;
  region.arm();
  try {
    lookup_curve(rows, CurveKey{"txlmastW", 200, series, type}, 500, columns, region);
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_STREQ(e.what(), "no performance data in txlmastW for rotor depth 200, series F2, type N");
  }
  EXPECT_EQ(result.to_number(), 42.0);
}

TEST(CurveLookup, TheRegionArmsAtTheFirstInexactLookup) {
  const std::vector<CurveRow> rows{row(400, 80), row(500, 77), row(600, 70)};
  const std::string series = "F2", type = "N";
  double exact_target = 0;
  const std::array columns{CurveColumn{&CurveRow::efficiency, &exact_target}};
  IgnoreErrors region;
  lookup_curve(rows, CurveKey{"txlmastS", 200, series, type}, 500, columns, region);
  EXPECT_FALSE(region.armed());
  lookup_curve(rows, CurveKey{"txlmastS", 200, series, type}, 450, columns, region);
  EXPECT_TRUE(region.armed());
  EXPECT_EQ(exact_target, 78.5);
}

// ---- Flow-ratio correction ----

struct EffectivenessCase {
  const char* name;
  double supply_cfm, return_cfm;
  double supply_sensible, exhaust_sensible;  // summer and winter tables alike
  double corrected, derived;                 // corrected smaller stream, derived other stream
  int code;
};

class Effectiveness : public ::testing::TestWithParam<EffectivenessCase> {};

TEST_P(Effectiveness, CorrectsTheSmallerStream) {
  const EffectivenessCase& c = GetParam();
  test_support::reset_thread_state();
  KivClass k;
  auto& s = fields(k);
  s.SupplyCfm = c.supply_cfm;
  s.ReturnCfm = c.return_cfm;
  s.SmallerAirflowCfm = std::min(c.supply_cfm, c.return_cfm);
  s.LargerAirflowCfm = std::max(c.supply_cfm, c.return_cfm);
  auto& p = module_state().performance;
  for (Variant* v : {&p.SummerSupplyEfficiency, &p.SummerSupplySEfficiency, &p.SummerSupplyLEfficiency,
                     &p.WinterSupplyEfficiency, &p.WinterSupplySEfficiency, &p.WinterSupplyLEfficiency})
    *v = c.supply_sensible;
  for (Variant* v : {&p.SummerExhaustEfficiency, &p.SummerExhaustSEfficiency, &p.SummerExhaustLEfficiency,
                     &p.WinterExhaustEfficiency, &p.WinterExhaustSEfficiency})
    *v = c.exhaust_sensible;
  p.WinterExhaustLEfficiency = c.exhaust_sensible;

  k.EffectivenessCalculate();

  const bool supply_smaller = c.return_cfm > c.supply_cfm;
  const Variant& corrected = supply_smaller ? p.SummerSupplySEfficiency : p.SummerExhaustSEfficiency;
  const Variant& derived = supply_smaller ? p.WinterExhaustEfficiency : p.WinterSupplyEfficiency;
  EXPECT_EQ(corrected.to_number(), c.corrected);
  EXPECT_EQ(derived.to_number(), c.derived);
  EXPECT_EQ(k.KivOutErrorCode, c.code);
  EXPECT_EQ(k.KivOutErrorMsg.to_text(), c.code ? "Velocity Out of Range" : "");
  // The effectiveness outputs are the corrected winter values of the smaller stream (or the
  // winter exhaust values when both sides read the same).
  EXPECT_FLOAT_EQ(k.KivoutTempEffectiveness, static_cast<float>(c.corrected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Effectiveness,
    ::testing::Values(
        EffectivenessCase{"balanced", 1000, 1000, 70, 70, 70, 70, 0},
        // R = 0.8: factor 0.912 in single precision; 70 / 0.912 = 76.75, 0.8 x 76.75 = 61.4.
        EffectivenessCase{"ratio_0_8_supply_smaller", 800, 1000, 70, 70, 76.75, 61.4, 0},
        EffectivenessCase{"ratio_0_8_return_smaller", 1000, 800, 70, 70, 76.75, 61.4, 0},
        // R = 0.84: factor 0.929.
        EffectivenessCase{"ratio_0_84", 840, 1000, 70, 70, 75.35, 63.29, 0},
        // R = 0.75: Round(0.871 + 0.041 x 0.5, 3) = 0.892 from the tabulated decimals (their
        // single-precision values would give 0.891); 70 / 0.892 = 78.48, 0.75 x 78.48 = 58.86.
        EffectivenessCase{"ratio_0_75_factor_from_decimals", 750, 1000, 70, 70, 78.48, 58.86, 0},
        // R = 0.8437 is rounded to 0.844, which is also the multiplier: factor 0.931.
        EffectivenessCase{"ratio_rounded", 843.7, 1000, 70, 70, 75.19, 63.46, 0},
        // R = 0.4: factor extrapolated to 0.756, with code 6.
        EffectivenessCase{"ratio_0_4", 400, 1000, 70, 70, 92.59, 37.04, 6},
        // 90 / 0.912 = 98.68 is capped at 97; the other stream gets 0.8 x 97.
        EffectivenessCase{"cap_97", 800, 1000, 90, 90, 97, 77.6, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Effectiveness, AnEmptyEfficiencyCannotBePublished) {
  test_support::reset_thread_state();
  KivClass k;
  auto& s = fields(k);
  s.SupplyCfm = s.ReturnCfm = s.SmallerAirflowCfm = s.LargerAirflowCfm = 1000;
  try {
    k.EffectivenessCalculate();
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), ErrorNumber::TypeMismatch);
  }
  // The variant without outputs does not publish, so it does not fail.
  EXPECT_NO_THROW(k.EffectivenessCalculateold());
}

// ---- Pressure drop ----

struct PdropCase {
  const char* name;
  double fpm;  // face velocity the airflow gives on 1 ft2
  double raw, rounded;
};

class PressureDrop : public ::testing::TestWithParam<PdropCase> {};

TEST_P(PressureDrop, FromTheWinterCurve) {
  const PdropCase& c = GetParam();
  TestCatalogue cat = TestCatalogue::empty();
  cat.exec("INSERT INTO txlmastW VALUES (400,200,'F2','N',70,70,50,80),(500,200,'F2','N',68,68,48,100),"
           "(700,200,'F2','N',60,60,40,150),(700,200,'F2','N',60,60,40,152),(800,200,'F2','N',55,55,35,170.6)");
  ScopedCatalogue use(cat.path());
  test_support::reset_thread_state();
  KivClass k;  // a fresh object: the product's fixed curve key applies
  const Variant flow = c.fpm / 0.59;  // m3/h that give this velocity on 1 ft2
  EXPECT_EQ(k.PdropOtherCalculate(flow, flow, 1.0), 0.0);
  const auto& p = module_state().performance;
  EXPECT_EQ(p.SupplyPdropRaw.to_number(), c.raw);
  EXPECT_EQ(p.SupplyPressureDrop.to_number(), c.rounded);
  EXPECT_EQ(p.ExhaustPressureDrop.to_number(), c.rounded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PressureDrop,
    ::testing::Values(PdropCase{"exact_row", 800, 170.6, 171},
                      PdropCase{"between_rows", 450, 90, 90},
                      PdropCase{"below_table", 300, 60, 60},
                      // Two rows at 700 fpm: interpolated between 500 and 800.
                      PdropCase{"duplicate_rows", 700, 147.1, 147}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PressureDrop, ZeroFaceAreaIsADivisionError) {
  TestCatalogue cat = TestCatalogue::sample();
  ScopedCatalogue use(cat.path());
  test_support::reset_thread_state();
  KivClass k;
  try {
    k.PdropOtherCalculate(1000.0, 1000.0, 0.0);
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), ErrorNumber::DivisionByZero);
  }
}

}  // namespace
