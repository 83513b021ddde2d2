#pragma once
// The numeric conventions of the product: how it rounds, how numbers pass through text and
// which arithmetic fails a step instead of producing an infinity or a NaN.
#include <cstdint>
#include <string>
#include <string_view>

namespace novaflux {

// 10^0 .. 10^17, each exact in double.
inline constexpr double kPow10[] = {1.0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                    1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};

// x * 10^n in double; an exact half goes to the even neighbour, anything else to the nearest;
// then divided by 10^n. 1234.5 -> 1234, 75.25 -> 75.2 (n = 1), 0.8437 -> 0.844 (n = 3).
double vb_round(double x, int n = 0);

// The "###.0" pattern: the 15-significant-digit decimal text of x rounded to one decimal with
// halves away from zero, read back. 35.25 -> 35.3, -7.25 -> -7.3.
double format_one_decimal(double x);

// x reduced to 15 significant digits, as a round trip through its text form leaves it.
double through_text(double x);

// Text of a double with 15 significant digits and a dot, no exponent for ordinary magnitudes
// (17.5 -> "17.5", 200 -> "200"): the form in which a number is written into a query.
std::string number_text(double x);

// The shortest text that reads back as the same value, as std::to_chars writes it ("23.86",
// "1e+05"): of a double, and of a single-precision value (0.4f -> "0.4").
std::string shortest_text(double x);
std::string single_text(float x);
// The same written at out, which has room for kShortestTextSize characters; returns the end.
inline constexpr int kShortestTextSize = 64;
char* shortest_chars(char* out, double x);
char* shortest_chars(char* out, float x);
// The significant digits of the shortest round-trip decimal of a finite nonzero x, without
// leading or trailing zeros: x = d0.d1d2... x 10^exponent.
struct DecimalDigits {
  bool negative = false;
  int count = 0;
  int exponent = 0;
  char digits[24] = {};
};
DecimalDigits shortest_digits(double x);
// The same read from a text std::to_chars wrote in scientific notation ("-1.2500e+02"), at any
// precision; trailing zeros are dropped.
DecimalDigits scientific_digits(const char* text, const char* end);

// The leading number of a text, 0 when it starts with none (the way text is read as a number).
double leading_number(std::string_view text);

// True when the whole text (blanks around it allowed) is a number.
bool is_numeric_text(std::string_view text);

// Parses a whole text as a double; false when it is not a number.
bool parse_double(std::string_view text, double& out);

// Conversions that round half to even and fail with an overflow beyond the target range.
int16_t to_int16(double x);
int32_t to_int32(double x);
// Conversion to single precision; a finite value beyond the float range is an overflow.
float to_single(double x);

// a / b, failing on a zero divisor (division by zero; 0/0 is an overflow) and on a result
// that is not finite.
double checked_div(double a, double b);
// a result of arithmetic that must stay finite.
double checked(double x);

}  // namespace novaflux
