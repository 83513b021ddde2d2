// The numeric conventions: rounding, numbers through text, reading text as a number, checked
// conversions and division, and the automation variant.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Runs `action` and checks that it fails with a RunError of the given number and description.
void expect_run_error(const std::function<void()>& action, ErrorNumber number,
                      const std::string& description) {
  try {
    action();
    ADD_FAILURE() << "expected a RunError numbered " << static_cast<int>(number);
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), number);
    EXPECT_EQ(e.code(), static_cast<int>(number));
    EXPECT_EQ(std::string(e.what()), description);
  }
}

void expect_overflow(const std::function<void()>& action) {
  expect_run_error(action, ErrorNumber::Overflow, "Overflow");
}

// ---------------------------------------------------------------------------------------------
// vb_round

struct RoundCase {
  double x;
  int n;
  double expected;
};

TEST(VbRound, WholeNumbersHalvesGoToEvenNeighbour) {
  const std::vector<RoundCase> cases = {
      {1234.5, 0, 1234.0}, {1235.5, 0, 1236.0}, {498.5, 0, 498.0}, {0.5, 0, 0.0},
      {1.5, 0, 2.0},       {2.5, 0, 2.0},       {3.5, 0, 4.0},     {-0.5, 0, 0.0},
      {-1.5, 0, -2.0},     {-2.5, 0, -2.0},     {-3.5, 0, -4.0},   {-498.5, 0, -498.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x << " n=" << c.n);
    EXPECT_EQ(vb_round(c.x, c.n), c.expected);
  }
}

TEST(VbRound, DefaultDigitsIsZero) {
  const std::vector<RoundCase> cases = {{2.5, 0, 2.0}, {3.5, 0, 4.0}, {7.2, 0, 7.0}, {-7.7, 0, -8.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x);
    EXPECT_EQ(vb_round(c.x), c.expected);
  }
}

TEST(VbRound, WholeNumbersNonHalvesGoToNearest) {
  const std::vector<RoundCase> cases = {
      {1234.4, 0, 1234.0},
      {1234.6, 0, 1235.0},
      {1234.50000001, 0, 1235.0},
      {1234.49999999, 0, 1234.0},
      {-1234.6, 0, -1235.0},
      {-1234.4, 0, -1234.0},
      {0.49999999999999994, 0, 0.0},  // adding 0.5 and truncating would give 1
      {2.5000000000000004, 0, 3.0},
      {-2.5000000000000004, 0, -3.0},
      {0.0, 0, 0.0},
      {17.0, 0, 17.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x << " n=" << c.n);
    EXPECT_EQ(vb_round(c.x, c.n), c.expected);
  }
}

// The rule works on the double product x * 10^n: whether a case is a half is decided by that
// product, not by the decimal literal. Each row states the product it relies on.
struct ScaledHalfCase {
  double x;
  int n;
  double scaled;  // x * 10^n as computed in double: an exact half
  double expected;
};

TEST(VbRound, DecimalsExactHalfProductGoesToEvenNeighbour) {
  const std::vector<ScaledHalfCase> cases = {
      {75.25, 1, 752.5, 75.2},      {75.35, 1, 753.5, 75.4},      {-75.25, 1, -752.5, -75.2},
      {0.25, 1, 2.5, 0.2},          {0.35, 1, 3.5, 0.4},          {1.45, 1, 14.5, 1.4},
      {2.675, 2, 267.5, 2.68},      {-2.675, 2, -267.5, -2.68},   {0.125, 2, 12.5, 0.12},
      {0.375, 2, 37.5, 0.38},       {12.345, 2, 1234.5, 12.34},   {8.125, 2, 812.5, 8.12},
      {0.045, 2, 4.5, 0.04},        {-0.045, 2, -4.5, -0.04},     {0.0005, 3, 0.5, 0.0},
      {0.0015, 3, 1.5, 0.002},      {0.0025, 3, 2.5, 0.002},      {1.0005, 3, 1000.5, 1.0},
  };
  const double pow10[] = {1.0, 10.0, 100.0, 1000.0};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x << " n=" << c.n);
    ASSERT_EQ(c.x * pow10[c.n], c.scaled) << "the row's premise about the double product";
    EXPECT_EQ(vb_round(c.x, c.n), c.expected);
  }
}

