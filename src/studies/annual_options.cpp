#include "studies/annual_options.hpp"

#include <cmath>
#include <stdexcept>

#include "common/numeric.hpp"
#include "rating_json/rating_request.hpp"

namespace novaflux {

namespace {

[[noreturn]] void bad(const std::string& name, const std::string& value, const std::string& why) {
  throw std::invalid_argument("option " + name + ": \"" + value + "\" " + why);
}

double number(const std::string& name, const std::string& value) {
  double x = 0.0;
  if (!parse_double(value, x) || !std::isfinite(x)) bad(name, value, "is not a number");
  return x;
}

double price(const std::string& name, const std::string& value) {
  const double x = number(name, value);
  if (x < 0) bad(name, value, "is negative; a price per kWh is zero or more");
  return x;
}

}  // namespace

const std::vector<std::string>& annual_option_names() {
  static const std::vector<std::string> names{"schedule",  "supply-setpoint", "frost-control",
                                              "fan-efficiency", "price-heat", "price-cool",
                                              "price-electricity", "model", "threads"};
  return names;
}

void set_annual_option(AnnualOptions& o, const std::string& name, const std::string& value) {
  if (name == "schedule") {
    o.schedule = OperatingSchedule::parse(value);
  } else if (name == "supply-setpoint") {
    o.supply_control = value != "none";
    o.supply_setpoint = o.supply_control ? std::optional<double>(number(name, value)) : std::nullopt;
  } else if (name == "frost-control") {
    if (value == "none") {
      o.frost_control = FrostControl::None;
    } else if (value == "stop") {
      o.frost_control = FrostControl::Stop;
    } else if (value.rfind("preheat:", 0) == 0) {
      double t = 0.0;
      if (!parse_double(value.substr(8), t) || !std::isfinite(t))
        bad(name, value, "gives no preheat temperature (preheat:T, T a number)");
      o.frost_control = FrostControl::Preheat;
      o.preheat_to = t;
    } else {
      bad(name, value, "is not none, stop or preheat:T");
    }
  } else if (name == "fan-efficiency") {
    const double x = number(name, value);
    if (!(x > 0 && x <= 1)) bad(name, value, "is outside 0 .. 1 (a share, 0.6 for 60 %)");
    o.fan_efficiency = x;
  } else if (name == "price-heat") {
    o.price_heat = price(name, value);
  } else if (name == "price-cool") {
    o.price_cool = price(name, value);
  } else if (name == "price-electricity") {
    o.price_electricity = price(name, value);
  } else if (name == "model") {
    try {
      o.model = requested_model(value);
    } catch (const std::invalid_argument&) {
      bad(name, value, "is not a model of the catalogue's enumeration (name or id; `novaflux models` lists them)");
    }
  } else if (name == "threads") {
    const double x = number(name, value);
    if (x != std::floor(x) || x < 0 || x > 1024) bad(name, value, "is not a number of threads 0 .. 1024 (0: one per processor)");
    o.threads = static_cast<unsigned>(x);
  } else {
    std::string known;
    for (const auto& n : annual_option_names()) known += (known.empty() ? "" : ", ") + n;
    throw std::invalid_argument("unknown option \"" + name + "\" (options: " + known + ")");
  }
}

double supply_setpoint(const AnnualOptions& o, bool si) {
  if (o.supply_setpoint) return *o.supply_setpoint;
  return si ? 18.0 : 64.4;
}

bool has_prices(const AnnualOptions& o) { return o.price_heat || o.price_cool || o.price_electricity; }

}  // namespace novaflux
