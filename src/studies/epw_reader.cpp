// EnergyPlus weather files (EPW): header lines (LOCATION first, DATA PERIODS last), then one
// row per hour: year, month, day, hour (1-24), minute, data-source flags, dry bulb (°C), dew
// point (°C), relative humidity (%), station pressure (Pa), then radiation, wind and the rest,
// which the study does not need.
#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>

#include "common/numeric.hpp"
#include "studies/epw_fields.hpp"
#include "studies/weather_file.hpp"

namespace novaflux {

namespace {

constexpr size_t kMonthField = 2, kDayField = 3, kHourField = 4;
constexpr size_t kFirstValueField = 7;  // dry bulb; dew point, RH and pressure follow
constexpr size_t kFieldsRead = 10;

struct QuantityRule {
  const char* name;
  double missing_from;  // values at or above it mark a missing value
  double lo, hi;        // the valid range of a value that is there
};
// The format's missing-value markers and valid ranges.
constexpr std::array<QuantityRule, kWeatherQuantities> kRules{{
    {"dry bulb", 99.9, -70.0, 70.0},
    {"dew point", 99.9, -70.0, 70.0},
    {"relative humidity", 999.0, 0.0, 110.0},
    {"station pressure", 999999.0, 31000.0, 120000.0},
}};

constexpr std::array<const char*, 12> kMonthNames{"January", "February", "March",     "April",   "May",      "June",
                                                  "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kWeekdays{"monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};

int days_in_month(int month, bool leap) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap ? 29 : kDays[month - 1];
}

struct Row {
  uint64_t line;
  int month, day, hour;
  std::array<std::optional<double>, kWeatherQuantities> values;  // nullopt: missing
};

class Reader {
public:
  explicit Reader(const std::string& name) : name_(name) {}

  WeatherFile read(std::string_view text) {
    file_.name = name_;
    rows_.reserve(std::min<size_t>(8784, text.size() / 64 + 1));  // an hourly row has 150 characters or more
    bool data = false;
    uint64_t line_number = 0;
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(pos, end - pos);
      pos = end + 1;
      ++line_number;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
      const auto& fields = splitter_.split(line, name_, line_number);
      if (line_number_ == 0 && !starts_with_location(fields)) {
        fail(line_number, 1, "", "the file does not start with the LOCATION line of a weather file (EPW); found \"" +
                                     utf8_text(line.substr(0, 40)) + "\"");
      }
      line_number_ = line_number;
      if (data) data_row(fields);
      else data = header_line(fields);
    }
    if (line_number_ == 0) fail(0, 0, "", "the file is empty");
    if (!data) fail(0, 0, "", "no DATA PERIODS line: the file has no hourly data");
    if (rows_.empty()) fail(0, 0, "", "no hourly rows after the DATA PERIODS line");
    calendar();
    return std::move(file_);
  }

private:
  [[noreturn]] void fail(uint64_t line, size_t field, std::string_view what, const std::string& message) const {
    throw WeatherFileError(weather_message(name_, line, field, what, message), line, field);
  }

  double number(std::string_view text, size_t field, std::string_view what, double lo, double hi) const {
    double value = 0.0;
    if (!parse_double(text, value))
      fail(line_number_, field, what, "\"" + utf8_text(text) + "\" is not a number");
    if (value < lo || value > hi)
      fail(line_number_, field, what, number_text(value) + " is outside " + number_text(lo) + " .. " + number_text(hi));
    return value;
  }

