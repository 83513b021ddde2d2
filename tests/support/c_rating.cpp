#include "support/c_rating.hpp"

#include <charconv>
#include <cmath>

#include "common/module_state.hpp"
#include "component/interface_table.hpp"
#include "support/design_days.hpp"

namespace novaflux::test_support {

const Inputs& si_design_day_inputs() {
  static const Inputs inputs(std::begin(kSiDesignDayByName), std::end(kSiDesignDayByName));
  return inputs;
}

const std::string& Rating::operator[](const char* name) const {
  return values.at(static_cast<size_t>(detail::find_property(name) - detail::properties().data()));
}

Rating capture(KivObject* o, int status) {
  Rating r;
  r.status = status;
  r.number = kiv_last_error_number(o);
  r.error = kiv_last_error(o);
  for (const auto& p : detail::properties()) {
    const std::string name(p.name);
    double value = 0.0;
    if (kiv_get(o, name.c_str(), &value) == 0) {
      char buf[64];
      r.values.emplace_back(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
      r.all_finite = r.all_finite && std::isfinite(value);
    } else {
      char text[256];
      kiv_get_text(o, name.c_str(), text, sizeof text);
      r.values.push_back(std::string("text:") + text);
    }
  }
  return r;
}

Rating rate(const char* method) {
  reset_between_cases();
  KivObject* o = kiv_create();
  for (const auto& [name, value] : si_design_day_inputs()) kiv_put(o, name, value);
  const Rating r = capture(o, kiv_call(o, method));
  kiv_destroy(o);
  return r;
}

void PrintTo(const Rating& r, std::ostream* os) {
  *os << (r.status == 0 ? std::string("success") : "failure " + std::to_string(r.number) + ": " + r.error);
}

}  // namespace novaflux::test_support
