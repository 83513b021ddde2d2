#include "psychrometrics/state_completion.hpp"

#include "common/numeric.hpp"
#include "psychrometrics/psy_binding.hpp"

namespace novaflux {

namespace {

struct Family {
  PsyFn3 wet_bulb, rh, density, rh_to_w, wb_to_w;
  PsyFn2 enthalpy;
};

Family family(int unit) {
  const PsyFunctions& f = psy();
  if (unit != 0)
    return {f.LCSI_WETBULB, f.LCSI_RH, f.LCSI_DENSITY, f.LCSI_RHTOGRAMS, f.LCSI_WBTOGR, f.LCSI_ENTHALPY};
  return {f.LCWETBULB, f.LCRH, f.LCDENSITY, f.LCRHTOGR, f.LCWBTOGR, f.LCENTHALPY};
}

constexpr double kMaxRh = 99.9;

}  // namespace

StateResult StateFromDbtRh(int unit, double t, double rh, int16_t alt) {
  const Family f = family(unit);
  if (rh < 0 || rh > kMaxRh) rh = kMaxRh;
  const float tf = to_single(t);
  const float w = f.rh_to_w(tf, to_single(rh / 100), alt);
  StateResult r;
  r.rh = rh;
  r.w = vb_round(w, 2);
  r.enthalpy = vb_round(f.enthalpy(tf, w), 2);
  r.density = vb_round(f.density(tf, w, alt), 2);
  r.wet_bulb = vb_round(f.wet_bulb(tf, w, alt), 2);
  return r;
}

StateResult StateFromDbtW(int unit, double t, double& w, int16_t alt) {
  const Family f = family(unit);
  const float tf = to_single(t);
  const float wf = to_single(w);
  StateResult r;
  r.w = w;
  r.wet_bulb = vb_round(f.wet_bulb(tf, wf, alt), 1);
  r.rh = vb_round(f.rh(tf, wf, alt), 1);
  r.enthalpy = vb_round(f.enthalpy(tf, wf), 1);
  r.density = vb_round(f.density(tf, wf, alt), 1);
  if (r.rh < 0 || r.rh > kMaxRh) {
    // Supersaturated (or below zero): the state at 99.9 % with its own humidity ratio.
    const StateResult s = StateFromDbtRh(unit, t, kMaxRh, alt);
    r.rh = kMaxRh;
    r.wet_bulb = s.wet_bulb;
    r.enthalpy = s.enthalpy;
    r.density = s.density;
    r.w = s.w;
    w = s.w;
  }
  return r;
}

StateResult StateFromDbtWbt(int unit, double t, double wet_bulb, int16_t alt) {
  const Family f = family(unit);
  const float tf = to_single(t);
  const float w = f.wb_to_w(tf, to_single(wet_bulb), alt);
  StateResult r;
  r.wet_bulb = wet_bulb;
  r.w = vb_round(w, 2);
  r.rh = vb_round(f.rh(tf, w, alt), 2);
  r.enthalpy = vb_round(f.enthalpy(tf, w), 2);
  r.density = vb_round(f.density(tf, w, alt), 2);
  if (r.rh < 0 || r.rh > kMaxRh) {
    const StateResult s = StateFromDbtRh(unit, t, kMaxRh, alt);
    r.rh = kMaxRh;
    r.enthalpy = s.enthalpy;
    r.w = s.w;
    r.density = s.density;
  }
  return r;
}

}  // namespace novaflux
