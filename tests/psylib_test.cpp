// libpsylib32.so against published ASHRAE table values, against an independent implementation
// of the same formulations (psychrolib), and on inputs outside its validity range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "novaflux/psylib.h"
#include "support/test_data.hpp"
#include "psychrometrics/psylib/moist_air.hpp"
#include "psychrometrics/psylib/wet_bulb.hpp"

namespace {

namespace psy = novaflux::psylib;

constexpr double kPaPerPsi = 6894.757293168;

double num(const std::string& s) { return std::stod(s); }

// ---------------------------------------------------------------------------------------------
// Published ASHRAE values (Handbook Fundamentals 2017, ch. 1, Tables 1 to 3).

struct PublishedRow {
  double x;
  double value;
};

std::vector<PublishedRow> published(const std::string& quantity) {
  const auto table = novaflux::test_support::read_csv(novaflux::test_support::data_path("psychro_ashrae_tables.csv"));
  const auto q = table.column("quantity"), x = table.column("x"), v = table.column("value");
  std::vector<PublishedRow> out;
  for (const auto& row : table.rows)
    if (row[q] == quantity) out.push_back({num(row[x]), num(row[v])});
  return out;
}

TEST(PsylibAshraeTables, StandardAtmospherePressureBothFamilies) {
  const auto rows = published("p_atm_kpa");
  ASSERT_EQ(rows.size(), 15u);
  for (const auto& r : rows) {
    EXPECT_NEAR(psy::pressure_at_altitude<psy::Si>(r.x) / 1000.0, r.value, 0.001) << "altitude " << r.x << " m";
    EXPECT_NEAR(psy::pressure_at_altitude<psy::Ip>(r.x) * kPaPerPsi / 1000.0, r.value, 0.001)
        << "altitude " << r.x << " m, IP";
  }
}

TEST(PsylibAshraeTables, SaturationPressureOverIceAndWaterBothFamilies) {
  const auto rows = published("pws_kpa");
  ASSERT_EQ(rows.size(), 12u);
  for (const auto& r : rows) {
    const double si = psy::saturation_pressure<psy::Si>(r.x) / 1000.0;
    const double ip = psy::saturation_pressure<psy::Ip>(r.x * 1.8 + 32.0) * kPaPerPsi / 1000.0;
    EXPECT_NEAR(si / r.value, 1.0, 5e-4) << r.x << " degC";
    EXPECT_NEAR(ip / r.value, 1.0, 5e-4) << r.x << " degC, IP";
  }
}

// ---------------------------------------------------------------------------------------------
// The independent implementation, psychrolib, over -40..60 degC (-40..140 degF), 5..100 % RH and
// -500..4000 m, as committed by scripts/psychrolib-reference.

struct Family {
  const char* table;
  const char* name;
  float (*wet_bulb)(float, float, short);
  float (*rh)(float, float, short);
  float (*enthalpy)(float, float);
  float (*density)(float, float, short);
  float (*rh_to_w)(float, float, short);
  float (*wb_to_w)(float, float, short);
  double kelvin;          // one kelvin in the family's temperature unit
  double g_per_kg;        // one g/kg in the family's humidity unit
  double kj_per_kg;       // one kJ/kg in the family's enthalpy unit
  double freezing;        // degC or degF
};

const Family kSi{"psychro_psychrolib_si.csv", "SI", LCSI_WETBULB, LCSI_RH, LCSI_ENTHALPY, LCSI_DENSITY,
                 LCSI_RHTOGRAMS, LCSI_WBTOGR, 1.0, 1.0, 1.0, 0.0};
const Family kIp{"psychro_psychrolib_ip.csv", "IP", LCWETBULB, LCRH, LCENTHALPY, LCDENSITY,
                 LCRHTOGR, LCWBTOGR, 1.8, 7.0, 1.0 / 2.326, 32.0};

void PrintTo(const Family& f, std::ostream* os) { *os << f.name; }

// Both implementations evaluate the same closed-form relations, so beyond the tolerances above
// they agree to single-precision noise; a drifted constant (an older molar-mass ratio, say) shows
// up here long before it reaches a tolerance.
constexpr double kSameFormulation = 1e-5;

class PsylibAgainstPsychrolib : public ::testing::TestWithParam<Family> {};

TEST_P(PsylibAgainstPsychrolib, EveryEntryPointWithinTolerance) {
  const Family& f = GetParam();
  const auto table = novaflux::test_support::read_csv(novaflux::test_support::data_path(f.table));
  ASSERT_GE(table.rows.size(), 250u);
  // Columns: dry bulb, RH %, altitude, humidity ratio, wet bulb, enthalpy, density, band flag.
  ASSERT_EQ(table.columns.size(), 8u);
  const std::size_t c_t = 0, c_rh = table.column("rh_percent"), c_alt = table.column("alt_m"), c_w = 3,
                    c_wb = 4, c_h = 5, c_rho = 6, c_band = table.column("wick_band");

  const double tol_wb = 0.02 * f.kelvin;
  const double tol_w_abs = 0.005 * f.g_per_kg;
  const double tol_h = 0.05 * f.kj_per_kg;
  auto w_ok = [&](double got, double want) {
    return std::fabs(got - want) <= std::max(0.002 * std::fabs(want), tol_w_abs);
  };

  int band_rows = 0;
  for (const auto& row : table.rows) {
    const float t = static_cast<float>(num(row[c_t]));
    const double rh = num(row[c_rh]);
    const short alt = static_cast<short>(num(row[c_alt]));
    const double w = num(row[c_w]), wb = num(row[c_wb]), h = num(row[c_h]), rho = num(row[c_rho]);
    const float wf = static_cast<float>(w);
    const std::string where = std::string(f.name) + " t=" + row[c_t] + " rh=" + row[c_rh] + " alt=" + row[c_alt];

    const double w_from_rh = f.rh_to_w(t, static_cast<float>(rh / 100.0), alt);
    EXPECT_TRUE(w_ok(w_from_rh, w)) << where << ": W from RH " << w_from_rh << " against " << w;
    EXPECT_NEAR(w_from_rh / w, 1.0, kSameFormulation) << where;

    const double rh_got = f.rh(t, wf, alt);
    EXPECT_NEAR(rh_got, rh, 0.1) << where;
    EXPECT_NEAR(rh_got / rh, 1.0, kSameFormulation) << where;

    const double h_got = f.enthalpy(t, wf);
    EXPECT_NEAR(h_got, h, tol_h) << where;

    const double rho_got = f.density(t, wf, alt);
    EXPECT_NEAR(rho_got / rho, 1.0, 0.001) << where;
    EXPECT_NEAR(rho_got / rho, 1.0, kSameFormulation) << where;

    const double wb_got = f.wet_bulb(t, wf, alt);
    if (row[c_band] == "1") {
      // Both wick forms have a root here; the library takes the wetted one, and it must satisfy
      // the relation.
      ++band_rows;
      EXPECT_GE(wb_got, f.freezing) << where;
      EXPECT_TRUE(w_ok(f.wb_to_w(t, static_cast<float>(wb_got), alt), w)) << where;
      continue;
    }
    EXPECT_NEAR(wb_got, wb, tol_wb) << where;

    const double w_from_wb = f.wb_to_w(t, static_cast<float>(wb), alt);
    EXPECT_TRUE(w_ok(w_from_wb, w)) << where << ": W from wet bulb " << w_from_wb << " against " << w;
  }
  EXPECT_GE(band_rows, 1) << "the table should hold a row of the two-root band";
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, PsylibAgainstPsychrolib, ::testing::Values(kSi, kIp),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Properties of the solver and of the relations.

// A last step shorter than the resolution of the wet bulb leaves it where it is: the state below
// once made the solver bisect away from its root and end 5e-6 K off.
TEST(PsylibWetBulbSolver, ConvergedToTheResolutionOfTheResult) {
  const double t = 0x1.300766p+4, w = 0x1.4a3153f7ced91p-7, p = psy::pressure_at_altitude<psy::Si>(-250);
  const double wb = psy::wet_bulb<psy::Si>(t, w, p);
  const auto point = psy::wet_bulb_relation<psy::Si>(psy::Si::kWettedWick, t, wb, p);
  EXPECT_LT(std::fabs(point.w - w) / point.dw_dtw, 1e-12) << wb;
}

// ---------------------------------------------------------------------------------------------
// Arguments outside the validity range, and the closed forms and supersaturated states of
// tests/data/psylib_cases.json.

// The twelve entry points by name, the enthalpies ignoring the altitude.
using Entry = float (*)(float, float, short);
const std::pair<std::string, Entry> kEntries[] = {
    {"LCWETBULB", LCWETBULB}, {"LCRH", LCRH}, {"LCENTHALPY", [](float t, float w, short) { return LCENTHALPY(t, w); }},
    {"LCDENSITY", LCDENSITY}, {"LCRHTOGR", LCRHTOGR}, {"LCWBTOGR", LCWBTOGR}, {"LCSI_WETBULB", LCSI_WETBULB}, {"LCSI_RH", LCSI_RH},
    {"LCSI_ENTHALPY", [](float t, float w, short) { return LCSI_ENTHALPY(t, w); }}, {"LCSI_DENSITY", LCSI_DENSITY},
    {"LCSI_RHTOGRAMS", LCSI_RHTOGRAMS}, {"LCSI_WBTOGR", LCSI_WBTOGR}};

TEST(PsylibClosedForms, MatchTheEquationsEvaluatedByHand) {
  const auto cases = novaflux::test_support::load_json("psylib_cases.json");  // outlives the loop
  for (const auto& c : cases.at("closed_forms")) {
    const auto e = std::find_if(std::begin(kEntries), std::end(kEntries), [&](const auto& x) { return x.first == c["entry"]; });
    ASSERT_NE(e, std::end(kEntries)) << c["entry"];
    EXPECT_NEAR(e->second(c["t"].get<float>(), c["w"].get<float>(), 0), c["value"].get<double>(), c["tolerance"].get<double>())
        << c["entry"] << " " << c["t"];
  }
}

// A humidity ratio above saturation reads as more than 100 %; the component relies on that to
// recompute such states.
TEST(PsylibSupersaturation, RelativeHumidityAboveHundredAndConsistentWetBulb) {
  const auto cases = novaflux::test_support::load_json("psylib_cases.json");  // outlives the loop
  for (const auto& c : cases.at("supersaturated")) {
    const Family& f = c["family"] == "SI" ? kSi : kIp;
    const float t = c["t"].get<float>(), w = c["w"].get<float>();
    EXPECT_GT(f.rh(t, w, 0), 100.0f) << f.name << " " << t;
    const float wb = f.wet_bulb(t, w, 0);
    EXPECT_GT(wb, t) << f.name << " " << t;
    EXPECT_NEAR(f.wb_to_w(t, wb, 0), w, 1e-3f * w) << f.name << " " << t;
    EXPECT_GT(f.rh_to_w(t, 1.2f, 0), f.rh_to_w(t, 1.0f, 0));
  }
}

TEST(PsylibDomain, NanArgumentGivesTheNoValueResult) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const auto& [name, entry] : kEntries) {
    EXPECT_EQ(entry(nan, 10.0f, 0), PSYLIB_NO_VALUE) << name;
    EXPECT_EQ(entry(20.0f, nan, 0), PSYLIB_NO_VALUE) << name;
  }
}

}  // namespace
