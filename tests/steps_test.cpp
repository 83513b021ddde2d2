// Step behaviour that is not a table of figures: regions that skip failing statements, the
// leakage brackets of the shipped catalogue, bracket queries only, density-corrected airflows,
// and what a new object and the objects of one thread start from and share.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "catalogue/catalogue.hpp"
#include "common/ignore_errors.hpp"
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "component/interface_table.hpp"
#include "component/run_steps.hpp"
#include "performance/curve_lookup.hpp"
#include "novaflux/psylib.h"
#include "support/files.hpp"
#include "support/run_fixture.hpp"
#include "support/test_catalogue.hpp"
#include "support/test_data.hpp"

using namespace novaflux;

namespace {

[[noreturn]] void fail() { throw RunError(ErrorNumber::DivisionByZero, "Division by zero"); }

TEST(IgnoreErrors, SkipsOnlyOnceArmedNeverFatalAndEndsOnlyTheCalledStep) {
  IgnoreErrors region, other;
  int destination = 1;
  EXPECT_THROW(region.run([&] { fail(); }), RunError);  // not armed yet
  region.arm();
  region.run([&] {
    fail();
    destination = 2;  // the statement is skipped whole
  });
  region.run([&] { destination = 3; });  // the next one runs
  EXPECT_EQ(destination, 3);
  EXPECT_THROW(region.run([] { throw FatalRunError(ErrorNumber::MissingCurve, "no curve"); }), FatalRunError);
  EXPECT_THROW(other.run(fail), RunError);  // regions are independent
}

// Every bracket of data/catalogue/eatrvalue.csv at its midpoint, both wheels: the figures lie
// halfway between the two rows (within the rounding to 2 and 3 decimals).
TEST(Leakage, EveryBracketOfTheShippedCatalogueFindsBothRows) {
  const auto t = test_support::read_csv(sample_catalogue_sources() + "/eatrvalue.csv");
  test_support::reset_thread_state();
  for (const bool si : {true, false}) {
    std::vector<std::vector<double>> steps;  // pressure, EATRwp, OACFwp, EATRwop, OACFwop
    for (const auto& r : t.rows) {
      const std::string& p = r[t.column(si ? "Pressure_Differential" : "Pressure_Differentialin")];
      if (p.empty()) continue;
      steps.push_back({std::stod(p), std::stod(r[t.column("EATRwp")]), std::stod(r[t.column("OACFwp")]),
                       std::stod(r[t.column("EATRwop")]), std::stod(r[t.column("OACFwop")])});
    }
    for (size_t i = 0; i + 1 < steps.size(); ++i)
      for (const bool without : {false, true}) {
        const auto &a = steps[i], &b = steps[i + 1];
        KivClass k;
        k.put_KivunitSI(si);
        k.put_KivPurgeWithout(without);
        k.KivinputLeakagePressureDifference = static_cast<float>((a[0] + b[0]) / 2);
        k.EATRValue();
        const size_t col = without ? 3 : 1;
        SCOPED_TRACE(std::to_string(a[0]) + " .. " + std::to_string(b[0]) + (without ? " without purge" : ""));
        EXPECT_NEAR(k.KivoutLeakageEatr, (a[col] + b[col]) / 2, 0.011);
        EXPECT_NEAR(k.KivoutLeakageOacf, (a[col + 1] + b[col + 1]) / 2, 0.0011);
      }
  }
}

TEST(FormulaInterpulation, AcceptsOnlyBracketQueries) {
  TestCatalogue cat = TestCatalogue::empty();
  cat.exec(read_bytes(test_support::data_path("leakage_steps.sql")));
  ScopedCatalogue use(cat.path());
  test_support::reset_thread_state();
  KivClass k;
  std::string sql = "select * from eatrvalue where val(Pressure_Differential)=100 or val(Pressure_Differential)=125 ";
  Variant x1 = "100", x2 = 125.0;
  std::string main_value = "112.5";
  // EATRwp 1.0 and 2.0 of the 100 and 125 Pa rows, halfway.
  EXPECT_FLOAT_EQ(static_cast<float>(k.FormulaInterpulation(sql, x1, x2, main_value)), 1.5f);
  EXPECT_TRUE(x1.is_number());  // converted in place
  for (std::string bad : {"select * from eatrvalue", "drop table eatrvalue", "",
                          "select * from eatrvalue where val(Pressure_Differential)=100 or "
                          "val(Pressure_Differential)=125; delete from eatrvalue"}) {
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

TEST(ActualAirflows, DensityCorrectedFromTheLeavingStatesWithAWholeReturnAirflow) {
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(true);
  k.KivinputSupplyAir = 1000;
  k.KivoutSaS_DBT = 26, k.KivoutSaS_AbsHum = 10, k.KivoutSaW_DBT = 10, k.KivoutSaW_AbsHum = 4;
  k.KivinputRaS_DBT = 24, k.KivoutRaS_AbsHum = 9, k.KivinputRaW_DBT = 21, k.KivoutRaW_AbsHum = 6;
  const double rho_s = LCSI_DENSITY(26, 10, 0), rho_r = LCSI_DENSITY(24, 9, 0);
  // 1000.5 -> 1000 and 1001.5 -> 1002 before the density correction: halves to even.
  for (const auto& [ret, whole] : {std::pair{1000.5, 1000.0}, std::pair{1001.5, 1002.0}}) {
    k.KivinputReturnAir = ret;
    detail::ActualAirflows(k);
    EXPECT_EQ(module_state().actual.ActualSupplyFlowSummer.to_number(), std::nearbyint(1.2 * 1000 / rho_s));
    EXPECT_EQ(module_state().actual.ActualReturnFlowSummer.to_number(), std::nearbyint(1.2 * whole / rho_r));
  }
  // IP states go to degC and g/kg first: 78.8 F = 26 C, 70 gr/lb = 10 g/kg.
  test_support::reset_thread_state();
  k.put_KivunitSI(false);
  k.KivoutSaS_DBT = 78.8, k.KivoutSaS_AbsHum = 70;
  detail::ActualAirflows(k);
  EXPECT_EQ(module_state().actual.ActualSupplyFlowSummer.to_number(), std::nearbyint(1.2 * 1000 / LCSI_DENSITY(26.0f, 10.0f, 0)));
}

TEST(NewObject, EveryPropertyStartsZeroFalseOrEmpty) {
  KivClass k;
  for (const auto& p : detail::properties()) {
    double v = 1;
    if (p.type == detail::PropType::Variant) {
      EXPECT_EQ(detail::read_text(k, p), "") << p.name;
      continue;
    }
    ASSERT_TRUE(detail::read_number(k, p, v)) << p.name;
    EXPECT_EQ(v, 0.0) << p.name;
  }
}

TEST(RunSequence, ObjectsOfOneThreadShareItsStateAndAFreshThreadStartsFromNothing) {
  test_support::reset_thread_state();
  KivClass si;
  test_support::set_si_design_day(si);
  si.CalculateOutput();
  EXPECT_TRUE(module_state().UnitSIFlag);
  KivClass ip;
  ip.put_KivunitSI(false);  // a put leaves the thread's flag alone
  EXPECT_TRUE(module_state().UnitSIFlag);
  ip.get_KivunitSI();  // a get sets it
  EXPECT_FALSE(module_state().UnitSIFlag);
  // A wet-bulb-mode run leaves the wet-bulb outputs of the earlier RH-mode run standing.
  const double earlier = si.KivoutOAS_WBT;
  si.KivinputOAUnitDBTRH = false;
  si.KivinputOAUnitDBTWBT = true;
  si.KivinputOAS_WBT = 20;
  si.KivinputOAW_WBT = -11;
  si.CalculateOutput();
  EXPECT_EQ(si.KivoutOAS_WBT, earlier);
  EXPECT_EQ(module_state().air.OutdoorSummerState.WBT, 20);
  test_support::on_fresh_thread([] {
    EXPECT_FALSE(module_state().UnitSIFlag);
    EXPECT_TRUE(module_state().performance.SummerSupplyEfficiency.is_empty());
    EXPECT_EQ(module_state().air.SupplySummerState.DBT, 0);
  });
  EXPECT_FALSE(module_state().performance.SummerSupplyEfficiency.is_empty());
}

// The curve lookup by velocity order must pick the rows a scan of the table in its order
// picks: the only row at v, else the nearest below (the later of equal ones) and the nearest
// above (the earlier of equal ones). Random tables with repeated velocities and keys.
TEST(CurveLookup, SameRowsAsAScanInTableOrder) {
  std::mt19937 random(7);
  const std::string series = "F2", type = "N";
  for (int table = 0; table < 300; ++table) {
    std::vector<CurveRow> rows;
    for (int i = 0; i < 12; ++i) {
      const double velocity = 100.0 * static_cast<double>(random() % 8);
      rows.push_back({velocity, random() % 4 ? 200.0 : 270.0, series, type, static_cast<double>(i), 0.0, 0.0, 0.0});
    }
    const auto groups = group_curve_rows(rows);
    for (double v = 0; v <= 850; v += 50) {
      int exact = 0;
      double exact_index = -1, below = -1, above = -1, below_v = 0, above_v = 0;
      for (const auto& r : rows) {
        if (*r.rotdepth != 200.0) continue;
        if (*r.velocityfpm == v) ++exact, exact_index = *r.efficiency;
        else if (*r.velocityfpm < v && (below < 0 || *r.velocityfpm >= below_v)) below = *r.efficiency, below_v = *r.velocityfpm;
        else if (*r.velocityfpm > v && (above < 0 || *r.velocityfpm < above_v)) above = *r.efficiency, above_v = *r.velocityfpm;
      }
      if (exact == 0 && below < 0 && above < 0) continue;
      double got = 0;
      IgnoreErrors region;
      const std::array column{CurveColumn{&CurveRow::efficiency, &got}};
      lookup_curve(rows, groups, CurveKey{"txlmastS", 200.0, series, type}, v, column, region);
      const double x1 = below < 0 ? 0.0 : below_v, x2 = above < 0 ? 0.0 : above_v;
      const double y1 = std::max(below, 0.0), y2 = std::max(above, 0.0);
      const double want = exact == 1 ? exact_index : vb_round(y1 + (y2 - y1) * (v - x1) / (x2 - x1), 1);
      ASSERT_EQ(got, want) << "table " << table << " v " << v;
    }
  }
}

}  // namespace
