#include "dialogue/option_values.h"

#include <gtest/gtest.h>

#include <limits>

namespace sparsim {
namespace {

// The packages hand their doubles over as this text: it must read back to
// the very double, and be what a user would type.
TEST(OptionText, IsTheShortestDecimalThatReadsBack) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {20, "20"},
      {0.1, "0.1"},
      {100.0 / 3, "33.333333333333336"},
      {1e30, "1e+30"},
      {-2.5e-07, "-2.5e-07"},
      {123456789012345680.0, "123456789012345680"},
      {std::numeric_limits<double>::infinity(), "inf"},
  };
  for (const auto& c : cases) EXPECT_EQ(OptionText(c.value), c.text) << c.value;
  EXPECT_EQ(RealOption("--radius", OptionText(100.0 / 3), 0, 1e30, "from 0 to 1e30"), 100.0 / 3);
}

}  // namespace
}  // namespace sparsim
