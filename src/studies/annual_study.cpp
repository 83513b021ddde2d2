// The study: the unit and its model fixed once, every hour of the year rated on worker threads
// (each hour from the state of a fresh thread, so the hours can go to any thread), then summed.
#include <algorithm>
#include <atomic>
#include <exception>
#include <stdexcept>
#include <thread>

#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "component/run_steps.hpp"
#include "novaflux/moist_air.hpp"
#include "rating_json/rating_json.hpp"
#include "studies/annual_summary.hpp"
#include "studies/hour_rating.hpp"

namespace novaflux {

namespace {

constexpr size_t kHoursPerTask = 96;

bool out_of_range(const KivClass& k) { return k.KivOutNOVAFLUXModel.to_text() == " Model Out of Range"; }

// Rates the unit at the first hour of the year: CalculateOutput picks the model (it depends on
// the airflows, the purge option and the pressure difference, not on the air), or the model
// asked for is checked against the airflows. Returns the rated object.
KivClass fix_model(StudySetup& setup, const WeatherFile& weather, AnnualStudy& study) {
  KivClass k;
  set_hour_inputs(setup, weather.hours.front(), k);
  reset_between_cases();
  const auto model = setup.options.model;
  if (model) k.KivinputModel = *model;
  try {
    if (model) k.CalculateOutputModel();
    else k.CalculateOutput();
  } catch (const RunError&) {
    throw;
  } catch (const std::exception& e) {
    throw RunError(ErrorNumber::InvalidArgument, e.what());
  }
  if (model && out_of_range(k))
    throw std::invalid_argument("model " + model_name(*model) +
                                ": its face velocities at the unit's airflows are outside the band a "
                                "fixed-model run accepts (`novaflux select` lists the models that fit)");
  study.model = model ? *model : static_cast<Modelall>(static_cast<int32_t>(detail::fields(k).SelectedModelId));
  study.automatic_model = !model;
  study.model_name = k.KivOutNOVAFLUXModel.to_text();
  setup.unit.KivinputModel = study.model;
  return k;
}

void rate_hours(const StudySetup& setup, const WeatherFile& weather, unsigned threads, std::vector<HourResult>& out) {
  out.resize(weather.hours.size());
  std::atomic<size_t> next{0};
  std::exception_ptr failure;
  std::atomic<bool> stop{false};
  const auto work = [&] {
    try {
      for (size_t begin; !stop && (begin = next.fetch_add(kHoursPerTask)) < out.size();) {
        const size_t end = std::min(out.size(), begin + kHoursPerTask);
        for (size_t i = begin; i < end; ++i) out[i] = rate_hour(setup, weather.hours[i]);
      }
    } catch (...) {
      if (!stop.exchange(true)) failure = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < threads; ++i) helpers.emplace_back(work);
  work();
  for (auto& t : helpers) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

StudySetup study_setup(const nlohmann::json& unit, const WeatherFile& weather, const AnnualOptions& options,
                       AnnualStudy& study) {
  if (weather.hours.empty()) throw std::invalid_argument("the weather file " + weather.name + " has no hours");
  StudySetup setup;
  apply_json(setup.unit, unit);
  setup.si = setup.unit.get_KivunitSI();
  study.altitude_from_weather = !unit.contains("KivinputAltitude");
  if (study.altitude_from_weather) setup.unit.KivinputAltitude = weather.location.elevation_m;
  setup.altitude_m = setup.unit.KivinputAltitude;
  setup.options = options;
  setup.setpoint = supply_setpoint(options, setup.si);

  const KivClass first = fix_model(setup, weather, study);
  study.si = setup.si;
  study.altitude_m = setup.altitude_m;
  study.standard_pressure_pa = moist_air::barometric_pressure_kpa(setup.altitude_m) * 1000.0;
  study.supply_airflow = first.KivinputSupplyAir;
  study.return_airflow = first.KivinputReturnAir;
  study.supply_mass_flow_kg_h = first.KivoutMassflowSs;
  study.return_mass_flow_kg_h = first.KivoutMassflowEs;
  study.motor_kw = first.KivoutCassetteDriveMoter;
  study.options = options;
  study.setpoint = setup.setpoint;
  return setup;
}

AnnualStudy run_annual_study(const nlohmann::json& unit, const WeatherFile& weather, const AnnualOptions& options) {
  AnnualStudy study;
  const StudySetup setup = study_setup(unit, weather, options, study);
  study.weather_name = weather.name;
  study.location = weather.location;
  study.leap_year = weather.leap_year;
  study.weather_substituted = weather.substituted;
  double pressure = 0;
  for (const auto& h : weather.hours) pressure += h.pressure_pa;
  study.mean_station_pressure_pa = pressure / static_cast<double>(weather.hours.size());

  unsigned threads = options.threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : options.threads;
  threads = static_cast<unsigned>(std::min<size_t>(threads, (weather.hours.size() + kHoursPerTask - 1) / kHoursPerTask));
  rate_hours(setup, weather, std::max(1u, threads), study.hours);
  summarise(study);
  return study;
}

}  // namespace novaflux
