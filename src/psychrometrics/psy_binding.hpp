#pragma once
// Run-time binding of the psychrometric library: loaded by name from the component's own
// folder on first use, entry points resolved once per thread.
#include <cstddef>

#include "novaflux/psylib.h"

namespace novaflux {

using PsyFn3 = float(PSYLIB_CALL*)(float, float, short);
using PsyFn2 = float(PSYLIB_CALL*)(float, float);

struct PsyFunctions {
  PsyFn3 LCWETBULB, LCRH, LCDENSITY, LCRHTOGR, LCWBTOGR;
  PsyFn2 LCENTHALPY;
  PsyFn3 LCSI_WETBULB, LCSI_RH, LCSI_DENSITY, LCSI_RHTOGRAMS, LCSI_WBTOGR;
  PsyFn2 LCSI_ENTHALPY;
};

// The library's file name.
#if defined(_WIN32)
inline constexpr const char* kPsyLibraryName = "psylib32.dll";
#else
inline constexpr const char* kPsyLibraryName = "libpsylib32.so";
#endif

// The entry points of the library in the component's folder. Throws RunError
// (ErrorNumber::Psychrometrics) naming the file or the symbol when either is missing. A failed
// load is not remembered: the next call tries again.
const PsyFunctions& psy();

}  // namespace novaflux

#if defined(_WIN32)
#define NOVAFLUX_PROBE_API
#else
#define NOVAFLUX_PROBE_API __attribute__((visibility("default")))
#endif

// Diagnostic entry point of libnovaflux.so: calls the named psychrometric entry point (for
// example "LCSI_DENSITY"; the two-argument ones ignore alt) through the component's binding, as a
// calculation would. Returns 0 and stores the result; on a binding failure returns the error
// number (3100) and copies its description into message (truncated, always terminated when
// message_size > 0); -1 for an unknown entry-point name. Lets a tool check which library a
// component in a given folder actually uses.
extern "C" NOVAFLUX_PROBE_API int novaflux_psy_probe(const char* entry_point, float a, float b,
                                                                        short alt, float* result, char* message,
                                                                        std::size_t message_size);
