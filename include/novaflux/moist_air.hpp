#pragma once
// Moist-air relations for charts and checks, through the psychrometric library the component
// binds (libpsylib32 in its folder): SI family (°C, g/kg, kJ/kg) when si is true, IP (°F,
// grains/lb, Btu/lb) otherwise. The altitude is in metres and sets the barometric pressure.
// Each function throws the component's run error when the library cannot be loaded.
namespace novaflux::moist_air {

// Humidity ratio of saturated air at dry bulb t (over ice at or below the triple point).
double saturation_humidity_ratio(double t, bool si, double altitude_m);

// Humidity ratio at dry bulb t and relative humidity rh (percent).
double humidity_ratio_at_rh(double t, double rh_percent, bool si, double altitude_m);

// Humidity ratio at dry bulb t and enthalpy h; may be negative when h is below that of dry air.
double humidity_ratio_at_enthalpy(double t, double h, bool si);

// Enthalpy at dry bulb t and humidity ratio w.
double enthalpy(double t, double w, bool si);

// The dry bulb at which air of humidity ratio w is saturated: its frost point below freezing,
// its dew point above. Found to 0.001 K between -100 and 200 °C.
double saturation_temperature(double w, bool si, double altitude_m);

// Density of moist air at dry bulb t and humidity ratio w: kg/m3 (SI), lb/ft3 (IP).
double density(double t, double w, bool si, double altitude_m);

// Barometric pressure of the standard atmosphere at the altitude, kPa.
double barometric_pressure_kpa(double altitude_m);

}  // namespace novaflux::moist_air
