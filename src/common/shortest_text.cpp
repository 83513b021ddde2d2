// The shortest round-trip text of a number, exactly as std::to_chars writes it, with a fast
// path for the values a rating produces: a few decimals on a modest magnitude.
//
// For x (not a power of two, so its neighbours lie one ulp away on either side) and j
// decimals, at most one decimal with j digits after the point can read back as x once
// |x| * 10^j < 2^50 (2^21 for a float): two of them would be 10^-j apart inside one ulp. The
// nearest such decimal is round(|x| * 10^j) / 10^j, and when |x| * 10^j is further from an
// integer than half an ulp (scaled) plus the error of the product, none of them reads back.
// The first j whose candidate reads back therefore gives the fewest significant digits, and
// it is the only candidate with that many: the digits std::to_chars chooses. Its choice of
// fixed or scientific notation (the shorter, fixed on a tie) is then made the same way here.
#include <bit>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "common/numeric.hpp"

namespace novaflux {

namespace {

template <class T>
constexpr double kScaledLimit = std::numeric_limits<T>::digits == 53 ? 0x1p50 : 0x1p21;

// The text of digits[0..length) with `decimals` of them after the point, laid out the way
// std::to_chars's plain format would: fixed unless scientific is strictly shorter.
char* lay_out(char* out, const char* digits, int length, int decimals) {
  int significant = length;
  if (decimals == 0)
    while (significant > 1 && digits[significant - 1] == '0') --significant;
  const int exponent = length - 1 - decimals;  // of the leading digit
  const int fixed_length = decimals == 0 ? length : (length > decimals ? length + 1 : 2 + decimals);
  const int exponent_digits = std::abs(exponent) >= 100 ? 3 : 2;
  const int scientific_length = significant + (significant > 1 ? 1 : 0) + 2 + exponent_digits;
  if (scientific_length < fixed_length) {
    *out++ = digits[0];
    if (significant > 1) {
      *out++ = '.';
      std::memcpy(out, digits + 1, static_cast<size_t>(significant - 1));
      out += significant - 1;
    }
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    const int e = std::abs(exponent);
    if (e >= 100) *out++ = static_cast<char>('0' + e / 100);
    *out++ = static_cast<char>('0' + e / 10 % 10);
    *out++ = static_cast<char>('0' + e % 10);
    return out;
  }
  if (decimals == 0) {
    std::memcpy(out, digits, static_cast<size_t>(length));
    return out + length;
  }
  if (length > decimals) {
    const int whole = length - decimals;
    std::memcpy(out, digits, static_cast<size_t>(whole));
    out += whole;
    *out++ = '.';
    std::memcpy(out, digits + whole, static_cast<size_t>(decimals));
    return out + decimals;
  }
  *out++ = '0';
  *out++ = '.';
  for (int i = length; i < decimals; ++i) *out++ = '0';
  std::memcpy(out, digits, static_cast<size_t>(length));
  return out + length;
}

template <class T>
using Bits = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;

// The gap to the next larger value of a positive finite T.
template <class T>
T gap_above(T a) {
  return std::bit_cast<T>(static_cast<Bits<T>>(std::bit_cast<Bits<T>>(a) + 1)) - a;
}

template <class T>
bool is_power_of_two(T a) {
  constexpr Bits<T> mantissa = (Bits<T>{1} << (std::numeric_limits<T>::digits - 1)) - 1;
  return (std::bit_cast<Bits<T>>(a) & mantissa) == 0;
}

// The shortest decimal of x as its digits (`length` of them) and how many of those follow the
// point; false where this path cannot settle it.
template <class T>
bool fast_decimal(T x, char (&digits)[24], int& length, int& decimals) {
  const T a = std::fabs(x);
  if (!(a >= T(1e-3) && a < T(kScaledLimit<T>)) || is_power_of_two(a)) return false;
  const double half_ulp = static_cast<double>(gap_above(a)) / 2;
  for (int j = 0; j < static_cast<int>(std::size(kPow10)); ++j) {
    const double scaled = static_cast<double>(a) * kPow10[j];
    if (scaled >= kScaledLimit<T>) return false;
    // Rounded by truncation (exact below 2^50); a tie is far from reading back anyway.
    const auto whole = static_cast<uint64_t>(scaled + 0.5);
    const auto nearest = static_cast<double>(whole);
    // The distance of |x| * 10^j from that integer, to within a rounding of the sum: the
    // product's own rounding error is exact as a fused multiply-add's remainder, and
    // 10^j and the half gap (a power of two times it) are exact.
    const double residual = std::fma(static_cast<double>(a), kPow10[j], -scaled);
    const double distance = std::fabs((scaled - nearest) + residual);
    const double reach = half_ulp * kPow10[j];
    if (distance > reach * (1 + 0x1p-40)) continue;  // no decimal with j digits reads back
    length = static_cast<int>(std::to_chars(digits, digits + sizeof digits, whole).ptr - digits);
    if (distance >= reach * (1 - 0x1p-40)) {
      // On the edge of the interval (a tie that parsing settles by the even neighbour).
      char text[48];
      char* const end = lay_out(text, digits, length, j);
      T back{};
      const auto parsed = std::from_chars(text, end, back);
      if (parsed.ec != std::errc() || parsed.ptr != end || back != a) continue;
    }
    decimals = j;
    return true;
  }
  return false;
}

template <class T>
char* fast_shortest(char* out, T x) {
  char digits[24];
  int length = 0, decimals = 0;
  if (!fast_decimal(x, digits, length, decimals)) return nullptr;
  if (x < 0) *out++ = '-';
  return lay_out(out, digits, length, decimals);
}

template <class T>
char* shortest(char* out, T x) {
  if (x == 0) {
    if (std::signbit(x)) *out++ = '-';
    *out++ = '0';
    return out;
  }
  if (char* end = fast_shortest(out, x)) return end;
  return std::to_chars(out, out + kShortestTextSize, x).ptr;
}

}  // namespace

char* shortest_chars(char* out, double x) { return shortest(out, x); }
char* shortest_chars(char* out, float x) { return shortest(out, x); }

DecimalDigits shortest_digits(double x) {
  DecimalDigits d;
  char digits[24];
  int length = 0, decimals = 0;
  if (x != 0 && fast_decimal(x, digits, length, decimals)) {
    d.negative = x < 0;
    std::memcpy(d.digits, digits, static_cast<size_t>(length));
    d.count = length;
    while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
    d.exponent = length - 1 - decimals;
    return d;
  }
  // Scientific: in fixed notation a large integer is written with all its exact digits.
  char text[kShortestTextSize];
  return scientific_digits(text, std::to_chars(text, text + sizeof text, x, std::chars_format::scientific).ptr);
}

DecimalDigits scientific_digits(const char* text, const char* end) {
  DecimalDigits d;
  const char* p = text;
  if (p < end && *p == '-') {
    d.negative = true;
    ++p;
  }
  for (; p < end && *p != 'e'; ++p)
    if (*p != '.' && d.count < static_cast<int>(sizeof d.digits)) d.digits[d.count++] = *p;
  if (p < end) std::from_chars(p[1] == '+' ? p + 2 : p + 1, end, d.exponent);
  while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
  return d;
}

std::string shortest_text(double x) {
  char buf[kShortestTextSize];
  return std::string(buf, shortest_chars(buf, x));
}

std::string single_text(float x) {
  char buf[kShortestTextSize];
  return std::string(buf, shortest_chars(buf, x));
}

}  // namespace novaflux
