// Choice of the wheel by the net face area that the larger airflow needs at the design face
// velocity, among the models of the catalogue.
#include <string>

#include "catalogue/catalogue.hpp"
#include "common/ignore_errors.hpp"
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "component/run_steps.hpp"

namespace novaflux::detail {

namespace {

constexpr double kCfmPerCubicMetrePerHour = 0.5885;
constexpr double kStandardDensity = 1.2;  // kg/m3

const Num& area_column(const ModelRow& row, bool without_purge) {
  return without_purge ? row.wonetarearot : row.netarearot;
}

bool is_type(const ModelRow& row, const std::string& type) { return row.type && *row.type == type; }

double value_or_fail(const Num& n) {
  if (!n) throw_type_mismatch();  // a Null cell assigned to a number
  return *n;
}

void normalise_mode_flags(KivClass& k) {
  // Exactly one flag of each group stays set: wet bulb before RH before humidity ratio.
  if (k.KivinputOAUnitDBTWBT) {
    k.KivinputOAUnitDBTRH = false;
    k.KivinputOAUnitDBTGR = false;
  } else if (k.KivinputOAUnitDBTRH) {
    k.KivinputOAUnitDBTWBT = false;
    k.KivinputOAUnitDBTGR = false;
  } else {
    k.KivinputOAUnitDBTGR = true;
    k.KivinputOAUnitDBTWBT = false;
    k.KivinputOAUnitDBTRH = false;
  }
  if (k.get_KivinputRAUnitDBTWBT()) {
    k.KivinputRAUnitDBTRH = false;
    k.KivinputRAUnitDBTGR = false;
    k.put_KivinputRAUnitDBTWBT(true);
  } else if (k.KivinputRAUnitDBTRH) {
    k.KivinputRAUnitDBTGR = false;
    k.put_KivinputRAUnitDBTWBT(false);
  } else {
    k.KivinputRAUnitDBTGR = true;
    k.KivinputRAUnitDBTRH = false;
    k.put_KivinputRAUnitDBTWBT(false);
  }
}

// Supply and return airflows from mass flows, or mass flows from the airflows. IP airflows are
// in cfm and pass through m3/h; kg/h = m3/h x 1.2.
void mass_flows(KivClass& k, bool si) {
  const double to_cubic = si ? 1.0 : 1.0 / kCfmPerCubicMetrePerHour;
  if (k.KivinputMassflowCfm) {
    const double ss = k.KivinputMassflowSs;
    const double es = k.KivinputMassflowEs;
    k.KivinputSupplyAir = si ? vb_round(ss / kStandardDensity, 0)
                             : vb_round(ss / kStandardDensity * kCfmPerCubicMetrePerHour, 0);
    k.KivinputReturnAir = si ? vb_round(es / kStandardDensity, 0)
                             : vb_round(es / kStandardDensity * kCfmPerCubicMetrePerHour, 0);
    k.KivoutMassflowSs = k.KivinputMassflowSs;
    k.KivoutMassflowEs = k.KivinputMassflowEs;
  } else {
    k.KivoutMassflowSs = to_single(k.KivinputSupplyAir * to_cubic * kStandardDensity);
    k.KivoutMassflowEs = to_single(k.KivinputReturnAir * to_cubic * kStandardDensity);
  }
}

}  // namespace

void DeriveOutdoorAndExhaustAir(KivClass& k) {
  auto& s = fields(k);
  s.OutdoorAirflow = vb_round(k.KivinputSupplyAir * module_state().constants.OacfFactor, 0);
  k.KivOutputOutdoorAir = s.OutdoorAirflow;
  k.KivOutputExhaustAir = vb_round(s.OutdoorAirflow - k.KivinputSupplyAir + k.KivinputReturnAir, 0);
}

void SelectModel(KivClass& k) {
  auto& s = fields(k);
  auto& constants = module_state().constants;
  const bool si = k.get_KivunitSI();

  OpenDatabase();
  constants.PerfTypeCode = "N";
  k.KivinputSeries = SeriesList::Novaflux_Sensible;
  constants.RotorDepth = 200;
  s.SizingMode = true;
  constants.ModelTypeCode = "E";
  s.SeriesCode = "F2";

  normalise_mode_flags(k);
  if (s.AirflowUnit < 1 || s.AirflowUnit > 3) s.AirflowUnit = static_cast<int32_t>(UnitList::cmh);

  EATRValue(k);
  constants.OacfFactor = k.KivoutLeakageOacf != 0.0f ? k.KivoutLeakageOacf : 1.0f;

  mass_flows(k, si);
  DeriveOutdoorAndExhaustAir(k);
  if (si) {
    s.SupplyCfm = k.KivinputSupplyAir * kCfmPerCubicMetrePerHour;
    s.ReturnCfm = k.KivinputReturnAir * kCfmPerCubicMetrePerHour;
  } else {
    s.SupplyCfm = k.KivinputSupplyAir;
    s.ReturnCfm = k.KivinputReturnAir;
  }

  // Required net face area of one air side at 600 fpm; the purge sector takes 5 % of the face.
  s.FaceVelocityLimit = 600;
  if (s.SupplyCfm > s.ReturnCfm) {
    s.LargerAirflowCfm = s.SupplyCfm;
    s.SmallerAirflowCfm = s.ReturnCfm;
  } else {
    s.LargerAirflowCfm = s.ReturnCfm;
    s.SmallerAirflowCfm = s.SupplyCfm;
  }
  const bool without_purge = k.get_KivPurgeWithout();
  double area = without_purge ? s.LargerAirflowCfm / s.FaceVelocityLimit
                              : s.LargerAirflowCfm * 1.05 / s.FaceVelocityLimit;
  area = vb_round(area, 2);
  // The smallest and largest wheels of the catalogue bound the search.
  if (without_purge) {
    if (area <= 0.76) area = 0.76;
    if (area >= 102.79) area = 102.79;
  } else {
    if (area <= 0.74) area = 0.74;
    if (area >= 99.79) area = 99.79;
  }
  s.RequiredFaceArea = number_text(area);
  const double required = leading_number(s.RequiredFaceArea);

  const Catalogue& catalogue = CurrentCatalogue();
  const std::string& type = constants.ModelTypeCode;

  const ModelRow* exact = nullptr;
  int exact_count = 0;
  for (const auto& row : catalogue.modelmast) {
    const Num& c = area_column(row, without_purge);
    if (c && *c == required && is_type(row, type)) {
      exact = &row;
      ++exact_count;
    }
  }

  IgnoreErrors region;
  if (exact_count == 1) {
    s.SelectedRotorDia = value_or_fail(exact->rotor_dia);
  } else {
    // Nearest models strictly below and above the required area.
    const ModelRow* below = nullptr;
    const ModelRow* above = nullptr;
    for (const auto& row : catalogue.modelmast) {
      const Num& c = area_column(row, without_purge);
      if (!c || !is_type(row, type)) continue;
      if (*c < required && (!below || *c >= *area_column(*below, without_purge))) below = &row;
      if (*c > required && (!above || *c < *area_column(*above, without_purge))) above = &row;
    }
    region.arm();
    double lower = 0.0, upper = 0.0, lower_dia = 0.0, upper_dia = 0.0;
    if (below) {
      lower = *area_column(*below, without_purge);
      region.run([&] { lower_dia = value_or_fail(below->rotor_dia); });
    }
    if (above) {
      upper = *area_column(*above, without_purge);
      region.run([&] { upper_dia = value_or_fail(above->rotor_dia); });
    }
    if (below && above) {
      // The larger wheel once the required area passes 60 % of the step between the two.
      const double threshold = vb_round(lower + (upper - lower) * 60 / 100, 2);
      s.SelectedRotorDia = required >= threshold ? upper_dia : lower_dia;
    } else if (above) {
      s.SelectedRotorDia = upper_dia;
    } else if (below) {
      s.SelectedRotorDia = lower_dia;
    }
  }

  const ModelRow* chosen = nullptr;
  const double diameter = through_text(s.SelectedRotorDia);
  for (const auto& row : catalogue.modelmast) {
    if (row.rotor_dia && *row.rotor_dia == diameter && is_type(row, type)) {
      chosen = &row;
      break;
    }
  }
  region.run([&] {
    if (!chosen)
      throw RunError(ErrorNumber::Catalogue,
                     "catalogue " + catalogue.path + ": no model of type " + type +
                         " with rotor diameter " + number_text(s.SelectedRotorDia));
    s.SelectedNetArea = number_text(value_or_fail(area_column(*chosen, without_purge)));
    s.SelectedModelId = value_or_fail(chosen->modelid);
  });
}

}  // namespace novaflux::detail
