// Regions of a step that skip a failing statement and go on.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "common/ignore_errors.hpp"
#include "common/numeric.hpp"
#include "common/run_error.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux {
namespace {

// A statement that assigns to its destination through a computation that fails.
struct FailingStatement {
  std::string name;
  std::function<double()> compute;
  ErrorNumber number;
};

std::vector<FailingStatement> failing_statements() {
  return {
      {"division by zero", [] { return checked_div(1.0, 0.0); }, ErrorNumber::DivisionByZero},
      {"zero by zero", [] { return checked_div(0.0, 0.0); }, ErrorNumber::Overflow},
      {"infinite result",
       [] { return checked(std::numeric_limits<double>::infinity()); }, ErrorNumber::Overflow},
      {"integer overflow", [] { return static_cast<double>(to_int16(40000.0)); },
       ErrorNumber::Overflow},
      {"single overflow", [] { return static_cast<double>(to_single(1e39)); },
       ErrorNumber::Overflow},
      {"text as number", [] { return Variant("abc").to_number(); }, ErrorNumber::TypeMismatch},
      {"missing catalogue row",
       []() -> double { throw RunError(ErrorNumber::SubscriptOutOfRange, "Subscript out of range"); },
       ErrorNumber::SubscriptOutOfRange},
  };
}

TEST(IgnoreErrors, ArmedOnlyAfterArm) {
  IgnoreErrors region;
  EXPECT_FALSE(region.armed());
  region.arm();
  EXPECT_TRUE(region.armed());
  region.arm();
  EXPECT_TRUE(region.armed());
}

TEST(IgnoreErrors, UnarmedRegionLetsFailuresThrough) {
  for (const auto& s : failing_statements()) {
    SCOPED_TRACE(s.name);
    const IgnoreErrors region;
    double destination = 42.0;
    bool later_ran = false;
    try {
      region.run([&] { destination = s.compute(); });
      later_ran = true;
      ADD_FAILURE() << "the failure did not pass through";
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), s.number);
    }
    EXPECT_FALSE(later_ran);
    EXPECT_EQ(destination, 42.0);
  }
}

TEST(IgnoreErrors, ArmedRegionSkipsFailingStatementAndGoesOn) {
  for (const auto& s : failing_statements()) {
    SCOPED_TRACE(s.name);
    IgnoreErrors region;
    region.arm();
    double destination = 42.0;
    double later = 0.0;
    EXPECT_NO_THROW({
      region.run([&] { destination = s.compute(); });
      region.run([&] { later = 7.0; });
    });
    EXPECT_EQ(destination, 42.0);
    EXPECT_EQ(later, 7.0);
  }
}

