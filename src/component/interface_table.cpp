#include "component/interface_table.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string>

#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "novaflux/version.hpp"

namespace novaflux::detail {

namespace {

constexpr ExplicitAccessor kRAUnitDBTWBT{
    [](const KivClass& k) { return k.get_KivinputRAUnitDBTWBT(); },
    [](KivClass& k, bool v) { k.put_KivinputRAUnitDBTWBT(v); }};
constexpr ExplicitAccessor kPurgeWithout{
    [](const KivClass& k) { return k.get_KivPurgeWithout(); },
    [](KivClass& k, bool v) { k.put_KivPurgeWithout(v); }};
constexpr ExplicitAccessor kUnitSI{[](const KivClass& k) { return k.get_KivunitSI(); },
                                   [](KivClass& k, bool v) { k.put_KivunitSI(v); }};

#define NOVAFLUX_PROPERTY_ROW(name, ctype, atype, dispid, role, quantity, meaning)               \
  PropertyInfo{#name,      static_cast<int32_t>(dispid), PropType::atype, Role::role, false, \
               &KivClass::name, Quantity::quantity,  meaning},

const PropertyInfo kProperties[] = {
    NOVAFLUX_DATA_PROPERTIES(NOVAFLUX_PROPERTY_ROW)
    PropertyInfo{"KivinputRAUnitDBTWBT", 0, PropType::Boolean, Role::InOut, true, kRAUnitDBTWBT,
                 Quantity::None,
                 "return-air input mode flag: dry bulb + wet bulb (the interface's default member)"},
    PropertyInfo{"KivPurgeWithout", 0x68030002, PropType::Boolean, Role::In, true, kPurgeWithout,
                 Quantity::None, "True: the wheel has no purge sector"},
    PropertyInfo{"KivunitSI", 0x68030000, PropType::Boolean, Role::In, true, kUnitSI,
                 Quantity::None, "True: SI units; False: IP units"},
};
#undef NOVAFLUX_PROPERTY_ROW

constexpr MethodParam kPdropParams[] = {
    {"Vs11", "Variant", true}, {"Vr11", "Variant", true}, {"FaceAreaNet11", "Double", true}};
constexpr MethodParam kFormulaParams[] = {{"StrSearchK", "String", true},
                                          {"X1", "Variant", true},
                                          {"X2", "Variant", true},
                                          {"mainValue", "String", true}};

const MethodInfo kMethods[] = {
    {"CalculateOutput", 0x60030003, {}, "Variant"},
    {"CalculateOutputModel", 0x60030004, {}, "Variant"},
    {"PdropOtherCalculate", 0x60030008, kPdropParams, "Double"},
    {"EffectivenessCalculateold", 0x60030009, {}, ""},
    {"EffectivenessCalculate", 0x6003000A, {}, ""},
    {"EATRValue", 0x6003001B, {}, ""},
    {"FormulaInterpulation", 0x6003001C, kFormulaParams, "Double"},
};

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

std::span<const PropertyInfo> properties() { return kProperties; }
std::span<const MethodInfo> methods() { return kMethods; }

namespace {

constexpr size_t kPropertyCount = std::size(kProperties);
static_assert(kPropertyCount < 255, "property indices are kept in bytes");

// FNV-1a: the names share long prefixes ("Kivinput", "Kivout"), so every byte takes part.
uint32_t name_hash(std::string_view name) {
  uint32_t h = 2166136261u;
  for (const char c : name) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h;
}

// Open addressing over a power of two at least twice the number of properties; a slot holds
// the property's index + 1, 0 when empty.
struct NameIndex {
  static constexpr size_t kSlots = 512;
  std::array<uint8_t, kSlots> slots{};
  NameIndex() {
    for (size_t i = 0; i < kPropertyCount; ++i) {
      size_t slot = name_hash(kProperties[i].name) & (kSlots - 1);
      while (slots[slot] != 0) slot = (slot + 1) & (kSlots - 1);
      slots[slot] = static_cast<uint8_t>(i + 1);
    }
  }
};

// The data properties' DISPIDs lie in one block, indexed directly; any other DISPID (the
// explicit properties') is found by a scan.
constexpr int32_t kDataDispidBase = 0x40030000;
struct DispidIndex {
  static constexpr size_t kBlock = 0x200;
  std::array<uint8_t, kBlock> data{};
  DispidIndex() {
    for (size_t i = 0; i < kPropertyCount; ++i) {
      const int64_t offset = int64_t{kProperties[i].dispid} - kDataDispidBase;
      if (offset >= 0 && offset < static_cast<int64_t>(kBlock)) data[static_cast<size_t>(offset)] = static_cast<uint8_t>(i + 1);
    }
  }
};

}  // namespace

const PropertyInfo* find_property(std::string_view name) {
  static const NameIndex index;
  for (size_t slot = name_hash(name) & (NameIndex::kSlots - 1);; slot = (slot + 1) & (NameIndex::kSlots - 1)) {
    const uint8_t entry = index.slots[slot];
    if (entry == 0) return nullptr;
    if (kProperties[entry - 1].name == name) return &kProperties[entry - 1];
  }
}

const PropertyInfo* find_property_by_dispid(int32_t dispid) {
  static const DispidIndex index;
  const int64_t offset = int64_t{dispid} - kDataDispidBase;
  if (offset >= 0 && offset < static_cast<int64_t>(DispidIndex::kBlock)) {
    const uint8_t entry = index.data[static_cast<size_t>(offset)];
    return entry ? &kProperties[entry - 1] : nullptr;
  }
  for (const auto& p : kProperties)
    if (p.dispid == dispid) return &p;
  return nullptr;
}

const MethodInfo* find_method(std::string_view name) {
  for (const auto& m : kMethods)
    if (m.name == name) return &m;
  return nullptr;
}

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

bool read_number(const KivClass& k, const PropertyInfo& p, double& value) {
  bool ok = true;
  std::visit(
      [&](auto accessor) {
        using A = decltype(accessor);
        if constexpr (std::is_same_v<A, ExplicitAccessor>) {
          value = accessor.get(k) ? -1.0 : 0.0;
        } else {
          const auto& member = k.*accessor;
          using M = std::decay_t<decltype(member)>;
          if constexpr (std::is_same_v<M, bool>) value = member ? -1.0 : 0.0;
          else if constexpr (std::is_same_v<M, novaflux::Variant>) {
            if (member.is_text()) ok = false;
            else value = member.number();
          } else if constexpr (std::is_enum_v<M>) value = static_cast<double>(static_cast<int32_t>(member));
          else value = static_cast<double>(member);
        }
      },
      p.accessor);
  return ok;
}

void write_number(KivClass& k, const PropertyInfo& p, double value) {
  std::visit(
      [&](auto accessor) {
        using A = decltype(accessor);
        if constexpr (std::is_same_v<A, ExplicitAccessor>) {
          if (std::isnan(value)) throw_type_mismatch();
          accessor.put(k, value != 0.0);
        } else {
          auto& member = k.*accessor;
          using M = std::decay_t<decltype(member)>;
          if constexpr (std::is_same_v<M, bool>) {
            if (std::isnan(value)) throw_type_mismatch();
            member = value != 0.0;
          } else if constexpr (std::is_same_v<M, novaflux::Variant>) member = value;
          else if constexpr (std::is_enum_v<M>) member = static_cast<M>(to_int32(value));
          else if constexpr (std::is_same_v<M, int16_t>) member = to_int16(value);
          else if constexpr (std::is_same_v<M, float>) {
            // NaN and infinities are stored so that the run can name the property.
            member = std::isfinite(value) ? to_single(value) : static_cast<float>(value);
          } else member = value;
        }
      },
      p.accessor);
}

std::string read_text(const KivClass& k, const PropertyInfo& p) {
  if (const auto* v = std::get_if<novaflux::Variant KivClass::*>(&p.accessor))
    return (k.**v).to_text();
  if (p.type == PropType::Single) return single_text(k.*std::get<float KivClass::*>(p.accessor));
  double value = 0.0;
  read_number(k, p, value);
  return number_text(value);
}

void write_text(KivClass& k, const PropertyInfo& p, std::string_view text) {
  if (const auto* v = std::get_if<novaflux::Variant KivClass::*>(&p.accessor)) {
    k.**v = std::string(text);
    return;
  }
  double value = 0.0;
  if (!parse_double(text, value)) {
    if (p.type == PropType::Boolean && (text == "True" || text == "true")) value = -1.0;
    else if (p.type == PropType::Boolean && (text == "False" || text == "false")) value = 0.0;
    else throw RunError(ErrorNumber::TypeMismatch,
                        "property " + std::string(p.name) + " expects a number, not \"" +
                            std::string(text) + "\"");
  }
  write_number(k, p, value);
}

void write_empty(KivClass& k, const PropertyInfo& p) {
  if (const auto* v = std::get_if<novaflux::Variant KivClass::*>(&p.accessor)) {
    k.**v = novaflux::Variant{};
    return;
  }
  throw RunError(ErrorNumber::TypeMismatch,
                 "property " + std::string(p.name) + " cannot be empty");
}

}  // namespace novaflux::detail
