// Leakage figures by pressure difference: exact steps, brackets, missing rows, both units.
#include <gtest/gtest.h>

#include "component/run_steps.hpp"
#include "support/run_fixture.hpp"
#include "support/test_catalogue.hpp"

using namespace novaflux;

namespace {

// Steps with easily checked figures; the 125 Pa / 0.5 in. row exists, 300 Pa does not.
TestCatalogue leakage_catalogue() {
  TestCatalogue c = TestCatalogue::empty();
  c.exec(
      "INSERT INTO eatrvalue VALUES "
      "(0, 0, 0.5, 1.00, 4, 1.5, 1.00, 0),"
      "(50, NULL, 0.8, 1.02, 4, 1.8, 1.01, 0),"
      "(100, 0.4, 1.0, 1.05, 5, 2.0, 1.02, 0),"
      "(125, 0.5, 2.0, 1.10, 6, 2.2, 1.03, 0),"
      "(200, 0.8, 2.5, 1.12, 6, 2.4, 1.04, 0),"
      "(400, 1.6, 3.0, 1.16, 8, 2.8, 1.06, 0),"
      "(500, 2, 4.0, 1.20, 9, 3.0, 1.08, 0),"
      "(NULL, 2.5, 5.0, 1.30, 10, 3.2, 1.10, 0),"
      "(NULL, 2.75, 6.0, 1.40, 11, 3.4, 1.12, 0),"
      "(750, 3, 7.0, 1.50, 12, 3.6, 1.14, 0)");
  return c;
}

struct LeakageCase {
  const char* name;
  bool si;
  bool without_purge;
  float pressure;
  float eatr, oacf, angle;
};

class Leakage : public ::testing::TestWithParam<LeakageCase> {};

TEST_P(Leakage, FiguresForAPressureDifference) {
  const LeakageCase& c = GetParam();
  TestCatalogue cat = leakage_catalogue();
  ScopedCatalogue use(cat.path());
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(c.si);
  k.put_KivPurgeWithout(c.without_purge);
  k.KivinputLeakagePressureDifference = c.pressure;
  k.EATRValue();
  EXPECT_FLOAT_EQ(k.KivoutLeakageEatr, c.eatr);
  EXPECT_FLOAT_EQ(k.KivoutLeakageOacf, c.oacf);
  EXPECT_FLOAT_EQ(k.KivoutLeakagePurgeAngle, c.angle);
  // The pressure difference the host gave stays as it was, also in IP mode.
  EXPECT_FLOAT_EQ(k.KivinputLeakagePressureDifference, c.pressure);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Leakage,
    ::testing::Values(
        LeakageCase{"exact_step", true, false, 125, 2.0f, 1.10f, 6},
        // 1.0 + 1.0 x 10 / 25 = 1.4; 1.05 + 0.05 x 0.4 = 1.07; the larger angle.
        LeakageCase{"between_100_and_125", true, false, 110, 1.4f, 1.07f, 6},
        LeakageCase{"halfway_400_500", true, false, 450, 3.5f, 1.18f, 9},
        LeakageCase{"without_purge", true, true, 110, 2.08f, 1.024f, 0},
        // IP 2.6 lies in the 2.5 .. 2.75 bracket: 5.0 + 1.0 x 0.4.
        LeakageCase{"ip_bracket", false, false, 2.6f, 5.4f, 1.34f, 11},
        LeakageCase{"ip_exact", false, false, 0.4f, 1.0f, 1.05f, 5},
        // Upper steps that are not exact singles still find their row: 0.5 + 0.5 x 0.2 / 0.4,
        // 1.00 + 0.05 x 0.5; and 2.0 + 0.5 x 0.1 / 0.3, 1.10 + 0.02 / 3.
        LeakageCase{"ip_upper_step_0_4", false, false, 0.2f, 0.75f, 1.025f, 5},
        LeakageCase{"ip_upper_step_0_8", false, false, 0.6f, 2.17f, 1.107f, 6},
        // 300 Pa is a step the table lacks: the nearest existing step, 200 and 400 are
        // equidistant, so the lower one.
        LeakageCase{"missing_step", true, false, 300, 2.5f, 1.12f, 6},
        // 250 Pa: bracket 200 .. 300 with its 300 row missing: the 200 row as it is.
        LeakageCase{"bracket_half_missing", true, false, 250, 2.5f, 1.12f, 6},
        // Outside the table: the nearest step.
        LeakageCase{"above_table", true, false, 900, 7.0f, 1.50f, 12},
        LeakageCase{"below_table", true, false, -20, 0.5f, 1.00f, 4},
        LeakageCase{"ip_above_table", false, false, 3.2f, 7.0f, 1.50f, 12}),
    [](const auto& info) { return std::string(info.param.name); });

// Every bracket of the shipped catalogue, both wheels, at its midpoint: the figures lie halfway
// between the two rows (within the rounding to 2 and 3 decimals of the midpoint and results).
TEST(Leakage, EveryBracketOfTheShippedCatalogueFindsBothRows) {
  struct Step { double p, eatr_wp, oacf_wp, eatr_wop, oacf_wop; };
  // data/catalogue/eatrvalue.csv
  const Step ip[] = {{0, 2.31, 1.000, 2.31, 1.000},  {0.4, 0.77, 1.060, 2.10, 1.037},
                     {0.5, 0.76, 1.064, 2.06, 1.041}, {0.8, 0.71, 1.075, 1.93, 1.052},
                     {1.2, 0.63, 1.088, 1.78, 1.064}, {1.6, 0.43, 1.105, 1.65, 1.074},
                     {2, 0.30, 1.121, 1.53, 1.083},   {2.5, 0.20, 1.138, 1.41, 1.092},
                     {2.75, 0.15, 1.148, 1.34, 1.098}, {3, 0.13, 1.155, 1.30, 1.101}};
  const Step si[] = {{0, 2.31, 1.000, 2.31, 1.000},   {50, 0.85, 1.048, 2.20, 1.026},
                     {100, 0.77, 1.060, 2.10, 1.037}, {125, 0.76, 1.064, 2.06, 1.041},
                     {200, 0.71, 1.075, 1.93, 1.052}, {300, 0.63, 1.088, 1.78, 1.064},
                     {400, 0.43, 1.105, 1.65, 1.074}, {500, 0.30, 1.121, 1.53, 1.083},
                     {600, 0.21, 1.135, 1.43, 1.091}, {700, 0.15, 1.148, 1.34, 1.098},
                     {750, 0.13, 1.155, 1.30, 1.101}};
  test_support::reset_thread_state();
  const auto check = [](bool unit_si, const Step* steps, size_t n) {
    for (size_t i = 0; i + 1 < n; ++i) {
      const Step& a = steps[i];
      const Step& b = steps[i + 1];
      for (const bool without : {false, true}) {
        KivClass k;
        k.put_KivunitSI(unit_si);
        k.put_KivPurgeWithout(without);
        k.KivinputLeakagePressureDifference = static_cast<float>((a.p + b.p) / 2);
        k.EATRValue();
        SCOPED_TRACE(std::to_string(a.p) + " .. " + std::to_string(b.p) + (without ? " without purge" : ""));
        EXPECT_NEAR(k.KivoutLeakageEatr, without ? (a.eatr_wop + b.eatr_wop) / 2 : (a.eatr_wp + b.eatr_wp) / 2, 0.011);
        EXPECT_NEAR(k.KivoutLeakageOacf, without ? (a.oacf_wop + b.oacf_wop) / 2 : (a.oacf_wp + b.oacf_wp) / 2, 0.0011);
      }
    }
  };
  check(false, ip, std::size(ip));
  check(true, si, std::size(si));

  // IP, no purge sector, 0.379 in. w.g.: 0.38 in the 0 .. 0.4 bracket, 2.31 - 0.21 x 0.95 and
  // 1.000 + 0.037 x 0.95.
  KivClass k;
  k.put_KivunitSI(false);
  k.put_KivPurgeWithout(true);
  k.KivinputLeakagePressureDifference = 0.379f;
  k.EATRValue();
  EXPECT_FLOAT_EQ(k.KivoutLeakageEatr, 2.11f);
  EXPECT_FLOAT_EQ(k.KivoutLeakageOacf, 1.035f);
}

TEST(Leakage, OutsideTheTableNeverReusesAnEarlierBracket) {
  TestCatalogue cat = leakage_catalogue();
  ScopedCatalogue use(cat.path());
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(true);
  k.KivinputLeakagePressureDifference = 110;
  k.EATRValue();
  EXPECT_FLOAT_EQ(k.KivoutLeakageEatr, 1.4f);
  k.KivinputLeakagePressureDifference = 800;
  k.EATRValue();
  EXPECT_FLOAT_EQ(k.KivoutLeakageEatr, 7.0f);
}

TEST(FormulaInterpulation, AcceptsOnlyBracketQueries) {
  TestCatalogue cat = leakage_catalogue();
  ScopedCatalogue use(cat.path());
  test_support::reset_thread_state();
  KivClass k;
  std::string sql = "select * from eatrvalue where val(Pressure_Differential)=100 or val(Pressure_Differential)=125 ";
  Variant x1 = "100", x2 = 125.0;
  std::string main_value = "112.5";
  EXPECT_FLOAT_EQ(static_cast<float>(k.FormulaInterpulation(sql, x1, x2, main_value)), 1.5f);
  EXPECT_TRUE(x1.is_number());  // converted in place
  EXPECT_EQ(main_value, "112.5");

  for (std::string bad : {std::string("select * from eatrvalue"), std::string("drop table eatrvalue"),
                          std::string("select * from eatrvalue where val(Pressure_Differential)=100 or "
                                      "val(Pressure_Differential)=125; delete from eatrvalue"),
                          std::string("")}) {
    Variant a = 0.0, b = 1.0;
    std::string m = "1";
    try {
      k.FormulaInterpulation(bad, a, b, m);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("bracket query"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
