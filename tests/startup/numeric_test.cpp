// The shared rounding: ties to even, whatever rounding mode is in force.

#include "numeric.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(12.5), 12.0);
  EXPECT_EQ(RoundHalfEven(13.5), 14.0);
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(1.5), 2.0);
  EXPECT_EQ(RoundHalfEven(85.5), 86.0);
  EXPECT_EQ(RoundHalfEven(170.5), 170.0);
  EXPECT_EQ(RoundHalfEven(-0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
}

TEST(RoundHalfEven, OtherValuesGoToTheNearest) {
  EXPECT_EQ(RoundHalfEven(341.33), 341.0);
  EXPECT_EQ(RoundHalfEven(0.24), 0.0);
  EXPECT_EQ(RoundHalfEven(2.5000000001), 3.0);
  EXPECT_EQ(RoundHalfEven(2.4999999999), 2.0);
  EXPECT_EQ(RoundHalfEven(-7.6), -8.0);
  EXPECT_EQ(RoundHalfEven(-7.4), -7.0);
  EXPECT_EQ(RoundHalfEven(0.49999999999999994), 0.0);  // the largest double below 0.5
  EXPECT_EQ(RoundHalfEven(4503599627370495.5), 4503599627370496.0);  // 2^52 - 0.5
  EXPECT_EQ(RoundHalfEven(1e300), 1e300);
}

TEST(RoundHalfEven, NonFiniteValuesPassThrough) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(RoundHalfEven(inf), inf);
  EXPECT_EQ(RoundHalfEven(-inf), -inf);
  EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""))));
}

TEST(RoundHalfEven, DoesNotFollowTheRoundingMode) {
  const int saved = std::fegetround();
  for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    EXPECT_EQ(RoundHalfEven(12.5), 12.0) << mode;
    EXPECT_EQ(RoundHalfEven(13.5), 14.0) << mode;
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0) << mode;
    EXPECT_EQ(RoundHalfEven(7.2), 7.0) << mode;
    EXPECT_EQ(RoundHalfEven(7.8), 8.0) << mode;
  }
  std::fesetround(saved);
}

}  // namespace
}  // namespace sorvane
