#include <gtest/gtest.h>

#include <cstdint>

#include "experiment/trajectory.h"

namespace {

// Runs the experiment's double iteration for every start it accepts beside a 64-bit integer one:
// every value must be the same, so no value shown is ever rounded.
TEST(AllStarts, EveryStartReachesOneWithEveryValueExact) {
  double largestValue = 0;
  double startOfLargest = 0;
  double firstPast31Bits = 0;
  std::uint64_t steps = 0;
  for (std::int64_t start = 3; start <= 10000000; ++start) {
    double n = static_cast<double>(start);
    std::int64_t exact = start;
    double largestOfStart = 0;
    while (n != 1) {
      n = experiment::nextValue(n);
      exact = exact % 2 == 0 ? exact / 2 : exact * 3 + 1;
      if (n != static_cast<double>(exact)) {
        FAIL() << "start " << start << " diverges at the integer value " << exact;
      }
      if (n > largestOfStart) largestOfStart = n;
      ++steps;
    }
    ASSERT_EQ(exact, 1);
    if (largestOfStart > largestValue) {
      largestValue = largestOfStart;
      startOfLargest = static_cast<double>(start);
    }
    if (firstPast31Bits == 0 && largestOfStart > 2147483647.0) {
      firstPast31Bits = static_cast<double>(start);
    }
  }
  EXPECT_EQ(largestValue, 60342610919632.0);
  EXPECT_EQ(startOfLargest, 6631675);
  EXPECT_EQ(firstPast31Bits, 113383);
  EXPECT_LT(largestValue, 9007199254740992.0);
  RecordProperty("steps", std::to_string(steps));
}

TEST(AllStarts, ParityIsExactBeyondThirtyTwoAndFiftyThreeBits) {
  EXPECT_TRUE(experiment::isEven(2482111348.0));
  EXPECT_FALSE(experiment::isEven(2482111349.0));
  EXPECT_TRUE(experiment::isEven(60342610919632.0));
  EXPECT_FALSE(experiment::isEven(9007199254740991.0));  // 2^53 - 1
  EXPECT_TRUE(experiment::isEven(9007199254740992.0));
  EXPECT_TRUE(experiment::isEven(1e300));
  EXPECT_FALSE(experiment::isEven(7.5));
  EXPECT_FALSE(experiment::isEven(-3));
  EXPECT_TRUE(experiment::isEven(-4));
}

}  // namespace
