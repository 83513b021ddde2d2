// The annual study on the Chicago TMY3 year: chosen hours in each mode and under each control,
// the hourly rows against the batch verb rating the same inputs, the summary against the sums
// of the hourly table, and the options, schedules and units it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "batch/batch_runner.hpp"
#include "batch/csv.hpp"
#include "common/numeric.hpp"
#include "studies/annual_study.hpp"
#include "studies/hour_rating.hpp"
#include "support/files.hpp"
#include "support/test_data.hpp"

namespace novaflux {
namespace {

using json = nlohmann::ordered_json;

const WeatherFile& chicago() {
  static const WeatherFile w = read_epw_file(std::string(NOVAFLUX_SOURCE_DIR) +
                                             "/examples/weather/USA_IL_Chicago-OHare.Intl.AP.725300_TMY3.epw");
  return w;
}

nlohmann::json unit(const json& c) {
  if (c["unit"].is_object()) return nlohmann::json::parse(c["unit"].dump());
  return nlohmann::json::parse(read_bytes(std::string(NOVAFLUX_SOURCE_DIR) + "/examples/" + c["unit"].get<std::string>()));
}

AnnualOptions options_of(const json& options) {
  AnnualOptions o;
  for (const auto& [name, value] : options.items()) set_annual_option(o, name, value.get<std::string>());
  return o;
}

std::string case_name(const testing::TestParamInfo<json>& info) {
  std::string name = info.param.contains("name") ? info.param["name"].get<std::string>() : info.param["text"].get<std::string>();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

double field(const HourResult& h, const std::string& name) {
  const std::map<std::string, double HourResult::*> fields{
      {"fraction", &HourResult::fraction},           {"entering_dry_bulb", &HourResult::entering_dry_bulb},
      {"supply_dry_bulb", &HourResult::supply_dry_bulb}, {"heating_kw", &HourResult::heating_kw},
      {"cooling_kw", &HourResult::cooling_kw},       {"cooling_latent_kw", &HourResult::cooling_latent_kw},
      {"preheat_kw", &HourResult::preheat_kw},       {"fan_kw", &HourResult::fan_kw},
      {"motor_kw", &HourResult::motor_kw}};
  return h.*fields.at(name);
}

HourResult rate_alone(const json& c, const json& options) {
  AnnualStudy scratch;
  const StudySetup setup = study_setup(unit(c), chicago(), options_of(options), scratch);
  return rate_hour(setup, chicago().hours.at(c["row"].get<size_t>()));
}

// ---- One hour at a time: tests/data/annual_cases.json "hours"

class ChosenHour : public testing::TestWithParam<json> {};

TEST_P(ChosenHour, ModeFractionAndEnergy) {
  const json& c = GetParam();
  const HourResult h = rate_alone(c, c["options"]);
  for (const auto& [key, want] : c["expect"].items()) {
    if (key == "mode") EXPECT_EQ(hour_mode_name(h.mode), want.get<std::string>());
    else if (key == "figures") EXPECT_EQ(h.winter_figures ? "winter" : "summer", want.get<std::string>());
    else if (key == "frost_risk") EXPECT_EQ(h.frost_risk, want.get<bool>());
    else if (want.is_array()) EXPECT_NEAR(field(h, key), want[0].get<double>(), want[1].get<double>()) << key;
    else EXPECT_NEAR(field(h, key), want.get<double>(), 1e-9) << key;
  }
  // What holds in every hour: the parts make the total, the rotor turns exactly when it
  // recovers, air passes whenever the unit runs.
  EXPECT_NEAR(h.heating_kw, h.heating_sensible_kw + h.heating_latent_kw, 1e-9);
  EXPECT_NEAR(h.cooling_kw, h.cooling_sensible_kw + h.cooling_latent_kw, 1e-9);
  EXPECT_EQ(h.motor_kw > 0, h.fraction > 0);
  EXPECT_EQ(h.fan_kw > 0, h.mode != HourMode::Off);
  if (c.contains("scaled")) {
    const HourResult full = rate_alone(c, c["scaled"]);
    EXPECT_EQ(full.fraction, 1.0);
    EXPECT_NEAR(h.heating_kw, full.heating_kw * h.fraction, 1e-9);
    EXPECT_NEAR(h.heating_latent_kw, full.heating_latent_kw * h.fraction, 1e-9);
    EXPECT_EQ(h.fan_kw, full.fan_kw);
  }
}

INSTANTIATE_TEST_SUITE_P(Chicago, ChosenHour, testing::ValuesIn(test_support::rows("annual_cases.json", "hours")), case_name);

// ---- Whole years: "studies"

const AnnualStudy& study_of(const json& c) {
  static std::map<std::string, AnnualStudy> studies;
  auto it = studies.find(c["name"]);
  if (it == studies.end()) it = studies.emplace(c["name"], run_annual_study(unit(c), chicago(), options_of(c["options"]))).first;
  return it->second;
}

struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
  size_t column(const std::string& name) const {
    const auto it = std::find(header.begin(), header.end(), name);
    if (it == header.end()) throw std::runtime_error("no column " + name);
    return static_cast<size_t>(it - header.begin());
  }
};

Table read_table(const std::string& text) {
  std::istringstream in(text);
  CsvReader reader(in);
  Table t;
  reader.next(t.header);
  for (std::vector<std::string> f; reader.next(f);) t.rows.push_back(f);
  return t;
}

class AnnualYear : public testing::TestWithParam<json> {};

// Every rated hour that entered the wheel as the weather gave it, rated again by the batch verb
// (CalculateOutputModel of the year's model) from the unit's inputs and the hour's outdoor air.
TEST_P(AnnualYear, HourlyRowsAgreeWithTheBatchVerb) {
  const json& c = GetParam();
  const AnnualStudy& s = study_of(c);
  nlohmann::json inputs = unit(c);
  for (auto it = inputs.begin(); it != inputs.end();)
    it = it.key().rfind("KivinputOA", 0) == 0 ? inputs.erase(it) : std::next(it);
  inputs["KivinputAltitude"] = s.altitude_m;
  inputs["KivinputModel"] = static_cast<int32_t>(s.model);
  std::string csv;
  for (const auto& [name, value] : inputs.items()) csv += name + ",";
  csv += "KivinputOAUnitDBTRH,KivinputOAS_DBT,KivinputOAS_RH,KivinputOAW_DBT,KivinputOAW_RH\n";
  std::vector<const HourResult*> compared;
  for (const HourResult& h : s.hours) {
    if (h.mode == HourMode::Off || h.entering_dry_bulb != h.outdoor_dry_bulb) continue;
    for (const auto& [name, value] : inputs.items()) csv += value.dump() + ",";
    const std::string t = shortest_text(h.outdoor_dry_bulb), rh = shortest_text(h.outdoor_rh);
    csv += "true," + t + "," + rh + "," + t + "," + rh + "\n";
    compared.push_back(&h);
  }
  ASSERT_GT(compared.size(), 1000u);
  std::istringstream in(csv);
  std::ostringstream out;
  BatchOptions options;
  options.model_run = true;
  options.threads = 2;
  run_batch(in, "hours.csv", out, options);
  const Table batch = read_table(out.str());
  ASSERT_EQ(batch.rows.size(), compared.size());
  const auto cell = [&](size_t row, const std::string& name) { return std::stod(batch.rows[row][batch.column(name)]); };
  for (size_t i = 0; i < compared.size(); ++i) {
    const HourResult& h = *compared[i];
    const std::string s_or_w = h.winter_figures ? "W" : "S";
    ASSERT_EQ(batch.rows[i][batch.column("failure_number")], "0") << i;
    EXPECT_EQ(h.entering_humidity_ratio, cell(i, "KivoutOA" + s_or_w + "_AbsHum")) << i;
    EXPECT_EQ(h.supply_dry_bulb, cell(i, "KivoutSa" + s_or_w + "_DBT")) << i;
    EXPECT_EQ(h.supply_humidity_ratio, cell(i, "KivoutSa" + s_or_w + "_AbsHum")) << i;
    EXPECT_EQ(h.exhaust_dry_bulb, cell(i, "KivoutEa" + s_or_w + "_DBT")) << i;
    EXPECT_EQ(h.sensible_efficiency,
              cell(i, std::string("KivoutEfficiency") + (h.winter_figures ? "Winter" : "Summer") + "SupplyCondensation")) << i;
    EXPECT_EQ(h.supply_pdrop_pa, cell(i, "KivoutPDActualSupply" + s_or_w)) << i;
    EXPECT_EQ(h.exhaust_pdrop_pa, cell(i, "KivoutPDActualExhaust" + s_or_w)) << i;
    if (h.fraction > 0) {
      EXPECT_EQ(h.motor_kw, cell(i, "KivoutCassetteDriveMoter")) << i;
    }
    if (h.mode == HourMode::Heating || h.mode == HourMode::FrostStop) {
      EXPECT_EQ(h.frost_risk, batch.rows[i][batch.column("frost_risk")] == "true") << i;
    }
  }
}

TEST_P(AnnualYear, SummaryIsTheSumOfTheHourlyTable) {
  const json& c = GetParam();
  const AnnualStudy& s = study_of(c);
  std::ostringstream out;
  write_hourly_csv(s, out);
  const Table hourly = read_table(out.str());
  ASSERT_EQ(hourly.rows.size(), 8760u);
  const json summary = json::parse(annual_json(s).dump());
  const std::vector<std::string> columns = hourly_csv_columns(s.si);
  const std::string p = s.si ? "_kW" : "_kBtuh";
  const std::vector<std::pair<std::string, std::string>> energies{
      {"heating_sensible" + p, "/heating/sensible"}, {"heating_latent" + p, "/heating/latent"},
      {"heating_total" + p, "/heating/total"},       {"cooling_sensible" + p, "/cooling/sensible"},
      {"cooling_latent" + p, "/cooling/latent"},     {"cooling_total" + p, "/cooling/total"},
      {"preheat" + p, "/preheat"},                   {"fan" + p, "/fan"}, {"motor" + p, "/motor"}};
  std::map<std::string, std::array<double, 13>> sums;  // [12]: the year
  for (const auto& row : hourly.rows) {
    const size_t m = std::stoul(row[hourly.column("month")]) - 1;
    const std::string mode = row[hourly.column("mode")];
    for (const auto& [column, pointer] : energies) {
      const double v = std::stod(row[hourly.column(column)]);
      sums[pointer][m] += v;
      sums[pointer][12] += v;
    }
    for (const std::string& key : {"/hours/" + mode, std::string("/operatingHours")})
      if (mode != "off") sums[key][m] += 1, sums[key][12] += 1;
    if (row[hourly.column("frost_risk")] == "true") sums["/frostRiskHours"][m] += 1, sums["/frostRiskHours"][12] += 1;
  }
  EXPECT_GT(sums["/heating/total"][12], 0);
  EXPECT_GT(sums["/fan"][12], 0);
  for (const auto& [pointer, by_month] : sums) {
    for (size_t m = 0; m <= 12; ++m) {
      const json& period = m < 12 ? summary["months"][m] : summary["year"];
      const double want = period.at(json::json_pointer(pointer)).get<double>();
      EXPECT_NEAR(by_month[m], want, 1e-9 * std::max(1.0, std::fabs(want))) << pointer << " month " << m + 1;
    }
  }
  // The saving prices the year's kWh (IP energies are kBtu).
  const double kwh = s.si ? 1.0 : 1 / 3.41214163;
  if (s.savings) {
    EXPECT_NEAR(summary["year"]["saving"]["heat"].get<double>(), sums["/heating/total"][12] * kwh * s.options.price_heat.value_or(0), 1e-6);
    EXPECT_NEAR(summary["year"]["saving"]["electricity"].get<double>(),
                (sums["/fan"][12] + sums["/motor"][12]) * kwh * s.options.price_electricity.value_or(0), 1e-6);
  }
}

INSTANTIATE_TEST_SUITE_P(Chicago, AnnualYear, testing::ValuesIn(test_support::rows("annual_cases.json", "studies")), case_name);

// ---- What is refused

TEST(AnnualOptions, EachOptionFromItsTextOrAMessageNamingOptionAndValue) {
  for (const auto& c : test_support::rows("annual_cases.json", "options")) {
    AnnualOptions o;
    try {
      set_annual_option(o, c["name"], c["value"]);
      EXPECT_TRUE(c["message"].is_null()) << "accepted " << c;
    } catch (const std::invalid_argument& e) {
      ASSERT_FALSE(c["message"].is_null()) << e.what();
      EXPECT_NE(std::string(e.what()).find(c["message"].get<std::string>()), std::string::npos) << e.what();
    }
  }
}

TEST(OperatingSchedule, HoursOfTheWeekOrTheFaultyPart) {
  for (const auto& c : test_support::rows("annual_cases.json", "schedules")) {
    if (c.contains("message")) {
      try {
        OperatingSchedule::parse(c["text"].get<std::string>());
        ADD_FAILURE() << "accepted " << c["text"];
      } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find(c["message"].get<std::string>()), std::string::npos) << e.what();
      }
      continue;
    }
    const OperatingSchedule s = OperatingSchedule::parse(c["text"].get<std::string>());
    EXPECT_EQ(s.hours_per_week(), c["hours_per_week"].get<int>()) << c["text"];
    for (const auto& h : c["on"]) EXPECT_TRUE(s.operates(h[0], h[1])) << c["text"] << " " << h;
    for (const auto& h : c["off"]) EXPECT_FALSE(s.operates(h[0], h[1])) << c["text"] << " " << h;
  }
}

TEST(AnnualStudyInput, BadUnitsAreRefusedNamingTheProperty) {
  for (const auto& c : test_support::rows("annual_cases.json", "bad_units")) {
    try {
      run_annual_study(unit(c), chicago(), options_of(c.value("options", json::object())));
      ADD_FAILURE() << "accepted " << c["name"];
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c["message"].get<std::string>()), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace novaflux
