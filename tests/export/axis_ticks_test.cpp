#include "export/axis_ticks.h"

#include <gtest/gtest.h>

#include <vector>

namespace sparsim {
namespace {

TEST(NiceStep, TakesTheSmallestOneTwoOrFiveStepNotBelowTheRawStep) {
  EXPECT_DOUBLE_EQ(NiceStep(3), 5);
  EXPECT_DOUBLE_EQ(NiceStep(0.2), 0.2);
  EXPECT_DOUBLE_EQ(NiceStep(7), 10);
  EXPECT_DOUBLE_EQ(NiceStep(0.013), 0.02);
  EXPECT_DOUBLE_EQ(NiceStep(1), 1);
  EXPECT_DOUBLE_EQ(NiceStep(10), 10);
  EXPECT_DOUBLE_EQ(NiceStep(2.01), 5);
  EXPECT_DOUBLE_EQ(NiceStep(4e29), 5e29);
}

TEST(ChooseTicks, PlacesTicksOnMultiplesOfTheStepWithinTheRange) {
  AxisTicks a = ChooseTicks(0.3, 19.6, 4);  // raw step 4.825
  EXPECT_DOUBLE_EQ(a.step, 5);
  EXPECT_EQ(a.values, (std::vector<double>{5, 10, 15}));
  AxisTicks b = ChooseTicks(-1.2, 1.2, 5);  // raw step 0.48
  EXPECT_DOUBLE_EQ(b.step, 0.5);
  ASSERT_EQ(b.values.size(), 5u);
  EXPECT_DOUBLE_EQ(b.values.front(), -1);
  EXPECT_DOUBLE_EQ(b.values.back(), 1);
  AxisTicks c = ChooseTicks(0, 20, 2);  // ends that fall on ticks are kept
  EXPECT_EQ(c.values, (std::vector<double>{0, 10, 20}));
}

TEST(TickLabel, ShowsTheDecimalsTheStepNeeds) {
  EXPECT_EQ(TickLabel(15, 5), "15");
  EXPECT_EQ(TickLabel(-0.5, 0.5), "-0.5");
  EXPECT_EQ(TickLabel(0.25, 0.05), "0.25");
  EXPECT_EQ(TickLabel(0.3, 0.1), "0.3");
  EXPECT_EQ(TickLabel(0.30000000000000004, 0.1), "0.3");
  EXPECT_EQ(TickLabel(-0.0, 0.1), "0.0");
  EXPECT_EQ(TickLabel(1200, 200), "1200");
  EXPECT_EQ(TickLabel(3e30, 1e30), "3e+30");
  EXPECT_EQ(TickLabel(2.5e-7, 5e-8), "2.5e-07");
  EXPECT_EQ(TickLabel(0, 1e30), "0");  // between -1e+30 and 1e+30
}

}  // namespace
}  // namespace sparsim
