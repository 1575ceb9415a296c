#include "walk/walk_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "numeric/extended_constants.h"
#include "numeric/random.h"

namespace sparsim {
namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(MoveSettled, SettlesOnlyWhenBothEndsOfTheRangeGiveOneDouble) {
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double coordinate;
    long double estimate;
    double length;
    bool settled;
    double moved;
  };
  const Case cases[] = {
      {10, 0.5L, 2, true, 11},
      {-3, -1, 0.25, true, -3.25},
      // 1 + 2^-53 lies half way between 1 and the next double: the ends
      // of the range, 2^-60 to either side, round to either side.
      {1, 0x1p-53L, 1, false, 0},
      {1, 0x1p-54L, 1, true, 1},
      // A result of 0 may be +0 or -0; NaN and a range over 0 x infinity
      // never settle.
      {0, 0.5L, 0, false, 0},
      {-1, 0.5L, 2, false, 0},
      {kNaN, 0.5L, 1, false, 0},
      {1, 0, std::numeric_limits<double>::infinity(), false, 0},
      {1, 0.5L, std::numeric_limits<double>::infinity(), true,
       std::numeric_limits<double>::infinity()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.coordinate << " + " << static_cast<double>(c.estimate) << " x " << c.length);
    double moved = 12345;
    EXPECT_EQ(MoveSettled(c.coordinate, c.estimate, c.length, moved), c.settled);
    if (c.settled) {
      EXPECT_TRUE(SameBits(moved, c.moved));
    }
  }
}

TEST(FastSineCosine, StaysWithinItsBoundOfTheLibrary) {
#if defined(__x86_64__) || defined(__i386__)
  EXPECT_TRUE(FastSineCosineAvailable());
#endif
  if (!FastSineCosineAvailable()) GTEST_SKIP() << "no fsincos here";
  // Where the sine or the cosine passes 0 and where they peak, from the
  // generator states of a quarter, a half and three quarters of a turn.
  for (uint32_t state : {0u, 1u, 0x40000000u, 0x80000000u, 0xc0000000u, 0xffffffffu, 977u}) {
    double angle = StepAngle(RandomValue(state));
    SineCosine fast = FastSineCosine(angle);
    EXPECT_LE(fabsl(fast.sine - sinl(angle)), kSineCosineBound / 4) << state;
    EXPECT_LE(fabsl(fast.cosine - cosl(angle)), kSineCosineBound / 4) << state;
  }
}

// Walks of 1000 steps from starting points of every magnitude, with
// maximum steps from 1e-9 to 1e9, each step compared with the reference
// step: the coordinates, bit for bit, and the generator's state. Four
// shards of 2500 walks: 10^7 steps in all.
class RandomStepAgainstReference : public ::testing::TestWithParam<int> {};

TEST_P(RandomStepAgainstReference, GivesTheSameBitsOverMillionsOfSteps) {
  std::mt19937_64 pick(static_cast<uint64_t>(GetParam()));
  auto uniform = [&](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(pick);
  };
  const double magnitudes[] = {0, 1e-9, 1, 1e6, 1e15};
  int64_t steps = 0;
  int64_t library_calls = 0;
  for (int walk = 0; walk < 2500; ++walk) {
    double max_step = std::pow(10.0, uniform(-9, 9));
    // Near 0 the walk starts within a few steps of it and crosses it often.
    double magnitude = magnitudes[pick() % 5];
    if (magnitude == 0) magnitude = max_step;
    double x = magnitude * uniform(-2, 2);
    double y = magnitude * uniform(-2, 2);
    double x_reference = x;
    double y_reference = y;
    auto seed = static_cast<int32_t>(pick());
    int32_t seed_reference = seed;
    for (int step = 0; step < 1000; ++step) {
      library_calls += RandomStepCountingCalls(x, y, max_step, seed);
      RandomStepReference(x_reference, y_reference, max_step, seed_reference);
      ASSERT_TRUE(SameBits(x, x_reference) && SameBits(y, y_reference))
          << "walk " << walk << " step " << step << ": " << x << ", " << y << " against "
          << x_reference << ", " << y_reference;
      ASSERT_EQ(seed, seed_reference);
    }
    steps += 1000;
  }
  // The fast path settles nearly every coordinate: the library is called in
  // about one step in 170 here (walks near 0 with long steps call it most).
  if (FastSineCosineAvailable()) {
    EXPECT_GT(library_calls, 0);
    EXPECT_LT(library_calls, steps / 50);
  }
}

INSTANTIATE_TEST_SUITE_P(Shards, RandomStepAgainstReference, ::testing::Values(1, 2, 3, 4));

// The walk mode's usual case, points of ordinary size moved by unit steps,
// calls the library for a few coordinates in ten thousand.
TEST(RandomStep, SettlesAlmostEveryStepOfAnOrdinaryWalk) {
  if (!FastSineCosineAvailable()) GTEST_SKIP() << "no fsincos here";
  int32_t seed = 12345;
  int64_t library_calls = 0;
  for (int point = 0; point < 100; ++point) {
    double x = point;
    double y = -point;
    for (int step = 0; step < 1000; ++step) library_calls += RandomStepCountingCalls(x, y, 1, seed);
  }
  EXPECT_LT(library_calls, 200);  // of 200000 coordinates; about 110
}

}  // namespace
}  // namespace sparsim