  int whole_number(std::string_view text, size_t field, std::string_view what, int lo, int hi) const {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size()) {
      if (value < lo || value > hi)
        fail(line_number_, field, what, std::to_string(value) + " is outside " + std::to_string(lo) + " .. " + std::to_string(hi));
      return value;
    }
    const double x = number(text, field, what, lo, hi);  // "3.0" is 3; anything else fails there
    if (x != static_cast<int>(x)) fail(line_number_, field, what, number_text(x) + " is not a whole number");
    return static_cast<int>(x);
  }

  static bool starts_with_location(const std::vector<std::string_view>& fields) {
    return !fields.empty() && fields[0] == "LOCATION";
  }

  // Returns true for the DATA PERIODS line, which ends the header.
  bool header_line(const std::vector<std::string_view>& f) {
    if (f[0] == "LOCATION") {
      location(f);
      return false;
    }
    if (f[0] == "DATA PERIODS") {
      data_periods(f);
      return true;
    }
    double ignored = 0.0;
    if (parse_double(f[0], ignored))
      fail(line_number_, 1, "", "an hourly row before the DATA PERIODS line, which must end the header");
    return false;
  }

  void location(const std::vector<std::string_view>& f) {
    if (f.size() < 10) fail(line_number_, f.size() + 1, "elevation", "the LOCATION line ends early; it has 10 fields");
    WeatherLocation& l = file_.location;
    l.place = utf8_text(f[1]);
    l.region = utf8_text(f[2]);
    l.country = utf8_text(f[3]);
    l.source = utf8_text(f[4]);
    l.station = utf8_text(f[5]);
    l.latitude = number(f[6], 7, "latitude", -90, 90);
    l.longitude = number(f[7], 8, "longitude", -180, 180);
    l.time_zone = number(f[8], 9, "time zone", -12, 14);
    l.elevation_m = number(f[9], 10, "elevation", -1000, 9999.9);
  }

  // DATA PERIODS, count, records per hour, name, weekday of the first day, first day, last day.
  void data_periods(const std::vector<std::string_view>& f) {
    if (f.size() < 7) fail(line_number_, f.size() + 1, "", "the DATA PERIODS line ends early; it has 7 fields");
    if (f[1] != "1")
      fail(line_number_, 2, "number of periods", "\"" + utf8_text(f[1]) + "\" periods; the study reads one period of a whole year");
    if (f[2] != "1")
      fail(line_number_, 3, "records per hour",
           "\"" + utf8_text(f[2]) + "\" records per hour; the study reads one record per hour");
    std::string weekday(f[4]);
    std::transform(weekday.begin(), weekday.end(), weekday.begin(), [](unsigned char c) { return std::tolower(c); });
    const auto it = std::find(kWeekdays.begin(), kWeekdays.end(), weekday);
    if (it == kWeekdays.end()) fail(line_number_, 5, "first weekday", "\"" + utf8_text(f[4]) + "\" is not a weekday");
    file_.first_weekday = static_cast<uint8_t>(it - kWeekdays.begin());
    if (month_day(f[5]) != std::pair{1, 1}) fail(line_number_, 6, "first day", "the period starts " + utf8_text(f[5]) + "; the study needs a whole year from 1/1");
    if (month_day(f[6]) != std::pair{12, 31}) fail(line_number_, 7, "last day", "the period ends " + utf8_text(f[6]) + "; the study needs a whole year to 12/31");
  }

  // "1/ 1" -> {1, 1}; {0, 0} when it is not a date.
  static std::pair<int, int> month_day(std::string_view text) {
    const size_t slash = text.find('/');
    double m = 0, d = 0;
    if (slash == std::string_view::npos || !parse_double(text.substr(0, slash), m) ||
        !parse_double(text.substr(slash + 1), d) || !(m >= 1 && m <= 12 && d >= 1 && d <= 31))
      return {0, 0};
    return {static_cast<int>(m), static_cast<int>(d)};
  }

  void data_row(const std::vector<std::string_view>& f) {
    if (f.size() < kFieldsRead) {
      const size_t missing = f.size() + 1;
      fail(line_number_, missing, missing >= kFirstValueField ? kRules[missing - kFirstValueField].name : "",
           "the row ends after " + std::to_string(f.size()) + " fields; an hourly row has at least " +
               std::to_string(kFieldsRead));
    }
    if (row_width_ == 0) row_width_ = f.size();
    if (f.size() < row_width_)
      fail(line_number_, f.size() + 1, "",
           "the row ends after " + std::to_string(f.size()) + " fields, the rows before it have " +
               std::to_string(row_width_));
    Row row;
    row.line = line_number_;
    row.month = whole_number(f[kMonthField - 1], kMonthField, "month", 1, 12);
    row.day = whole_number(f[kDayField - 1], kDayField, "day", 1, 31);
    row.hour = whole_number(f[kHourField - 1], kHourField, "hour", 1, 24);
    if (row.day > days_in_month(row.month, true))
      fail(line_number_, kDayField, "day", std::string(kMonthNames[row.month - 1]) + " has no day " + std::to_string(row.day));
    for (size_t q = 0; q < kWeatherQuantities; ++q) {
      const QuantityRule& rule = kRules[q];
      const size_t field = kFirstValueField + q;
      double value = 0.0;
      if (!parse_double(f[field - 1], value))
        fail(line_number_, field, rule.name, "\"" + utf8_text(f[field - 1]) + "\" is not a number");
      if (value >= rule.missing_from) continue;  // a missing value, replaced later
      if (value < rule.lo || value > rule.hi)
        fail(line_number_, field, rule.name,
             number_text(value) + " is outside " + number_text(rule.lo) + " .. " + number_text(rule.hi));
      row.values[q] = value;
    }
    rows_.push_back(row);
  }

  // Places every row at its hour of the year; each hour once, none missing.
  void calendar() {
    file_.leap_year = std::any_of(rows_.begin(), rows_.end(), [](const Row& r) { return r.month == 2 && r.day == 29; });
    const bool leap = file_.leap_year;
    std::array<int, 13> first_day{};
    for (int m = 1; m <= 12; ++m) first_day[m] = first_day[m - 1] + days_in_month(m, leap);
    const size_t hours = static_cast<size_t>(first_day[12]) * 24;
    std::vector<const Row*> slot(hours, nullptr);
    for (const Row& r : rows_) {
      const size_t index = static_cast<size_t>(first_day[r.month - 1] + r.day - 1) * 24 + static_cast<size_t>(r.hour - 1);
      if (slot[index])
        fail(r.line, kHourField, "hour",
             "a second row for " + hour_text(r.month, r.day, r.hour) + " (the first is line " +
                 std::to_string(slot[index]->line) + ")");
      slot[index] = &r;
    }
    file_.hours.resize(hours);
    for (size_t i = 0; i < hours; ++i) {
      const int day_of_year = static_cast<int>(i / 24);
      if (!slot[i]) {
        int month = 1;
        while (first_day[month] <= day_of_year) ++month;
        fail(0, 0, "", "no row for " + hour_text(month, day_of_year - first_day[month - 1] + 1, static_cast<int>(i % 24) + 1) +
                           " (" + std::to_string(hours) + " hourly rows make a " + (leap ? "leap " : "") + "year)");
      }
      const Row& r = *slot[i];
      WeatherHour& h = file_.hours[i];
      h.month = static_cast<uint8_t>(r.month);
      h.day = static_cast<uint8_t>(r.day);
      h.hour = static_cast<uint8_t>(r.hour);
      h.day_of_year = static_cast<uint16_t>(day_of_year);
      h.weekday = static_cast<uint8_t>((file_.first_weekday + day_of_year) % 7);
      h.line = r.line;
    }
    for (size_t q = 0; q < kWeatherQuantities; ++q) fill(q, slot);
  }

  // A missing value takes the last good one before it, or the first good one of the year at its
  // start.
  void fill(size_t q, const std::vector<const Row*>& slot) {
    std::optional<double> last;
    for (const Row* r : slot)
      if (r->values[q]) {
        last = r->values[q];
        break;
      }
    if (!last) fail(0, 0, "", std::string("no hour gives a ") + kRules[q].name + ": every value is missing");
    for (size_t i = 0; i < slot.size(); ++i) {
      WeatherHour& h = file_.hours[i];
      if (slot[i]->values[q]) {
        last = slot[i]->values[q];
      } else {
        h.substituted = static_cast<uint8_t>(h.substituted | (1u << q));
        ++file_.substituted[q];
      }
      double* target[] = {&h.dry_bulb_c, &h.dew_point_c, &h.rh_percent, &h.pressure_pa};
      *target[q] = *last;
    }
  }

  static std::string hour_text(int month, int day, int hour) {
    const auto two = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return std::to_string(day) + " " + kMonthNames[month - 1] + ", hour " + std::to_string(hour) + " (" +
           two(hour - 1) + ":00 to " + two(hour) + ":00)";
  }

  const std::string& name_;
  WeatherFile file_;
  FieldSplitter splitter_;
  std::vector<Row> rows_;
  uint64_t line_number_ = 0;
  size_t row_width_ = 0;
};

}  // namespace

