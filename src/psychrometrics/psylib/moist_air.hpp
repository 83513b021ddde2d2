#pragma once
// Moist-air relations of the ASHRAE Handbook Fundamentals (2017), chapter 1, written once and
// instantiated for the two unit systems of the Handbook's SI and IP editions. The IP system is
// evaluated with the IP edition's own coefficients, not by converting SI results.
//
// Quantities inside this header are in the Handbook's working units:
//   SI: temperature degC, pressure Pa,   humidity ratio kg/kg, enthalpy kJ/kg,  density kg/m3
//   IP: temperature degF, pressure psia, humidity ratio lb/lb, enthalpy Btu/lb, density lb/ft3
// Callers clamp their arguments to [kMinTemperature, kMaxTemperature] and the humidity ratio to
// [0, kMaxHumidityRatio] first; then every function below returns a finite number.
#include <cmath>

namespace novaflux::psylib {

// Ratio of the molar masses of water and dry air, 18.015268 / 28.966 (ch. 1, eq. 20).
inline constexpr double kMassRatio = 0.621945;
// The vapour-to-dry-air ratio of the specific volume term, 1 / kMassRatio (ch. 1, eq. 26).
inline constexpr double kVolumeRatio = 1.607858;
// Upper limit of every humidity ratio handled, kg/kg (= lb/lb). Above the boiling point at the
// station pressure the saturation humidity ratio has no finite value; it is held at this limit
// so that the relations stay finite over the whole temperature range.
inline constexpr double kMaxHumidityRatio = 10.0;

// One form of the wet-bulb relation (ch. 1, eq. 33 for a wetted wick, eq. 35 for an iced wick):
//   W = ((a - b t*) Ws* - cpa (t - t*)) / (a + cpv t - c t*)
struct WetBulbForm {
  double a;  // latent heat term at 0 degC / 0 degF
  double b;  // its temperature coefficient for the wick water or ice
  double c;  // specific heat of the wick water or ice
};

struct Si {
  static constexpr double kAbsoluteZeroOffset = 273.15;  // K at 0 degC
  static constexpr double kDegreesPerKelvin = 1.0;
  static constexpr double kTriplePoint = 0.01;           // degC; ice below, liquid above
  static constexpr double kFreezingPoint = 0.0;          // degC; iced wick below
  static constexpr double kMinTemperature = -100.0;      // range of eq. 5 and 6, degC
  static constexpr double kMaxTemperature = 200.0;
  // Saturation pressure over ice, eq. 5, ln(Pa): C1/T + C2 + C3 T + C4 T^2 + C5 T^3 + C6 T^4 + C7 ln T
  static constexpr double kIce[7] = {-5.6745359e+03, 6.3925247e+00, -9.6778430e-03, 6.2215701e-07,
                                     2.0747825e-09,  -9.4840240e-13, 4.1635019e+00};
  // Saturation pressure over liquid water, eq. 6: C8/T + C9 + C10 T + C11 T^2 + C12 T^3 + C13 ln T
  static constexpr double kLiquid[6] = {-5.8002206e+03, 1.3914993e+00,  -4.8640239e-02,
                                        4.1764768e-05,  -1.4452093e-08, 6.5459673e+00};
  static constexpr double kSeaLevelPressure = 101325.0;  // Pa (eq. 3 gives 101.325 kPa)
  static constexpr double kGasConstant = 287.042;        // dry air, J/(kg K): v = R T (1 + 1.607858 W) / p
  static constexpr double kCpAir = 1.006;                // kJ/(kg K), eq. 30
  static constexpr double kVapourEnthalpy = 2501.0;      // kJ/kg at 0 degC, eq. 30
  static constexpr double kCpVapour = 1.86;              // kJ/(kg K), eq. 30
  static constexpr WetBulbForm kWettedWick{2501.0, 2.326, 4.186};  // eq. 33
  static constexpr WetBulbForm kIcedWick{2830.0, 0.24, 2.1};       // eq. 35
};

struct Ip {
  static constexpr double kAbsoluteZeroOffset = 459.67;  // degR at 0 degF
  static constexpr double kDegreesPerKelvin = 1.8;
  static constexpr double kTriplePoint = 32.018;         // degF
  static constexpr double kFreezingPoint = 32.0;         // degF
  static constexpr double kMinTemperature = -148.0;      // range of eq. 5 and 6, degF
  static constexpr double kMaxTemperature = 392.0;
  // IP edition eq. 5 and 6, ln(psia) with T in degR.
  static constexpr double kIce[7] = {-1.0214165e+04, -4.8932428e+00, -5.3765794e-03, 1.9202377e-07,
                                     3.5575832e-10,  -9.0344688e-14, 4.1635019e+00};
  static constexpr double kLiquid[6] = {-1.0440397e+04, -1.1294650e+01, -2.7022355e-02,
                                        1.2890360e-05,  -2.4780681e-09, 6.5459673e+00};
  // 101.325 kPa in psia; 1 psi = 6.894757293168 kPa (exact from the lbf and inch definitions).
  static constexpr double kSeaLevelPressure = 101.325 / 6.894757293168;
  static constexpr double kGasConstant = 0.370486;  // dry air, ft3 psia/(lb degR), eq. 26 (IP)
  static constexpr double kCpAir = 0.240;           // Btu/(lb degF), eq. 30 (IP)
  static constexpr double kVapourEnthalpy = 1061.0; // Btu/lb at 0 degF
  static constexpr double kCpVapour = 0.444;        // Btu/(lb degF)
  static constexpr WetBulbForm kWettedWick{1093.0, 0.556, 1.0};  // eq. 33 (IP)
  static constexpr WetBulbForm kIcedWick{1220.0, 0.04, 0.48};    // eq. 35 (IP)
};

// Barometric pressure of the standard atmosphere at an altitude in metres, in the unit system's
// pressure unit: p = 101.325 (1 - 2.25577e-5 Z)^5.2559 kPa (eq. 3). The base stays positive for
// every altitude below 44 331 m, which covers the whole 16-bit range of the entry points.
template <class U>
inline double pressure_at_altitude(double altitude_m) {
  const double base = 1.0 - 2.25577e-5 * altitude_m;
  return U::kSeaLevelPressure * std::pow(base > 1e-9 ? base : 1e-9, 5.2559);
}

// Saturation pressure of water vapour (Hyland-Wexler, eq. 5 over ice at or below the triple
// point, eq. 6 over liquid water above it), with the first and second temperature derivatives of
// ln pws for the wet-bulb solver. saturation_over() takes the phase from the caller.
struct Saturation {
  double pressure;
  double dln_dt;
  double d2ln_dt2;
};

template <class U>
inline Saturation saturation_over(double t, bool liquid) {
  const double T = t + U::kAbsoluteZeroOffset;
  const double inv = 1.0 / T;
  const double lnT = std::log(T);
  if (!liquid) {
    const auto& c = U::kIce;
    const double ln = c[0] * inv + c[1] + T * (c[2] + T * (c[3] + T * (c[4] + T * c[5]))) + c[6] * lnT;
    const double d = -c[0] * inv * inv + c[2] + T * (2.0 * c[3] + T * (3.0 * c[4] + T * 4.0 * c[5])) + c[6] * inv;
    const double d2 = (2.0 * c[0] * inv - c[6]) * inv * inv + 2.0 * c[3] + T * (6.0 * c[4] + T * 12.0 * c[5]);
    return {std::exp(ln), d, d2};
  }
  const auto& c = U::kLiquid;
  const double ln = c[0] * inv + c[1] + T * (c[2] + T * (c[3] + T * c[4])) + c[5] * lnT;
  const double d = -c[0] * inv * inv + c[2] + T * (2.0 * c[3] + T * 3.0 * c[4]) + c[5] * inv;
  const double d2 = (2.0 * c[0] * inv - c[5]) * inv * inv + 2.0 * c[3] + T * 6.0 * c[4];
  return {std::exp(ln), d, d2};
}

template <class U>
inline Saturation saturation(double t) {
  return saturation_over<U>(t, t > U::kTriplePoint);
}

template <class U>
inline double saturation_pressure(double t) {
  return saturation<U>(t).pressure;
}

// Vapour pressure above which the humidity ratio would pass kMaxHumidityRatio.
inline double vapour_pressure_limit(double p) {
  return p * (kMaxHumidityRatio / (kMassRatio + kMaxHumidityRatio));
}

// W = 0.621945 pw / (p - pw) (eq. 20), limited to [0, kMaxHumidityRatio].
inline double humidity_ratio_from_vapour_pressure(double pw, double p) {
  if (!(pw > 0.0)) return 0.0;
  if (pw >= vapour_pressure_limit(p)) return kMaxHumidityRatio;
  return kMassRatio * pw / (p - pw);
}

// pw = p W / (0.621945 + W), eq. 20 solved for pw.
inline double vapour_pressure_from_humidity_ratio(double w, double p) {
  return p * w / (kMassRatio + w);
}

// Saturation humidity ratio Ws(t, p) with its first and second temperature derivatives (zero
// where it is held at the limit).
struct SaturationHumidity {
  double w;
  double dw_dt;
  double d2w_dt2;
};

inline SaturationHumidity saturation_humidity_ratio(const Saturation& s, double p) {
  if (s.pressure >= vapour_pressure_limit(p)) return {kMaxHumidityRatio, 0.0, 0.0};
  const double rest = p - s.pressure;
  const double dp = s.pressure * s.dln_dt;                                  // dpws/dt
  const double d2p = s.pressure * (s.dln_dt * s.dln_dt + s.d2ln_dt2);       // d2pws/dt2
  const double k = kMassRatio * p / (rest * rest);
  return {kMassRatio * s.pressure / rest, k * dp, k * (d2p + 2.0 * dp * dp / rest)};
}

template <class U>
inline SaturationHumidity saturation_humidity_ratio(double t, double p) {
  return saturation_humidity_ratio(saturation<U>(t), p);
}

// Saturation over ice at the freezing point, where the wet-bulb relation changes form; evaluated
// once.
template <class U>
inline const Saturation& saturation_at_freezing() {
  static const Saturation s = saturation<U>(U::kFreezingPoint);
  return s;
}

// Relative humidity as a fraction, phi = pw / pws(t) (eq. 12 with eq. 20). A humidity ratio above
// saturation gives a fraction above 1.
template <class U>
inline double relative_humidity(double t, double w, double p) {
  return vapour_pressure_from_humidity_ratio(w, p) / saturation_pressure<U>(t);
}

// Humidity ratio at a relative humidity given as a fraction (eq. 12 and 20).
template <class U>
inline double humidity_ratio_from_relative_humidity(double t, double phi, double p) {
  return humidity_ratio_from_vapour_pressure(phi * saturation_pressure<U>(t), p);
}

// Specific enthalpy of moist air per unit mass of dry air, from 0 degC (SI) or 0 degF (IP):
// h = cpa t + W (hg0 + cpv t) (eq. 30).
template <class U>
inline double enthalpy(double t, double w) {
  return U::kCpAir * t + w * (U::kVapourEnthalpy + U::kCpVapour * t);
}

// Specific volume of moist air per unit mass of dry air, v = R T (1 + 1.607858 W) / p (eq. 26),
// and the density of the moist air, rho = (1 + W) / v (eq. 11).
template <class U>
inline double specific_volume(double t, double w, double p) {
  return U::kGasConstant * (t + U::kAbsoluteZeroOffset) * (1.0 + kVolumeRatio * w) / p;
}

template <class U>
inline double density(double t, double w, double p) {
  return (1.0 + w) / specific_volume<U>(t, w, p);
}

}  // namespace novaflux::psylib
