// Reference cases of the rating steps and runs, one data file per subsystem
// (tests/data/*_cases.json). A case prepares a catalogue and an object, calls one or more steps
// or methods and checks properties and internal values against figures derived by hand; each
// case names the source of its figures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <variant>

#include "common/module_state.hpp"
#include "common/run_error.hpp"
#include "component/interface_table.hpp"
#include "component/run_steps.hpp"
#include "support/files.hpp"
#include "support/run_fixture.hpp"
#include "support/test_catalogue.hpp"
#include "support/test_data.hpp"

using namespace novaflux;
using json = nlohmann::ordered_json;

namespace {

using Ref = std::variant<double*, float*, int16_t*, int32_t*, bool*, std::string*, Variant*>;

// Internal values a case may set or check, by the names the run steps use ("@Name").
Ref internal(KivClass& k, const std::string& name) {
  auto& f = detail::fields(k);
  auto& m = module_state();
  auto& p = m.performance;
#define F(x) if (name == #x) return &f.x;
#define P(x) if (name == #x) return &p.x;
  F(RequiredFaceArea) F(SelectedNetArea) F(SupplyCfm) F(ReturnCfm) F(SmallerAirflowCfm)
  F(LargerAirflowCfm) F(SaVelocityFpm) F(RaVelocityFpm) F(FirstModelId) F(LastModelId)
  F(SizingMode) F(SeriesCode) F(AirflowUnit)
  P(SummerSupplyEfficiency) P(SummerSupplySEfficiency) P(SummerSupplyLEfficiency)
  P(SummerExhaustEfficiency) P(SummerExhaustSEfficiency) P(SummerExhaustLEfficiency)
  P(WinterSupplyEfficiency) P(WinterSupplySEfficiency) P(WinterSupplyLEfficiency)
  P(WinterExhaustEfficiency) P(WinterExhaustSEfficiency) P(WinterExhaustLEfficiency)
  P(SupplyPdropRaw) P(ExhaustPdropRaw) P(SupplyPressureDrop) P(ExhaustPressureDrop)
#undef F
#undef P
  if (name == "RotorDepth") return &m.constants.RotorDepth;
  if (name == "PerfTypeCode") return &m.constants.PerfTypeCode;
  if (name == "UnitSIFlag") return &m.UnitSIFlag;
  if (name == "ActualSupplyFlowSummer") return &m.actual.ActualSupplyFlowSummer;
  if (name == "ActualReturnFlowSummer") return &m.actual.ActualReturnFlowSummer;
  // "<State>.<part>" of the eight air states.
  AirState* const states[] = {&m.air.OutdoorSummerState, &m.air.OutdoorWinterState, &m.air.ReturnSummerState,
                              &m.air.ReturnWinterState,  &m.air.SupplySummerState,  &m.air.SupplyWinterState,
                              &m.air.ExhaustSummerState, &m.air.ExhaustWinterState};
  const char* const state_names[] = {"OutdoorSummerState", "OutdoorWinterState", "ReturnSummerState", "ReturnWinterState",
                                     "SupplySummerState",  "SupplyWinterState",  "ExhaustSummerState", "ExhaustWinterState"};
  const auto dot = name.find('.');
  for (size_t i = 0; i < 8 && dot != std::string::npos; ++i) {
    if (name.compare(0, dot, state_names[i]) != 0) continue;
    const std::string part = name.substr(dot + 1);  // NOLINT
    AirState& a = *states[i];
    if (part == "DBT") return &a.DBT;
    if (part == "WBT") return &a.WBT;
    if (part == "AbsHum") return &a.AbsHum;
    if (part == "RH") return &a.RH;
    if (part == "Enthalpy") return &a.Enthalpy;
  }
  throw std::runtime_error("no internal value " + name);
}

void assign(Ref r, const json& v) {
  std::visit([&](auto* p) {
    using T = std::remove_pointer_t<decltype(p)>;
    if constexpr (std::is_same_v<T, std::string>) *p = v.get<std::string>();
    else if constexpr (std::is_same_v<T, Variant>) *p = v.is_string() ? Variant(v.get<std::string>()) : Variant(v.get<double>());
    else if constexpr (std::is_same_v<T, bool>) *p = v.get<bool>();
    else *p = static_cast<T>(v.get<double>());
  }, r);
}

void expect_internal(Ref r, const json& want, const std::string& name) {
  std::visit([&](auto* p) {
    using T = std::remove_pointer_t<decltype(p)>;
    if constexpr (std::is_same_v<T, std::string>) EXPECT_EQ(*p, want.get<std::string>()) << name;
    else if constexpr (std::is_same_v<T, Variant>) {
      if (want.is_string()) { EXPECT_EQ(p->to_text(), want.get<std::string>()) << name; }
      else { EXPECT_EQ(p->to_number(), want.get<double>()) << name; }
    } else if constexpr (std::is_same_v<T, bool>) EXPECT_EQ(*p, want.get<bool>()) << name;
    else if constexpr (std::is_same_v<T, float>) EXPECT_FLOAT_EQ(*p, want.get<float>()) << name;
    else { EXPECT_DOUBLE_EQ(static_cast<double>(*p), want.get<double>()) << name; }
  }, r);
}

// A member of a case, or `fallback` when the case has none (a copy: range loops keep it alive).
json member(const json& j, const char* key, json fallback) { return j.contains(key) ? j[key] : fallback; }

const detail::PropertyInfo& property(const std::string& name) {
  const auto* p = detail::find_property(name);
  if (!p) throw std::runtime_error("no property " + name);
  return *p;
}

void set_all(KivClass& k, const json& values) {
  for (const auto& [name, v] : values.items()) {
    if (name[0] == '@') assign(internal(k, name.substr(1)), v);
    else if (v.is_string() && property(name).type == detail::PropType::Variant)
      detail::write_text(k, property(name), v.get<std::string>());
    // JSON has no NaN or infinity: "nan", "inf", "-inf" (or any number as text) for a number.
    else if (v.is_string()) detail::write_number(k, property(name), std::strtod(v.get<std::string>().c_str(), nullptr));
    else if (v.is_boolean()) detail::write_number(k, property(name), v.get<bool>() ? -1 : 0);
    else detail::write_number(k, property(name), v.get<double>());
  }
}

void expect_all(KivClass& k, const json& values) {
  for (const auto& [name, want] : values.items()) {
    if (name[0] == '@') {
      expect_internal(internal(k, name.substr(1)), want, name);
      continue;
    }
    const auto& p = property(name);
    if (want.is_string()) {
      EXPECT_EQ(detail::read_text(k, p), want.get<std::string>()) << name;
      continue;
    }
    double got = 0;
    ASSERT_TRUE(detail::read_number(k, p, got)) << name;
    if (want.is_boolean()) { EXPECT_EQ(got, want.get<bool>() ? -1 : 0) << name; }
    else if (p.type == detail::PropType::Single) { EXPECT_FLOAT_EQ(static_cast<float>(got), want.get<float>()) << name; }
    else { EXPECT_EQ(got, want.get<double>()) << name; }
  }
}

void call(KivClass& k, const std::string& step, const json& c) {
  IgnoreErrors armed;
  armed.arm();
  if (step == "CalculateOutput") k.CalculateOutput();
  else if (step == "CalculateOutputModel") k.CalculateOutputModel();
  else if (step == "EATRValue") k.EATRValue();
  else if (step == "EffectivenessCalculate") k.EffectivenessCalculate();
  else if (step == "EffectivenessCalculateold") k.EffectivenessCalculateold();
  else if (step == "PdropOtherCalculate") {
    // The airflow in m3/h that gives the case's face velocity on the case's area.
    const Variant flow = c.value("fpm", 0.0) / 0.59;
    EXPECT_EQ(k.PdropOtherCalculate(flow, flow, c.value("area", 1.0)), 0.0);
  } else if (step == "SelectModel") detail::SelectModel(k);
  else if (step == "LookupModelRecord") detail::LookupModelRecord(k);
  else if (step == "ModelNameAndCassette") detail::ModelNameAndCassette(k);
  else if (step == "CondensationCheck") detail::CondensationCheck(k);
  else if (step == "ResolveOutdoorSummer") detail::ResolveOutdoorSummer(k);
  else if (step == "ResolveOutdoorWinter") detail::ResolveOutdoorWinter(k);
  else if (step == "ResolveReturnSummer") detail::ResolveReturnSummer(k);
  else if (step == "ResolveReturnWinter") detail::ResolveReturnWinter(k);
  else if (step == "TotalRecoveryKw") detail::TotalRecoveryKw(k);
  else if (step == "SizingAdjustment") detail::SizingAdjustment(k, IgnoreErrors{});
  else if (step == "EfficiencyOutputs") detail::EfficiencyOutputs(k, IgnoreErrors{});
  else if (step == "VelocityAndPressureDropOutputs") detail::VelocityAndPressureDropOutputs(k, IgnoreErrors{});
  // As inside the performance step: a scaling without efficiencies is skipped.
  else if (step == "EnergyWithAndWithoutWheel") detail::EnergyWithAndWithoutWheel(k, armed);
  else throw std::runtime_error("no step " + step);
}

// One step of a case: set, call, then the expected values or the expected failure.
void run_step(KivClass& k, const json& s) {
  set_all(k, member(s, "set", json::object()));
  const json calls = member(s, "call", json::array());
  try {
    const json list = calls.is_array() ? calls : json::array({calls});
    for (const auto& c : list) call(k, c.get<std::string>(), s);
    EXPECT_FALSE(s.contains("error")) << "the call succeeded";
  } catch (const RunError& e) {
    ASSERT_TRUE(s.contains("error")) << e.what();
    const json& want = s["error"];
    if (want.contains("number")) {
      EXPECT_EQ(e.code(), want["number"].get<int>()) << e.what();
    }
    EXPECT_NE(std::string(e.what()).find(want.value("contains", "")), std::string::npos) << e.what();
  }
  expect_all(k, member(s, "expect", json::object()));
  // Pairs of properties that must hold the same value (a stream that passes through unchanged).
  for (const auto& pair : member(s, "same", json::array()))
    EXPECT_EQ(detail::read_text(k, property(pair[0])), detail::read_text(k, property(pair[1]))) << pair.dump();
  // Properties rounded to exactly n decimals: n of them may be nonzero, but not only n - 1.
  const json decimals = member(s, "decimals", json::object());
  for (const auto& [name, n] : decimals.items()) {
    double v = 0;
    ASSERT_TRUE(detail::read_number(k, property(name), v)) << name;
    const double scale = std::pow(10.0, n.get<int>());
    EXPECT_EQ(std::round(v * scale) / scale, v) << name;
    EXPECT_NE(std::round(v * scale / 10) / (scale / 10), v) << name;
  }
}

class ReferenceCases : public ::testing::TestWithParam<json> {};

TEST_P(ReferenceCases, MatchTheDerivedFigures) {
  const json& c = GetParam();
  SCOPED_TRACE(c.value("source", ""));
  std::optional<TestCatalogue> cat;
  std::optional<ScopedCatalogue> use;
  if (c.contains("catalogue")) {
    cat.emplace(c["catalogue"] == "empty" ? TestCatalogue::empty() : TestCatalogue::sample());
    // Statements, or "file:NAME" for a file of them in tests/data.
    for (const auto& sql : member(c, "sql", json::array())) {
      const std::string text = sql.get<std::string>();
      cat->exec(text.rfind("file:", 0) == 0 ? read_bytes(test_support::data_path(text.substr(5))) : text);
    }
    use.emplace(cat->path());
  }
  test_support::reset_thread_state();
  KivClass k;
  if (c.value("day", "") == "si") test_support::set_si_design_day(k);
  if (c.value("day", "") == "ip") test_support::set_ip_design_day(k);
  run_step(k, c);
  for (const auto& s : member(c, "then", json::array())) run_step(k, s);
}

std::string case_name(const ::testing::TestParamInfo<json>& info) { return info.param["name"].get<std::string>(); }

#define REFERENCE_CASES(group, file) \
  INSTANTIATE_TEST_SUITE_P(group, ReferenceCases, ::testing::ValuesIn(test_support::rows(file, "cases")), case_name)

REFERENCE_CASES(Run, "run_cases.json");
REFERENCE_CASES(Selection, "selection_cases.json");
REFERENCE_CASES(Performance, "performance_cases.json");
REFERENCE_CASES(Leakage, "leakage_cases.json");
REFERENCE_CASES(AirStates, "air_state_cases.json");

}  // namespace
