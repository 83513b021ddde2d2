#pragma once
// Completion of a moist-air state from dry bulb plus one second quantity, through the
// psychrometric library (SI family when the unit selector is nonzero, IP otherwise).
#include <cstdint>

namespace novaflux {

struct StateResult {
  double rh = 0.0;        // %
  double wet_bulb = 0.0;
  double enthalpy = 0.0;
  double w = 0.0;         // humidity ratio
  double density = 0.0;
};

// From dry bulb and humidity ratio; results rounded to 1 decimal. A relative humidity outside
// 0..99.9 % recomputes the state at 99.9 % (2 decimals) and replaces w by its humidity ratio.
StateResult StateFromDbtW(int unit, double t, double& w, int16_t alt);
// From dry bulb and relative humidity (%, taken as 99.9 outside 0..99.9); 2 decimals.
StateResult StateFromDbtRh(int unit, double t, double rh, int16_t alt);
// From dry bulb and wet bulb; 2 decimals. A supersaturated result is recomputed at 99.9 %;
// the wet bulb of that recomputation is not returned.
StateResult StateFromDbtWbt(int unit, double t, double wet_bulb, int16_t alt);

}  // namespace novaflux
