#include "numeric/replicate_seeds.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "numeric/random.h"

namespace sparsim {
namespace {

// Expected seeds computed apart from the program, in Python:
//   z = ((S & 0xffffffff) << 32 | k) + 0x9E3779B97F4A7C15  (mod 2^64)
//   z = (z ^ z >> 30) * 0xBF58476D1CE4E5B9; z = (z ^ z >> 27) * 0x94D049BB133111EB
//   z ^= z >> 31; v = z % 4294967294 - 2147483647; seed = v if v < 0 else v + 1
TEST(ReplicateSeed, IsTheRunSeedFirstAndAWellMixedOneAfter) {
  struct Case {
    int32_t seed;
    int32_t replicate;
    int32_t expected;
  };
  const Case cases[] = {
      {12345, 1, 12345},           {-2147483647, 1, -2147483647},
      {12345, 2, -10311948},       {12345, 3, -618558322},
      {1, 2, 2066802134},          {-1, 2, -888157910},
      {2147483647, 99, 939432469}, {-2147483647, 1000000, -262469920},
      {7, 10, -711270006},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplicateSeed(c.seed, c.replicate), c.expected) << c.seed << " " << c.replicate;
  }
}

TEST(ReplicateSeed, GivesSeedsTheDialogueAcceptsAndNoLattice) {
  std::set<int32_t> seen;
  for (int32_t k = 2; k <= 2000; ++k) {
    int32_t seed = ReplicateSeed(5, k);
    EXPECT_NE(seed, 0);
    EXPECT_NE(seed, INT32_MIN);
    // Never the run's seed plus a small step.
    EXPECT_GT(std::abs(static_cast<int64_t>(seed) - 5), 2000);
    seen.insert(seed);
  }
  EXPECT_EQ(seen.size(), 1999u);
  int32_t clock = ClockSeed();
  EXPECT_NE(clock, 0);
  EXPECT_NE(clock, INT32_MIN);
}

}  // namespace
}  // namespace sparsim

namespace sparsim {
namespace {

uint64_t g_reading = 0;
uint64_t SetReading() { return g_reading; }

// The clock's low 32 bits, read as signed, are the dialogue's seed; the two
// values its question cannot take back, 0 and -2147483648, give 1 here.
TEST(ClockSeed, NeverGivesASeedTheDialogueCannotTakeBack) {
  struct Case {
    uint64_t reading;
    int32_t randomized, seed;
  };
  const Case cases[] = {{0x80000000u, -2147483647 - 1, 1},
                        {0x500000000u, 0, 1},
                        {0x7fffffffu, 2147483647, 2147483647},
                        {0x1ffffffffu, -1, -1}};
  ClockReader previous = SetClockReader(SetReading);
  for (const Case& c : cases) {
    g_reading = c.reading;
    int32_t seed = 7;
    Randomize(seed);
    EXPECT_EQ(seed, c.randomized) << c.reading;
    EXPECT_EQ(ClockSeed(), c.seed) << c.reading;
  }
  SetClockReader(previous);
}

}  // namespace
}  // namespace sparsim
