// The twelve C entry points of libpsylib32.so: argument checks, the mapping of the caller's
// units onto the Handbook's working units, and the call of the relation.
//
// Caller units: IP degF, grains of moisture per lb of dry air (7000 grains = 1 lb), Btu/lb,
// lb/ft3; SI degC, g/kg, kJ/kg, kg/m3; the altitude in metres for both; relative humidity
// results in percent, relative humidity arguments as a fraction.
//
// Hosts call these entries directly, so each computes in the default floating-point state and
// gives the caller its own back (common/fp_state.hpp, compiled into this library too).
#include <atomic>
#include <cmath>
#include <cstdint>

#include "common/fp_state.hpp"
#include "moist_air.hpp"
#include "novaflux/psylib.h"
#include "wet_bulb.hpp"

namespace novaflux::psylib {
namespace {

// Humidity ratio of the caller per kg/kg (lb/lb) of the relations.
template <class U>
constexpr double humidity_scale();
template <>
constexpr double humidity_scale<Si>() { return 1000.0; }  // g/kg
template <>
constexpr double humidity_scale<Ip>() { return 7000.0; }  // grains/lb

template <class U>
double temperature_arg(float t) {
  const double v = t;
  return v < U::kMinTemperature ? U::kMinTemperature : (v > U::kMaxTemperature ? U::kMaxTemperature : v);
}

template <class U>
double humidity_arg(float w) {
  const double v = w / humidity_scale<U>();
  return v < 0.0 ? 0.0 : (v > kMaxHumidityRatio ? kMaxHumidityRatio : v);
}

template <class U>
float humidity_result(double w) {
  const double v = w < 0.0 ? 0.0 : (w > kMaxHumidityRatio ? kMaxHumidityRatio : w);
  return static_cast<float>(v * humidity_scale<U>());
}

bool any_nan(float a, float b) { return std::isnan(a) || std::isnan(b); }

// The barometric pressure of an altitude, computed once per altitude and process (the power is
// a good part of a wet bulb's cost, and a rating asks for the same altitude some thirty times).
// Zero marks a slot not yet filled; every pressure is positive. Two threads filling one slot
// store the same value.
constexpr int kLowestCachedAltitude = -2048;
constexpr int kCachedAltitudes = 16384;  // -2048 .. 14335 m

template <class U>
double pressure(short alt) {
  static std::atomic<double> cache[kCachedAltitudes];
  const int index = alt - kLowestCachedAltitude;
  if (index < 0 || index >= kCachedAltitudes) return pressure_at_altitude<U>(alt);
  std::atomic<double>& slot = cache[index];
  double p = slot.load(std::memory_order_relaxed);
  if (p == 0.0) {
    p = pressure_at_altitude<U>(alt);
    slot.store(p, std::memory_order_relaxed);
  }
  return p;
}

template <class U>
float wet_bulb_entry(float t, float w, short alt) {
  if (any_nan(t, w)) return PSYLIB_NO_VALUE;
  return static_cast<float>(wet_bulb<U>(temperature_arg<U>(t), humidity_arg<U>(w), pressure<U>(alt)));
}

template <class U>
float relative_humidity_entry(float t, float w, short alt) {
  if (any_nan(t, w)) return PSYLIB_NO_VALUE;
  return static_cast<float>(
      100.0 * relative_humidity<U>(temperature_arg<U>(t), humidity_arg<U>(w), pressure<U>(alt)));
}

template <class U>
float enthalpy_entry(float t, float w) {
  if (any_nan(t, w)) return PSYLIB_NO_VALUE;
  return static_cast<float>(enthalpy<U>(temperature_arg<U>(t), humidity_arg<U>(w)));
}

template <class U>
float density_entry(float t, float w, short alt) {
  if (any_nan(t, w)) return PSYLIB_NO_VALUE;
  return static_cast<float>(density<U>(temperature_arg<U>(t), humidity_arg<U>(w), pressure<U>(alt)));
}

template <class U>
float humidity_from_relative_humidity_entry(float t, float rh_fraction, short alt) {
  if (any_nan(t, rh_fraction)) return PSYLIB_NO_VALUE;
  const double phi = rh_fraction < 0.0f ? 0.0 : static_cast<double>(rh_fraction);
  return humidity_result<U>(
      humidity_ratio_from_relative_humidity<U>(temperature_arg<U>(t), phi, pressure<U>(alt)));
}

template <class U>
float humidity_from_wet_bulb_entry(float t, float wet_bulb_t, short alt) {
  if (any_nan(t, wet_bulb_t)) return PSYLIB_NO_VALUE;
  return humidity_result<U>(humidity_ratio_from_wet_bulb<U>(temperature_arg<U>(t), temperature_arg<U>(wet_bulb_t),
                                                            pressure<U>(alt)));
}

}  // namespace
}  // namespace novaflux::psylib

