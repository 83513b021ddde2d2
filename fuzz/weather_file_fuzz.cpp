// Fuzz target: the text inputs of the annual study. The first line is an operating schedule
// (`--schedule`), the rest a weather file (EPW). Each is read the way the study reads it.
//
// What counts as a finding, beyond a crash, a hang or a sanitizer report: a failure other than
// the readers' own (std::invalid_argument for a schedule, WeatherFileError for a weather file),
// an error message that is not valid UTF-8 in its place names, or a file read with hours out of
// calendar order.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "findings.hpp"
#include "studies/operating_schedule.hpp"
#include "studies/weather_file.hpp"

namespace novaflux::fuzz {
const char* const kTargetName = "weather_file_fuzz";
}  // namespace novaflux::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using novaflux::fuzz::finding;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t line_end = input.find('\n');
  const std::string_view schedule = input.substr(0, line_end);
  const std::string_view weather = line_end == std::string_view::npos ? std::string_view() : input.substr(line_end + 1);
  try {
    const auto s = novaflux::OperatingSchedule::parse(schedule);
    if (s.hours_per_week() < 0 || s.hours_per_week() > 168) finding("schedule with " + std::to_string(s.hours_per_week()) + " hours a week");
  } catch (const std::invalid_argument&) {
  }
  try {
    const novaflux::WeatherFile w = novaflux::read_epw(weather, "fuzz.epw");
    for (size_t i = 0; i < w.hours.size(); ++i)
      if (w.hours[i].day_of_year != i / 24 || w.hours[i].hour != i % 24 + 1) finding("hours out of calendar order");
  } catch (const novaflux::WeatherFileError&) {
  }
  return 0;
}
