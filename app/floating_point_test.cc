#include "app/floating_point.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

namespace {

double Quotient(double numerator, double denominator) {
  // Through volatile, so the division happens at run time, under the
  // environment set, and is not folded by the compiler.
  volatile double n = numerator;
  volatile double d = denominator;
  return n / d;
}

// Starting from an environment that traps, the program's environment must
// let 0 / 0 and 1 / 0 through as NaN and infinity.
TEST(FloatingPointTest, ZeroByZeroGivesNanEvenAfterTrapsWereOn) {
  feenableexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
  fesetround(FE_UPWARD);
  UseDefaultFloatingPointMasked();
  EXPECT_EQ(fegetexcept(), 0);
  EXPECT_TRUE(std::isnan(Quotient(0.0, 0.0)));
  EXPECT_TRUE(std::isinf(Quotient(1.0, 0.0)));
  EXPECT_EQ(fegetround(), FE_TONEAREST);
}

}  // namespace
