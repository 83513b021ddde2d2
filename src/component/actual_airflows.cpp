// Airflows at the density of the air next to the wheel: the pressure-drop curve holds
// standard-density values (1.2 kg/m3), so the run looks it up with the volume the air
// actually occupies.
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "component/run_steps.hpp"
#include "psychrometrics/psy_binding.hpp"

namespace novaflux::detail {

namespace {
constexpr double kStandardDensity = 1.2;  // kg/m3
}

void ActualAirflows(KivClass& k) {
  auto& m = module_state();
  m.psychro.WetBulbInputMode = !((!k.KivinputOAUnitDBTRH && k.KivinputOAUnitDBTGR) ||
                                 (!k.KivinputOAUnitDBTGR && k.KivinputOAUnitDBTRH));
  const double supply = through_text(k.KivinputSupplyAir);
  const double ret = to_int32(through_text(k.KivinputReturnAir));
  const int16_t alt = to_int16(to_single(k.KivinputAltitude));
  const bool si = k.get_KivunitSI();
  const PsyFunctions& f = psy();

  // The density routine works in degC and g/kg; IP states are converted on the way.
  auto density = [&](double t, double w) {
    if (!si) {
      t = (t - 32) / 1.8;
      w = w / 7;
    }
    return static_cast<double>(f.LCSI_DENSITY(to_single(t), to_single(w), alt));
  };
  auto set_flow = [&](Variant& flow, double airflow, double t, double w) {
    const double rho = density(t, w);
    if (rho > 0) flow = checked_div(kStandardDensity * airflow, rho);
  };

  auto& a = m.actual;
  set_flow(a.ActualSupplyFlowSummer, supply, k.KivoutSaS_DBT, k.KivoutSaS_AbsHum);
  set_flow(a.ActualSupplyFlowWinter, supply, k.KivoutSaW_DBT, k.KivoutSaW_AbsHum);
  set_flow(a.ActualReturnFlowSummer, ret, k.KivinputRaS_DBT, k.KivoutRaS_AbsHum);
  set_flow(a.ActualReturnFlowWinter, ret, k.KivinputRaW_DBT, k.KivoutRaW_AbsHum);

  // An empty flow (a density never positive) stays empty.
  for (Variant* flow : {&a.ActualSupplyFlowSummer, &a.ActualSupplyFlowWinter,
                        &a.ActualReturnFlowSummer, &a.ActualReturnFlowWinter}) {
    if (!flow->is_empty()) *flow = vb_round(flow->to_number(), 0);
  }
}

}  // namespace novaflux::detail
