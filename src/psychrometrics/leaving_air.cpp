// The four air states leaving the wheel, from the entering states and the efficiencies.
#include <array>
#include <cmath>

#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "component/run_steps.hpp"
#include "psychrometrics/state_completion.hpp"

namespace novaflux::detail {

namespace {

// Supply air leaves the wheel moved from the outdoor value toward the return value.
double supply_leaving(double outdoor, double ret, double efficiency) {
  return vb_round(outdoor - (efficiency / 100) * (outdoor - ret), 1);
}

// Exhaust air leaves the wheel moved from the return value toward the outdoor value.
double exhaust_leaving(double outdoor, double ret, double efficiency) {
  return vb_round(ret + (efficiency / 100) * (outdoor - ret), 1);
}

AirState complete(double dbt, double w, bool supply, int unit, int16_t alt) {
  auto& work = module_state().psychro.HumidityRatioWork;
  work = w;
  const StateResult r = StateFromDbtW(unit, dbt, work, alt);
  AirState s;
  s.DBT = dbt;
  s.WBT = vb_round(r.wet_bulb, 1);
  s.RH = vb_round(r.rh, 1);
  s.Enthalpy = vb_round(r.enthalpy, 1);
  s.AbsHum = (!supply || s.RH == 99.9) ? vb_round(work, 1) : w;
  return s;
}

// The five published properties of a leaving state.
struct Published {
  bool supply;
  double KivClass::*dbt, KivClass::*wbt, KivClass::*rh, KivClass::*abshum, KivClass::*enthalpy;
};
constexpr Published kSupplySummer{true, &KivClass::KivoutSaS_DBT, &KivClass::KivoutSaS_WBT, &KivClass::KivoutSaS_RH,
                                  &KivClass::KivoutSaS_AbsHum, &KivClass::KivoutSaS_Enthalpy};
constexpr Published kSupplyWinter{true, &KivClass::KivoutSaW_DBT, &KivClass::KivoutSaW_WBT, &KivClass::KivoutSaW_RH,
                                  &KivClass::KivoutSaW_AbsHum, &KivClass::KivoutSaW_Enthalpy};
constexpr Published kExhaustSummer{false, &KivClass::KivoutEaS_DBT, &KivClass::KivoutEaS_WBT, &KivClass::KivoutEaS_RH,
                                   &KivClass::KivoutEaS_AbsHum, &KivClass::KivoutEaS_Enthalpy};
constexpr Published kExhaustWinter{false, &KivClass::KivoutEaW_DBT, &KivClass::KivoutEaW_WBT, &KivClass::KivoutEaW_RH,
                                   &KivClass::KivoutEaW_AbsHum, &KivClass::KivoutEaW_Enthalpy};

// The supply humidity ratios are rounded to one decimal once more on the way out.
void publish(KivClass& k, const AirState& state, const Published& to) {
  k.*to.dbt = state.DBT;
  k.*to.wbt = state.WBT;
  k.*to.rh = state.RH;
  k.*to.abshum = to.supply ? vb_round(state.AbsHum, 1) : state.AbsHum;
  k.*to.enthalpy = state.Enthalpy;
}

}  // namespace

void CondensationCheck(KivClass& k) {
  ResolveOutdoorSummer(k);
  ResolveOutdoorWinter(k);
  ResolveReturnSummer(k);
  ResolveReturnWinter(k);

  auto& m = module_state();
  auto& p = m.performance;
  auto& a = m.air;
  const int unit = static_cast<int>(to_int16(m.psychro.UnitSelector));
  const int16_t alt = to_int16(k.KivinputAltitude);
  const AirState& os = a.OutdoorSummerState;
  const AirState& ow = a.OutdoorWinterState;
  const AirState& rs = a.ReturnSummerState;
  const AirState& rw = a.ReturnWinterState;

  // The supply dry bulb keeps its sign (winter supply air may leave below zero); a humidity
  // ratio cannot be negative, so its magnitude is taken.
  a.SupplySummerState = complete(
      supply_leaving(os.DBT, rs.DBT, p.SummerSupplyEfficiency.to_number()),
      std::fabs(supply_leaving(os.AbsHum, rs.AbsHum, p.SummerSupplyLEfficiency.to_number())), true,
      unit, alt);
  a.SupplyWinterState = complete(
      supply_leaving(ow.DBT, rw.DBT, p.WinterSupplySEfficiency.to_number()),
      std::fabs(supply_leaving(ow.AbsHum, rw.AbsHum, p.WinterSupplyLEfficiency.to_number())), true,
      unit, alt);
  a.ExhaustSummerState = complete(
      exhaust_leaving(os.DBT, rs.DBT, p.SummerExhaustEfficiency.to_number()),
      exhaust_leaving(os.AbsHum, rs.AbsHum, p.SummerExhaustLEfficiency.to_number()), false, unit, alt);
  a.ExhaustWinterState = complete(
      exhaust_leaving(ow.DBT, rw.DBT, p.WinterExhaustSEfficiency.to_number()),
      exhaust_leaving(ow.AbsHum, rw.AbsHum, p.WinterExhaustLEfficiency), false, unit, alt);

  publish(k, a.SupplySummerState, kSupplySummer);
  publish(k, a.SupplyWinterState, kSupplyWinter);
  publish(k, a.ExhaustSummerState, kExhaustSummer);
  publish(k, a.ExhaustWinterState, kExhaustWinter);
}

}  // namespace novaflux::detail
