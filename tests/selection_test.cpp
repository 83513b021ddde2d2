// Comparing the fitting models: the list is exactly the models a fixed-model run accepts, the
// automatic pick is in it and marked, filters keep what they say, and the AHRI conditions of an
// SI run are the IP ones converted.
#include <gtest/gtest.h>

#include <set>

#include "novaflux/selection.hpp"
#include "support/design_days.hpp"
#include "support/test_data.hpp"

namespace {

using novaflux::KivClass;
using novaflux::Modelall;

using json = nlohmann::ordered_json;
json cases(const char* group) { return novaflux::test_support::load_json("selection_cases.json").at(group); }

void set_inputs(KivClass& k, const json& row) {
  if (row["si"].get<bool>()) novaflux::test_support::set_si_design_day(k, row["supply"].get<double>(), row["return"].get<double>());
  else novaflux::test_support::set_ip_design_day(k);
}

// The models that a fixed-model run rates rather than reporting out of range.
std::set<int32_t> accepted_by_fixed_model_runs(const json& row) {
  std::set<int32_t> ids;
#define NOVAFLUX_TRY_MODEL(name, value, diameter)                                   \
  {                                                                                \
    KivClass k;                                                                    \
    set_inputs(k, row);                                                            \
    k.KivinputModel = Modelall::name;                                              \
    k.CalculateOutputModel();                                                      \
    if (k.KivOutNOVAFLUXModel.to_text() != " Model Out of Range") ids.insert(value); \
  }
  NOVAFLUX_MODELS(NOVAFLUX_TRY_MODEL)
#undef NOVAFLUX_TRY_MODEL
  return ids;
}

TEST(Selection, ListIsTheFitRangeWithTheAutomaticPickMarked) {
  for (const auto& row : cases("airflows")) {
    const std::string name = row["name"];
    KivClass inputs;
    set_inputs(inputs, row);
    const auto selection = novaflux::rate_fitting_models(inputs);

    std::set<int32_t> listed;
    int marked = 0;
    double previous_area = 0;
    for (const auto& m : selection.models) {
      listed.insert(static_cast<int32_t>(m.model));
      marked += m.automatic;
      EXPECT_GE(m.face_area_ft2, previous_area) << name << ": sorted by size";
      previous_area = m.face_area_ft2;
      ASSERT_EQ(m.ratings.size(), 1u);
      EXPECT_FALSE(m.ratings.front().failure) << name;
    }
    EXPECT_EQ(listed, accepted_by_fixed_model_runs(row)) << name;

    KivClass automatic;
    set_inputs(automatic, row);
    automatic.CalculateOutput();
    ASSERT_EQ(marked, 1) << name;
    for (const auto& m : selection.models) {
      if (!m.automatic) continue;
      EXPECT_EQ(m.ratings.front().result.KivOutNOVAFLUXModel, automatic.KivOutNOVAFLUXModel) << name;
      EXPECT_EQ(m.ratings.front().result.KivoutSaS_DBT, automatic.KivoutSaS_DBT) << name;
    }
  }
}

TEST(Selection, FiltersKeepWhatTheySay) {
  KivClass inputs;
  novaflux::test_support::set_si_design_day(inputs);
  const auto selection = novaflux::rate_fitting_models(inputs);
  const auto limit = [](const json& v) { return v.is_null() ? std::optional<double>() : v.get<double>(); };
  for (const auto& r : cases("filters")) {
    const novaflux::SelectionFilter filter{limit(r["max_pressure_drop_pa"]), limit(r["min_efficiency_percent"])};
    bool any = false;
    for (const auto& m : selection.models) {
      if (!novaflux::meets(m, filter)) continue;
      any = true;
      const KivClass& k = m.ratings.front().result;
      if (filter.max_pressure_drop_pa) { EXPECT_LE(std::max(k.KivoutSaPDrop, k.KivoutRaPDrop), *filter.max_pressure_drop_pa); }
      if (filter.min_efficiency_percent) { EXPECT_GE(k.KivoutEfficiencySummerSupplyCondensation, *filter.min_efficiency_percent); }
    }
    EXPECT_EQ(any, r["any"].get<bool>()) << r["source"];
  }
}

TEST(RatingConditions, SiIsTheIpConverted) {
  KivClass si, ip;
  novaflux::test_support::set_si_design_day(si);
  novaflux::test_support::set_ip_design_day(ip);
  ip.KivinputAltitude = si.KivinputAltitude;  // the same barometric pressure
  const auto& ahri = novaflux::ahri_1060_conditions();
  novaflux::apply_rating_conditions(si, ahri);
  novaflux::apply_rating_conditions(ip, ahri);
  const std::pair<double KivClass::*, double> temperatures[] = {
      {&KivClass::KivinputOAS_DBT, 95}, {&KivClass::KivinputOAS_WBT, 78}, {&KivClass::KivinputRaS_DBT, 75},
      {&KivClass::KivinputRaS_WBT, 63}, {&KivClass::KivinputOAW_DBT, 35}, {&KivClass::KivinputOAW_WBT, 33},
      {&KivClass::KivinputRaW_DBT, 70}, {&KivClass::KivinputRaW_WBT, 58}};
  for (const auto& [member, fahrenheit] : temperatures) {
    EXPECT_EQ(ip.*member, fahrenheit);
    EXPECT_NEAR(si.*member, (fahrenheit - 32) / 1.8, 1e-12);
  }
  // Rated, the two describe the same air: humidity ratios agree within the one-decimal rounding
  // of the converted temperatures (7 grains/lb per g/kg).
  const auto si_run = novaflux::rate_at_airflows(si, ahri.airflow_percents);
  const auto ip_run = novaflux::rate_at_airflows(ip, ahri.airflow_percents);
  ASSERT_EQ(si_run.size(), 2u);
  EXPECT_EQ(si_run[1].airflow_percent, 75);
  EXPECT_EQ(si_run[1].result.KivinputSupplyAir, 7500);
  EXPECT_EQ(si_run[1].result.KivOutNOVAFLUXModel, si_run[0].result.KivOutNOVAFLUXModel) << "part load rates the same wheel";
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_NEAR(si_run[i].result.KivoutOAS_AbsHum * 7, ip_run[i].result.KivoutOAS_AbsHum, 0.02 * ip_run[i].result.KivoutOAS_AbsHum);
    EXPECT_NEAR(si_run[i].result.KivoutRaW_AbsHum * 7, ip_run[i].result.KivoutRaW_AbsHum, 0.02 * ip_run[i].result.KivoutRaW_AbsHum);
  }
}

}  // namespace
