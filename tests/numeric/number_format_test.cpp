#include "numeric/number_format.h"

#include <gtest/gtest.h>

namespace sparsim {
namespace {

TEST(FormatFixed, Examples) {
  EXPECT_EQ(FormatFixed(3.14159, 8, 2), "    3.14");
}

}  // namespace
}  // namespace sparsim
