#include "novaflux/moist_air.hpp"

#include <algorithm>
#include <cmath>

#include "common/fp_state.hpp"
#include "common/numeric.hpp"
#include "psychrometrics/psy_binding.hpp"

namespace novaflux::moist_air {

namespace {

// The library takes the altitude as whole metres in 16 bits; a run has already refused an
// altitude beyond that, so values outside are only clamped here.
short library_altitude(double altitude_m) {
  const double a = std::clamp(vb_round(altitude_m, 0), -32768.0, 32767.0);
  return static_cast<short>(a);
}

double rh_humidity(double t, double rh_percent, bool si, double altitude_m) {
  const PsyFunctions& f = psy();
  const auto fn = si ? f.LCSI_RHTOGRAMS : f.LCRHTOGR;
  return fn(static_cast<float>(t), static_cast<float>(rh_percent / 100.0), library_altitude(altitude_m));
}

double saturation_humidity(double t, bool si, double altitude_m) {
  return rh_humidity(t, 100.0, si, altitude_m);
}

double enthalpy_at(double t, double w, bool si) {
  const PsyFunctions& f = psy();
  return (si ? f.LCSI_ENTHALPY : f.LCENTHALPY)(static_cast<float>(t), static_cast<float>(w));
}

// Enthalpy is linear in the humidity ratio at a fixed dry bulb, so two library values give it.
double enthalpy_humidity(double t, double h, bool si) {
  const double scale = si ? 10.0 : 70.0;  // g/kg or grains/lb: a span well inside float precision
  const double h0 = enthalpy_at(t, 0.0, si);
  const double h1 = enthalpy_at(t, scale, si);
  return (h - h0) / (h1 - h0) * scale;
}

double saturation_dry_bulb(double w, bool si, double altitude_m) {
  double lo = si ? -100.0 : -148.0;
  double hi = si ? 200.0 : 392.0;
  const double tolerance = si ? 0.001 : 0.0018;
  while (hi - lo > tolerance) {
    const double mid = 0.5 * (lo + hi);
    if (saturation_humidity(mid, si, altitude_m) < w) lo = mid;
    else hi = mid;
  }
  return 0.5 * (lo + hi);
}

double air_density(double t, double w, bool si, double altitude_m) {
  const PsyFunctions& f = psy();
  const auto fn = si ? f.LCSI_DENSITY : f.LCDENSITY;
  return fn(static_cast<float>(t), static_cast<float>(w), library_altitude(altitude_m));
}

double standard_pressure(double altitude_m) {
  // Standard atmosphere, ASHRAE Handbook Fundamentals 2017, ch. 1, eq. 3 (Z in m).
  return 101.325 * std::pow(1.0 - 2.25577e-5 * altitude_m, 5.2559);
}

}  // namespace

// The public functions compute in the default floating-point state (common/fp_state.hpp).

double humidity_ratio_at_rh(double t, double rh_percent, bool si, double altitude_m) {
  return in_default_state(rh_humidity, t, rh_percent, si, altitude_m);
}

double saturation_humidity_ratio(double t, bool si, double altitude_m) {
  return in_default_state(saturation_humidity, t, si, altitude_m);
}

double enthalpy(double t, double w, bool si) { return in_default_state(enthalpy_at, t, w, si); }

double humidity_ratio_at_enthalpy(double t, double h, bool si) {
  return in_default_state(enthalpy_humidity, t, h, si);
}

double saturation_temperature(double w, bool si, double altitude_m) {
  return in_default_state(saturation_dry_bulb, w, si, altitude_m);
}

double density(double t, double w, bool si, double altitude_m) {
  return in_default_state(air_density, t, w, si, altitude_m);
}

double barometric_pressure_kpa(double altitude_m) { return in_default_state(standard_pressure, altitude_m); }

}  // namespace novaflux::moist_air
