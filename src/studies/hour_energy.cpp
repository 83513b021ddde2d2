// What the wheel does in a rated hour (the usual control of a rotary exchanger) and the energy
// of that hour, in full precision from the rating's air states.
//
// Recovered: supply mass flow x enthalpy change of the supply air, split into the sensible
// part (the dry-bulb change at the outdoor humidity ratio) and the latent part (the rest).
// Fans: the air volume at its actual density times the pressure drop, over the fans' total
// efficiency. Motor: the drive motor's power while the rotor turns. The psychrometric library
// gives enthalpies (kJ/kg from 0 °C) and densities in SI; IP states are converted on the way.
#include "novaflux/moist_air.hpp"
#include "studies/hour_rating.hpp"

namespace novaflux {

namespace {

class SiAir {
public:
  SiAir(bool si, double altitude_m) : si_(si), altitude_m_(altitude_m) {}
  double t(double t) const { return si_ ? t : (t - 32.0) / 1.8; }          // °C
  double w(double w) const { return si_ ? w : w / 7.0; }                     // g/kg
  double h(double t_, double w_) const { return moist_air::enthalpy(t(t_), w(w_), true); }  // kJ/kg
  double rho(double t_, double w_) const { return moist_air::density(t(t_), w(w_), true, altitude_m_); }  // kg/m³

private:
  bool si_;
  double altitude_m_;
};

}  // namespace

void hour_control_and_energy(const StudySetup& s, const HourFigures& rated, HourResult& h) {
  const AnnualOptions& o = s.options;
  const SiAir air(s.si, s.altitude_m);
  const double t_in = rated.entering_t;  // the air entering the wheel, as rated
  const bool heating_side = t_in < rated.winter.return_t;
  const bool cooling_side = !heating_side && t_in > rated.summer.return_t;
  const SeasonFigures& f = heating_side ? rated.winter : rated.summer;
  h.entering_dry_bulb = t_in;
  h.entering_humidity_ratio = f.outdoor_w;
  h.winter_figures = heating_side;
  h.supply_dry_bulb = f.supply_t;
  h.supply_humidity_ratio = f.supply_w;
  h.exhaust_dry_bulb = f.exhaust_t;
  h.sensible_efficiency = f.efficiency;
  h.supply_pdrop_pa = f.supply_dp;
  h.exhaust_pdrop_pa = f.exhaust_dp;

  if (heating_side) {
    const bool frost = rated.frost_risk;
    if (o.supply_control && t_in >= s.setpoint) {
      h.mode = HourMode::FreeCooling;
    } else if (frost && o.frost_control == FrostControl::Stop) {
      h.mode = HourMode::FrostStop;
      h.frost_risk = true;
    } else {
      h.mode = HourMode::Heating;
      h.frost_risk = frost;
      h.fraction = 1.0;
      // The rotor slows until the supply air leaves at the set point.
      if (o.supply_control && f.supply_t > s.setpoint) h.fraction = (s.setpoint - t_in) / (f.supply_t - t_in);
    }
  } else if (cooling_side) {
    h.mode = HourMode::Cooling;
    h.fraction = 1.0;
  } else {
    h.mode = HourMode::Stopped;
  }

  const double m_supply = rated.supply_kg_h / 3600.0;  // kg/s
  const double m_return = rated.return_kg_h / 3600.0;
  if (h.fraction > 0) {
    const double h_out = air.h(t_in, f.outdoor_w);
    const double sensible = m_supply * (air.h(f.supply_t, f.outdoor_w) - h_out) * h.fraction;
    const double total = m_supply * (air.h(f.supply_t, f.supply_w) - h_out) * h.fraction;
    if (h.mode == HourMode::Heating) {
      h.heating_sensible_kw = sensible;
      h.heating_kw = total;
      h.heating_latent_kw = total - sensible;
    } else {
      h.cooling_sensible_kw = -sensible;
      h.cooling_kw = -total;
      h.cooling_latent_kw = sensible - total;
    }
    h.motor_kw = rated.motor_kw;
  }
  if (o.frost_control == FrostControl::Preheat && h.outdoor_dry_bulb < o.preheat_to)
    h.preheat_kw = m_supply * (air.h(o.preheat_to, f.outdoor_w) - air.h(h.outdoor_dry_bulb, f.outdoor_w));
  // Air passes the wheel whether it turns or not; the pressure drops hold for the air
  // leaving on the supply side and the return air entering on the exhaust side.
  const double watts = m_supply / air.rho(f.supply_t, f.supply_w) * f.supply_dp +
                       m_return / air.rho(f.return_t, f.return_w) * f.exhaust_dp;
  h.fan_kw = watts / o.fan_efficiency / 1000.0;
}

}  // namespace novaflux
