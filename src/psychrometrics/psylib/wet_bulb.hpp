#pragma once
// The thermodynamic wet-bulb relation (ASHRAE Handbook Fundamentals 2017, ch. 1, eq. 33 for a
// wetted wick at or above freezing, eq. 35 for an iced wick below) and its inverse.
//
// The two forms do not meet at the freezing point: with the dry bulb above freezing the iced form
// at t* = 0- gives a larger humidity ratio than the wetted form at t* = 0, so a narrow band of
// humidity ratios (about 0.2 g/kg wide at 5 degC) satisfies both, once just above and once just
// below freezing. The solver takes the wetted-wick root whenever one exists; the iced form is used
// only for humidity ratios that no wick at or above freezing can reach.
#include <cmath>

#include "moist_air.hpp"

namespace novaflux::psylib {

// W from the relation at dry bulb t and wet bulb tw, with dW/dtw and d2W/dtw2 for the solver.
struct WetBulbPoint {
  double w;
  double dw_dtw;
  double d2w_dtw2;
};

template <class U>
inline WetBulbPoint wet_bulb_relation(const WetBulbForm& form, double t, double tw, const SaturationHumidity& s) {
  // W = N / D with N = (a - b t*) Ws* - cpa (t - t*) and D = a + cpv t - c t*, D' = -c.
  const double latent = form.a - form.b * tw;
  const double n = latent * s.w - U::kCpAir * (t - tw);
  const double d = form.a + U::kCpVapour * t - form.c * tw;
  const double dn = -form.b * s.w + latent * s.dw_dt + U::kCpAir;
  const double d2n = -2.0 * form.b * s.dw_dt + latent * s.d2w_dt2;
  const double w = n / d;
  const double dw = (dn + form.c * w) / d;
  return {w, dw, (d2n + 2.0 * form.c * dw) / d};
}

template <class U>
inline WetBulbPoint wet_bulb_relation(const WetBulbForm& form, double t, double tw, double p) {
  return wet_bulb_relation<U>(form, t, tw, saturation_humidity_ratio<U>(tw, p));
}

// The form that applies at wet bulb tw.
template <class U>
inline const WetBulbForm& wet_bulb_form(double tw) {
  return tw >= U::kFreezingPoint ? U::kWettedWick : U::kIcedWick;
}

// Humidity ratio from dry bulb and wet bulb. A wet bulb above the dry bulb continues the same
// relation and gives a humidity ratio above saturation.
template <class U>
inline double humidity_ratio_from_wet_bulb(double t, double tw, double p) {
  return wet_bulb_relation<U>(wet_bulb_form<U>(tw), t, tw, p).w;
}

// Convergence of the wet-bulb solver, in kelvin. Near the root Halley's error is cubed with every
// step, so a step shorter than kStepStop leaves an error far below 1e-6 K; a bisection step gives
// no such guarantee and the bracket itself must then shrink below kBracketStop. Both are well
// inside the 0.001 K the wet bulb is quoted to.
inline constexpr double kStepStop = 1e-3;
inline constexpr double kBracketStop = 1e-5;

// Wet bulb from dry bulb t and humidity ratio w at pressure p: Newton's method with Halley's
// curvature correction on the relation of the chosen wick form, kept inside a bracket that every
// evaluation narrows. A step that would leave the bracket (or a flat slope) is replaced by
// bisection, so the solver always ends within a fixed number of evaluations, even where the
// relation has no root (it then returns the bracket end). The relation is increasing and convex in
// t*; from the dry bulb the corrected step lands close to the root, and two to four evaluations
// usually suffice (plain Newton needs one more, each costing an exp and a log in sequence).
template <class U>
inline double wet_bulb(double t, double w, double p) {
  const SaturationHumidity at_freezing = saturation_humidity_ratio(saturation_at_freezing<U>(), p);
  const bool wetted = w >= wet_bulb_relation<U>(U::kWettedWick, t, U::kFreezingPoint, at_freezing).w;
  const WetBulbForm& form = wetted ? U::kWettedWick : U::kIcedWick;
  double lo = wetted ? U::kFreezingPoint : U::kMinTemperature;
  double hi = wetted ? U::kMaxTemperature : U::kFreezingPoint;
  // At t* = t the relation gives Ws(t), so the dry bulb is the natural start: an unsaturated state
  // has its root below it.
  double x = t < lo ? lo : (t > hi ? hi : t);
  for (int i = 0; i < 100; ++i) {
    const WetBulbPoint point = wet_bulb_relation<U>(form, t, x, p);
    const double f = point.w - w;
    if (f == 0.0) return x;
    if (f > 0.0)
      hi = x;
    else
      lo = x;
    const double halley = 2.0 * point.dw_dtw * point.dw_dtw - f * point.d2w_dtw2;
    const double step = halley > 0.0 ? -2.0 * f * point.dw_dtw / halley : -f / point.dw_dtw;
    const double next = x + step;
    if (point.dw_dtw > 0.0 && next > lo && next < hi) {
      if (std::fabs(step) < kStepStop * U::kDegreesPerKelvin) return next;
      x = next;
    } else {
      x = 0.5 * (lo + hi);
      if (hi - lo < kBracketStop * U::kDegreesPerKelvin) return x;
    }
  }
  return x;
}

}  // namespace novaflux::psylib
