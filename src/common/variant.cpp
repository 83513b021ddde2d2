#include <string>

#include "common/fp_state.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {

const std::string& Variant::text() const noexcept {
  static const std::string empty;
  return is_text() ? std::get<2>(value_) : empty;
}

namespace {

// The conversions that compute, in the default floating-point state (common/fp_state.hpp); out
// of line, so that the plain reads of a number or a text keep their short path.
[[gnu::noinline]] double parsed_number(const std::string& text) {
  const FpStateGuard fp;  // the parse rounds to the nearest double
  double out = 0.0;
  if (!parse_double(text, out)) throw_type_mismatch();
  return out;
}

[[gnu::noinline]] std::string number_as_text(double number) {
  const FpStateGuard fp;  // the digits come from scaled and rounded values
  return number_text(number);
}

}  // namespace

double Variant::to_number() const {
  if (is_empty()) return 0.0;
  if (is_number()) return std::get<1>(value_);
  return parsed_number(std::get<2>(value_));
}

std::string Variant::to_text() const {
  if (is_empty()) return {};
  if (is_number()) return number_as_text(std::get<1>(value_));
  return std::get<2>(value_);
}

}  // namespace novaflux