std::string_view weather_quantity_name(WeatherQuantity quantity) { return kRules[static_cast<size_t>(quantity)].name; }

WeatherFile read_epw(std::string_view text, const std::string& name) { return Reader(name).read(text); }

WeatherFile read_epw(std::istream& in, const std::string& name) {
  std::string text;
  // A file is read in one piece of its size; a pipe in blocks.
  const auto start = in.tellg();
  if (start != std::streampos(-1) && in.seekg(0, std::ios::end)) {
    const auto size = in.tellg() - start;
    in.seekg(start);
    text.resize(static_cast<size_t>(size));
    in.read(text.data(), static_cast<std::streamsize>(size));
    text.resize(static_cast<size_t>(in.gcount()));
  }
  in.clear(in.rdstate() & ~std::ios::failbit & ~std::ios::eofbit);
  char block[1 << 16];
  while (in.read(block, sizeof block) || in.gcount() > 0) text.append(block, static_cast<size_t>(in.gcount()));
  if (in.bad()) throw WeatherFileError(name + ": cannot be read", 0, 0);
  return read_epw(std::string_view(text), name);
}

WeatherFile read_epw_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw WeatherFileError("cannot open the weather file " + path, 0, 0);
  return read_epw(in, path);
}

}  // namespace novaflux
