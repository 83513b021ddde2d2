#include "rating_json/rating_json.hpp"

#include <cmath>
#include <sstream>
#include <stdexcept>

#include "common/numeric.hpp"
#include "component/interface_table.hpp"

namespace novaflux {

using detail::PropertyInfo;
using detail::PropType;

namespace {

[[noreturn]] void bad_value(const PropertyInfo& p, const std::string& why) {
  throw PropertyInputError(std::string(p.name), "property " + std::string(p.name) + ": " + why);
}

void apply_value(KivClass& k, const PropertyInfo& p, const nlohmann::json& v) {
  try {
    if (p.type == PropType::Variant) {
      if (v.is_null()) detail::write_empty(k, p);
      else if (v.is_string()) detail::write_text(k, p, v.get<std::string>());
      else if (v.is_number()) detail::write_number(k, p, v.get<double>());
      else bad_value(p, "expects null, a number or a text");
      return;
    }
    if (p.type == PropType::Boolean) {
      if (v.is_boolean()) detail::write_number(k, p, v.get<bool>() ? -1.0 : 0.0);
      else if (v.is_number()) detail::write_number(k, p, v.get<double>());
      else bad_value(p, "expects true or false");
      return;
    }
    if (p.type == PropType::Modelall && v.is_string()) {
      const auto model = parse_model(v.get<std::string>());
      if (!model) bad_value(p, "unknown model \"" + v.get<std::string>() + "\"");
      detail::write_number(k, p, static_cast<int32_t>(*model));
      return;
    }
    if (!v.is_number()) bad_value(p, "expects a number");
    detail::write_number(k, p, v.get<double>());
  } catch (const PropertyInputError&) {
    throw;
  } catch (const std::exception& e) {
    bad_value(p, e.what());
  }
}

nlohmann::ordered_json value_json(const KivClass& k, const PropertyInfo& p) {
  if (p.type == PropType::Variant) {
    const auto& v = k.*std::get<Variant KivClass::*>(p.accessor);
    if (v.is_empty()) return nullptr;
    if (v.is_number()) return v.number();
    return v.text();
  }
  double value = 0.0;
  detail::read_number(k, p, value);
  if (p.type == PropType::Boolean) return value != 0.0;
  if (p.type == PropType::Single) {
    // The shortest text of the single-precision value, so 0.1f reads 0.1 and not 0.100000001.
    const float f = k.*std::get<float KivClass::*>(p.accessor);
    if (!std::isfinite(f)) return nullptr;
    return leading_number(single_text(f));
  }
  if (!std::isfinite(value)) return nullptr;
  if (p.type == PropType::Modelall || p.type == PropType::SeriesList || p.type == PropType::Integer)
    return static_cast<int64_t>(value);
  return value;
}

}  // namespace

std::optional<Modelall> parse_model(const std::string& text) {
#define NOVAFLUX_MODEL_BY_NAME(name, value, diameter) \
  if (text == #name) return Modelall::name;
  NOVAFLUX_MODELS(NOVAFLUX_MODEL_BY_NAME)
#undef NOVAFLUX_MODEL_BY_NAME
  double number = 0.0;
  if (parse_double(text, number) && number == std::floor(number) && std::fabs(number) < 2147483648.0)
    return static_cast<Modelall>(static_cast<int32_t>(number));
  return std::nullopt;
}

std::string model_name(Modelall model) {
  switch (model) {
#define NOVAFLUX_MODEL_NAME(name, value, diameter) \
  case Modelall::name: return #name;
    NOVAFLUX_MODELS(NOVAFLUX_MODEL_NAME)
#undef NOVAFLUX_MODEL_NAME
  }
  return std::to_string(static_cast<int32_t>(model));
}

std::optional<RunFailure> failure_of(const nlohmann::json& error) {
  if (error.is_null()) return std::nullopt;
  return RunFailure{error.value("number", 0), error.value("description", std::string())};
}

nlohmann::json error_json(const std::optional<RunFailure>& f) {
  if (!f) return nullptr;
  return {{"number", f->number}, {"description", f->description}};
}

void apply_json(KivClass& k, const nlohmann::json& input) {
  if (!input.is_object()) throw PropertyInputError("", "the input must be a JSON object of property names to values");
  for (const auto& [name, value] : input.items()) {
    const PropertyInfo* p = detail::find_property(name);
    if (!p) throw PropertyInputError(name, "unknown property \"" + name + "\"");
    apply_value(k, *p, value);
  }
}

nlohmann::ordered_json result_json(const KivClass& k, const nlohmann::json& error) {
  nlohmann::ordered_json out = nlohmann::ordered_json::object();
  for (const auto& p : detail::properties()) out[std::string(p.name)] = value_json(k, p);
  nlohmann::ordered_json warnings = nlohmann::ordered_json::array();
  for (const auto& w : result_warnings(k, error.is_null()))
    warnings.push_back(nlohmann::ordered_json{{"code", w.code}, {"text", w.text}});
  out["warnings"] = std::move(warnings);
  out["error"] = error;
  return out;
}

std::string json_text(const nlohmann::ordered_json& document) {
  return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace novaflux
