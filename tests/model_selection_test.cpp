// Model selection by required face area, the fitting range of models and the model's name
// and cassette data, on purpose-built catalogues.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/numeric.hpp"
#include "component/run_steps.hpp"
#include "support/run_fixture.hpp"
#include "support/test_catalogue.hpp"

using namespace novaflux;
using novaflux::detail::fields;

namespace {

// Models of type E with the given areas (with purge; without purge 0.5 more), 1 m per 1 ft2.
TestCatalogue catalogue_with_areas(const std::vector<double>& areas) {
  TestCatalogue c = TestCatalogue::empty();
  int id = 57;
  for (double a : areas) {
    c.exec("INSERT INTO modelmast VALUES (" + std::to_string(id) + ",'E'," +
           std::to_string(static_cast<int>(a * 100)) + "," + std::to_string(a) + "," +
           std::to_string(a + 0.5) + ")");
    ++id;
  }
  return c;
}

struct SelectionCase {
  const char* name;
  std::vector<double> areas;
  bool si;
  bool without_purge;
  double supply, ret;
  const char* required;     // RequiredFaceArea
  const char* selected;     // SelectedNetArea
};

class ModelSelection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(ModelSelection, PicksTheModelByRequiredArea) {
  const SelectionCase& c = GetParam();
  TestCatalogue cat = catalogue_with_areas(c.areas);
  ScopedCatalogue use(cat.path());
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(c.si);
  k.put_KivPurgeWithout(c.without_purge);
  k.KivinputSupplyAir = c.supply;
  k.KivinputReturnAir = c.ret;
  detail::SelectModel(k);
  EXPECT_EQ(fields(k).RequiredFaceArea, c.required);
  EXPECT_EQ(fields(k).SelectedNetArea.to_text(), c.selected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelSelection,
    ::testing::Values(
        // 10 000 x 1.05 / 600 = 17.5; threshold between 15 and 20 is 18: the smaller wheel.
        SelectionCase{"supply_decides", {10, 15, 20, 30}, false, false, 10000, 8000, "17.5", "15"},
        // Equal flows: the return airflow is the larger one (same value).
        SelectionCase{"tie", {10, 15, 20, 30}, false, false, 8000, 8000, "14", "15"},
        // Below the catalogue the area is raised to 0.74, above it lowered to 99.79.
        SelectionCase{"clamp_low", {0.74, 5, 99.79}, false, false, 10, 10, "0.74", "0.74"},
        SelectionCase{"clamp_high", {0.74, 5, 99.79}, false, false, 1e7, 1e7, "99.79", "99.79"},
        // Without purge the limits are 0.76 and 102.79 and no 5 % is added.
        SelectionCase{"clamp_low_no_purge", {0.26, 5, 102.29}, false, true, 10, 10, "0.76", "0.76"},
        // An exact area selects that model without the 60 % rule.
        SelectionCase{"exact", {10, 11.2, 20}, false, false, 6400, 100, "11.2", "11.2"},
        // The 60 % threshold between 10 and 12 is 11.2.
        SelectionCase{"below_threshold", {9.5, 11.5}, false, true, 6714, 100, "11.19", "10"},
        SelectionCase{"at_threshold", {9.5, 11.5}, false, true, 6720, 100, "11.2", "12"},
        // Two models at exactly the required area: neighbours decide (11 < 11.2: the smaller).
        SelectionCase{"duplicate_exact", {10, 11, 11, 12}, false, false, 11 * 600 / 1.05, 10, "11", "10"},
        // SI: 10 000 m3/h is 5 885 cfm; 5885 x 1.05 / 600 = 10.3 (10.29875 to 2 decimals).
        SelectionCase{"si_conversion", {10, 15}, true, false, 10000, 100, "10.3", "10"},
        // No model above the required area: the largest that exists, never a stale value.
        SelectionCase{"nothing_above", {5, 8}, false, false, 9000, 100, "15.75", "8"},
        SelectionCase{"nothing_below", {20, 30}, false, false, 1000, 100, "1.75", "20"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModelSelection, DerivesAirflowsConstantsAndFlags) {
  TestCatalogue cat = catalogue_with_areas({10, 15, 20});
  ScopedCatalogue use(cat.path());
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(true);
  k.KivinputSupplyAir = 10000;
  k.KivinputReturnAir = 8000;
  k.KivinputOAUnitDBTRH = true;
  k.KivinputOAUnitDBTGR = true;
  detail::SelectModel(k);
  const auto& s = fields(k);
  EXPECT_DOUBLE_EQ(s.SupplyCfm, 5885);
  EXPECT_DOUBLE_EQ(s.SmallerAirflowCfm, 8000 * 0.5885);
  // No leakage rows: OACF stays 0 and the outdoor air equals the supply air.
  EXPECT_EQ(k.KivOutputOutdoorAir, 10000);
  EXPECT_EQ(k.KivOutputExhaustAir, 8000);
  EXPECT_FLOAT_EQ(k.KivoutMassflowSs, 12000);
  EXPECT_EQ(k.KivinputSeries, SeriesList::Novaflux_Sensible);
  EXPECT_EQ(module_state().constants.RotorDepth, 200);
  EXPECT_EQ(module_state().constants.PerfTypeCode, "N");
  EXPECT_EQ(s.SeriesCode, "F2");
  EXPECT_TRUE(s.SizingMode);
  EXPECT_EQ(s.AirflowUnit, 1);
  // RH before humidity ratio; the return group defaults to humidity ratio.
  EXPECT_TRUE(k.KivinputOAUnitDBTRH);
  EXPECT_FALSE(k.KivinputOAUnitDBTGR);
  EXPECT_FALSE(k.KivinputOAUnitDBTWBT);
  EXPECT_TRUE(k.KivinputRAUnitDBTGR);
  EXPECT_FALSE(k.get_KivinputRAUnitDBTWBT());
}

TEST(ModelSelection, MassFlowInputsInBothUnitSystems) {
  TestCatalogue cat = catalogue_with_areas({10, 15, 20});
  ScopedCatalogue use(cat.path());
  for (bool si : {true, false}) {
    test_support::reset_thread_state();
    KivClass k;
    k.put_KivunitSI(si);
    k.KivinputMassflowCfm = true;
    k.KivinputMassflowSs = 12000;
    k.KivinputMassflowEs = 6000;
    detail::SelectModel(k);
    // kg/h / 1.2 is m3/h; IP airflows are cfm (x 0.5885).
    EXPECT_EQ(k.KivinputSupplyAir, si ? 10000 : 5885) << si;
    EXPECT_EQ(k.KivinputReturnAir, si ? 5000 : vb_round(5000 * 0.5885, 0)) << si;
    EXPECT_FLOAT_EQ(k.KivoutMassflowSs, 12000);
  }
  // IP airflow in cfm: the mass flow goes through m3/h.
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(false);
  k.KivinputSupplyAir = 5885;
  k.KivinputReturnAir = 5885;
  detail::SelectModel(k);
  EXPECT_FLOAT_EQ(k.KivoutMassflowSs, 12000);
}

TEST(ModelSelection, OutdoorAirScalesWithTheLeakageFactor) {
  TestCatalogue cat = catalogue_with_areas({10, 15, 20});
  cat.exec("INSERT INTO eatrvalue VALUES (200, NULL, 1.5, 1.07, 6, 2.0, 1.04, 0)");
  ScopedCatalogue use(cat.path());
  test_support::reset_thread_state();
  KivClass k;
  k.put_KivunitSI(true);
  k.KivinputSupplyAir = 10000;
  k.KivinputReturnAir = 9000;
  k.KivinputLeakagePressureDifference = 200;
  detail::SelectModel(k);
  EXPECT_EQ(k.KivOutputOutdoorAir, 10700);
  EXPECT_EQ(k.KivOutputExhaustAir, 9700);
}

TEST(ModelRecord, FitRangeByFaceVelocity) {
  TestCatalogue cat = catalogue_with_areas({10, 20, 30});
  ScopedCatalogue use(cat.path());
  test_support::reset_thread_state();
  KivClass k;
  k.KivinputSupplyAir = 5000;
  k.KivinputReturnAir = 4000;
  detail::SelectModel(k);
  detail::LookupModelRecord(k);
  // Velocities (500, 400), (250, 200), (167, 133): the first two fit, 200 included.
  EXPECT_EQ(fields(k).FirstModelId, 57);
  EXPECT_EQ(fields(k).LastModelId, 58);

  // 1100 fpm fits as well.
  k.KivinputSupplyAir = 11000;
  k.KivinputReturnAir = 11000;
  detail::SelectModel(k);
  detail::LookupModelRecord(k);
  EXPECT_EQ(fields(k).FirstModelId, 57);
  EXPECT_EQ(fields(k).LastModelId, 59);
}

TEST(ModelRecord, NameOverridesAndCassetteData) {
  TestCatalogue cat = TestCatalogue::empty();
  cat.exec("INSERT INTO modelmast VALUES (74,'E',2200,30.1,31.2), (75,'E',2400,36.0,37.3), (76,'E',2600,42.5,44.0)");
  cat.exec("INSERT INTO dimension VALUES (2400,'F2','E',200,2550,320,0.37,510), (2600,'F2','E',200,NULL,330,0.55,600)");
  ScopedCatalogue use(cat.path());
  struct Case {
    double area;
    const char* name;
  } cases[] = {{30.1, "TXL-2200-Q_480(1.9)_Condensation_MonoG"},
               {36.0, "TXL-2400-Q_480(1.9)_Condensation_MonoG"},
               {42.5, "TXL-2600-Q_480(1.9)_Condensation"}};
  for (const auto& c : cases) {
    test_support::reset_thread_state();
    KivClass k;
    k.KivoutCassetteWeight = -1;
    detail::SelectModel(k);  // sets the run constants
    fields(k).SelectedNetArea = number_text(c.area);
    detail::ModelNameAndCassette(k);
    EXPECT_EQ(k.KivOutNOVAFLUXModel.to_text(), c.name);
    if (c.area == 36.0) {
      EXPECT_EQ(k.KivoutCassetteHight, 2550);
      EXPECT_EQ(k.KivoutCassetteWidth, 2550);
      EXPECT_EQ(k.KivoutCassetteDepth, 320);
      EXPECT_EQ(k.KivoutCassetteWeight, 510);
    } else if (c.area == 42.5) {
      EXPECT_EQ(k.KivoutCassetteHight, 0);  // a Null dimension reads as 0
      EXPECT_EQ(k.KivoutCassetteWeight, 600);
    } else {
      EXPECT_EQ(k.KivoutCassetteWeight, -1);  // no dimension row: unchanged
    }
  }
}

}  // namespace
