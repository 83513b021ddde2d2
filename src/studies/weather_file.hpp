#pragma once
// An hourly weather file of a site, as the annual study reads it from an EnergyPlus weather
// file (EPW): the LOCATION line, the weekday of 1 January from the DATA PERIODS line, and of
// each hour the dry bulb, dew point, relative humidity and station pressure.
#include <array>
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace novaflux {

// A defect of a weather file: the line (1-based; 0 when the defect is the file as a whole, such
// as an hour that no row gives) and the field (1-based; 0 for the whole line).
class WeatherFileError : public std::runtime_error {
public:
  WeatherFileError(const std::string& message, uint64_t line, size_t field)
      : std::runtime_error(message), line_(line), field_(field) {}
  uint64_t line() const noexcept { return line_; }
  size_t field() const noexcept { return field_; }

private:
  uint64_t line_;
  size_t field_;
};

struct WeatherLocation {
  std::string place, region, country, source, station;  // UTF-8 (Latin-1 header text converted)
  double latitude = 0.0;    // degrees north
  double longitude = 0.0;   // degrees east
  double time_zone = 0.0;   // hours from UTC
  double elevation_m = 0.0;
};

// The quantities read from each row, in the order of their bits in WeatherHour::substituted.
enum class WeatherQuantity : uint8_t { DryBulb, DewPoint, RelativeHumidity, Pressure };
inline constexpr size_t kWeatherQuantities = 4;
std::string_view weather_quantity_name(WeatherQuantity quantity);  // "dry bulb", ...

struct WeatherHour {
  uint8_t month = 1, day = 1;  // the calendar day
  uint8_t hour = 1;            // 1 .. 24; hour 1 is 00:00 to 01:00
  uint8_t weekday = 0;         // 0 Monday .. 6 Sunday
  uint16_t day_of_year = 0;    // 0 for 1 January
  uint8_t substituted = 0;     // bit q set: quantity q was a missing value, replaced
  uint64_t line = 0;           // the row's line in the file
  double dry_bulb_c = 0.0, dew_point_c = 0.0;
  double rh_percent = 0.0;
  double pressure_pa = 0.0;    // station pressure

  bool was_substituted(WeatherQuantity q) const { return (substituted >> static_cast<int>(q)) & 1; }
};

struct WeatherFile {
  std::string name;          // as given to the reader, for messages and reports
  WeatherLocation location;
  uint8_t first_weekday = 0; // of 1 January, 0 Monday .. 6 Sunday
  bool leap_year = false;    // 8 784 hours with 29 February
  std::vector<WeatherHour> hours;  // in calendar order, one per hour of the year
  // Missing values replaced, per quantity.
  std::array<uint32_t, kWeatherQuantities> substituted{};
};

// Reads an EPW file. Throws WeatherFileError naming the file, the line, the field and what was
// wrong; a file is read whole or not at all.
WeatherFile read_epw(std::string_view text, const std::string& name);
WeatherFile read_epw(std::istream& in, const std::string& name);
WeatherFile read_epw_file(const std::string& path);

}  // namespace novaflux
