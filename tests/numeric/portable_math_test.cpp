#include "numeric/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace sparsim {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

int64_t UlpsApart(double a, double b) {
  int64_t x = 0;
  int64_t y = 0;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x > y ? x - y : y - x;
}

TEST(PortableMath, WorkedValuesAndEdges) {
  struct Case {
    double got;
    double want;
  };
  const Case cases[] = {
      {PortableLog(1), 0},
      {PortableLog(0.5), -0x1.62e42fefa39efp-1},  // -ln 2, the nearest double
      {PortableLog(0x1p-1074), -744.4400719213812},
      {PortableLog(0), -kInf},
      {PortableLog(kInf), kInf},
      {CosPi(0), 1},
      {CosPi(1), -1},
      {CosPi(-1), -1},
      {CosPi(0.5), 0},
      {CosPi(2.5), 0},
      {CosPi(-4), 1},
      {CosPi(0x1p60), 1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
  }
  EXPECT_TRUE(std::isnan(PortableLog(-1)));
  EXPECT_TRUE(std::isnan(CosPi(kInf)));
}

// Within a few ulps of the C library over the ranges the sampler uses (the
// logarithm of s in [e^-10, 1), cos(pi w) for any w) and beyond: a wrong
// coefficient, constant or reduction is off by far more.
TEST(PortableMath, CloseToTheCLibrary) {
  int64_t worst_log = 0;
  for (double x = 1e-12; x < 1e12; x *= 1.0007) {
    worst_log = std::max(worst_log, UlpsApart(PortableLog(x), std::log(x)));
  }
  EXPECT_LE(worst_log, 2);
  const long double pi = 3.141592653589793238462643383279502884L;
  double worst_cos = 0;
  for (double w = -3; w < 3; w += 0.000123) {
    auto reference = static_cast<double>(cosl(pi * w));
    worst_cos = std::max(worst_cos, std::fabs(CosPi(w) - reference));
  }
  EXPECT_LE(worst_cos, 4e-16);
}

}  // namespace
}  // namespace sparsim