TEST(VbRound, DecimalsProductJustBelowHalfGoesDown) {
  // These decimals end in 5, but x * 10^n in double falls just short of the half.
  struct Case {
    double x;
    int n;
    double expected;
  };
  const std::vector<Case> cases = {
      {1.005, 2, 1.0},   // 100.49999999999999
      {0.285, 2, 0.28},  // 28.499999999999996
      {-1.005, 2, -1.0},
  };
  const double pow10[] = {1.0, 10.0, 100.0, 1000.0};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x << " n=" << c.n);
    const double scaled = c.x * pow10[c.n];
    ASSERT_LT(std::fabs(scaled) - std::floor(std::fabs(scaled)), 0.5);
    EXPECT_EQ(vb_round(c.x, c.n), c.expected);
  }
}

TEST(VbRound, DecimalsNonHalvesGoToNearest) {
  const std::vector<RoundCase> cases = {
      {0.8437, 3, 0.844},
      {0.912 + 0.043 * 0.4, 3, 0.929},  // 0.9292
      {123.456, 2, 123.46},
      {123.454, 2, 123.45},
      {-123.456, 2, -123.46},
      {17.49, 1, 17.5},
      {-17.44, 1, -17.4},
      {0.0004, 3, 0.0},
      {99.996, 2, 100.0},
      {3.14159, 3, 3.142},
      {2.0, 2, 2.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x << " n=" << c.n);
    EXPECT_EQ(vb_round(c.x, c.n), c.expected);
  }
}

TEST(VbRound, HugeValuesAreLeftAsTheyAre) {
  const std::vector<RoundCase> cases = {
      {1e300, 0, 1e300},
      {1e300, 2, 1e300},
      {-1e300, 3, -1e300},
      {DBL_MAX, 2, DBL_MAX},  // the product is infinite
      {4503599627370497.0, 0, 4503599627370497.0},
      {4503599627370497.0, 1, 4503599627370497.0},
      {1e17 + 16.0, 2, 1e17 + 16.0},
      {123456789012.345, 5, 123456789012.345},  // product beyond 2^52: no fraction left
      // Scaling these up and back down in double would not give them back.
      {2204889796112795.0, 1, 2204889796112795.0},
      {8850902541520220.0, 1, 8850902541520220.0},
      {4335449052430563.5, 2, 4335449052430563.5},
      {7740917033544.9307, 4, 7740917033544.9307},
      {8229126899505.6123, 6, 8229126899505.6123},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x << " n=" << c.n);
    EXPECT_EQ(vb_round(c.x, c.n), c.expected);
  }
}

// ---------------------------------------------------------------------------------------------
// format_one_decimal

struct ValueCase {
  double x;
  double expected;
};

TEST(FormatOneDecimal, HalvesOfTheDecimalTextGoAwayFromZero) {
  const std::vector<ValueCase> cases = {
      {35.25, 35.3}, {-7.25, -7.3}, {0.05, 0.1},   {-0.05, -0.1},  {0.25, 0.3},
      {1.45, 1.5},   // binary 1.4499999999999999556, text "1.45"
      {0.15, 0.2},   // binary 0.1499999999999999944, text "0.15"
      {0.95, 1.0},   {99.95, 100.0}, {-99.95, -100.0}, {2.675, 2.7}, {-2.25, -2.3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x);
    EXPECT_EQ(format_one_decimal(c.x), c.expected);
  }
}

TEST(FormatOneDecimal, NonHalvesGoToNearestTenth) {
  const std::vector<ValueCase> cases = {
      {12.34, 12.3},
      {12.36, 12.4},
      {-12.36, -12.4},
      {35.2, 35.2},
      {35.24999, 35.2},
      {9.96, 10.0},
      {17.0, 17.0},
      {0.0999, 0.1},
      {12345678901234.56, 12345678901234.6},  // the last decimal the 15 digits still hold
      {123456789012345.6, 123456789012346.0},  // 15 digits reach no decimal at all
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x);
    EXPECT_EQ(format_one_decimal(c.x), c.expected);
  }
}

TEST(FormatOneDecimal, SmallMagnitudesBecomePositiveZero) {
  const std::vector<double> cases = {-0.04, 0.04, 0.049, -0.049, 1e-5, -1e-5, 1e-300, 0.0, -0.0};
  for (const double x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    const double r = format_one_decimal(x);
    EXPECT_EQ(r, 0.0);
    EXPECT_FALSE(std::signbit(r));
  }
}

