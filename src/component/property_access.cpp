// Reading and writing a property of an object by its entry in the interface table: numbers,
// texts and the empty variant, with the conversions and checks of each type.
#include <cmath>
#include <cstdint>
#include <string>
#include <type_traits>

#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "component/interface_table.hpp"

namespace novaflux::detail {

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