using novaflux::psylib::Ip;
using novaflux::psylib::Si;
namespace p = novaflux::psylib;

// IP family: degF, grains/lb, Btu/lb, lb/ft3.
extern "C" PSYLIB_API float PSYLIB_CALL LCWETBULB(float t, float w, short alt) {
  return novaflux::in_default_state(p::wet_bulb_entry<Ip>, t, w, alt);
}
extern "C" PSYLIB_API float PSYLIB_CALL LCRH(float t, float w, short alt) {
  return novaflux::in_default_state(p::relative_humidity_entry<Ip>, t, w, alt);
}
extern "C" PSYLIB_API float PSYLIB_CALL LCENTHALPY(float t, float w) {
  return novaflux::in_default_state(p::enthalpy_entry<Ip>, t, w);
}
extern "C" PSYLIB_API float PSYLIB_CALL LCDENSITY(float t, float w, short alt) {
  return novaflux::in_default_state(p::density_entry<Ip>, t, w, alt);
}
extern "C" PSYLIB_API float PSYLIB_CALL LCRHTOGR(float t, float rh_fraction, short alt) {
  return novaflux::in_default_state(p::humidity_from_relative_humidity_entry<Ip>, t, rh_fraction, alt);
}
extern "C" PSYLIB_API float PSYLIB_CALL LCWBTOGR(float t, float wet_bulb, short alt) {
  return novaflux::in_default_state(p::humidity_from_wet_bulb_entry<Ip>, t, wet_bulb, alt);
}

// SI family: degC, g/kg, kJ/kg, kg/m3.
extern "C" PSYLIB_API float PSYLIB_CALL LCSI_WETBULB(float t, float w, short alt) {
  return novaflux::in_default_state(p::wet_bulb_entry<Si>, t, w, alt);
}
extern "C" PSYLIB_API float PSYLIB_CALL LCSI_RH(float t, float w, short alt) {
  return novaflux::in_default_state(p::relative_humidity_entry<Si>, t, w, alt);
}
extern "C" PSYLIB_API float PSYLIB_CALL LCSI_ENTHALPY(float t, float w) {
  return novaflux::in_default_state(p::enthalpy_entry<Si>, t, w);
}
extern "C" PSYLIB_API float PSYLIB_CALL LCSI_DENSITY(float t, float w, short alt) {
  return novaflux::in_default_state(p::density_entry<Si>, t, w, alt);
}
extern "C" PSYLIB_API float PSYLIB_CALL LCSI_RHTOGRAMS(float t, float rh_fraction, short alt) {
  return novaflux::in_default_state(p::humidity_from_relative_humidity_entry<Si>, t, rh_fraction, alt);
}
extern "C" PSYLIB_API float PSYLIB_CALL LCSI_WBTOGR(float t, float wet_bulb, short alt) {
  return novaflux::in_default_state(p::humidity_from_wet_bulb_entry<Si>, t, wet_bulb, alt);
}