TEST(FormatOneDecimal, LargeValuesKeepTheirFifteenDigits) {
  const std::vector<ValueCase> cases = {
      {1e20, 1e20},
      {-1e20, -1e20},
      {1e300, 1e300},
      {123456789012345678.0, 1.23456789012346e17},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x);
    EXPECT_EQ(format_one_decimal(c.x), c.expected);
  }
}

// ---------------------------------------------------------------------------------------------
// through_text

TEST(ThroughText, ReducesToFifteenSignificantDigits) {
  const std::vector<ValueCase> cases = {
      {0.1 + 0.2, 0.3},
      {-(0.1 + 0.2), -0.3},
      {1.0 / 3.0, 0.333333333333333},
      {2.0 / 3.0, 0.666666666666667},
      {-2.0 / 3.0, -0.666666666666667},
      {123456789012345678.0, 1.23456789012346e17},
      {1.2345678901234567e200, 1.23456789012346e200},
      {1.2345678901234567e-200, 1.23456789012346e-200},
      {-9.87654321098765432e-12, -9.87654321098765e-12},
      {17.5, 17.5},
      {200.0, 200.0},
      {1e20, 1e20},
      {0.8437, 0.8437},
      {4.9406564584124654e-324, 4.9406564584124654e-324},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x);
    EXPECT_EQ(through_text(c.x), c.expected);
  }
}

TEST(ThroughText, ZeroStaysZero) {
  const std::vector<double> cases = {0.0, -0.0};
  for (const double x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    EXPECT_EQ(through_text(x), 0.0);
  }
}

TEST(ThroughText, SecondPassChangesNothing) {
  const std::vector<double> cases = {0.1 + 0.2, 1.0 / 3.0, 1.0 / 7.0, -123.456789012345678,
                                     6.02214076e23, 1.602176634e-19};
  for (const double x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    const double once = through_text(x);
    EXPECT_EQ(through_text(once), once);
  }
}

TEST(ThroughText, LargestDoublesKeepTheirMagnitude) {
  // The 15-digit text of these values, 1.79769313486232e308, lies beyond the double range. A
  // round trip must not turn them into 0: either it fails with an overflow or it keeps the
  // magnitude.
  const std::vector<double> cases = {DBL_MAX, -DBL_MAX};
  for (const double x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    try {
      const double r = through_text(x);
      EXPECT_GE(std::fabs(r), 1.7976931348623e308);
      EXPECT_EQ(std::signbit(r), std::signbit(x));
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), ErrorNumber::Overflow);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// number_text

struct TextCase {
  double x;
  std::string expected;
};

TEST(NumberText, FifteenDigitsWithADot) {
  const std::vector<TextCase> cases = {
      {17.5, "17.5"},
      {200.0, "200"},
      {0.0, "0"},
      {-2.5, "-2.5"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3.0, "0.333333333333333"},
      {-2.0 / 3.0, "-0.666666666666667"},
      {0.0001, "0.0001"},
      {0.8437, "0.8437"},
      {1234567.125, "1234567.125"},
      {123456789012345.0, "123456789012345"},
      {2.1, "2.1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x);
    EXPECT_EQ(number_text(c.x), c.expected);
  }
}

TEST(NumberText, ReadsBackAsTheFifteenDigitValue) {
  const std::vector<double> cases = {17.5, 0.1 + 0.2, 1.0 / 3.0, 1.3 * 1.7, -45.123456789012345,
                                     1.2345678901234567e-200, 9.87654321e250};
  for (const double x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    const std::string text = number_text(x);
    EXPECT_EQ(text.find(','), std::string::npos);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), through_text(x));
  }
}

// ---------------------------------------------------------------------------------------------
// single_text

