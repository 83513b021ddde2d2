#pragma once
// One hour of the annual study: the unit rated with the hour's outdoor air as both its summer
// and its winter outdoor state, from the state of a fresh thread, then the control and the
// energy of the hour (hour_energy.cpp).
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

// The hour's outdoor dry bulb in the unit's temperature unit.
double outdoor_dry_bulb(const StudySetup& setup, const WeatherHour& weather);

// Writes the hour's inputs into a new object: the unit's, then the outdoor air (dry bulb and
// RH; with preheat, air below the preheat temperature as that temperature and the outdoor
// humidity ratio).
void set_hour_inputs(const StudySetup& setup, const WeatherHour& weather, KivClass& object);

// The hour as the study reports it; an hour outside the schedule is Off and not rated.
HourResult rate_hour(const StudySetup& setup, const WeatherHour& weather);

// The control and the energy of a rated hour (hour_energy.cpp): fills the mode, the fraction,
// the figures used and the powers of `hour`, whose weather fields are set.
void hour_control_and_energy(const StudySetup& setup, const KivClass& rated, HourResult& hour);

}  // namespace novaflux
