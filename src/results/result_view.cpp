// The datasheet view of a rating, read from the object's properties through the interface
// table, with the units the table gives each quantity in the run's unit system.
#include "novaflux/result_view.hpp"

#include <cmath>
#include <string>
#include <string_view>

#include "common/fp_state.hpp"
#include "common/numeric.hpp"
#include "component/interface_table.hpp"

namespace novaflux {

namespace {

using detail::PropertyInfo;
using detail::PropType;

const PropertyInfo& property(std::string_view name) {
  const PropertyInfo* p = detail::find_property(name);
  if (!p) throw std::logic_error("no property " + std::string(name));
  return *p;
}

// The value as a person reads it: singles by their shortest float text, so 0.77f shows 0.77.
std::string value_text(const KivClass& k, std::string_view name) {
  const PropertyInfo& p = property(name);
  if (p.type == PropType::Variant) {
    const Variant& v = k.*std::get<Variant KivClass::*>(p.accessor);
    return v.is_number() ? number_text(v.number()) : v.text();
  }
  if (p.type == PropType::Single) {
    const float f = k.*std::get<float KivClass::*>(p.accessor);
    return std::isfinite(f) ? single_text(f) : std::string("—");
  }
  double value = 0.0;
  detail::read_number(k, p, value);
  if (p.type == PropType::Boolean) return value != 0.0 ? "yes" : "no";
  return std::isfinite(value) ? number_text(value) : std::string("—");
}

bool flag(const KivClass& k, std::string_view name) {
  double value = 0.0;
  detail::read_number(k, property(name), value);
  return value != 0.0;
}

std::string unit_of(std::string_view name, bool si) {
  return std::string(detail::unit_text(property(name).quantity, si));
}

// A label, value, unit row of one property.
std::vector<std::string> row(const KivClass& k, const char* label, std::string_view name, bool si) {
  return {label, value_text(k, name), unit_of(name, si)};
}

std::string with_unit(const char* heading, std::string_view unit) {
  return std::string(heading) + ", " + std::string(unit);
}

// The way the run was given one stream's moisture. The precedence is the one the entering-air
// resolvers use.
std::string outdoor_mode(const KivClass& k) {
  const bool rh = flag(k, "KivinputOAUnitDBTRH"), gr = flag(k, "KivinputOAUnitDBTGR");
  if (rh && !gr) return "dry bulb + relative humidity";
  if (gr && !rh) return "dry bulb + humidity ratio";
  return "dry bulb + wet bulb";
}

std::string return_mode(const KivClass& k) {
  const bool wb = k.get_KivinputRAUnitDBTWBT(), rh = flag(k, "KivinputRAUnitDBTRH");
  if (wb && !rh) return "dry bulb + wet bulb";
  if (rh && !wb) return "dry bulb + relative humidity";
  return "dry bulb + humidity ratio";
}

ViewTable inputs(const KivClass& k, bool si) {
  ViewTable t{"Inputs", {"Input", "Value", "Unit"}, {}};
  t.rows.push_back({"Unit system", si ? "SI" : "IP", ""});
  if (flag(k, "KivinputMassflowCfm")) {
    t.rows.push_back(row(k, "Supply mass flow", "KivinputMassflowSs", si));
    t.rows.push_back(row(k, "Return mass flow", "KivinputMassflowEs", si));
  }
  t.rows.push_back(row(k, "Supply airflow", "KivinputSupplyAir", si));
  t.rows.push_back(row(k, "Return airflow", "KivinputReturnAir", si));
  t.rows.push_back(row(k, "Site altitude", "KivinputAltitude", si));
  if (k.KivoutAtmPressure != 0.0) t.rows.push_back(row(k, "Atmospheric pressure", "KivoutAtmPressure", si));
  t.rows.push_back(row(k, "Pressure difference between the air streams", "KivinputLeakagePressureDifference", si));
  t.rows.push_back({"Purge sector", k.get_KivPurgeWithout() ? "without" : "with", ""});
  t.rows.push_back({"Outdoor air given as", outdoor_mode(k), ""});
  t.rows.push_back({"Return air given as", return_mode(k), ""});
  return t;
}

ViewTable model(const KivClass& k, bool si) {
  ViewTable t{"Selected model", {"", "Value", "Unit"}, {}};
  t.rows.push_back({"Model", value_text(k, "KivOutNOVAFLUXModel"), ""});
  t.rows.push_back(row(k, "Cassette height", "KivoutCassetteHight", si));
  t.rows.push_back(row(k, "Cassette width", "KivoutCassetteWidth", si));
  t.rows.push_back(row(k, "Cassette depth", "KivoutCassetteDepth", si));
  t.rows.push_back(row(k, "Cassette weight", "KivoutCassetteWeight", si));
  t.rows.push_back(row(k, "Drive motor", "KivoutCassetteDriveMoter", si));
  return t;
}

// The four streams of one season. The entering wet bulbs stand where the resolvers leave them:
// outdoor air always in the wet-bulb input, return air there only when it was the input.
ViewTable season(const KivClass& k, bool si, bool summer) {
  const std::string s = summer ? "S" : "W";
  const std::string temp(detail::unit_text(detail::Quantity::Temperature, si));
  ViewTable t{summer ? "Summer performance" : "Winter performance",
              {"Air stream", with_unit("Dry bulb", temp), with_unit("Wet bulb", temp), "RH, %",
               with_unit("Humidity ratio", detail::unit_text(detail::Quantity::HumidityRatio, si)),
               with_unit("Enthalpy", detail::unit_text(detail::Quantity::Enthalpy, si))},
              {}};
  const std::string return_wbt =
      k.get_KivinputRAUnitDBTWBT() && !flag(k, "KivinputRAUnitDBTRH") ? "Kivinput" : "Kivout";
  const auto v = [&](const std::string& name) { return value_text(k, name); };
  t.rows.push_back({"Outdoor air entering", v("KivinputOA" + s + "_DBT"), v("KivinputOA" + s + "_WBT"),
                    v("KivoutOA" + s + "_RH"), v("KivoutOA" + s + "_AbsHum"), v("KivoutOA" + s + "_Enthalpy")});
  t.rows.push_back({"Supply air leaving", v("KivoutSa" + s + "_DBT"), v("KivoutSa" + s + "_WBT"),
                    v("KivoutSa" + s + "_RH"), v("KivoutSa" + s + "_AbsHum"), v("KivoutSa" + s + "_Enthalpy")});
  t.rows.push_back({"Return air entering", v("KivinputRa" + s + "_DBT"), v(return_wbt + "Ra" + s + "_WBT"),
                    v("KivoutRa" + s + "_RH"), v("KivoutRa" + s + "_AbsHum"), v("KivoutRa" + s + "_Enthalpy")});
  t.rows.push_back({"Exhaust air leaving", v("KivoutEa" + s + "_DBT"), v("KivoutEa" + s + "_WBT"),
                    v("KivoutEa" + s + "_RH"), v("KivoutEa" + s + "_AbsHum"), v("KivoutEa" + s + "_Enthalpy")});
  return t;
}

ViewTable efficiencies(const KivClass& k) {
  ViewTable t{"Efficiencies", {"Efficiency, %", "Sensible", "Latent", "Total"}, {}};
  const auto v = [&](const std::string& name) { return value_text(k, name); };
  for (const char* side : {"SummerSupply", "SummerExhaust", "WinterSupply", "WinterExhaust"}) {
    const std::string base = std::string("KivoutEfficiency") + side;
    std::string label = side;
    label = std::string(label.rfind("Summer", 0) == 0 ? "Summer, " : "Winter, ") +
            (label.find("Supply") != std::string::npos ? "supply side" : "exhaust side");
    t.rows.push_back({label, v(base + "Condensation"), v(base + "Latent"), v(base + "Total")});
  }
  t.rows.push_back({"Effectiveness after the flow-ratio correction", v("KivoutTempEffectiveness"),
                    v("KivoutHumEffectiveness"), v("KivoutTotalEffectiveness")});
  return t;
}

ViewTable velocities_and_pressure(const KivClass& k, bool si) {
  ViewTable t{"Face velocities and pressure drops", {"Airside", "Supply side", "Exhaust side", "Unit"}, {}};
  const auto v = [&](const char* name) { return value_text(k, name); };
  t.rows.push_back({"Airflow through the wheel", v("KivOutputOutdoorAir"), v("KivOutputExhaustAir"),
                    unit_of("KivOutputOutdoorAir", si)});
  t.rows.push_back({"Mass flow", v("KivoutMassflowSs"), v("KivoutMassflowEs"), unit_of("KivoutMassflowSs", si)});
  t.rows.push_back({"Face velocity", v("KivoutSaVelocity"), v("KivoutRaVelocity"), unit_of("KivoutSaVelocity", si)});
  t.rows.push_back({"Pressure drop, standard air", v("KivoutSaPDrop"), v("KivoutRaPDrop"), unit_of("KivoutSaPDrop", si)});
  t.rows.push_back({"Pressure drop at actual density, summer", v("KivoutPDActualSupplyS"),
                    v("KivoutPDActualExhaustS"), unit_of("KivoutPDActualSupplyS", si)});
  t.rows.push_back({"Pressure drop at actual density, winter", v("KivoutPDActualSupplyW"),
                    v("KivoutPDActualExhaustW"), unit_of("KivoutPDActualSupplyW", si)});
  return t;
}

ViewTable leakage(const KivClass& k, bool si) {
  ViewTable t{"Leakage", {"", "Value", "Unit"}, {}};
  t.rows.push_back(row(k, "Exhaust air transfer ratio (EATR)", "KivoutLeakageEatr", si));
  t.rows.push_back(row(k, "Outdoor air correction factor (OACF)", "KivoutLeakageOacf", si));
  t.rows.push_back(row(k, "Purge angle", "KivoutLeakagePurgeAngle", si));
  return t;
}

ViewTable energy(const KivClass& k) {
  ViewTable t{"Recovered energy", {"Energy, kW", "Summer", "Winter"}, {}};
  const auto v = [&](const std::string& name) { return value_text(k, name); };
  for (const char* with : {"Wout", "With"}) {
    const std::string w = std::string("KivoutER") + with + "Wheel";
    const std::string prefix = std::string(with) == "With" ? "Recovered by the wheel, " : "Load without the wheel, ";
    t.rows.push_back({prefix + "sensible", v(w + "SummerCondensation_KW"), v(w + "WinterCondensation_KW")});
    t.rows.push_back({prefix + "latent", v(w + "SummerLatent_KW"), v(w + "WinterLatent_KW")});
    t.rows.push_back({prefix + "total", v(w + "TotalSummer_KW"), v(w + "TotalWinter_KW")});
  }
  return t;
}

}  // namespace

ResultView result_view(const KivClass& k, const std::optional<RunFailure>& failure) {
  const FpStateGuard fp;  // the figures are rounded for display
  ResultView view;
  view.si = k.get_KivunitSI();
  view.model = value_text(k, "KivOutNOVAFLUXModel");
  view.sections = {inputs(k, view.si), model(k, view.si), season(k, view.si, true),
                   season(k, view.si, false), efficiencies(k), velocities_and_pressure(k, view.si),
                   leakage(k, view.si), energy(k)};
  view.warnings = result_warnings(k, !failure.has_value());
  view.failure = failure;
  return view;
}

}  // namespace novaflux
