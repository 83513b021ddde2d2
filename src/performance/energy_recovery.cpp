// Heat flows of the outdoor air with and without the wheel, in kW. The arithmetic is done in
// IP units (cfm, degF, grains/lb, Btu/lb); SI inputs are converted on the way.
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "component/run_steps.hpp"

namespace novaflux::detail {

namespace {
constexpr double kBtuPerHourPerKw = 3412;
constexpr double kSensibleFactor = 1.08;  // Btu/h per (cfm degF)
constexpr double kLatentFactor = 0.67;    // Btu/h per (cfm grain/lb)
constexpr double kFahrenheitPerKelvin = 1.8;
constexpr double kGrainsPerGram = 7.0;    // grains/lb per g/kg
constexpr double kCfmPerCubicMetrePerHour = 0.59;
constexpr double kSpecificVolume = 14.0;  // ft3/lb
constexpr double kKjPerKgPerBtuPerLb = 2.33;
constexpr double kBtuPerHourPerTon = 12000;
constexpr double kKwPerTon = 3.52;
}  // namespace

double RefrigerationTons(double& h1, double h2, double v, double flow) {
  h1 = vb_round(h1, 1);
  double t = checked((flow * (h1 - h2)) * checked_div(60, v));
  if (module_state().UnitSIFlag) t = t / kKjPerKgPerBtuPerLb;
  t = t / kBtuPerHourPerTon;
  return vb_round(t, 1);
}

void TotalRecoveryKw(KivClass& k) {
  auto& m = module_state();
  auto& air = m.air;
  const double cfm = fields(k).SupplyCfm;
  m.AirSpecificVolume = kSpecificVolume;
  // The outdoor enthalpies stay rounded to 1 decimal for every later reader.
  k.KivoutERWithWheelTotalSummer_KW = vb_round(
      vb_round(RefrigerationTons(air.OutdoorSummerState.Enthalpy, air.SupplySummerState.Enthalpy,
                                 m.AirSpecificVolume, cfm) * kKwPerTon, 2), 0);
  k.KivoutERWithWheelTotalWinter_KW = vb_round(
      vb_round(RefrigerationTons(air.OutdoorWinterState.Enthalpy, air.SupplyWinterState.Enthalpy,
                                 m.AirSpecificVolume, cfm) * kKwPerTon, 2), 0);
}

void EnergyWithAndWithoutWheel(KivClass& k, const IgnoreErrors& region) {
  auto& p = module_state().performance;
  const bool si = k.get_KivunitSI();
  const double flow = si ? k.KivinputSupplyAir * kCfmPerCubicMetrePerHour : k.KivinputSupplyAir;
  auto sensible_kw = [&](double dt) {
    const double dt_f = si ? dt * kFahrenheitPerKelvin : dt;
    return vb_round(checked(dt_f * kSensibleFactor * flow) / kBtuPerHourPerKw, 0);
  };
  auto latent_kw = [&](double dw) {
    const double dw_gr = si ? dw * kGrainsPerGram : dw;
    return vb_round(checked(dw_gr * kLatentFactor * flow) / kBtuPerHourPerKw, 0);
  };

  // Without the wheel: the outdoor air brought to the return-air condition.
  region.run([&] { k.KivoutERWoutWheelSummerCondensation_KW = sensible_kw(k.KivinputOAS_DBT - k.KivinputRaS_DBT); });
  region.run([&] { k.KivoutERWoutWheelWinterCondensation_KW = sensible_kw(k.KivinputOAW_DBT - k.KivinputRaW_DBT); });
  region.run([&] { k.KivoutERWoutWheelSummerLatent_KW = latent_kw(k.KivoutOAS_AbsHum - k.KivoutRaS_AbsHum); });
  region.run([&] { k.KivoutERWoutWheelWinterLatent_KW = latent_kw(k.KivoutOAW_AbsHum - k.KivoutRaW_AbsHum); });
  region.run([&] {
    k.KivoutERWoutWheelTotalSummer_KW = k.KivoutERWoutWheelSummerCondensation_KW + k.KivoutERWoutWheelSummerLatent_KW;
  });
  region.run([&] {
    k.KivoutERWoutWheelTotalWinter_KW = k.KivoutERWoutWheelWinterCondensation_KW + k.KivoutERWoutWheelWinterLatent_KW;
  });

  // Latent part with the wheel, scaled by the share of the latent efficiency in the total.
  if (si) region.run([&] { k.KivoutOAW_AbsHum = vb_round(k.KivoutOAW_AbsHum, 1); });
  region.run([&] { k.KivoutERWithWheelSummerLatent_KW = latent_kw(k.KivoutOAS_AbsHum - k.KivoutSaS_AbsHum); });
  region.run([&] {
    k.KivoutERWithWheelSummerLatent_KW = vb_round(
        checked_div(k.KivoutERWithWheelSummerLatent_KW * p.SummerSupplyLEfficiency.to_number(),
                    p.SummerSupplyEfficiency.to_number()), 0);
  });
  region.run([&] { k.KivoutERWithWheelWinterLatent_KW = latent_kw(k.KivoutOAW_AbsHum - k.KivoutSaW_AbsHum); });
  region.run([&] {
    k.KivoutERWithWheelWinterLatent_KW = vb_round(
        checked_div(k.KivoutERWithWheelWinterLatent_KW * p.WinterSupplyLEfficiency.to_number(),
                    p.WinterSupplyEfficiency.to_number()), 0);
  });

  // Summer: the enthalpy figure is the sensible part and the latent part comes on top.
  // Winter: the enthalpy figure is the total and the latent part is split off from it.
  region.run([&] { k.KivoutERWithWheelSummerCondensation_KW = k.KivoutERWithWheelTotalSummer_KW; });
  region.run([&] {
    k.KivoutERWithWheelWinterCondensation_KW = k.KivoutERWithWheelTotalWinter_KW - k.KivoutERWithWheelWinterLatent_KW;
  });
  region.run([&] {
    k.KivoutERWithWheelTotalSummer_KW = k.KivoutERWithWheelSummerCondensation_KW + k.KivoutERWithWheelSummerLatent_KW;
  });
}

}  // namespace novaflux::detail
