#pragma once
// Properties of a KivClass to and from JSON, driven by the interface table.
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "novaflux/kiv_class.hpp"
#include "novaflux/result_view.hpp"

namespace novaflux {

// An input that names an unknown property or gives a property a value of the wrong kind. The
// message names the property; property() is "" when the input as a whole is wrong (not an
// object).
class PropertyInputError : public std::invalid_argument {
public:
  PropertyInputError(std::string property, const std::string& message)
      : std::invalid_argument(message), property_(std::move(property)) {}
  const std::string& property() const noexcept { return property_; }

private:
  std::string property_;
};

// Writes each member of a JSON object into the property of that name. Booleans take
// true/false or a number (nonzero is True); KivinputModel takes the enumeration name or its
// number; variants take null, a number or a text. Throws PropertyInputError naming the
// property on an unknown name or a value of the wrong kind.
void apply_json(KivClass& object, const nlohmann::json& input);

// Parses a model given as enumeration name or number ("TXL_1100_Q_480_Condensation", "63").
std::optional<Modelall> parse_model(const std::string& text);
std::string model_name(Modelall model);

// Every property in interface order, then "warnings" (a list of {"code", "text"}: the run's own
// warning and the frost warning) and "error": null or {"number", "description"}.
nlohmann::ordered_json result_json(const KivClass& object, const nlohmann::json& error);

// The failure of an "error" value (null: none), and the "error" value of a failure.
std::optional<RunFailure> failure_of(const nlohmann::json& error);
nlohmann::json error_json(const std::optional<RunFailure>& failure);

// A JSON answer as the tool prints it and the server sends it: two-space indent, a final line
// break; text that is not UTF-8 (a hand-made catalogue's model name) replaced rather than thrown.
std::string json_text(const nlohmann::ordered_json& document);

// The properties grouped by name, one per line (`rate --format properties`).
std::string property_listing(const KivClass& object, const nlohmann::json& error);

}  // namespace novaflux