TEST(SingleText, ShortestTextOfTheSingle) {
  struct Case {
    float x;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {0.4f, "0.4"},   {2.75f, "2.75"}, {125.0f, "125"},           {0.1f, "0.1"},
      {-1.5f, "-1.5"}, {0.0f, "0"},     {3.14159274f, "3.1415927"}, {1000.0f, "1000"},
      {249.1f, "249.1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x);
    EXPECT_EQ(single_text(c.x), c.expected);
  }
}

TEST(SingleText, ReadsBackAsTheSameSingle) {
  const std::vector<float> cases = {0.4f, 1.0f / 3.0f, 249.1f, -0.7f, 123.456f, 7e-5f, 3.4e20f};
  for (const float x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    EXPECT_EQ(std::strtof(single_text(x).c_str(), nullptr), x);
  }
}

// ---------------------------------------------------------------------------------------------
// leading_number

struct LeadingCase {
  std::string text;
  double expected;
};

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
  const std::vector<LeadingCase> cases = {
      {"17.5abc", 17.5}, {"", 0.0},       {"  -3.5e2x", -350.0}, {"abc", 0.0},
      {".5", 0.5},       {"1e", 1.0},     {"1e+", 1.0},          {"1e-", 1.0},
      {"+7", 7.0},       {"-.5", -0.5},   {"5.", 5.0},           {".", 0.0},
      {"-", 0.0},        {"+", 0.0},      {"1.2.3", 1.2},        {"\t8", 8.0},
      {"2E3", 2000.0},   {"2e-2kg", 0.02}, {"0012", 12.0},       {"42", 42.0},
      {"  ", 0.0},       {"x12", 0.0},    {"inf", 0.0},          {"nan", 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("text=\"" + c.text + "\"");
    EXPECT_EQ(leading_number(c.text), c.expected);
  }
}

TEST(LeadingNumber, ExponentTooSmallReadsAsZero) {
  const std::vector<LeadingCase> cases = {{"1e-400", 0.0}, {"-1e-400", 0.0}, {"2.5e-999x", 0.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE("text=\"" + c.text + "\"");
    EXPECT_EQ(leading_number(c.text), c.expected);
  }
}

// ---------------------------------------------------------------------------------------------
// parse_double and is_numeric_text

struct ParseCase {
  std::string text;
  bool ok;
  double value;  // meaningful when ok
};

const std::vector<ParseCase>& parse_cases() {
  static const std::vector<ParseCase> cases = {
      {"12.5", true, 12.5},   {" 12.5 ", true, 12.5}, {"\t-3\t", true, -3.0},  {"+4", true, 4.0},
      {"1e3", true, 1000.0},  {"-2.5E-1", true, -0.25}, {".5", true, 0.5},     {"0", true, 0.0},
      {"", false, 0},         {"   ", false, 0},      {"abc", false, 0},       {"12abc", false, 0},
      {"1e", false, 0},       {"1 2", false, 0},      {"0x10", false, 0},      {"-", false, 0},
      {"+", false, 0},        {".", false, 0},        {"1,5", false, 0},       {"++1", false, 0},
  };
  return cases;
}

// Texts that name no finite number: reading them must not produce a NaN or an infinity, and a
// sign may appear only once.
const std::vector<std::string>& non_number_words() {
  static const std::vector<std::string> words = {"inf", "-inf", "infinity", "nan", "NaN", "+-3",
                                                 "-+3"};
  return words;
}

TEST(ParseDouble, WholeTextMustBeANumber) {
  for (const auto& c : parse_cases()) {
    SCOPED_TRACE("text=\"" + c.text + "\"");
    double out = -1.0;
    EXPECT_EQ(parse_double(c.text, out), c.ok);
    if (c.ok) {
      EXPECT_EQ(out, c.value);
    }
  }
}

TEST(ParseDouble, RejectsWordsAndDoubleSigns) {
  for (const auto& text : non_number_words()) {
    SCOPED_TRACE("text=\"" + text + "\"");
    double out = 0.0;
    EXPECT_FALSE(parse_double(text, out));
  }
}

TEST(IsNumericText, AgreesWithParseDouble) {
  for (const auto& c : parse_cases()) {
    SCOPED_TRACE("text=\"" + c.text + "\"");
    EXPECT_EQ(is_numeric_text(c.text), c.ok);
  }
}

TEST(IsNumericText, RejectsWordsAndDoubleSigns) {
  for (const auto& text : non_number_words()) {
    SCOPED_TRACE("text=\"" + text + "\"");
    EXPECT_FALSE(is_numeric_text(text));
  }
}

// ---------------------------------------------------------------------------------------------
// to_int16 and to_int32

TEST(ToInt16, RoundsHalvesToEven) {
  struct Case {
    double x;
    int16_t expected;
  };
  const std::vector<Case> cases = {
      {2.5, 2},          {3.5, 4},          {-0.5, 0},         {0.5, 0},
      {1.5, 2},          {-1.5, -2},        {-2.5, -2},        {2.4, 2},
      {2.6, 3},          {-2.6, -3},        {0.0, 0},          {32767.0, 32767},
      {32767.4, 32767},  {32766.5, 32766},  {-32768.0, -32768}, {-32768.5, -32768},
      {-32767.5, -32768}, {1500.0, 1500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x);
    EXPECT_EQ(to_int16(c.x), c.expected);
  }
}

TEST(ToInt16, OutOfRangeIsOverflow) {
  const std::vector<double> cases = {32767.5, 32768.0, -32768.6, -32769.0, 1e10, -1e10,
                                     kNaN,    kInf,    -kInf};
  for (const double x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    expect_overflow([x] { (void)to_int16(x); });
  }
}

TEST(ToInt32, RoundsHalvesToEven) {
  struct Case {
    double x;
    int32_t expected;
  };
  const std::vector<Case> cases = {
      {2.5, 2},
      {3.5, 4},
      {-0.5, 0},
      {-2.5, -2},
      {70000.5, 70000},
      {70001.5, 70002},
      {2147483647.0, 2147483647},
      {2147483647.4, 2147483647},
      {2147483646.5, 2147483646},
      {-2147483648.0, std::numeric_limits<int32_t>::min()},
      {-2147483648.5, std::numeric_limits<int32_t>::min()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x);
    EXPECT_EQ(to_int32(c.x), c.expected);
  }
}

TEST(ToInt32, OutOfRangeIsOverflow) {
  const std::vector<double> cases = {2147483647.5, 2147483648.0, -2147483648.6, -2147483649.0,
                                     1e20,         kNaN,         kInf,          -kInf};
  for (const double x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    expect_overflow([x] { (void)to_int32(x); });
  }
}

// ---------------------------------------------------------------------------------------------
// to_single

TEST(ToSingle, ConvertsValuesInRange) {
  struct Case {
    double x;
    float expected;
  };
  const std::vector<Case> cases = {
      {0.4, 0.4f},        {17.5, 17.5f},     {-1e30, -1e30f}, {0.0, 0.0f},
      {FLT_MAX, FLT_MAX}, {-FLT_MAX, -FLT_MAX}, {1e-50, 0.0f},  {1.0 / 3.0, 1.0f / 3.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << c.x);
    EXPECT_EQ(to_single(c.x), c.expected);
  }
}

TEST(ToSingle, BeyondRangeOrNotFiniteIsOverflow) {
  const std::vector<double> cases = {1e39, -1e39, 3.5e38, -3.5e38, DBL_MAX, kNaN, kInf, -kInf};
  for (const double x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    expect_overflow([x] { (void)to_single(x); });
  }
}

// ---------------------------------------------------------------------------------------------
// checked_div and checked

TEST(CheckedDiv, OrdinaryQuotients) {
  struct Case {
    double a, b, expected;
  };
  const std::vector<Case> cases = {
      {7.0, 2.0, 3.5},        {-9.0, 3.0, -3.0},   {6.0, -0.5, -12.0},
      {1.0, 3.0, 1.0 / 3.0},  {0.0, 5.0, 0.0},     {1e-308, 1e308, 0.0},
      {1e308, 10.0, 1e307},   {5.08, 0.001, 5.08 / 0.001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " / " << c.b);
    EXPECT_EQ(checked_div(c.a, c.b), c.expected);
  }
}

TEST(CheckedDiv, Failures) {
  struct Case {
    double a, b;
    ErrorNumber number;
    std::string description;
  };
  const std::vector<Case> cases = {
      {1.0, 0.0, ErrorNumber::DivisionByZero, "Division by zero"},
      {-1.0, 0.0, ErrorNumber::DivisionByZero, "Division by zero"},
      {1.0, -0.0, ErrorNumber::DivisionByZero, "Division by zero"},
      {0.0, 0.0, ErrorNumber::Overflow, "Overflow"},
      {-0.0, 0.0, ErrorNumber::Overflow, "Overflow"},
      {1e308, 1e-308, ErrorNumber::Overflow, "Overflow"},
      {-1e308, 1e-308, ErrorNumber::Overflow, "Overflow"},
      {kNaN, 1.0, ErrorNumber::Overflow, "Overflow"},
      {1.0, kNaN, ErrorNumber::Overflow, "Overflow"},
      {kInf, 2.0, ErrorNumber::Overflow, "Overflow"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " / " << c.b);
    expect_run_error([&c] { (void)checked_div(c.a, c.b); }, c.number, c.description);
  }
  EXPECT_EQ(static_cast<int>(ErrorNumber::DivisionByZero), 11);
  EXPECT_EQ(static_cast<int>(ErrorNumber::Overflow), 6);
}

TEST(Checked, FiniteValuesPassThrough) {
  const std::vector<double> cases = {1.5, -2.25, 0.0, DBL_MAX, -DBL_MAX, 4.9406564584124654e-324};
  for (const double x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    EXPECT_EQ(checked(x), x);
  }
}

TEST(Checked, NonFiniteValuesAreOverflow) {
  const std::vector<double> cases = {kInf, -kInf, kNaN, DBL_MAX * 2.0};
  for (const double x : cases) {
    SCOPED_TRACE(testing::Message() << "x=" << x);
    expect_overflow([x] { (void)checked(x); });
  }
}

// ---------------------------------------------------------------------------------------------
// Variant

TEST(Variant, KindOfEachValue) {
  struct Case {
    Variant value;
    bool empty, number, text;
  };
  const std::vector<Case> cases = {
      {Variant(), true, false, false},
      {Variant(0.0), false, true, false},
      {Variant(17.5), false, true, false},
      {Variant(""), false, false, true},
      {Variant("abc"), false, false, true},
      {Variant(std::string("12")), false, false, true},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(cases[i].value.is_empty(), cases[i].empty);
    EXPECT_EQ(cases[i].value.is_number(), cases[i].number);
    EXPECT_EQ(cases[i].value.is_text(), cases[i].text);
  }
}

TEST(Variant, ToNumber) {
  struct Case {
    Variant value;
    double expected;
  };
  const std::vector<Case> cases = {
      {Variant(), 0.0},           {Variant(17.5), 17.5},      {Variant(-0.25), -0.25},
      {Variant(" 12.5 "), 12.5},  {Variant("12.5"), 12.5},    {Variant("-3e2"), -300.0},
      {Variant("\t7\t"), 7.0},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(cases[i].value.to_number(), cases[i].expected);
  }
}

TEST(Variant, EmptyCountsAsZeroInRoundingAndConversions) {
  const Variant empty;
  EXPECT_EQ(vb_round(empty.to_number(), 2), 0.0);
  EXPECT_EQ(to_int16(empty.to_number()), 0);
  EXPECT_EQ(to_int32(empty.to_number()), 0);
  EXPECT_EQ(to_single(empty.to_number()), 0.0f);
  EXPECT_EQ(empty.number(), 0.0);
}

TEST(Variant, NonNumericTextIsTypeMismatch) {
  const std::vector<std::string> cases = {"abc", "", " ", "12abc", "1,5", "inf", "nan"};
  for (const auto& text : cases) {
    SCOPED_TRACE("text=\"" + text + "\"");
    const Variant v(text);
    expect_run_error([&v] { (void)v.to_number(); }, ErrorNumber::TypeMismatch, "Type mismatch");
  }
  EXPECT_EQ(static_cast<int>(ErrorNumber::TypeMismatch), 13);
}

TEST(Variant, ToText) {
  struct Case {
    Variant value;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {Variant(), ""},           {Variant(17.5), "17.5"},   {Variant(200.0), "200"},
      {Variant(0.1 + 0.2), "0.3"}, {Variant(-2.5), "-2.5"}, {Variant("abc"), "abc"},
      {Variant(" 12.5 "), " 12.5 "}, {Variant(""), ""},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(cases[i].value.to_text(), cases[i].expected);
  }
}

TEST(Variant, TextAccessor) {
  EXPECT_EQ(Variant("abc").text(), "abc");
  EXPECT_EQ(Variant().text(), "");
  EXPECT_EQ(Variant(1.5).text(), "");
  EXPECT_EQ(Variant(1.5).number(), 1.5);
  EXPECT_EQ(Variant("1.5").number(), 0.0);
}

TEST(Variant, Equality) {
  struct Case {
    Variant a, b;
    bool equal;
  };
  const std::vector<Case> cases = {
      {Variant(), Variant(), true},
      {Variant(1.0), Variant(1.0), true},
      {Variant("a"), Variant(std::string("a")), true},
      {Variant(1.0), Variant(2.0), false},
      {Variant(1.0), Variant("1"), false},
      {Variant(), Variant(0.0), false},
      {Variant(), Variant(""), false},
      {Variant("a"), Variant("A"), false},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(cases[i].a == cases[i].b, cases[i].equal);
    EXPECT_EQ(cases[i].a != cases[i].b, !cases[i].equal);
  }
}

}  // namespace
}  // namespace novaflux
