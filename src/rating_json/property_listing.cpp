// A rating laid out for a person: the properties grouped by what they describe.
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "common/numeric.hpp"
#include "component/interface_table.hpp"
#include "rating_json/rating_json.hpp"

namespace novaflux {

namespace {

bool has(std::string_view name, std::string_view part) { return name.find(part) != std::string_view::npos; }

struct Group {
  const char* title;
  std::function<bool(std::string_view)> member;
};

const std::vector<Group>& groups() {
  static const std::vector<Group> g{
      {"Selected model", [](auto n) { return has(n, "Model") || has(n, "Cassette") || has(n, "Series"); }},
      {"Airflows", [](auto n) { return (has(n, "Air") && !has(n, "UnitDBT")) || has(n, "Massflow") || has(n, "Velocity"); }},
      {"Summer air", [](auto n) { return has(n, "S_") && !has(n, "_KW"); }},
      {"Winter air", [](auto n) { return has(n, "W_") && !has(n, "_KW"); }},
      {"Efficiencies", [](auto n) { return has(n, "Efficiency") || has(n, "Effectiveness"); }},
      {"Energy, kW", [](auto n) { return has(n, "_KW"); }},
      {"Pressure drops", [](auto n) { return has(n, "PDrop") || has(n, "PDActual") || has(n, "AtmPressure"); }},
      {"Leakage", [](auto n) { return has(n, "Leakage"); }},
      {"Run", [](auto) { return true; }},
  };
  return g;
}

std::string text_of(const nlohmann::ordered_json& v) {
  if (v.is_null()) return "";
  if (v.is_string()) return v.get<std::string>();
  if (v.is_number_float()) return number_text(v.get<double>());
  return v.dump();
}

}  // namespace

std::string property_listing(const KivClass& object, const nlohmann::json& error) {
  const auto result = result_json(object, error);
  std::vector<bool> shown(detail::properties().size(), false);
  std::ostringstream out;
  for (const auto& group : groups()) {
    std::ostringstream body;
    size_t i = 0;
    for (const auto& p : detail::properties()) {
      if (!shown[i] && group.member(p.name)) {
        shown[i] = true;
        body << "  " << p.name << std::string(p.name.size() < 42 ? 42 - p.name.size() : 1, ' ')
             << text_of(result[std::string(p.name)]) << "\n";
      }
      ++i;
    }
    if (!body.str().empty()) out << group.title << "\n" << body.str() << "\n";
  }
  out << "Warnings and errors\n";
  out << "  code " << text_of(result["KivOutErrorCode"]) << ": " << text_of(result["KivOutErrorMsg"]) << "\n";
  if (!error.is_null())
    out << "  failed: " << error.value("description", std::string()) << " (" << error.value("number", 0) << ")\n";
  return out.str();
}

}  // namespace novaflux
