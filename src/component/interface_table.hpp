#pragma once
// The interface of KivClass described once, in interface order: the 121 data properties, the
// three explicit properties and the seven methods. The C interface, the tool's JSON and
// `describe` are all driven from here.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "novaflux/kiv_class.hpp"

namespace novaflux::detail {

enum class PropType { Double, Single, Integer, Boolean, Modelall, SeriesList, Variant };
enum class Role { In, Out, InOut };
// What a value measures, and so its unit in an SI and in an IP run.
enum class Quantity {
  None, Length, MotorPower, Mass, Airflow, Velocity, PressureDrop, Pascal, Temperature,
  Percent, HumidityRatio, Enthalpy, Power, Altitude, Kilopascal, Angle, MassFlow
};

struct ExplicitAccessor {
  bool (*get)(const KivClass&);
  void (*put)(KivClass&, bool);
};

using MemberAccessor =
    std::variant<double KivClass::*, float KivClass::*, int16_t KivClass::*, bool KivClass::*,
                 Modelall KivClass::*, SeriesList KivClass::*, Variant KivClass::*,
                 ExplicitAccessor>;

struct PropertyInfo {
  std::string_view name;
  int32_t dispid;
  PropType type;
  Role role;
  bool is_explicit;
  MemberAccessor accessor;
  Quantity quantity;
  std::string_view meaning;  // one line for a person: what the value is
};

struct MethodParam {
  std::string_view name;
  std::string_view type;
  bool by_reference;
};

struct MethodInfo {
  std::string_view name;
  int32_t dispid;
  std::span<const MethodParam> params;
  std::string_view result;  // "" when the method has no result
};

// Data properties, then the explicit ones, in interface order.
std::span<const PropertyInfo> properties();
std::span<const MethodInfo> methods();
const PropertyInfo* find_property(std::string_view name);            // null when unknown
const PropertyInfo* find_property_by_dispid(int32_t dispid);          // null when unknown
const MethodInfo* find_method(std::string_view name);

std::string_view type_name(PropType type);
std::string_view role_name(Role role);
std::string_view quantity_name(Quantity quantity);
// The unit of a quantity in an SI (°C, g/kg, kJ/kg, m³/h, Pa, m/s) or IP (°F, gr/lb, Btu/lb,
// cfm, in. w.g., fpm) run; "" for a quantity without a unit.
std::string_view unit_text(Quantity quantity, bool si);

// The interface table as JSON (the text of `novaflux describe` and kiv_describe()).
const std::string& describe_json();

// Numeric access by the table. A Boolean reads as -1 / 0 and stores True for any nonzero
// value; an Integer or enumeration is rounded half to even and fails with an overflow beyond
// its range; a variant holding text cannot be read as a number (returns false).
bool read_number(const KivClass& object, const PropertyInfo& property, double& value);
void write_number(KivClass& object, const PropertyInfo& property, double value);
// Text access: numbers as their shortest text; a variant stores the text itself; other
// properties parse the text as a number (a type mismatch when it is none).
std::string read_text(const KivClass& object, const PropertyInfo& property);
void write_text(KivClass& object, const PropertyInfo& property, std::string_view text);
// Variant properties only: make the value empty.
void write_empty(KivClass& object, const PropertyInfo& property);

}  // namespace novaflux::detail