TEST(IgnoreErrors, ArmedRegionRunsSucceedingStatements) {
  struct Case {
    std::string name;
    std::function<double()> compute;
    double expected;
  };
  const std::vector<Case> cases = {
      {"division", [] { return checked_div(7.0, 2.0); }, 3.5},
      {"rounding", [] { return vb_round(2.675, 2); }, 2.68},
      {"numeric text", [] { return Variant(" 12.5 ").to_number(); }, 12.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    IgnoreErrors region;
    region.arm();
    double destination = 42.0;
    region.run([&] { destination = c.compute(); });
    EXPECT_EQ(destination, c.expected);
  }
}

TEST(IgnoreErrors, FailuresBeforeArmPassThroughAndAfterArmAreSkipped) {
  struct Case {
    std::string name;
    bool arm_before_failure;
    bool expect_throw;
  };
  const std::vector<Case> cases = {
      {"failure before arm", false, true},
      {"failure after arm", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    IgnoreErrors region;
    double first = 1.0;
    double last = 0.0;
    bool threw = false;
    try {
      region.run([&] { first = 2.0; });
      if (c.arm_before_failure) region.arm();
      region.run([&] { first = checked_div(1.0, 0.0); });
      region.arm();
      region.run([&] { last = 3.0; });
    } catch (const RunError& e) {
      threw = true;
      EXPECT_EQ(e.number(), ErrorNumber::DivisionByZero);
    }
    EXPECT_EQ(threw, c.expect_throw);
    EXPECT_EQ(first, 2.0);
    EXPECT_EQ(last, c.expect_throw ? 0.0 : 3.0);
  }
}

TEST(IgnoreErrors, FatalFailurePassesThroughArmedRegion) {
  struct Case {
    std::string name;
    ErrorNumber number;
    std::string description;
  };
  const std::vector<Case> cases = {
      {"missing curve", ErrorNumber::MissingCurve,
       "no performance data for rotor depth 200, series F2, type N"},
      {"catalogue", ErrorNumber::Catalogue, "catalogue cannot be read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    IgnoreErrors region;
    region.arm();
    double before = 0.0;
    double after = 0.0;
    bool caught = false;
    try {
      region.run([&] { before = 1.0; });
      region.run([&] { throw FatalRunError(c.number, c.description); });
      region.run([&] { after = 1.0; });
    } catch (const FatalRunError& e) {
      caught = true;
      EXPECT_EQ(e.number(), c.number);
      EXPECT_EQ(std::string(e.what()), c.description);
      EXPECT_FALSE(e.ignorable());
    }
    EXPECT_TRUE(caught);
    EXPECT_EQ(before, 1.0);  // results written before the failure stay
    EXPECT_EQ(after, 0.0);
  }
}

TEST(IgnoreErrors, OnlyFatalFailuresAreNotIgnorable) {
  struct Case {
    std::string name;
    std::function<void()> raise;
    bool ignorable;
  };
  const std::vector<Case> cases = {
      {"ordinary", [] { throw RunError(ErrorNumber::Overflow, "Overflow"); }, true},
      {"fatal", [] { throw FatalRunError(ErrorNumber::MissingCurve, "no curve"); }, false},
      {"overflow helper", [] { throw_overflow(); }, true},
      {"division helper", [] { throw_division_by_zero(); }, true},
      {"mismatch helper", [] { throw_type_mismatch(); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool caught = false;
    try {
      c.raise();
    } catch (const RunError& e) {
      caught = true;
      EXPECT_EQ(e.ignorable(), c.ignorable);
    }
    EXPECT_TRUE(caught);
  }
}

// A called method with no region of its own: a failure ends it after its first assignment.
void assign_two_with_failure_between(double& first, double& second, bool fail) {
  first = 1.0;
  if (fail) throw_division_by_zero();
  second = 2.0;
}

TEST(IgnoreErrors, FailureInCalledMethodEndsOnlyThatMethod) {
  struct Case {
    std::string name;
    bool fail;
    double expected_second;
  };
  const std::vector<Case> cases = {
      {"called method fails", true, -1.0},
      {"called method succeeds", false, 2.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    double first = -1.0;
    double second = -1.0;
    double caller_after = -1.0;
    auto caller = [&] {
      IgnoreErrors region;
      region.arm();
      region.run([&] { assign_two_with_failure_between(first, second, c.fail); });
      region.run([&] { caller_after = 3.0; });
    };
    EXPECT_NO_THROW(caller());
    EXPECT_EQ(first, 1.0);                  // written before the failure: stays
    EXPECT_EQ(second, c.expected_second);   // after the failure: the called method ended
    EXPECT_EQ(caller_after, 3.0);           // the caller's region goes on
  }
}

TEST(IgnoreErrors, RegionsAreIndependent) {
  IgnoreErrors armed;
  armed.arm();
  const IgnoreErrors unarmed;
  double a = 0.0;
  armed.run([&] { a = checked_div(1.0, 0.0); });
  EXPECT_EQ(a, 0.0);
  EXPECT_FALSE(unarmed.armed());
  try {
    unarmed.run([&] { a = checked_div(1.0, 0.0); });
    ADD_FAILURE() << "the unarmed region swallowed the failure";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), ErrorNumber::DivisionByZero);
  }
}

}  // namespace
}  // namespace novaflux
