#pragma once
// Run-time binding of the psychrometric library: loaded by name from the component's own
// folder on first use, entry points resolved once per thread.
namespace novaflux {

using PsyFn3 = float (*)(float, float, short);
using PsyFn2 = float (*)(float, float);

struct PsyFunctions {
  PsyFn3 LCWETBULB, LCRH, LCDENSITY, LCRHTOGR, LCWBTOGR;
  PsyFn2 LCENTHALPY;
  PsyFn3 LCSI_WETBULB, LCSI_RH, LCSI_DENSITY, LCSI_RHTOGRAMS, LCSI_WBTOGR;
  PsyFn2 LCSI_ENTHALPY;
};

// The library's file name.
inline constexpr const char* kPsyLibraryName = "libpsylib32.so";

// The entry points of the library in the component's folder. Throws RunError
// (ErrorNumber::Psychrometrics) naming the file or the symbol when either is missing.
const PsyFunctions& psy();

}  // namespace novaflux
