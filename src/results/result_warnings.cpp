// The warnings of a rating in words: the run's own code and message, and the frost check of
// the winter exhaust air, which the component does not make.
#include <string>

#include "common/fp_state.hpp"
#include "common/numeric.hpp"
#include "novaflux/moist_air.hpp"
#include "novaflux/result_view.hpp"

namespace novaflux {

namespace {

std::string trimmed(std::string s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string explanation(int code, const KivClass& k) {
  switch (code) {
    case 4: return "A relative humidity of 100 % or more was given; the rating used 99.9 %.";
    case 5: return "The face velocity lies below the performance curve; the curve's lowest velocity was used.";
    case 6:
      if (trimmed(k.KivOutNOVAFLUXModel.to_text()) == "Model Out of Range")
        return "The named model does not suit the airflows (face velocities outside 200 to 1100 fpm); "
               "no performance is given.";
      return "The smaller airflow is less than half the larger one, outside the range of the "
             "flow-ratio correction.";
    default: return {};
  }
}

std::string temperature_text(double t, bool si) {
  return number_text(vb_round(t, 1)) + (si ? " °C" : " °F");
}

bool frost_risk_at(double dry_bulb, double rh_percent, double humidity_ratio, bool si, double altitude_m) {
  const double freezing = si ? 0.0 : 32.0;
  if (!(dry_bulb <= freezing)) return false;
  // 99.9 % is where the component holds a saturated state.
  if (rh_percent >= 99.9) return true;
  return humidity_ratio > moist_air::saturation_humidity_ratio(dry_bulb, si, altitude_m);
}

}  // namespace

// The public functions compute in the default floating-point state (common/fp_state.hpp).

bool frost_risk(double dry_bulb, double rh_percent, double humidity_ratio, bool si, double altitude_m) {
  return in_default_state(frost_risk_at, dry_bulb, rh_percent, humidity_ratio, si, altitude_m);
}

bool frost_risk(const KivClass& k) {
  return frost_risk(k.KivoutEaW_DBT, k.KivoutEaW_RH, k.KivoutEaW_AbsHum, k.get_KivunitSI(), k.KivinputAltitude);
}

std::optional<ResultWarning> frost_warning(const KivClass& k) {
  if (!frost_risk(k)) return std::nullopt;
  const FpStateGuard fp;
  const bool si = k.get_KivunitSI();
  const double frost_point = moist_air::saturation_temperature(k.KivoutEaW_AbsHum, si, k.KivinputAltitude);
  ResultWarning w;
  w.code = kFrostRiskCode;
  w.text = "Frost risk: the winter exhaust air leaves the wheel at " + temperature_text(k.KivoutEaW_DBT, si) +
           " and " + number_text(k.KivoutEaW_RH) + " % RH (frost point " + temperature_text(frost_point, si) + ")";
  w.explanation = "Moisture in the exhaust air can freeze in the wheel. Consider preheating the "
                  "outdoor air, frost control by wheel speed, or a larger return airflow.";
  return w;
}

std::vector<ResultWarning> result_warnings(const KivClass& k, bool run_completed) {
  std::vector<ResultWarning> out;
  if (k.KivOutErrorCode != 0) {
    const int code = k.KivOutErrorCode;
    out.push_back({code, trimmed(k.KivOutErrorMsg.to_text()), explanation(code, k)});
  }
  if (!run_completed) return out;
  if (auto frost = frost_warning(k)) out.push_back(std::move(*frost));
  return out;
}

}  // namespace novaflux
