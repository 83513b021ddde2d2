// The datasheet view and the frost warning: the SI design day freezes its winter exhaust air, a
// mild winter does not, and the threshold holds on both sides of freezing and of saturation.
#include <gtest/gtest.h>

#include "novaflux/moist_air.hpp"
#include "novaflux/result_view.hpp"
#include "support/design_days.hpp"

namespace {

using novaflux::KivClass;

struct FrostRow {
  const char* name;
  bool si;
  double dry_bulb, rh;
  double w_over_saturation;  // humidity ratio as a share of saturation at the dry bulb
  bool frost;
};

// Thresholds: freezing (0 °C, 32 °F), the component's saturation limit (99.9 %), and the frost
// point (a humidity ratio above saturation at the dry bulb).
const FrostRow kFrostRows[] = {
    {"si at freezing, saturated", true, 0.0, 99.9, 1.0, true},
    {"si just above freezing, saturated", true, 0.1, 99.9, 1.0, false},
    {"si below freezing, just under saturation", true, -3.0, 99.8, 0.998, false},
    {"si below freezing, above its frost point", true, -3.0, 99.8, 1.002, true},
    {"si above freezing, above its dew point", true, 2.0, 99.8, 1.01, false},
    {"ip at freezing, saturated", false, 32.0, 99.9, 1.0, true},
    {"ip just above freezing, saturated", false, 32.1, 99.9, 1.0, false},
    {"ip well below freezing, dry", false, 10.0, 60.0, 0.6, false},
};

TEST(FrostRisk, Thresholds) {
  for (const auto& row : kFrostRows) {
    const double w = row.w_over_saturation * novaflux::moist_air::saturation_humidity_ratio(row.dry_bulb, row.si, 0);
    EXPECT_EQ(novaflux::frost_risk(row.dry_bulb, row.rh, w, row.si, 0), row.frost) << row.name;
  }
}

struct WinterRow {
  const char* name;
  double outdoor_dbt, outdoor_rh;
  bool frost;
};

const WinterRow kWinters[] = {
    {"SI design day, -10 °C / 80 %", -10, 80, true},
    {"mild winter, 5 °C / 80 %", 5, 80, false},
};

TEST(FrostWarning, DesignDayAndMildWinter) {
  for (const auto& row : kWinters) {
    KivClass k;
    novaflux::test_support::set_si_design_day(k);
    k.KivinputOAW_DBT = row.outdoor_dbt;
    k.KivinputOAW_RH = row.outdoor_rh;
    k.CalculateOutput();
    const auto warning = novaflux::frost_warning(k);
    ASSERT_EQ(warning.has_value(), row.frost) << row.name << ": exhaust " << k.KivoutEaW_DBT << " °C, "
                                              << k.KivoutEaW_RH << " %";
    const auto view = novaflux::result_view(k);
    const bool listed = !view.warnings.empty() && view.warnings.back().code == novaflux::kFrostRiskCode;
    EXPECT_EQ(listed, row.frost) << row.name;
    if (!warning) continue;
    EXPECT_EQ(k.KivoutEaW_DBT, -4.4);
    EXPECT_EQ(k.KivoutEaW_RH, 99.9);
    EXPECT_NE(warning->text.find("-4.4 °C"), std::string::npos) << warning->text;
    EXPECT_NE(novaflux::view_text(view).find("100: Frost risk"), std::string::npos);
  }
}

// A failed run shows what it wrote, its failure, and no frost guess from partial states.
TEST(ResultView, FailedRunKeepsOnlyTheRunsWarning) {
  KivClass k;
  novaflux::test_support::set_si_design_day(k);
  k.CalculateOutput();
  const auto view = novaflux::result_view(k, novaflux::RunFailure{11, "Division by zero"});
  for (const auto& w : view.warnings) EXPECT_NE(w.code, novaflux::kFrostRiskCode);
  EXPECT_NE(novaflux::view_text(view).find("11: Division by zero"), std::string::npos);
}

}  // namespace
