// Steps the run drivers do themselves between the calculation steps.
#include <cmath>
#include <string>

#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "component/interface_table.hpp"
#include "component/run_steps.hpp"

namespace novaflux::detail {

void RejectUnusableInputs(const KivClass& k) {
  for (const auto& p : properties()) {
    if (p.role == Role::Out) continue;
    if (p.type != PropType::Double && p.type != PropType::Single) continue;
    double value = 0.0;
    read_number(k, p, value);
    if (!std::isfinite(value)) {
      throw RunError(ErrorNumber::BadInput,
                     "input " + std::string(p.name) + " is not a finite number (" +
                         (std::isnan(value) ? "NaN" : value > 0 ? "+infinity" : "-infinity") +
                         ")");
    }
  }
  // A negative airflow has no physical meaning and would be rated into nonsense (a leaving
  // air hotter than either stream, a negative pressure drop). Only the inputs of the airflow
  // mode in use are judged; zero stays allowed and is reported by the run's warnings.
  const auto reject_negative = [](const char* name, double value) {
    if (value < 0) {
      throw RunError(ErrorNumber::BadInput, "input " + std::string(name) + " is negative (" +
                                                number_text(value) +
                                                "); an airflow must be zero or more");
    }
  };
  if (k.KivinputMassflowCfm) {
    reject_negative("KivinputMassflowSs", k.KivinputMassflowSs);
    reject_negative("KivinputMassflowEs", k.KivinputMassflowEs);
  } else {
    reject_negative("KivinputSupplyAir", k.KivinputSupplyAir);
    reject_negative("KivinputReturnAir", k.KivinputReturnAir);
  }
  // The air-state steps hand the altitude to the psychrometric library as a 16-bit number of
  // metres; one beyond that range could never be rated and must not be skipped silently.
  try {
    to_int16(k.KivinputAltitude);
  } catch (const RunError&) {
    throw RunError(ErrorNumber::Overflow, "Overflow: input KivinputAltitude " +
                                              number_text(k.KivinputAltitude) +
                                              " m is outside -32768 .. 32767 m");
  }
}

void WetBulbCopies(KivClass& k) {
  const auto& air = module_state().air;
  if (k.KivinputOAUnitDBTRH) {
    k.KivoutOAS_WBT = air.OutdoorSummerState.WBT;
    k.KivoutOAW_WBT = air.OutdoorWinterState.WBT;
  }
  if (!k.get_KivinputRAUnitDBTWBT()) {
    k.KivoutRaS_WBT = air.ReturnSummerState.WBT;
    k.KivoutRaW_WBT = air.ReturnWinterState.WBT;
  }
}

void ClampAltitudeAndPressure(KivClass& k) {
  if (k.KivinputAltitude >= 4000) k.KivinputAltitude = 4000;
  if (k.KivinputAltitude < -500) k.KivinputAltitude = -500;
  // Standard atmosphere: p = 101.325 (1 - 6.8754e-6 Z)^5.2559 kPa, Z in feet.
  const double feet = k.KivinputAltitude * 3.28084;
  constexpr double kLapse = 1e-6 * 6.8754;
  k.KivoutAtmPressure = vb_round(101.32535313384 * std::pow(1 - kLapse * feet, 5.2559), 3);
}

void RoundAirflows(KivClass& k) {
  // The airflow unit is m3/h after the selection; each flow passes through its text form.
  for (double* flow : {&k.KivinputSupplyAir, &k.KivinputReturnAir, &k.KivOutputOutdoorAir,
                       &k.KivOutputExhaustAir}) {
    *flow = vb_round(through_text(*flow), 0);
  }
}

namespace {
double selected_area(const ObjectState& s) {
  if (s.SelectedNetArea.is_text()) return leading_number(s.SelectedNetArea.text());
  return s.SelectedNetArea.number();
}

// The pressure-drop lookup takes m3/h; IP runs hold their actual airflows in cfm.
Variant flow_in_cubic_metres_per_hour(const Variant& flow, bool unit_si) {
  if (unit_si || flow.is_empty()) return flow;
  return Variant(checked_div(flow.to_number(), 0.59));
}
}  // namespace

void ActualPressureDrops(KivClass& k) {
  auto& s = fields(k);
  auto& m = module_state();
  const double area = selected_area(s);
  const bool si = s.UnitSI;

  PdropOtherCalculate(k, flow_in_cubic_metres_per_hour(m.actual.ActualSupplyFlowSummer, si),
                      flow_in_cubic_metres_per_hour(m.actual.ActualReturnFlowSummer, si), area);
  k.KivoutPDActualSupplyS = to_single(m.performance.SupplyPressureDrop.to_number());
  k.KivoutPDActualExhaustS = to_single(m.performance.ExhaustPressureDrop.to_number());

  PdropOtherCalculate(k, flow_in_cubic_metres_per_hour(m.actual.ActualSupplyFlowWinter, si),
                      flow_in_cubic_metres_per_hour(m.actual.ActualReturnFlowWinter, si), area);
  k.KivoutPDActualSupplyW = to_single(m.performance.SupplyPressureDrop.to_number());
  k.KivoutPDActualExhaustW = to_single(m.performance.ExhaustPressureDrop.to_number());
}

void ClearErrorState(KivClass& k) {
  k.KivOutErrorMsg = "";
  k.KivOutErrorCode = 0;
}

void RateSelectedModel(KivClass& k) {
  SummerPerformance(k);
  ModelNameAndCassette(k);
  WetBulbCopies(k);
}

void CalculateOutput(KivClass& k) {
  RejectUnusableInputs(k);
  RunScope run;
  ClearErrorState(k);
  SelectModel(k);
  RateSelectedModel(k);
  ClampAltitudeAndPressure(k);
  RoundAirflows(k);
  ActualAirflows(k);
  ActualPressureDrops(k);
}

}  // namespace novaflux::detail
