// Regions that skip a failing statement: armed only from a fixed statement on, never for a
// fatal failure, and a failure inside a called step ends only that step.
#include <gtest/gtest.h>

#include "common/ignore_errors.hpp"
#include "common/run_error.hpp"

using namespace novaflux;

namespace {

[[noreturn]] void fail() { throw RunError(ErrorNumber::DivisionByZero, "Division by zero"); }

TEST(IgnoreErrors, FailuresPassUntilTheRegionIsArmed) {
  IgnoreErrors region;
  EXPECT_FALSE(region.armed());
  int destination = 1;
  EXPECT_THROW(region.run([&] {
    fail();
    destination = 2;
  }),
               RunError);
  EXPECT_EQ(destination, 1);

  region.arm();
  EXPECT_TRUE(region.armed());
  region.run([&] {
    fail();
    destination = 2;  // never reached: the statement is skipped whole
  });
  region.run([&] { destination = 3; });  // the next statement still runs
  EXPECT_EQ(destination, 3);
}

TEST(IgnoreErrors, FatalFailuresPassThroughAnArmedRegion) {
  IgnoreErrors region;
  region.arm();
  EXPECT_THROW(region.run([] { throw FatalRunError(ErrorNumber::MissingCurve, "no curve"); }), FatalRunError);
  EXPECT_NO_THROW(region.run([] { throw RunError(ErrorNumber::Catalogue, "ignorable"); }));
}

TEST(IgnoreErrors, AFailureInACalledStepEndsOnlyThatStep) {
  int first = 0, second = 0, after = 0;
  auto step = [&] {  // a called step without a region of its own
    first = 1;
    fail();
    second = 1;
  };
  IgnoreErrors caller;
  caller.arm();
  caller.run(step);
  caller.run([&] { after = 1; });
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(after, 1);
}

TEST(IgnoreErrors, RegionsAreIndependent) {
  IgnoreErrors armed, unarmed;
  armed.arm();
  EXPECT_NO_THROW(armed.run(fail));
  EXPECT_THROW(unarmed.run(fail), RunError);
}

}  // namespace
