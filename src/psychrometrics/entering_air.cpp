// Completion of the four entering air streams from the pair the host gave for each: dry bulb
// with wet bulb, relative humidity or humidity ratio.
#include "common/module_state.hpp"
#include "common/numeric.hpp"
#include "component/run_steps.hpp"
#include "psychrometrics/state_completion.hpp"

namespace novaflux::detail {

namespace {

enum class InputMode { WetBulb, RelativeHumidity, HumidityRatio };

struct Stream {
  bool outdoor;
  bool winter;
  double KivClass::*dbt;
  double KivClass::*wbt;    // wet-bulb input, written back in most modes
  double KivClass::*rh;     // RH input
  double KivClass::*gr;     // humidity-ratio input
  double KivClass::*rh_out;
  double KivClass::*abshum_out;
  double KivClass::*enthalpy_out;
  double KivClass::*wbt_out;  // return streams: wet bulb output in humidity-ratio mode
  AirState AirStates::*state;
};

constexpr Stream kOutdoorSummer{true, false, &KivClass::KivinputOAS_DBT, &KivClass::KivinputOAS_WBT,
                                &KivClass::KivinputOAS_RH, &KivClass::KivinputOAS_GR,
                                &KivClass::KivoutOAS_RH, &KivClass::KivoutOAS_AbsHum,
                                &KivClass::KivoutOAS_Enthalpy, nullptr, &AirStates::OutdoorSummerState};
constexpr Stream kOutdoorWinter{true, true, &KivClass::KivinputOAW_DBT, &KivClass::KivinputOAW_WBT,
                                &KivClass::KivinputOAW_RH, &KivClass::KivinputOAW_GR,
                                &KivClass::KivoutOAW_RH, &KivClass::KivoutOAW_AbsHum,
                                &KivClass::KivoutOAW_Enthalpy, nullptr, &AirStates::OutdoorWinterState};
constexpr Stream kReturnSummer{false, false, &KivClass::KivinputRaS_DBT, &KivClass::KivinputRaS_WBT,
                               &KivClass::KivinputRaS_RH, &KivClass::KivinputRaS_GR,
                               &KivClass::KivoutRaS_RH, &KivClass::KivoutRaS_AbsHum,
                               &KivClass::KivoutRaS_Enthalpy, &KivClass::KivoutRaS_WBT,
                               &AirStates::ReturnSummerState};
constexpr Stream kReturnWinter{false, true, &KivClass::KivinputRaW_DBT, &KivClass::KivinputRaW_WBT,
                               &KivClass::KivinputRaW_RH, &KivClass::KivinputRaW_GR,
                               &KivClass::KivoutRaW_RH, &KivClass::KivoutRaW_AbsHum,
                               &KivClass::KivoutRaW_Enthalpy, &KivClass::KivoutRaW_WBT,
                               &AirStates::ReturnWinterState};

InputMode mode_of(KivClass& k, bool outdoor) {
  if (outdoor) {
    if (k.KivinputOAUnitDBTRH && !k.KivinputOAUnitDBTGR) return InputMode::RelativeHumidity;
    if (!k.KivinputOAUnitDBTRH && k.KivinputOAUnitDBTGR) return InputMode::HumidityRatio;
    return InputMode::WetBulb;
  }
  const bool wet_bulb = k.get_KivinputRAUnitDBTWBT();
  if (wet_bulb && !k.KivinputRAUnitDBTRH) return InputMode::WetBulb;
  if (!wet_bulb && k.KivinputRAUnitDBTRH) return InputMode::RelativeHumidity;
  return InputMode::HumidityRatio;
}

void resolve(KivClass& k, const Stream& s) {
  auto& m = module_state();
  if (s.outdoor) m.psychro.UnitSelector = k.get_KivunitSI() ? 1.0 : 0.0;
  const InputMode mode = mode_of(k, s.outdoor);
  m.psychro.WetBulbInputMode = mode == InputMode::WetBulb;
  const int unit = static_cast<int>(to_int16(m.psychro.UnitSelector));
  const int16_t alt = to_int16(k.KivinputAltitude);
  AirState& state = m.air.*s.state;

  switch (mode) {
    case InputMode::WetBulb: {
      k.*s.dbt = format_one_decimal(k.*s.dbt);
      k.*s.wbt = format_one_decimal(k.*s.wbt);
      const StateResult r = StateFromDbtWbt(unit, k.*s.dbt, k.*s.wbt, alt);
      k.*s.rh_out = vb_round(r.rh, 1);
      k.*s.abshum_out = vb_round(r.w, 1);
      k.*s.enthalpy_out = vb_round(r.enthalpy, 1);
      state = {k.*s.dbt, k.*s.wbt, k.*s.abshum_out, k.*s.rh_out, k.*s.enthalpy_out};
      break;
    }
    case InputMode::RelativeHumidity: {
      if (k.*s.rh >= 100) {
        k.KivOutErrorMsg = "Please Crosscheck the RH required";
        k.KivOutErrorCode = 4;
        k.*s.rh = 99.9;
      }
      if (!s.outdoor) {
        k.*s.dbt = format_one_decimal(k.*s.dbt);
        k.*s.rh = format_one_decimal(k.*s.rh);
      }
      const StateResult r = StateFromDbtRh(unit, k.*s.dbt, k.*s.rh, alt);
      k.*s.rh_out = vb_round(k.*s.rh, 1);
      k.*s.abshum_out = vb_round(r.w, s.winter ? 2 : 1);
      k.*s.enthalpy_out = vb_round(r.enthalpy, 1);
      k.*s.wbt = (s.outdoor && !s.winter) ? r.wet_bulb : vb_round(r.wet_bulb, 1);
      state = {k.*s.dbt, k.*s.wbt, k.*s.abshum_out, k.*s.rh_out, k.*s.enthalpy_out};
      break;
    }
    case InputMode::HumidityRatio: {
      k.*s.dbt = format_one_decimal(k.*s.dbt);
      k.*s.gr = format_one_decimal(k.*s.gr);
      m.psychro.HumidityRatioWork = k.*s.gr;
      const StateResult r = StateFromDbtW(unit, k.*s.dbt, m.psychro.HumidityRatioWork, alt);
      const double w = m.psychro.HumidityRatioWork;
      k.*s.gr = w;
      k.*s.rh_out = vb_round(r.rh, 1);
      k.*s.abshum_out = vb_round(w, 1);
      k.*s.enthalpy_out = vb_round(r.enthalpy, 1);
      const double wet_bulb = vb_round(r.wet_bulb, 1);
      if (s.outdoor) k.*s.wbt = wet_bulb;
      else k.*s.wbt_out = wet_bulb;
      state = {k.*s.dbt, wet_bulb, k.*s.abshum_out, k.*s.rh_out, k.*s.enthalpy_out};
      break;
    }
  }
}

}  // namespace

void ResolveOutdoorSummer(KivClass& k) { resolve(k, kOutdoorSummer); }
void ResolveOutdoorWinter(KivClass& k) { resolve(k, kOutdoorWinter); }
void ResolveReturnSummer(KivClass& k) { resolve(k, kReturnSummer); }
void ResolveReturnWinter(KivClass& k) { resolve(k, kReturnWinter); }

}  // namespace novaflux::detail
