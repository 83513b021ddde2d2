// Reading weather files: the Chicago TMY3 file as shipped and odd or broken files made from it
// by the edits of tests/data/weather_cases.json.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "studies/weather_file.hpp"
#include "support/files.hpp"
#include "support/test_data.hpp"

namespace novaflux {
namespace {

using json = nlohmann::ordered_json;
const std::string kChicago = std::string(NOVAFLUX_SOURCE_DIR) + "/examples/weather/USA_IL_Chicago-OHare.Intl.AP.725300_TMY3.epw";
constexpr size_t kHeaderLines = 8;

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> f(1);
  for (char c : line) c == ',' ? (void)f.emplace_back() : f.back().push_back(c);
  return f;
}

std::string joined(const std::vector<std::string>& f, size_t count) {
  std::string out;
  for (size_t i = 0; i < count && i < f.size(); ++i) out += (i ? "," : "") + f[i];
  return out;
}

std::string latin1(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) out += static_cast<char>(((c & 0x1F) << 6) | (utf8[++i] & 0x3F));
    else out += utf8[i];
  }
  return out;
}

// The Chicago file with a row's edits applied (the quoted fields of an edit's text kept whole).
std::string edited(const json& c) {
  std::istringstream in(read_bytes(kChicago));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  const auto index = [&](const json& row) -> size_t {
    if (row.is_string()) {
      for (size_t i = 0; i < kHeaderLines; ++i)
        if (lines[i].rfind(row.get<std::string>() + ",", 0) == 0) return i;
      throw std::runtime_error("no header line " + row.dump());
    }
    return kHeaderLines + row.get<size_t>();
  };
  const auto set = [&](size_t i, size_t field, std::string text) {
    std::vector<std::string> f = fields_of(lines[i]);
    if (c.value("latin1", false)) text = latin1(text);
    f.at(field - 1) = text;
    lines[i] = joined(f, f.size());
  };
  for (const auto& e : c["edits"]) {
    if (e.contains("set")) set(index(e["set"][0]), e["set"][1], e["set"][2]);
    if (e.contains("set_all"))
      for (size_t i = kHeaderLines; i < lines.size(); ++i) set(i, e["set_all"][0], e["set_all"][1]);
    if (e.contains("cut")) lines[index(e["cut"][0])] = joined(fields_of(lines[index(e["cut"][0])]), e["cut"][1]);
    if (e.contains("delete")) {
      const auto first = lines.begin() + static_cast<long>(index(e["delete"][0]));
      lines.erase(first, first + e["delete"][1].get<long>());
    }
    if (e.contains("repeat")) lines.insert(lines.begin() + static_cast<long>(index(e["repeat"])), lines[index(e["repeat"])]);
    if (e.contains("drop_header")) lines.erase(lines.begin(), lines.begin() + kHeaderLines);
    if (e.contains("leap_day")) {
      const size_t feb28 = kHeaderLines + 58 * 24;
      std::vector<std::string> day;
      for (size_t i = feb28; i < feb28 + 24; ++i) {
        std::vector<std::string> f = fields_of(lines[i]);
        f[2] = "29";
        day.push_back(joined(f, f.size()));
      }
      lines.insert(lines.begin() + static_cast<long>(feb28 + 24), day.begin(), day.end());
    }
  }
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

double quantity(const WeatherHour& h, const std::string& name) {
  if (name == "dry_bulb") return h.dry_bulb_c;
  if (name == "rh") return h.rh_percent;
  if (name == "pressure") return h.pressure_pa;
  if (name == "day") return h.day;
  if (name == "month") return h.month;
  if (name == "weekday") return h.weekday;
  if (name == "substituted") return h.substituted;
  throw std::runtime_error("no quantity " + name);
}

std::string case_name(const testing::TestParamInfo<json>& info) {
  std::string name = info.param["name"];
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

class ReadableWeather : public testing::TestWithParam<json> {};

TEST_P(ReadableWeather, GivesEveryHourInCalendarOrder) {
  const json& c = GetParam();
  const WeatherFile w = read_epw(edited(c), "test.epw");
  ASSERT_EQ(w.hours.size(), c["hours"].get<size_t>());
  EXPECT_EQ(w.leap_year, c["leap"].get<bool>());
  EXPECT_EQ(w.location.place, c["place"].get<std::string>());
  EXPECT_EQ(w.first_weekday, c["first_weekday"].get<int>());
  EXPECT_EQ(std::vector<uint32_t>(w.substituted.begin(), w.substituted.end()), c["substituted"].get<std::vector<uint32_t>>());
  EXPECT_DOUBLE_EQ(w.location.elevation_m, 201.0);
  for (const auto& check : c["checks"])
    EXPECT_DOUBLE_EQ(quantity(w.hours.at(check[0]), check[1]), check[2].get<double>()) << check;
  for (size_t i = 0; i < w.hours.size(); ++i) {
    ASSERT_EQ(w.hours[i].day_of_year, i / 24) << i;
    ASSERT_EQ(w.hours[i].hour, i % 24 + 1) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Chicago, ReadableWeather,
                         testing::ValuesIn(test_support::rows("weather_cases.json", "readable")), case_name);

class BrokenWeather : public testing::TestWithParam<json> {};

TEST_P(BrokenWeather, FailsNamingLineFieldAndWhatWasWrong) {
  const json& c = GetParam();
  try {
    read_epw(edited(c), "broken.epw");
    FAIL() << "read without complaint";
  } catch (const WeatherFileError& e) {
    EXPECT_EQ(e.line(), c["line"].get<uint64_t>()) << e.what();
    EXPECT_EQ(e.field(), c["field"].get<size_t>()) << e.what();
    EXPECT_NE(std::string(e.what()).find(c["message"].get<std::string>()), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()).rfind("broken.epw", 0), 0u) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Chicago, BrokenWeather,
                         testing::ValuesIn(test_support::rows("weather_cases.json", "broken")), case_name);

}  // namespace
}  // namespace novaflux
