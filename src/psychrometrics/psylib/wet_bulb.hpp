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

// The saturation pressure in cubic Hermite pieces between nodes 2 K apart over the whole
// temperature range, from the exact pressure and slope at the nodes: no exp and no log, within a
// few parts in a million of the exact equations (about 1e-5 K in a wet bulb) away from the triple
// point. It only leads the solver to the root; the result comes from the exact equations.
template <class U>
class SaturationTable {
public:
  static const SaturationTable& instance() {
    static const SaturationTable table;
    return table;
  }

  // Pressure and its first two temperature derivatives at t (in the range).
  void at(double t, double& pws, double& dp, double& d2p) const {
    double u = (t - U::kMinTemperature) * kInvStep;
    int i = static_cast<int>(u);
    i = i < 0 ? 0 : (i >= kPieces ? kPieces - 1 : i);
    u -= i;
    const Piece& c = pieces_[i];
    pws = c.c0 + u * (c.c1 + u * (c.c2 + u * c.c3));
    dp = (c.c1 + u * (2.0 * c.c2 + u * 3.0 * c.c3)) * kInvStep;
    d2p = (2.0 * c.c2 + u * 6.0 * c.c3) * (kInvStep * kInvStep);
  }

private:
  static constexpr double kStep = 2.0 * U::kDegreesPerKelvin;
  static constexpr double kInvStep = 1.0 / kStep;
  static constexpr int kPieces = static_cast<int>((U::kMaxTemperature - U::kMinTemperature) / kStep + 0.5);

  struct Piece {  // the cubic in u = (t - t_i) / kStep
    double c0, c1, c2, c3;
  };

  SaturationTable() {
    for (int i = 0; i < kPieces; ++i) {
      // Both ends of a piece with the phase of its interior: the piece above freezing holds the
      // triple point, and mixing the phases would spoil it.
      const double t0 = U::kMinTemperature + i * kStep;
      const bool liquid = t0 + 0.5 * kStep > U::kTriplePoint;
      const Saturation a = saturation_over<U>(t0, liquid), b = saturation_over<U>(t0 + kStep, liquid);
      const double p0 = a.pressure, p1 = b.pressure;
      const double m0 = a.pressure * a.dln_dt * kStep, m1 = b.pressure * b.dln_dt * kStep;
      pieces_[i] = {p0, m0, 3.0 * (p1 - p0) - 2.0 * m0 - m1, 2.0 * (p0 - p1) + m0 + m1};
    }
  }

  Piece pieces_[kPieces];
};

// One Halley step on the wet-bulb relation at t*, given the saturation pressure there and its
// first two derivatives. The relation is taken as F = (a - b t*) Ws - cpa (t - t*) - W (a + cpv t
// - c t*), which has the sign of the relation's W minus the target W (the denominator is
// positive), and F, F', F'' are all multiplied by r^3 with r = p - pws: the step
// 2 F F' / (2 F'^2 - F F'') is unchanged and the step's is the only division.
struct HalleyStep {
  double f;      // sign of the relation minus the target
  double slope;  // sign of the relation's slope
  double step;
};

template <class U>
inline HalleyStep halley_step(const WetBulbForm& form, double t, double w, double p, double tw, double pws,
                              double dp, double d2p) {
  const double latent = form.a - form.b * tw;
  const double others = U::kCpAir * (t - tw) + w * (form.a + U::kCpVapour * t - form.c * tw);
  const double others_slope = U::kCpAir + w * form.c;  // minus the t*-slope of `others`
  double f, df, d2f;
  if (pws >= vapour_pressure_limit(p)) {
    // Ws held at its limit, without slope.
    f = latent * kMaxHumidityRatio - others;
    df = others_slope - form.b * kMaxHumidityRatio;
    d2f = 0.0;
  } else {
    const double r = p - pws, r2 = r * r, mp = kMassRatio * p;
    // Ws r = m pws, Ws' r^2 = m p pws', Ws'' r^3 = m p (pws'' r + 2 pws'^2).
    const double ws_r = kMassRatio * pws, dws_r2 = mp * dp, d2ws_r3 = mp * (d2p * r + 2.0 * dp * dp);
    f = r2 * (latent * ws_r - others * r);
    df = r * (latent * dws_r2 - form.b * ws_r * r) + others_slope * r2 * r;
    d2f = latent * d2ws_r3 - 2.0 * form.b * dws_r2 * r;
  }
  const double halley = 2.0 * df * df - f * d2f;
  return {f, df, halley > 0.0 ? -2.0 * f * df / halley : -f / df};
}

// Where the exact iterations start: two Halley steps from the dry bulb with the tabulated
// saturation pressure. Over the usual range they land within a few 1e-5 K of the root, so that
// one exact evaluation then finds a step shorter than kStepStop (three were needed from the dry
// bulb). The start decides only how many exact steps are taken, not where they end.
template <class U>
inline double wet_bulb_start(const WetBulbForm& form, double t, double w, double p, double lo, double hi) {
  const SaturationTable<U>& table = SaturationTable<U>::instance();
  double x = t < lo ? lo : (t > hi ? hi : t);
  for (int i = 0; i < 2; ++i) {
    double pws, dp, d2p;
    table.at(x, pws, dp, d2p);
    const double next = x + halley_step<U>(form, t, w, p, x, pws, dp, d2p).step;
    if (!(next > lo && next < hi)) break;
    x = next;
  }
  return x;
}

// Wet bulb from dry bulb t and humidity ratio w at pressure p: Halley's method on the relation of
// the chosen wick form with the exact saturation pressure, kept inside a bracket that every
// evaluation narrows. A step that would leave the bracket (or a flat slope) is replaced by
// bisection, so the solver always ends within a fixed number of evaluations, even where the
// relation has no root (it then returns the bracket end). The relation is increasing and convex
// in t*, and the bracket holds its only root whatever the start.
template <class U>
inline double wet_bulb(double t, double w, double p) {
  const SaturationHumidity at_freezing = saturation_humidity_ratio(saturation_at_freezing<U>(), p);
  const bool wetted = w >= wet_bulb_relation<U>(U::kWettedWick, t, U::kFreezingPoint, at_freezing).w;
  const WetBulbForm& form = wetted ? U::kWettedWick : U::kIcedWick;
  double lo = wetted ? U::kFreezingPoint : U::kMinTemperature;
  double hi = wetted ? U::kMaxTemperature : U::kFreezingPoint;
  double x = wet_bulb_start<U>(form, t, w, p, lo, hi);
  for (int i = 0; i < 100; ++i) {
    const Saturation s = saturation<U>(x);
    const double dp = s.pressure * s.dln_dt;
    const HalleyStep h = halley_step<U>(form, t, w, p, x, s.pressure, dp,
                                        s.pressure * (s.dln_dt * s.dln_dt + s.d2ln_dt2));
    if (h.f == 0.0) return x;
    if (h.f > 0.0)
      hi = x;
    else
      lo = x;
    const double next = x + h.step;
    if (h.slope > 0.0 && next > lo && next < hi) {
      if (std::fabs(h.step) < kStepStop * U::kDegreesPerKelvin) return next;
      x = next;
    } else if (h.slope > 0.0 && next == x) {
      // A step below the resolution of x leaves it on the bracket end just set: x is the root,
      // and bisecting from there would only move away from it.
      return x;
    } else {
      x = 0.5 * (lo + hi);
      if (hi - lo < kBracketStop * U::kDegreesPerKelvin) return x;
    }
  }
  return x;
}

}  // namespace novaflux::psylib
