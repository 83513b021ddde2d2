/* A stand-in for the psychrometric library with the same twelve entry points. Each returns
 * 1000 x its position in the entry-point list plus its arguments weighted 1, 10 and 100, so a test
 * can tell which entry point answered and that the arguments arrived in order: called with
 * (1, 2, 3) entry point k returns k * 1000 + 321, a two-argument one k * 1000 + 21.
 * Built a second time with SUBSTITUTE_OMIT_LCSI_DENSITY to lack one entry point. */
#define SUBSTITUTE3(name, k) \
  float name(float a, float b, short alt) { return (k) * 1000.0f + a + 10.0f * b + 100.0f * (float)alt; }
#define SUBSTITUTE2(name, k) \
  float name(float a, float b) { return (k) * 1000.0f + a + 10.0f * b; }

SUBSTITUTE3(LCWETBULB, 1)
SUBSTITUTE3(LCRH, 2)
SUBSTITUTE2(LCENTHALPY, 3)
SUBSTITUTE3(LCDENSITY, 4)
SUBSTITUTE3(LCRHTOGR, 5)
SUBSTITUTE3(LCWBTOGR, 6)
SUBSTITUTE3(LCSI_WETBULB, 7)
SUBSTITUTE3(LCSI_RH, 8)
SUBSTITUTE2(LCSI_ENTHALPY, 9)
#ifndef SUBSTITUTE_OMIT_LCSI_DENSITY
SUBSTITUTE3(LCSI_DENSITY, 10)
#endif
SUBSTITUTE3(LCSI_RHTOGRAMS, 11)
SUBSTITUTE3(LCSI_WBTOGR, 12)
