// The study: the unit and its model fixed once, every hour of the year rated on worker threads
// (each hour from the state of a fresh thread, so the hours can go to any thread), then summed.
#include <algorithm>
#include <atomic>
#include <bit>
#include <unordered_map>
#include <exception>
#include <stdexcept>
#include <thread>

#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "component/run_steps.hpp"
#include "novaflux/moist_air.hpp"
#include "rating_json/rating_json.hpp"
#include "studies/annual_summary.hpp"
#include "studies/epw_fields.hpp"
#include "studies/hour_rating.hpp"

namespace novaflux {

namespace {

constexpr size_t kRatingsPerTask = 32;
constexpr size_t kHoursPerTask = 512;

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
  if (model && detail::model_out_of_range(k))
    throw std::invalid_argument("model " + model_name(*model) +
                                ": its face velocities at the unit's airflows are outside the band a "
                                "fixed-model run accepts (`novaflux select` lists the models that fit)");
  study.model = model ? *model : static_cast<Modelall>(static_cast<int32_t>(detail::fields(k).SelectedModelId));
  study.automatic_model = !model;
  study.model_name = k.KivOutNOVAFLUXModel.to_text();
  setup.unit.KivinputModel = study.model;
  return k;
}

// Runs job(i) for every i below count on `threads` threads (the calling one among them); the
// first exception stops the others and is rethrown.
template <class Job>
void parallel_for(size_t count, unsigned threads, size_t chunk, const Job& job) {
  std::atomic<size_t> next{0};
  std::atomic<bool> stop{false};
  std::exception_ptr failure;
  const auto work = [&] {
    try {
      for (size_t begin; !stop && (begin = next.fetch_add(chunk)) < count;)
        for (size_t i = begin; i < std::min(count, begin + chunk); ++i) job(i);
    } catch (...) {
      if (!stop.exchange(true)) failure = std::current_exception();
    }
  };
  threads = static_cast<unsigned>(std::min<size_t>(threads, (count + chunk - 1) / chunk));
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < threads; ++i) helpers.emplace_back(work);
  work();
  for (auto& t : helpers) t.join();
  if (failure) std::rethrow_exception(failure);
}

// Inputs are the same key only when their bits are: a rating is a function of its inputs, and
// nothing is assumed about values that compare equal (0 and -0).
struct SameBits {
  bool operator()(const HourInputs& a, const HourInputs& b) const {
    return std::bit_cast<uint64_t>(a.dry_bulb) == std::bit_cast<uint64_t>(b.dry_bulb) &&
           std::bit_cast<uint64_t>(a.humidity) == std::bit_cast<uint64_t>(b.humidity) && a.preheated == b.preheated;
  }
};
struct BitsHash {
  size_t operator()(const HourInputs& i) const {
    const uint64_t h = std::bit_cast<uint64_t>(i.dry_bulb) * 0x9E3779B97F4A7C15ull ^ std::bit_cast<uint64_t>(i.humidity);
    return static_cast<size_t>(h ^ (h >> 29) ^ (i.preheated ? 0x5bd1e995u : 0u));
  }
};

// Each distinct input of the operating hours is rated once; every hour then takes the figures
// of its input and applies the control and the energy of its own hour.
void rate_hours(const StudySetup& setup, const WeatherFile& weather, unsigned threads, std::vector<HourResult>& out) {
  const size_t n = weather.hours.size();
  std::unordered_map<HourInputs, size_t, BitsHash, SameBits> index;
  std::vector<HourInputs> distinct;
  std::vector<int64_t> of_hour(n, -1);
  for (size_t i = 0; i < n; ++i) {
    if (!operates(setup, weather.hours[i])) continue;
    const auto [it, fresh] = index.try_emplace(hour_inputs(setup, weather.hours[i]), distinct.size());
    if (fresh) distinct.push_back(it->first);
    of_hour[i] = static_cast<int64_t>(it->second);
  }
  std::vector<HourFigures> figures(distinct.size());
  parallel_for(distinct.size(), threads, kRatingsPerTask, [&](size_t i) { figures[i] = rate_figures(setup, distinct[i]); });
  out.resize(n);
  parallel_for(n, threads, kHoursPerTask, [&](size_t i) {
    out[i] = hour_result(setup, weather.hours[i], of_hour[i] < 0 ? nullptr : &figures[static_cast<size_t>(of_hour[i])]);
  });
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
  study.weather_name = utf8_text(weather.name);  // a path need not be UTF-8; JSON must be
  study.location = weather.location;
  study.leap_year = weather.leap_year;
  study.weather_substituted = weather.substituted;
  double pressure = 0;
  for (const auto& h : weather.hours) pressure += h.pressure_pa;
  study.mean_station_pressure_pa = pressure / static_cast<double>(weather.hours.size());

  const unsigned threads = options.threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : options.threads;
  rate_hours(setup, weather, threads, study.hours);
  summarise(study);
  return study;
}

}  // namespace novaflux
