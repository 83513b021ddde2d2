/* Moist-air properties, ASHRAE Handbook Fundamentals (2017), chapter 1.
 * IP family: dry bulb degF, humidity ratio grains of moisture per lb of dry air, enthalpy
 * Btu/lb (from 0 degF), density lb/ft3. SI family: degC, g/kg, kJ/kg (from 0 degC), kg/m3.
 * The altitude is in metres for both families. Relative humidity results are in percent;
 * LCRHTOGR and LCSI_RHTOGRAMS take the relative humidity as a fraction.
 *
 * Equations: saturation pressure by Hyland-Wexler over liquid water, and over ice at or below the
 * triple point (0.01 degC / 32.018 degF), so a relative humidity below freezing is relative to
 * ice; the wet-bulb relation with a wetted wick at or above freezing and an iced wick below; the
 * barometric pressure of the standard atmosphere, 101.325 (1 - 2.25577e-5 Z)^5.2559 kPa; moist-air
 * density (1 + W) / v. Wet bulbs are solved to better than 0.001 K.
 *
 * Validity: dry and wet bulb -100..200 degC (-148..392 degF), altitude -500..11000 m (the
 * troposphere of the standard atmosphere), humidity ratio from 0 to saturation.
 *
 * Outside that range every finite argument still gives a finite result, by these rules:
 *   - temperatures beyond -100..200 degC (-148..392 degF) are taken at the nearest limit;
 *   - humidity ratios below 0 are taken as 0, above 10 kg/kg (10000 g/kg, 70000 grains/lb) as
 *     10 kg/kg; computed humidity ratios are held within the same limits (above the boiling point
 *     at the station pressure saturation is reached only at that limit);
 *   - relative-humidity fractions below 0 are taken as 0;
 *   - a state above saturation is computed from the same relations: LCRH/LCSI_RH return more
 *     than 100, LCRHTOGR/LCSI_RHTOGRAMS with a fraction above 1 a supersaturated humidity ratio,
 *     and the wet bulb of such a state lies above the dry bulb;
 *   - every 16-bit altitude is inside the domain of the pressure formula (it holds below 44 km),
 *     though above 11 km the pressure is no longer that of the standard atmosphere.
 * A NaN argument gives PSYLIB_NO_VALUE; infinities count as values beyond the limits.
 *
 * Near freezing with the dry bulb above it, a narrow band of humidity ratios matches both a
 * wetted wick just above freezing and an iced wick just below; the wet bulb returned is then the
 * wetted-wick one (at or above freezing). */
#ifndef NOVAFLUX_PSYLIB_H
#define NOVAFLUX_PSYLIB_H

/* On Windows the library is a DLL; the 32-bit one uses the stdcall convention of the
 * Windows API, which its 32-bit hosts expect, with the names exported undecorated. */
#if defined(_WIN32)
#if defined(PSYLIB_BUILDING)
#define PSYLIB_API __declspec(dllexport)
#else
#define PSYLIB_API
#endif
#if defined(__i386__) || defined(_M_IX86)
#define PSYLIB_CALL __stdcall
#endif
#elif defined(__GNUC__)
#define PSYLIB_API __attribute__((visibility("default")))
#else
#define PSYLIB_API
#endif
#ifndef PSYLIB_CALL
#define PSYLIB_CALL
#endif

/* Result of every entry point when an argument is NaN. */
#define PSYLIB_NO_VALUE (-9999.0f)

#ifdef __cplusplus
extern "C" {
#endif

PSYLIB_API float PSYLIB_CALL LCWETBULB(float t, float w, short alt);
PSYLIB_API float PSYLIB_CALL LCRH(float t, float w, short alt);
PSYLIB_API float PSYLIB_CALL LCENTHALPY(float t, float w);
PSYLIB_API float PSYLIB_CALL LCDENSITY(float t, float w, short alt);
PSYLIB_API float PSYLIB_CALL LCRHTOGR(float t, float rh_fraction, short alt);
PSYLIB_API float PSYLIB_CALL LCWBTOGR(float t, float wet_bulb, short alt);

PSYLIB_API float PSYLIB_CALL LCSI_WETBULB(float t, float w, short alt);
PSYLIB_API float PSYLIB_CALL LCSI_RH(float t, float w, short alt);
PSYLIB_API float PSYLIB_CALL LCSI_ENTHALPY(float t, float w);
PSYLIB_API float PSYLIB_CALL LCSI_DENSITY(float t, float w, short alt);
PSYLIB_API float PSYLIB_CALL LCSI_RHTOGRAMS(float t, float rh_fraction, short alt);
PSYLIB_API float PSYLIB_CALL LCSI_WBTOGR(float t, float wet_bulb, short alt);

#ifdef __cplusplus
}
#endif

#endif
