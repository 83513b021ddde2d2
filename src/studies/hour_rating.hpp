#pragma once
// One hour of the annual study: the unit rated with the hour's outdoor air as both its summer
// and its winter outdoor state, from the state of a fresh thread; the figures of that rating
// the study uses; then the control and the energy of the hour (hour_energy.cpp).
//
// A rating depends on its inputs alone, and a typical year repeats the same outdoor dry bulb
// and humidity in many hours (the Chicago year has 2 297 distinct pairs in 8 760 hours), so the
// study rates each distinct input once and gives its figures to every hour that has it.
#include <string>

#include "novaflux/kiv_class.hpp"
#include "studies/annual_study.hpp"

namespace novaflux {

struct StudySetup {
  KivClass unit;             // the unit's inputs, with the study's model and altitude
  bool si = true;
  double altitude_m = 0;
  AnnualOptions options;
  double setpoint = 0;       // unit's temperature unit
};

// The unit with its model fixed (the automatic choice, or the model of the options checked
// against the airflows) and the altitude, for the hours of `weather`; fills the unit's part of
// `study`. Throws as run_annual_study does.
StudySetup study_setup(const nlohmann::json& unit, const WeatherFile& weather, const AnnualOptions& options,
                       AnnualStudy& study);

// The outdoor air a rating of the hour is given: dry bulb and RH, or with preheat the preheat
// temperature and the outdoor humidity ratio. Units of the unit.
struct HourInputs {
  double dry_bulb = 0;
  double humidity = 0;        // RH %, or the humidity ratio when preheated
  bool preheated = false;
  bool operator==(const HourInputs&) const = default;
};

HourInputs hour_inputs(const StudySetup& setup, const WeatherHour& weather);
void set_hour_inputs(const StudySetup& setup, const HourInputs& inputs, KivClass& object);
inline void set_hour_inputs(const StudySetup& setup, const WeatherHour& weather, KivClass& object) {
  set_hour_inputs(setup, hour_inputs(setup, weather), object);
}

// The figures of one season of a rating that the study uses (units of the unit).
struct SeasonFigures {
  double outdoor_w = 0, supply_t = 0, supply_w = 0, exhaust_t = 0, efficiency = 0;
  double supply_dp = 0, exhaust_dp = 0;  // Pa at actual density
  double return_t = 0, return_w = 0;
};

struct HourFigures {
  std::string failure;       // the failed rating's description and number; "" when rated
  double entering_t = 0;     // the outdoor dry bulb as rated
  SeasonFigures winter, summer;
  double supply_kg_h = 0, return_kg_h = 0, motor_kw = 0;
  bool frost_risk = false;   // of the winter exhaust air
};

// Rates the inputs on a new object from a fresh thread state.
HourFigures rate_figures(const StudySetup& setup, const HourInputs& inputs);

// The hour's row: Off outside the schedule (figures not used, may be null), Failed when the
// rating failed, otherwise the control and energy of hour_control_and_energy.
HourResult hour_result(const StudySetup& setup, const WeatherHour& weather, const HourFigures* figures);
bool operates(const StudySetup& setup, const WeatherHour& weather);

// One hour rated alone: hour_result of rate_figures.
HourResult rate_hour(const StudySetup& setup, const WeatherHour& weather);

// The mode, the fraction, the figures used and the powers of `hour`, whose weather fields are
// set (hour_energy.cpp).
void hour_control_and_energy(const StudySetup& setup, const HourFigures& figures, HourResult& hour);

}  // namespace novaflux
