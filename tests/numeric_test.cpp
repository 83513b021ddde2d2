// The numeric conventions, from tests/data/numeric_cases.csv: rounding, numbers through text,
// text read as a number, checked conversions and division, the variant's arithmetic.
#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cstring>
#include <random>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "novaflux/kiv_class.hpp"
#include "support/test_data.hpp"

namespace novaflux {
namespace {

std::string unescape(std::string s) {
  for (size_t at; (at = s.find("\\t")) != std::string::npos;) s.replace(at, 2, "\t");
  return s;
}

double number(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

struct Case {
  std::string function, input, n, expected, source;
};

std::vector<Case> cases() {
  std::vector<Case> out;
  for (const auto& r : test_support::read_csv(test_support::data_path("numeric_cases.csv"), '|').rows)
    out.push_back({r.at(0), unescape(r.at(1)), r.at(2), r.at(3), r.at(4)});
  return out;
}

// The failure a case expects, by its word: the number hosts see, and its description.
void expect_failure(const std::function<void()>& action, const std::string& word) {
  const std::map<std::string, std::pair<int, std::string>> kinds = {
      {"overflow", {6, "Overflow"}}, {"div0", {11, "Division by zero"}}, {"type_mismatch", {13, "Type mismatch"}}};
  try {
    action();
    ADD_FAILURE() << "no failure";
  } catch (const RunError& e) {
    EXPECT_EQ(e.code(), kinds.at(word).first);
    EXPECT_EQ(std::string(e.what()), kinds.at(word).second);
  }
}

class NumericConventions : public ::testing::TestWithParam<Case> {};

TEST_P(NumericConventions, MatchTheCase) {
  const Case& c = GetParam();
  SCOPED_TRACE(c.function + "(\"" + c.input + "\", " + c.n + ") -> " + c.expected + ": " + c.source);
  const double x = number(c.input), want = number(c.expected);
  const bool fails = c.expected == "overflow" || c.expected == "div0" || c.expected == "type_mismatch";
  // A call, not a macro, in each branch: the chain of ifs stays unambiguous.
  const auto eq = [](const auto& got, const auto& expected) { EXPECT_EQ(got, expected); };
  const auto& f = c.function;
  if (f == "vb_round") eq(vb_round(x, std::stoi(c.n)), want);
  else if (f == "format_one_decimal") {
    const double r = format_one_decimal(x);
    eq(r, want);
    eq(std::signbit(r), std::signbit(want));
  } else if (f == "through_text") eq(through_text(x), want);
  else if (f == "number_text") eq(number_text(x), c.expected);
  else if (f == "single_text") eq(single_text(std::strtof(c.input.c_str(), nullptr)), c.expected);
  else if (f == "leading_number") eq(leading_number(c.input), want);
  else if (f == "parse_double") {
    double out = -1;
    eq(parse_double(c.input, out), c.expected != "reject");
    eq(is_numeric_text(c.input), c.expected != "reject");
    if (c.expected != "reject") eq(out, want);
  } else if (f == "to_int16" && fails) expect_failure([&] { (void)to_int16(x); }, c.expected);
  else if (f == "to_int16") eq(to_int16(x), want);
  else if (f == "to_int32" && fails) expect_failure([&] { (void)to_int32(x); }, c.expected);
  else if (f == "to_int32") eq(to_int32(x), want);
  else if (f == "to_single" && fails) expect_failure([&] { (void)to_single(x); }, c.expected);
  else if (f == "to_single") eq(to_single(x), std::strtof(c.expected.c_str(), nullptr));
  else if (f == "checked_div" && fails) expect_failure([&] { (void)checked_div(x, number(c.n)); }, c.expected);
  else if (f == "checked_div") eq(checked_div(x, number(c.n)), want);
  else if (f == "checked" && fails) expect_failure([&] { (void)checked(x); }, c.expected);
  else if (f == "checked") eq(checked(x), want);
  else if (f.rfind("variant_", 0) == 0) {
    const Variant v = c.input == "<empty>" ? Variant() : f == "variant_text" ? Variant(x) : Variant(c.input);
    if (f == "variant_text") eq(v.to_text(), c.expected);
    else if (fails) expect_failure([&] { (void)v.to_number(); }, c.expected);
    else eq(v.to_number(), want);
  } else FAIL() << "no function " << f;
}

INSTANTIATE_TEST_SUITE_P(Cases, NumericConventions, ::testing::ValuesIn(cases()));

// The 15-digit text of the largest doubles lies beyond the double range: a round trip must
// keep the magnitude or overflow, never give 0.
TEST(ThroughText, LargestDoublesKeepTheirMagnitude) {
  for (const double x : {DBL_MAX, -DBL_MAX}) {
    try {
      const double r = through_text(x);
      EXPECT_GE(std::fabs(r), 1.7976931348623e308);
      EXPECT_EQ(std::signbit(r), std::signbit(x));
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), ErrorNumber::Overflow);
    }
  }
}

// The fast shortest text must be std::to_chars's, digit for digit and in its choice of fixed
// or scientific notation: values of a few decimals (where the fast path answers, ties of the
// notation included), integers with trailing zeros, powers of two and arbitrary bit patterns.
template <class T, class Bits>
void expect_same_as_to_chars(std::mt19937_64& random) {
  const auto check = [](T x) {
    char expected[64];
    const std::string want(expected, std::to_chars(expected, expected + sizeof expected, x).ptr);
    std::string got;
    if constexpr (std::is_same_v<T, float>) got = single_text(x);
    else got = shortest_text(x);
    ASSERT_EQ(got, want);
    if constexpr (std::is_same_v<T, double>) {
      // The 15-digit round trips, against the general formatter at 15 digits.
      char text[64];
      double back = 0;
      std::from_chars(text, std::to_chars(text, text + 64, x, std::chars_format::scientific, 14).ptr, back);
      ASSERT_EQ(through_text(x), back) << want;
      ASSERT_EQ(number_text(x), std::string(text, std::to_chars(text, text + 64, back, std::chars_format::general, 15).ptr));
      // The shortest digits and exponent, against the scientific shortest text.
      if (x != 0) {
        const char* end = std::to_chars(text, text + 64, x, std::chars_format::scientific).ptr;
        std::string digits;
        const char* p = text;
        for (; *p != 'e'; ++p)
          if (*p >= '0' && *p <= '9') digits += *p;
        while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
        int exponent = 0;
        std::from_chars(p[1] == '+' ? p + 2 : p + 1, end, exponent);
        const DecimalDigits d = shortest_digits(x);
        ASSERT_EQ(std::string(d.digits, static_cast<size_t>(d.count)), digits) << want;
        ASSERT_EQ(d.exponent, exponent) << want;
        ASSERT_EQ(d.negative, x < 0) << want;
      }
    }
  };
  for (int i = 0; i < 300000; ++i) {
    const int decimals = static_cast<int>(random() % 12);
    const auto whole = static_cast<int64_t>(random() % 100000000) / static_cast<int64_t>(1 + random() % 100000);
    const T x = static_cast<T>(static_cast<double>(whole) / std::pow(10.0, decimals));
    check(random() % 2 ? x : -x);
    check(static_cast<T>(std::ldexp(1.0, static_cast<int>(random() % 80) - 40)));
    const auto bits = static_cast<Bits>(random());
    T any;
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any)) check(any);
  }
  for (double x = 1; x < 1e17; x *= 10)
    for (const double m : {1.0, 1.2, 1.25, 9.0}) check(static_cast<T>(x * m));
}

TEST(ShortestText, SameAsToChars) {
  std::mt19937_64 random(20261207);
  expect_same_as_to_chars<double, uint64_t>(random);
  expect_same_as_to_chars<float, uint32_t>(random);
}

}  // namespace
}  // namespace novaflux
