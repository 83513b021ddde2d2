// Hostile inputs through the C interface and the tool (tests/data/hostile_cases.json): NaN,
// infinities, zero, negative and huge airflows, altitudes of a million metres, humidities out
// of range, unknown enumeration values, text where a number belongs. Each gives a completed
// rating whose numbers are all finite, or a clear error; never a crash or a sanitizer report.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "component/interface_table.hpp"
#include "support/c_rating.hpp"
#include "support/files.hpp"
#include "support/test_data.hpp"
#include "support/tool_run.hpp"

namespace novaflux {
namespace {

using json = nlohmann::ordered_json;
using test_support::Rating;

// The day a case starts from: the SI design day, or an IP day in grains.
json day_inputs(const std::string& day) {
  if (day != "si") return test_support::load_json("hostile_cases.json")["ip_grains_day"];
  json si;
  for (const auto& [name, value] : test_support::si_design_day_inputs()) si[name] = value;
  return si;
}

// The base day, then the hostile numbers and texts (a refused write must say why), then the call.
Rating run(const json& base, const json& values, const json& texts, const char* method) {
  KivObject* o = kiv_create();
  for (const auto& [name, value] : base.items()) EXPECT_EQ(kiv_put(o, name.c_str(), value.get<double>()), 0) << name;
  const auto refused_says_why = [&](int status, const std::string& name) {
    if (status != 0) { EXPECT_NE(std::string(kiv_last_error(o)).find(name), std::string::npos) << kiv_last_error(o); }
  };
  for (const auto& [name, v] : values.items())
    refused_says_why(kiv_put(o, name.c_str(), v.is_string() ? std::strtod(v.get<std::string>().c_str(), nullptr) : v.get<double>()), name);
  for (const auto& [name, v] : texts.items()) {
    std::string text = v;
    if (const auto at = text.find("<bytes ff fe>"); at != std::string::npos) text.replace(at, 13, "\xff\xfe");
    refused_says_why(kiv_put_text(o, name.c_str(), text.c_str()), name);
  }
  const Rating r = test_support::capture(o, kiv_call(o, method));
  kiv_destroy(o);
  return r;
}

// Finite figures after a success (EATRValue publishes only its outputs), a described failure otherwise.
void expect_sound(const Rating& r, bool full_run) {
  if (r.status != 0) {
    EXPECT_GT(r.number, 0);
    EXPECT_FALSE(r.error.empty());
    return;
  }
  EXPECT_EQ(r.error, "");
  const auto props = detail::properties();
  for (size_t i = 0; i < props.size(); ++i) {
    if (!full_run && props[i].role != detail::Role::Out) continue;
    const double v = std::strtod(r.values[i].c_str(), nullptr);
    EXPECT_TRUE(r.values[i].rfind("text:", 0) == 0 || std::isfinite(v)) << props[i].name << " = " << r.values[i];
  }
}

class HostileInput : public ::testing::TestWithParam<json> {};

TEST_P(HostileInput, ThroughTheCInterface) {
  const json& c = GetParam();
  const std::string expect = c["expect"], property = c.value("property", "");
  for (const char* method : test_support::kMethods) {
    SCOPED_TRACE(method);
    const bool full_run = std::string(method) != "EATRValue";
    const Rating r = run(day_inputs(c["day"]), c.value("values", json::object()),
                         c.value("texts", json::object()), method);
    expect_sound(r, full_run);
    if (expect == "completes") { EXPECT_EQ(r.status, 0) << r.error; }
    if (!full_run || expect == "sound" || expect == "completes") continue;
    EXPECT_EQ(r.number, expect == "refused" ? 3200 : 6) << r.error;
    EXPECT_NE(r.error.find(property), std::string::npos) << r.error;
  }
}
INSTANTIATE_TEST_SUITE_P(Inputs, HostileInput, ::testing::ValuesIn(test_support::rows("hostile_cases.json", "c_interface")),
                         [](const auto& i) { return i.param["name"].template get<std::string>(); });

// Every input of the interface, one at a time: a sound outcome, and only a NaN, an infinity or
// a negative airflow is refused, naming the property.
TEST(HostileInput, EveryInputWithHostileNumbers) {
  for (const auto& p : detail::properties()) {
    if (p.role == detail::Role::Out) continue;
    const std::string name(p.name);
    for (const double v : {std::nan(""), -1.0, 1e308, -1e308, 32768.0, 3.5e38}) {
      SCOPED_TRACE(name + " = " + std::to_string(v));
      const Rating r = run(day_inputs("si"), json{{name, v}}, json::object(), "CalculateOutput");
      expect_sound(r, true);
      if (r.number != 3200) continue;
      const bool airflow = name == "KivinputSupplyAir" || name == "KivinputReturnAir";
      EXPECT_TRUE(!std::isfinite(v) || (airflow && v < 0)) << r.error;
      EXPECT_NE(r.error.find(name), std::string::npos) << r.error;
    }
  }
}

// ---- Through the tool

class HostileTool : public ::testing::TestWithParam<json> {};

TEST_P(HostileTool, RateGivesAResultOrAClearError) {
  const json& c = GetParam();
  TempDir dir;
  // The case's members over the SI design day; anything else as it is.
  nlohmann::json input = nlohmann::json::parse(read_bytes(std::string(NOVAFLUX_SOURCE_DIR) + "/examples/si_design_day.json"));
  const nlohmann::json extra = nlohmann::json::parse(c["json"].get<std::string>(), nullptr, false);
  std::string text = c["json"];
  if (!extra.is_discarded() && extra.is_object()) {
    input.update(extra);
    text = input.dump();
  }
  write_bytes((dir.path / "in.json").string(), text);
  std::vector<std::string> args{"rate", (dir.path / "in.json").string()};
  std::istringstream options(c["options"].get<std::string>());
  for (std::string o; options >> o;) args.push_back(o);
  const test_support::ToolRun r = test_support::run_tool(args);
  ASSERT_LT(r.status, 128) << "the tool did not exit normally:\n" << r.err;
  if (c["exit_status"] >= 0) { EXPECT_EQ(r.status, c["exit_status"].get<int>()) << r.out << r.err; }
  if (r.status == 1) {
    EXPECT_EQ(r.err.rfind("novaflux rate: ", 0), 0u) << r.err;
    return;
  }
  const nlohmann::json out = nlohmann::json::parse(r.out, nullptr, false);
  ASSERT_FALSE(out.is_discarded()) << r.out;
  if (r.status == 0) {
    EXPECT_TRUE(out["error"].is_null());
    for (const auto& p : detail::properties())  // a NaN or infinity would print as null
      if (p.type == detail::PropType::Double || p.type == detail::PropType::Single) { EXPECT_TRUE(out[std::string(p.name)].is_number()) << p.name; }
  } else {
    ASSERT_TRUE(out["error"].is_object()) << r.out;
    if (c["error_number"] != 0) { EXPECT_EQ(out["error"]["number"].get<int>(), c["error_number"].get<int>()) << out["error"]; }
    EXPECT_FALSE(out["error"]["description"].get<std::string>().empty());
  }
}
INSTANTIATE_TEST_SUITE_P(Files, HostileTool, ::testing::ValuesIn(test_support::rows("hostile_cases.json", "tool")),
                         [](const auto& i) { return i.param["name"].template get<std::string>(); });

}  // namespace
}  // namespace novaflux
