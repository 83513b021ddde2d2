// Hostile inputs through the C interface and the tool: NaN, infinities, zero, negative and huge
// airflows, altitudes of a million metres, humidities out of range or above saturation, unknown
// enumeration values, text where a number belongs. Each gives a completed rating whose numeric
// properties are all finite, or a clear error (a number and a description); never a crash, a
// hang or a sanitizer report.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "component/interface_table.hpp"
#include "novaflux/kiv.h"
#include "support/design_days.hpp"
#include "support/test_catalogue.hpp"

namespace novaflux {
namespace {

namespace fs = std::filesystem;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using Inputs = std::vector<std::pair<const char*, double>>;

const Inputs kSiDay(std::begin(novaflux::test_support::kSiDesignDayByName),
                   std::end(novaflux::test_support::kSiDesignDayByName));

const Inputs kIpGrainsDay = {
    {"KivunitSI", 0},          {"KivinputSupplyAir", 8000}, {"KivinputReturnAir", 8000},
    {"KivinputAltitude", 300}, {"KivinputLeakagePressureDifference", 0.8},
    {"KivinputOAUnitDBTGR", 1}, {"KivinputRAUnitDBTGR", 1},  {"KivinputOAS_DBT", 95},
    {"KivinputOAS_GR", 120},   {"KivinputOAW_DBT", 10},     {"KivinputOAW_GR", 8},
    {"KivinputRaS_DBT", 75},   {"KivinputRaS_GR", 65},      {"KivinputRaW_DBT", 70},
    {"KivinputRaW_GR", 40},    {"KivinputModel", 62}};

struct Outcome {
  int status = 0;
  int number = 0;
  std::string error;
  // The first property that is NaN or infinite, if any: among the outputs, and after a full
  // run (which normalises its inputs in place) among all numeric properties.
  std::string non_finite;
};

// Creates an object, writes the base day, then the hostile values (a write may be refused: it
// must then say why), and calls the method.
Outcome run(const Inputs& base, const Inputs& hostile, const std::vector<std::pair<const char*, const char*>>& texts,
            const char* method) {
  KivObject* o = kiv_create();
  for (const auto& [name, value] : base) EXPECT_EQ(kiv_put(o, name, value), 0) << name;
  for (const auto& [name, value] : hostile) {
    if (kiv_put(o, name, value) != 0) {
      EXPECT_GT(kiv_last_error_number(o), 0) << name;
      EXPECT_NE(std::string(kiv_last_error(o)).find(name), std::string::npos)
          << "a refused write names the property: " << kiv_last_error(o);
    }
  }
  for (const auto& [name, text] : texts) {
    if (kiv_put_text(o, name, text) != 0) {
      EXPECT_GT(kiv_last_error_number(o), 0) << name;
      EXPECT_NE(std::string(kiv_last_error(o)).find(name), std::string::npos) << kiv_last_error(o);
    }
  }
  Outcome out;
  out.status = kiv_call(o, method);
  out.number = kiv_last_error_number(o);
  out.error = kiv_last_error(o);
  const bool full_run = std::string(method) != "EATRValue";
  for (const auto& p : detail::properties()) {
    if (!full_run && p.role != detail::Role::Out) continue;
    const std::string name(p.name);
    double value = 0.0;
    if (kiv_get(o, name.c_str(), &value) == 0 && !std::isfinite(value) && out.non_finite.empty())
      out.non_finite = name + " = " + std::to_string(value);
  }
  kiv_destroy(o);
  return out;
}

// What every outcome must be: finite figures after a success, a described failure otherwise.
void expect_sound(const Outcome& o) {
  if (o.status == 0) {
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.non_finite, "") << "a completed rating published a NaN or an infinity";
  } else {
    EXPECT_GT(o.number, 0);
    EXPECT_FALSE(o.error.empty());
  }
}

constexpr const char* kMethods[] = {"CalculateOutput", "CalculateOutputModel", "EATRValue"};

// ---------------------------------------------------------------------------------------------
// Named cases with the reaction they must have

enum class Expect {
  Sound,           // any sound outcome
  Completes,       // a completed rating, all figures finite
  Refused,         // CalculateOutput(Model) fail with 3200 naming the property
  AltitudeRange,   // CalculateOutput(Model) fail with an overflow naming the altitude
};

struct Case {
  const char* name;
  bool ip = false;
  Inputs values = {};
  std::vector<std::pair<const char*, const char*>> texts = {};
  Expect expect = Expect::Sound;
  const char* property = "";  // the property the failure names
};

const Case kCases[] = {
    {"nan_airflow", false, {{"KivinputSupplyAir", kNaN}}, {}, Expect::Refused, "KivinputSupplyAir"},
    {"inf_airflow", false, {{"KivinputReturnAir", kInf}}, {}, Expect::Refused, "KivinputReturnAir"},
    {"minus_inf_temperature", false, {{"KivinputOAW_DBT", -kInf}}, {}, Expect::Refused, "KivinputOAW_DBT"},
    {"nan_humidity", true, {{"KivinputRaS_GR", kNaN}}, {}, Expect::Refused, "KivinputRaS_GR"},
    {"nan_single", false, {{"KivinputMassflowSs", kNaN}}, {}, Expect::Refused, "KivinputMassflowSs"},
    {"inf_pressure_difference", false, {{"KivinputLeakagePressureDifference", kInf}}, {}, Expect::Refused,
     "KivinputLeakagePressureDifference"},
    {"zero_airflows", false, {{"KivinputSupplyAir", 0}, {"KivinputReturnAir", 0}}},
    {"zero_supply", false, {{"KivinputSupplyAir", 0}}},
    {"negative_airflows", false, {{"KivinputSupplyAir", -10000}, {"KivinputReturnAir", -9000}}, {}, Expect::Refused,
     "KivinputSupplyAir"},
    {"negative_return", true, {{"KivinputReturnAir", -1}}, {}, Expect::Refused, "KivinputReturnAir"},
    {"negative_airflow_unused_in_mass_flow_mode", false,
     {{"KivinputMassflowCfm", 1}, {"KivinputMassflowSs", 12000}, {"KivinputMassflowEs", 10800}, {"KivinputSupplyAir", -5}},
     {}, Expect::Completes},
    {"huge_airflow", false, {{"KivinputSupplyAir", 1e308}}},
    {"huge_negative_airflow", false, {{"KivinputReturnAir", -1e308}}, {}, Expect::Refused, "KivinputReturnAir"},
    {"denormal_airflow", false, {{"KivinputSupplyAir", 4.9e-324}}},
    {"altitude_plus_million", false, {{"KivinputAltitude", 1e6}}, {}, Expect::AltitudeRange, "KivinputAltitude"},
    {"altitude_minus_million", true, {{"KivinputAltitude", -1e6}}, {}, Expect::AltitudeRange, "KivinputAltitude"},
    {"altitude_beyond_16_bits", false, {{"KivinputAltitude", 32768}}, {}, Expect::AltitudeRange, "KivinputAltitude"},
    {"altitude_below_16_bits", false, {{"KivinputAltitude", -32769}}, {}, Expect::AltitudeRange, "KivinputAltitude"},
    {"altitude_at_16_bit_top", false, {{"KivinputAltitude", 32767}}, {}, Expect::Completes},
    {"altitude_at_16_bit_bottom", true, {{"KivinputAltitude", -32768}}, {}, Expect::Completes},
    {"altitude_huge", false, {{"KivinputAltitude", 1e308}}, {}, Expect::AltitudeRange, "KivinputAltitude"},
    {"rh_minus_5", false, {{"KivinputOAS_RH", -5}, {"KivinputRaW_RH", -5}}},
    {"rh_150", false, {{"KivinputOAS_RH", 150}, {"KivinputOAW_RH", 150}, {"KivinputRaS_RH", 150}}},
    {"rh_zero", false, {{"KivinputOAW_RH", 0}, {"KivinputRaS_RH", 0}}},
    {"grains_above_saturation", true, {{"KivinputOAS_GR", 900}, {"KivinputRaW_GR", 500}}},
    {"grains_negative", true, {{"KivinputOAW_GR", -50}}},
    {"grains_huge", true, {{"KivinputOAS_GR", 1e308}}},
    {"wet_bulb_above_dry_bulb", false,
     {{"KivinputOAUnitDBTRH", 0}, {"KivinputOAUnitDBTWBT", 1}, {"KivinputOAS_WBT", 60}, {"KivinputOAW_WBT", 5}}},
    {"temperature_absurd", false, {{"KivinputOAS_DBT", 1000}, {"KivinputOAW_DBT", -1000}}},
    {"temperature_huge", true, {{"KivinputOAS_DBT", 1e308}}},
    {"no_input_mode", false, {{"KivinputOAUnitDBTRH", 0}, {"KivinputRAUnitDBTRH", 0}}},
    {"every_input_mode", false,
     {{"KivinputOAUnitDBTGR", 1}, {"KivinputOAUnitDBTWBT", 1}, {"KivinputRAUnitDBTGR", 1},
      {"KivinputRAUnitDBTWBT", 1}}},
    {"unknown_model", false, {{"KivinputModel", 9999}}},
    {"negative_model", false, {{"KivinputModel", -1}}},
    {"model_beyond_32_bits", false, {{"KivinputModel", 1e10}}},
    {"unknown_series", false, {{"KivinputSeries", 7}}},
    {"zero_series", true, {{"KivinputSeries", 0}}},
    {"boolean_two", false, {{"KivinputLeakage", 2}, {"KivPurgeWithout", -7}}},
    {"boolean_nan", false, {{"KivinputMassflowCfm", kNaN}}},
    {"integer_output_overflow", false, {{"KivOutErrorCode", 40000}}},
    {"pressure_difference_beyond_single", false, {{"KivinputLeakagePressureDifference", 1e39}}},
    {"pressure_difference_negative", true, {{"KivinputLeakagePressureDifference", -5}}},
    {"pressure_difference_huge_single", false, {{"KivinputLeakagePressureDifference", 3e38}}},
    {"mass_flows", false, {{"KivinputMassflowCfm", 1}, {"KivinputMassflowSs", -1e30f}, {"KivinputMassflowEs", 0}}, {},
     Expect::Refused, "KivinputMassflowSs"},
    {"text_airflow", false, {}, {{"KivinputSupplyAir", "ten thousand"}}},
    {"text_empty", false, {}, {{"KivinputAltitude", ""}}},
    {"text_overflowing_number", false, {}, {{"KivinputReturnAir", "1e400"}}},
    {"text_nan", false, {}, {{"KivinputOAS_DBT", "nan"}}},
    {"text_model_name", false, {}, {{"KivinputModel", "TXL_1400_Q_480_Condensation"}}},
    {"text_into_variant_output", false, {}, {{"KivOutNOVAFLUXModel", "\xff\xfe not UTF-8"}}},
    {"text_boolean", false, {}, {{"KivunitSI", "maybe"}}},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ReliabilityHostile : public ::testing::TestWithParam<Case> {};

TEST_P(ReliabilityHostile, ThroughTheCInterface) {
  const Case& c = GetParam();
  for (const char* method : kMethods) {
    SCOPED_TRACE(method);
    const Outcome o = run(c.ip ? kIpGrainsDay : kSiDay, c.values, c.texts, method);
    expect_sound(o);
    const bool full_run = std::string(method) != "EATRValue";
    switch (c.expect) {
      case Expect::Sound:
        break;
      case Expect::Completes:
        EXPECT_EQ(o.status, 0) << o.error;
        break;
      case Expect::Refused:
        if (!full_run) break;
        EXPECT_EQ(o.number, 3200) << o.error;
        EXPECT_NE(o.error.find(c.property), std::string::npos) << o.error;
        break;
      case Expect::AltitudeRange:
        if (!full_run) break;
        EXPECT_EQ(o.number, 6) << o.error;
        EXPECT_NE(o.error.find(c.property), std::string::npos) << o.error;
        break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, ReliabilityHostile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Outputs are properties a host may write too. A run writes the outputs of its mode; one it
// does not write (the outdoor wet bulb when the outdoor air is given by humidity ratio) keeps
// whatever the host put there, even a NaN, while every output the run writes is finite. (Found
// by the C interface fuzz target; its finiteness check skips outputs the host poisoned.)
TEST(ReliabilityHostileOutputs, OutputTheRunDoesNotWriteKeepsTheHostsValue) {
  KivObject* o = kiv_create();
  for (const auto& [name, value] : kIpGrainsDay) ASSERT_EQ(kiv_put(o, name, value), 0) << name;
  ASSERT_EQ(kiv_put(o, "KivoutOAS_WBT", kNaN), 0);
  ASSERT_EQ(kiv_put(o, "KivoutCassetteHight", kNaN), 0);
  ASSERT_EQ(kiv_put(o, "KivoutSaS_DBT", -kInf), 0);
  ASSERT_EQ(kiv_call(o, "CalculateOutput"), 0) << kiv_last_error(o);
  double value = 0.0;
  ASSERT_EQ(kiv_get(o, "KivoutOAS_WBT", &value), 0);
  EXPECT_TRUE(std::isnan(value)) << "not written in humidity-ratio mode: " << value;
  for (const auto& p : detail::properties()) {
    const std::string name(p.name);
    if (name == "KivoutOAS_WBT") continue;
    if (kiv_get(o, name.c_str(), &value) == 0) {
      EXPECT_TRUE(std::isfinite(value)) << name << " = " << value;
    }
  }
  kiv_destroy(o);
}

// Every input property of the interface, one at a time, with every hostile number.
TEST(ReliabilityHostileMatrix, EveryInputWithEveryHostileNumber) {
  const double values[] = {kNaN, kInf, -kInf, 0.0, -0.0, -1.0, 4.9e-324, 1e308, -1e308,
                           1e6, -1e6, 150.0, -5.0, 32768.0, 2147483648.0, 3.5e38};
  size_t runs = 0, completed = 0;
  for (const auto& p : detail::properties()) {
    if (p.role == detail::Role::Out) continue;
    const std::string name(p.name);
    for (const bool ip : {false, true}) {
      for (const double v : values) {
        for (const char* method : {"CalculateOutput", "CalculateOutputModel"}) {
          SCOPED_TRACE(name + " = " + std::to_string(v) + (ip ? " (IP) " : " (SI) ") + method);
          const Outcome o = run(ip ? kIpGrainsDay : kSiDay, {{name.c_str(), v}}, {}, method);
          expect_sound(o);
          ++runs;
          if (o.status == 0) ++completed;
          if (o.status != 0 && o.number == 3200) {
            // Only a NaN, an infinity or a negative airflow is refused, and the message names it.
            const bool airflow = name == "KivinputSupplyAir" || name == "KivinputReturnAir";
            EXPECT_TRUE(!std::isfinite(v) || (airflow && v < 0)) << o.error;
            EXPECT_NE(o.error.find(name), std::string::npos) << o.error;
          }
        }
      }
    }
  }
  EXPECT_GT(completed, runs / 3) << "most hostile single values still leave a rating";
}

// ---------------------------------------------------------------------------------------------
// Through the tool: `novaflux rate` and `novaflux batch`

struct ToolRun {
  int exit_status = -1;  // -1: did not exit normally (a signal)
  std::string out, err;
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

ToolRun run_tool(const std::string& dir, const std::string& args) {
  const std::string out = dir + "/stdout", err = dir + "/stderr";
  const std::string command =
      std::string(NOVAFLUX_BINARY_DIR) + "/bin/novaflux " + args + " >" + out + " 2>" + err + " </dev/null";
  const int status = std::system(command.c_str());
  ToolRun r;
  if (WIFEXITED(status)) r.exit_status = WEXITSTATUS(status);
  r.out = read_file(out);
  r.err = read_file(err);
  return r;
}

void expect_no_sanitizer_report(const ToolRun& r) {
  for (const char* marker : {"Sanitizer", "runtime error:", "Segmentation", "Aborted"})
    EXPECT_EQ(r.err.find(marker), std::string::npos) << r.err;
}

struct ToolCase {
  const char* name;
  const char* json;
  const char* options;  // after the file name
  int exit_status;      // 0 rated, 1 input refused, 2 the rating failed
  int error_number;     // for exit status 2
};

const ToolCase kToolCases[] = {
    {"plain", "{}", "", 0, 0},
    {"text_for_number", R"({"KivinputSupplyAir": "NaN"})", "", 1, 0},
    {"number_beyond_double", R"({"KivinputSupplyAir": 1e400})", "", 1, 0},
    {"huge_airflow", R"({"KivinputSupplyAir": 1e308})", "", 2, 6},
    {"negative_airflows", R"({"KivinputSupplyAir": -5000, "KivinputReturnAir": -1})", "", 2, 3200},
    {"zero_airflows", R"({"KivinputSupplyAir": 0, "KivinputReturnAir": 0})", "", 0, 0},
    {"altitude_plus_million", R"({"KivinputAltitude": 1000000})", "", 2, 6},
    {"altitude_minus_million", R"({"KivinputAltitude": -1000000})", "--model 66", 2, 6},
    {"rh_out_of_range", R"({"KivinputOAS_RH": 150, "KivinputOAW_RH": -5})", "", 0, 0},
    {"grains_above_saturation",
     R"({"KivinputOAUnitDBTRH": false, "KivinputOAUnitDBTGR": true, "KivinputOAS_GR": 400, "KivinputOAW_GR": 90})", "",
     0, 0},
    {"unknown_model_number", "{}", "--model 9999", -2, 0},
    {"unknown_model_name", R"({"KivinputModel": "TXL_9999"})", "", 1, 0},
    {"model_as_fraction", R"({"KivinputModel": 66.5})", "", 0, 0},  // rounds half to even: 66
    {"unknown_series", R"({"KivinputSeries": 7})", "", 0, 0},
    {"boolean_as_text", R"({"KivPurgeWithout": "yes"})", "", 1, 0},
    {"pressure_difference_beyond_single", R"({"KivinputLeakagePressureDifference": 1e39})", "", 1, 0},
    {"unknown_property", R"({"KivinputAirflow": 1})", "", 1, 0},
    {"not_an_object", "[1, 2, 3]", "", 1, 0},
    {"not_json", "{\"KivinputSupplyAir\": ", "", 1, 0},
    {"deep_nesting", "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]", "", 1, 0},
};

void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.name; }

class ReliabilityHostileTool : public ::testing::TestWithParam<ToolCase> {};

TEST_P(ReliabilityHostileTool, RateGivesAResultOrAClearError) {
  const ToolCase& c = GetParam();
  const std::string dir = make_temp_dir();
  // The case's members over the SI design day.
  nlohmann::json input = nlohmann::json::parse(read_file(std::string(NOVAFLUX_SOURCE_DIR) + "/examples/si_design_day.json"));
  const nlohmann::json extra = nlohmann::json::parse(c.json, nullptr, false);
  std::string text;
  if (!extra.is_discarded() && extra.is_object()) {
    input.update(extra);
    text = input.dump();
  } else {
    text = c.json;
  }
  std::ofstream(dir + "/in.json") << text;
  const ToolRun r = run_tool(dir, "rate " + dir + "/in.json " + c.options);
  fs::remove_all(dir);

  expect_no_sanitizer_report(r);
  ASSERT_GE(r.exit_status, 0) << "the tool did not exit normally:\n" << r.err;
  if (c.exit_status >= 0) {
    EXPECT_EQ(r.exit_status, c.exit_status) << r.out << r.err;
  }
  if (r.exit_status == 1) {
    EXPECT_EQ(r.err.rfind("novaflux rate: ", 0), 0u) << r.err;
    EXPECT_GT(r.err.size(), std::string("novaflux rate: \n").size());
    return;
  }
  ASSERT_TRUE(r.exit_status == 0 || r.exit_status == 2) << r.err;
  const nlohmann::json out = nlohmann::json::parse(r.out, nullptr, false);
  ASSERT_FALSE(out.is_discarded()) << r.out;
  if (r.exit_status == 0) {
    EXPECT_TRUE(out["error"].is_null());
    // The tool prints a NaN or an infinity as null: every Double and Single must be a number.
    for (const auto& p : detail::properties()) {
      if (p.type == detail::PropType::Double || p.type == detail::PropType::Single) {
        EXPECT_TRUE(out[std::string(p.name)].is_number()) << p.name << " = " << out[std::string(p.name)];
      }
    }
  } else {
    ASSERT_TRUE(out["error"].is_object()) << r.out;
    if (c.error_number) {
      EXPECT_EQ(out["error"]["number"], c.error_number) << out["error"];
    }
    EXPECT_GT(out["error"]["number"].get<int>(), 0);
    EXPECT_FALSE(out["error"]["description"].get<std::string>().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Files, ReliabilityHostileTool, ::testing::ValuesIn(kToolCases),
                         [](const ::testing::TestParamInfo<ToolCase>& info) { return std::string(info.param.name); });

const char* const kBatchHeader =
    "KivunitSI,KivinputSupplyAir,KivinputReturnAir,KivinputAltitude,KivinputLeakagePressureDifference,"
    "KivinputOAUnitDBTRH,KivinputRAUnitDBTRH,KivinputOAS_DBT,KivinputOAS_RH,KivinputOAW_DBT,KivinputOAW_RH,"
    "KivinputRaS_DBT,KivinputRaS_RH,KivinputRaW_DBT,KivinputRaW_RH\n";

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(ReliabilityHostileTool, BatchRowsWithHostileNumbersFailOneByOne) {
  const std::string dir = make_temp_dir();
  const char* rows[] = {
      "true,10000,9000,200,110,true,true,35,40,-10,80,24,50,21,40",      // a plain rating
      "true,10000,9000,1e6,110,true,true,35,40,-10,80,24,50,21,40",      // altitude out of range
      "true,10000,9000,-32769,110,true,true,35,40,-10,80,24,50,21,40",   // altitude out of range
      "true,1e308,9000,200,110,true,true,35,40,-10,80,24,50,21,40",      // huge airflow
      "true,0,0,200,110,true,true,35,40,-10,80,24,50,21,40",             // no airflow
      "true,-10000,9000,200,110,true,true,35,150,-10,-5,24,50,21,40",    // negative flow, RH out of range
      "false,1e-300,1e300,4000,-3,true,true,1e6,40,-1e6,80,75,50,70,40", // absurd IP figures
  };
  std::string csv = kBatchHeader;
  for (const char* row : rows) csv += std::string(row) + "\n";
  std::ofstream(dir + "/in.csv") << csv;
  const ToolRun r = run_tool(dir, "batch " + dir + "/in.csv -o " + dir + "/out.csv --threads 2");
  const std::string out = read_file(dir + "/out.csv");
  fs::remove_all(dir);

  expect_no_sanitizer_report(r);
  ASSERT_EQ(r.exit_status, 2) << "some rows fail, none stops the batch:\n" << r.err;
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), std::size(rows) + 1) << out;
  // A completed row ends with failure number 0, no text and its frost check; a failed one names
  // its failure.
  const auto completed = [](const std::string& line) { return ends_with(line, ",0,,true") || ends_with(line, ",0,,false"); };
  EXPECT_TRUE(completed(lines[1])) << lines[1];
  EXPECT_NE(lines[2].find(",6,"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find(",6,"), std::string::npos) << lines[3];
  for (size_t i = 1; i < lines.size(); ++i) {
    if (!completed(lines[i])) continue;
    EXPECT_EQ(lines[i].find("nan"), std::string::npos) << "a completed row publishes finite figures: " << lines[i];
    EXPECT_EQ(lines[i].find("inf"), std::string::npos) << "a completed row publishes finite figures: " << lines[i];
  }
}

// A cell that is no number (NaN and infinities included) is a defect of the input file: the
// batch stops before rating, naming the line, the column and the property.
TEST(ReliabilityHostileTool, BatchCellThatIsNoNumberStopsNamingItsPlace) {
  for (const char* cell : {"nan", "inf", "-Infinity", "ten", "0x10", "1e400", "\"\""}) {
    SCOPED_TRACE(cell);
    const std::string dir = make_temp_dir();
    std::ofstream(dir + "/in.csv") << kBatchHeader << "true,10000,9000,200,110,true,true,35,40,-10,80,24,50,21,40\n"
                                   << "true,10000," << cell << ",200,110,true,true,35,40,-10,80,24,50,21,40\n";
    const ToolRun r = run_tool(dir, "batch " + dir + "/in.csv -o " + dir + "/out.csv");
    const bool output_written = fs::exists(dir + "/out.csv");
    fs::remove_all(dir);
    expect_no_sanitizer_report(r);
    if (std::string(cell) == "\"\"") {
      // An empty cell keeps the value of a new object: a rating, not an input error.
      EXPECT_NE(r.exit_status, 1) << r.err;
      continue;
    }
    EXPECT_EQ(r.exit_status, 1) << r.err;
    EXPECT_NE(r.err.find("line 3, column 3: KivinputReturnAir"), std::string::npos) << r.err;
    EXPECT_FALSE(output_written) << "the output appears only when complete";
  }
}

}  // namespace
}  // namespace novaflux
