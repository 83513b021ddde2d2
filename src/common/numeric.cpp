#include "common/numeric.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "common/run_error.hpp"

namespace novaflux {

namespace {

// The digits and decimal exponent of x written with 15 significant digits.
DecimalDigits digits15(double x) {
  // The exact value lies within half an ulp of its shortest text; with 15 digits or fewer that
  // text is on the 15-digit grid, far nearer than half a step: it is the 15-digit text.
  // (A subnormal has fewer bits than that: its 15-digit text may be longer than the shortest.)
  if (std::isnormal(x)) {
    if (const DecimalDigits s = shortest_digits(x); s.count <= 15) return s;
  }
  char buf[64];
  return scientific_digits(buf, std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14).ptr);
}

std::string general_text(const DecimalDigits& d) {
  char text[48];
  char* out = text;
  if (d.negative) *out++ = '-';
  const char* const digits = d.digits;
  const int count = d.count;
  const auto copy = [&](const char* from, int n) { out = std::copy(from, from + n, out); };
  if (d.exponent >= -4 && d.exponent < 15) {
    const int whole = d.exponent + 1;
    if (whole <= 0) {
      *out++ = '0';
      *out++ = '.';
      out = std::fill_n(out, -whole, '0');
      copy(digits, count);
    } else if (count <= whole) {
      copy(digits, count);
      out = std::fill_n(out, whole - count, '0');
    } else {
      copy(digits, whole);
      *out++ = '.';
      copy(digits + whole, count - whole);
    }
    return std::string(text, out);
  }
  *out++ = digits[0];
  if (count > 1) {
    *out++ = '.';
    copy(digits + 1, count - 1);
  }
  const int e = std::abs(d.exponent);
  *out++ = 'e';
  *out++ = d.exponent < 0 ? '-' : '+';
  if (e < 10) *out++ = '0';
  out = std::to_chars(out, text + sizeof text, e).ptr;
  return std::string(text, out);
}

}  // namespace

double vb_round(double x, int n) {
  if (!std::isfinite(x)) return x;
  // A result of zero is +0: "-0" is no figure to publish.
  if (n <= 0) return std::nearbyint(x) + 0.0;
  const double scale = n < 16 ? kPow10[n] : std::pow(10.0, n);
  const double scaled = x * scale;
  if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return x;
  // nearbyint in the default rounding mode sends an exact half to the even neighbour.
  return std::nearbyint(scaled) / scale + 0.0;
}

double through_text(double x) {
  if (!std::isfinite(x) || x == 0.0) return x;
  // Most values already have 15 significant digits or fewer and come back unchanged; the
  // shortest round-trip text tells that cheaply.
  if (std::fabs(x) < 1e15 && x == std::nearbyint(x)) return x;
  if (shortest_digits(x).count <= 15) return x;
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
  double out = 0.0;
  // Near the limits of the range the 15-digit text lies just beyond it: keep the value.
  if (std::from_chars(buf, res.ptr, out).ec != std::errc()) return x;
  return out;
}

double format_one_decimal(double x) {
  if (!std::isfinite(x) || x == 0.0) return x == 0.0 ? 0.0 : x;
  const DecimalDigits d = digits15(x);
  if (d.exponent >= 14) return through_text(x);  // no decimals left to round
  const auto digit = [&](int i) { return i >= 0 && i < d.count ? d.digits[i] - '0' : 0; };
  // Keep the digits down to the tenths (indices 0 .. exponent + 1) as an integer count of tenths.
  const int last_kept = d.exponent + 1;
  long long tenths = 0;
  for (int i = 0; i <= last_kept && i < 15; ++i) tenths = tenths * 10 + digit(i);
  const int round_digit = digit(last_kept + 1);
  if (round_digit >= 5) ++tenths;  // halves away from zero: the magnitude goes up
  if (tenths == 0) return 0.0;
  const double magnitude = static_cast<double>(tenths) / 10.0;
  return d.negative ? -magnitude : magnitude;
}

std::string number_text(double x) {
  // With 15 digits or fewer a value is its own 15-digit round trip, and its 15-digit text is
  // its shortest one, laid out as "%.15g" does: fixed for exponents -4 to 14, trailing zeros
  // dropped. Otherwise the same for the value the round trip gives.
  if (std::isnormal(x)) {
    if (const DecimalDigits d = shortest_digits(x); d.count <= 15) return general_text(d);
  }
  const double y = through_text(x);
  if (std::isnormal(y)) {
    if (const DecimalDigits d = shortest_digits(y); d.count <= 15) return general_text(d);
  }
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, y, std::chars_format::general, 15);
  return std::string(buf, res.ptr);
}

double leading_number(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  bool any_digit = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, any_digit = true;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, any_digit = true;
  }
  if (!any_digit) return 0.0;
  size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const size_t exp_digits = j;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
    if (j > exp_digits) end = j;
  }
  std::string_view number = text.substr(start, end - start);
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  double out = 0.0;
  auto res = std::from_chars(number.data(), number.data() + number.size(), out);
  if (res.ec == std::errc::result_out_of_range) {
    // Beyond the range: a negative exponent is too small to tell from 0, a positive one
    // too large for a double.
    const bool tiny = end > i && text.substr(i, end - i).find('-') != std::string_view::npos;
    if (tiny) return 0.0;
    return number.front() == '-' ? -std::numeric_limits<double>::max()
                                 : std::numeric_limits<double>::max();
  }
  return out;
}

bool parse_double(std::string_view text, double& out) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  const bool plus = !text.empty() && text.front() == '+';
  if (plus) text.remove_prefix(1);
  if (text.empty()) return false;
  // Only digits make a number: no second sign, no "inf" or "nan".
  const size_t first = (!plus && text.front() == '-') ? 1 : 0;
  if (first >= text.size() || !((text[first] >= '0' && text[first] <= '9') || text[first] == '.'))
    return false;
  auto res = std::from_chars(text.data(), text.data() + text.size(), out);
  return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

bool is_numeric_text(std::string_view text) {
  double ignored = 0.0;
  return parse_double(text, ignored);
}

int16_t to_int16(double x) {
  const double r = std::nearbyint(x);
  if (!(r >= -32768.0 && r <= 32767.0)) throw_overflow();
  return static_cast<int16_t>(r);
}

int32_t to_int32(double x) {
  const double r = std::nearbyint(x);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw_overflow();
  return static_cast<int32_t>(r);
}

float to_single(double x) {
  if (std::isnan(x)) throw_overflow();
  if (std::isfinite(x) && std::fabs(x) > static_cast<double>(std::numeric_limits<float>::max())) {
    // Values that round to FLT_MAX still convert; only what lies beyond it overflows.
    const float f = static_cast<float>(x);
    if (!std::isfinite(f)) throw_overflow();
    return f;
  }
  if (!std::isfinite(x)) throw_overflow();
  return static_cast<float>(x);
}

double checked_div(double a, double b) {
  if (b == 0.0) {
    if (a == 0.0) throw_overflow();
    throw_division_by_zero();
  }
  return checked(a / b);
}

double checked(double x) {
  if (!std::isfinite(x)) throw_overflow();
  return x;
}

void throw_overflow() { throw RunError(ErrorNumber::Overflow, "Overflow"); }
void throw_division_by_zero() { throw RunError(ErrorNumber::DivisionByZero, "Division by zero"); }
void throw_type_mismatch() { throw RunError(ErrorNumber::TypeMismatch, "Type mismatch"); }

}  // namespace novaflux
