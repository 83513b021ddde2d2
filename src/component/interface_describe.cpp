// The interface table as JSON (`novaflux describe`, kiv_describe): identities, enumerations,
// every property with its type, role, quantity and units, and the methods.
#include <cstdint>
#include <string>

#include "component/interface_table.hpp"
#include "novaflux/version.hpp"

namespace novaflux::detail {

namespace {

std::string hex(int32_t value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out = "0x";
  const auto u = static_cast<uint32_t>(value);
  bool started = false;
  for (int shift = 28; shift >= 0; shift -= 4) {
    const unsigned nibble = (u >> shift) & 0xF;
    if (nibble || started || shift == 0) {
      out += digits[nibble];
      started = true;
    }
  }
  return out;
}

std::string quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string build_describe_json() {
  namespace id = novaflux::identity;
  std::string j = "{\n";
  // The component's release; the type library below keeps its own interface version.
  j += "  \"version\": " + quoted(NOVAFLUX_VERSION) + ",\n";
  j += "  \"typeLibrary\": {\"name\": " + quoted(id::kTypeLibraryName) +
       ", \"guid\": " + quoted(id::kTypeLibraryGuid) + ", \"version\": \"" +
       std::to_string(id::kTypeLibraryMajor) + "." + std::to_string(id::kTypeLibraryMinor) +
       "\", \"locale\": " + quoted(hex(id::kTypeLibraryLocale)) + "},\n";
  j += "  \"class\": {\"name\": \"KivClass\", \"guid\": " + quoted(id::kClassGuid) +
       ", \"progId\": " + quoted(id::kProgId) + ", \"threadingModel\": " +
       quoted(id::kThreadingModel) + "},\n";
  j += "  \"interface\": {\"name\": \"_KivClass\", \"guid\": " + quoted(id::kInterfaceGuid) +
       ", \"dual\": true},\n";
  j += "  \"enumerations\": [\n";
  j += "    {\"name\": \"Modelall\", \"guid\": " + quoted(id::kModelallGuid) + ", \"members\": [";
  bool first = true;
#define NOVAFLUX_MODEL_JSON(name, value, diameter)                                 \
  j += std::string(first ? "" : ", ") + "{\"name\": \"" #name "\", \"value\": " + \
       std::to_string(value) + "}";                                                \
  first = false;
  NOVAFLUX_MODELS(NOVAFLUX_MODEL_JSON)
#undef NOVAFLUX_MODEL_JSON
  j += "]},\n";
  j += "    {\"name\": \"SeriesList\", \"guid\": " + quoted(id::kSeriesListGuid) +
       ", \"members\": [{\"name\": \"Novaflux_Sensible\", \"value\": 1}]},\n";
  j += "    {\"name\": \"UnitList\", \"guid\": " + quoted(id::kUnitListGuid) +
       ", \"members\": [{\"name\": \"cmh\", \"value\": 1}, {\"name\": \"cms\", \"value\": 2}, "
       "{\"name\": \"lps\", \"value\": 3}]}\n";
  j += "  ],\n  \"properties\": [\n";
  const auto props = properties();
  for (size_t i = 0; i < props.size(); ++i) {
    const auto& p = props[i];
    j += "    {\"name\": " + quoted(p.name) + ", \"dispid\": " + std::to_string(p.dispid) +
         ", \"dispidHex\": " + quoted(hex(p.dispid)) + ", \"type\": " + quoted(type_name(p.type)) +
         ", \"role\": " + quoted(role_name(p.role)) + ", \"kind\": " +
         quoted(p.is_explicit ? "explicit" : "data") + ", \"quantity\": " +
         quoted(quantity_name(p.quantity)) + ", \"unitSI\": " +
         quoted(unit_text(p.quantity, true)) + ", \"unitIP\": " +
         quoted(unit_text(p.quantity, false)) + ", \"meaning\": " + quoted(p.meaning) + "}";
    j += i + 1 < props.size() ? ",\n" : "\n";
  }
  j += "  ],\n  \"methods\": [\n";
  const auto meths = methods();
  for (size_t i = 0; i < meths.size(); ++i) {
    const auto& m = meths[i];
    j += "    {\"name\": " + quoted(m.name) + ", \"dispid\": " + std::to_string(m.dispid) +
         ", \"dispidHex\": " + quoted(hex(m.dispid)) + ", \"parameters\": [";
    for (size_t k = 0; k < m.params.size(); ++k) {
      j += std::string(k ? ", " : "") + "{\"name\": " + quoted(m.params[k].name) +
           ", \"type\": " + quoted(m.params[k].type) +
           ", \"byReference\": " + (m.params[k].by_reference ? "true" : "false") + "}";
    }
    j += "], \"result\": " + (m.result.empty() ? std::string("null") : quoted(m.result)) + "}";
    j += i + 1 < meths.size() ? ",\n" : "\n";
  }
  j += "  ]\n}\n";
  return j;
}

}  // namespace

std::string_view type_name(PropType type) {
  switch (type) {
    case PropType::Double: return "Double";
    case PropType::Single: return "Single";
    case PropType::Integer: return "Integer";
    case PropType::Boolean: return "Boolean";
    case PropType::Modelall: return "Modelall";
    case PropType::SeriesList: return "SeriesList";
    case PropType::Variant: return "Variant";
  }
  return "";
}

std::string_view role_name(Role role) {
  switch (role) {
    case Role::In: return "in";
    case Role::Out: return "out";
    case Role::InOut: return "in/out";
  }
  return "";
}

std::string_view quantity_name(Quantity q) {
  switch (q) {
    case Quantity::None: return "";
    case Quantity::Length: return "length";
    case Quantity::MotorPower: return "motor power";
    case Quantity::Mass: return "mass";
    case Quantity::Airflow: return "airflow";
    case Quantity::Velocity: return "face velocity";
    case Quantity::PressureDrop: return "pressure";
    case Quantity::Pascal: return "pressure";
    case Quantity::Temperature: return "temperature";
    case Quantity::Percent: return "percentage";
    case Quantity::HumidityRatio: return "humidity ratio";
    case Quantity::Enthalpy: return "enthalpy";
    case Quantity::Power: return "power";
    case Quantity::Altitude: return "altitude";
    case Quantity::Kilopascal: return "pressure";
    case Quantity::Angle: return "angle";
    case Quantity::MassFlow: return "mass flow";
  }
  return "";
}

std::string_view unit_text(Quantity q, bool si) {
  switch (q) {
    case Quantity::None: return "";
    case Quantity::Length: return "mm";
    case Quantity::MotorPower: return "kW";
    case Quantity::Mass: return "kg";
    case Quantity::Airflow: return si ? "m³/h" : "cfm";
    case Quantity::Velocity: return si ? "m/s" : "fpm";
    case Quantity::PressureDrop: return si ? "Pa" : "in. w.g.";
    case Quantity::Pascal: return "Pa";
    case Quantity::Temperature: return si ? "°C" : "°F";
    case Quantity::Percent: return "%";
    case Quantity::HumidityRatio: return si ? "g/kg" : "gr/lb";
    case Quantity::Enthalpy: return si ? "kJ/kg" : "Btu/lb";
    case Quantity::Power: return "kW";
    case Quantity::Altitude: return "m";
    case Quantity::Kilopascal: return "kPa";
    case Quantity::Angle: return "°";
    case Quantity::MassFlow: return "kg/h";
  }
  return "";
}
const std::string& describe_json() {
  static const std::string text = build_describe_json();
  return text;
}

}  // namespace novaflux::detail
