// Comparing the fitting models: the list is exactly the models a fixed-model run accepts, the
// automatic pick is in it and marked, filters keep what they say, and the AHRI conditions of an
// SI run are the IP ones converted.
#include <gtest/gtest.h>

#include <set>

#include "novaflux/selection.hpp"
#include "support/design_days.hpp"

namespace {

using novaflux::KivClass;
using novaflux::Modelall;

struct AirflowRow {
  const char* name;
  bool si;
  double supply, ret;
};

const AirflowRow kAirflows[] = {
    {"SI design day", true, 10000, 9000},
    {"SI small unit", true, 1500, 1500},
    {"SI unbalanced", true, 10000, 6000},
    {"IP design day", false, 8000, 8000},
};

void set_inputs(KivClass& k, const AirflowRow& row) {
  if (row.si) novaflux::test_support::set_si_design_day(k, row.supply, row.ret);
  else novaflux::test_support::set_ip_design_day(k);
}

// The models that a fixed-model run rates rather than reporting out of range.
std::set<int32_t> accepted_by_fixed_model_runs(const AirflowRow& row) {
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
  for (const auto& row : kAirflows) {
    KivClass inputs;
    set_inputs(inputs, row);
    const auto selection = novaflux::rate_fitting_models(inputs);

    std::set<int32_t> listed;
    int marked = 0;
    double previous_area = 0;
    for (const auto& m : selection.models) {
      listed.insert(static_cast<int32_t>(m.model));
      marked += m.automatic;
      EXPECT_GE(m.face_area_ft2, previous_area) << row.name << ": sorted by size";
      previous_area = m.face_area_ft2;
      ASSERT_EQ(m.ratings.size(), 1u);
      EXPECT_FALSE(m.ratings.front().failure) << row.name;
    }
    EXPECT_EQ(listed, accepted_by_fixed_model_runs(row)) << row.name;

    KivClass automatic;
    set_inputs(automatic, row);
    automatic.CalculateOutput();
    ASSERT_EQ(marked, 1) << row.name;
    for (const auto& m : selection.models) {
      if (!m.automatic) continue;
      EXPECT_EQ(m.ratings.front().result.KivOutNOVAFLUXModel, automatic.KivOutNOVAFLUXModel) << row.name;
      EXPECT_EQ(m.ratings.front().result.KivoutSaS_DBT, automatic.KivoutSaS_DBT) << row.name;
    }
  }
}

TEST(Selection, FiltersKeepWhatTheySay) {
  KivClass inputs;
  novaflux::test_support::set_si_design_day(inputs);
  const auto selection = novaflux::rate_fitting_models(inputs);
  const struct {
    novaflux::SelectionFilter filter;
    bool any;
  } rows[] = {{{std::nullopt, std::nullopt}, true}, {{150.0, std::nullopt}, true}, {{std::nullopt, 80.0}, true},
              {{1.0, std::nullopt}, false}, {{std::nullopt, 101.0}, false}};
  for (const auto& r : rows) {
    bool any = false;
    for (const auto& m : selection.models) {
      if (!novaflux::meets(m, r.filter)) continue;
      any = true;
      const KivClass& k = m.ratings.front().result;
      if (r.filter.max_pressure_drop_pa) {
        EXPECT_LE(std::max(k.KivoutSaPDrop, k.KivoutRaPDrop), *r.filter.max_pressure_drop_pa);
      }
      if (r.filter.min_efficiency_percent) {
        EXPECT_GE(k.KivoutEfficiencySummerSupplyCondensation, *r.filter.min_efficiency_percent);
      }
    }
    EXPECT_EQ(any, r.any);
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
