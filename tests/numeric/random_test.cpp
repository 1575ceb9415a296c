#include "numeric/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <utility>
#include <vector>

namespace sparsim {
namespace {

// u * 2^-32, exactly.
long double Scaled(uint32_t u) { return std::ldexp(static_cast<long double>(u), -32); }

struct Step {
  uint32_t unsigned_state;
  int32_t signed_state;
};

TEST(Random, StepsTheStateAndReturnsItExactlyOverTwoToThe32) {
  struct Case {
    int32_t seed;
    Step steps[3];
  };
  // state := state * 134775813 + 1 (mod 2^32), worked by hand.
  const Case cases[] = {
      {1, {{134775814u, 134775814}, {3698175007u, -596792289}, {870078620u, 870078620}}},
      {12345, {{1655067934u, 1655067934}, {1242767767u, 1242767767}, {342459380u, 342459380}}},
      {-1, {{4160191484u, -134775812}, {866343917u, 866343917}, {2231304098u, -2063663198}}},
      {0, {{1u, 1}, {134775814u, 134775814}, {3698175007u, -596792289}}},
      {2147483647, {{2012707836u, 2012707836}, {3013827565u, -1281139731}, {83820450u, 83820450}}},
      {std::numeric_limits<int32_t>::min(),
       {{2147483649u, -2147483647}, {2282259462u, -2012707834}, {1550691359u, 1550691359}}},
  };
  for (const Case& c : cases) {
    int32_t seed = c.seed;
    for (const Step& step : c.steps) {
      EXPECT_EQ(Random(seed), Scaled(step.unsigned_state)) << "seed " << c.seed;
      EXPECT_EQ(seed, step.signed_state) << "seed " << c.seed;
    }
  }
}

TEST(Random, GivesTheDocumentedValuesWhenStoredAsDoubles) {
  int32_t seed = 1;
  EXPECT_EQ(static_cast<double>(Random(seed)), 0.031379939522594213);
  EXPECT_EQ(static_cast<double>(Random(seed)), 0.8610484672244638);
  EXPECT_EQ(seed, -596792289);
  EXPECT_EQ(static_cast<double>(Random(seed)), 0.20258096512407064);

  seed = 12345;
  EXPECT_EQ(static_cast<double>(Random(seed)), 0.3853505323641002);
  seed = -1;
  EXPECT_EQ(static_cast<double>(Random(seed)), 0.9686200609430671);
  seed = 0;
  EXPECT_EQ(Random(seed), std::ldexp(1.0L, -32));
  EXPECT_EQ(seed, 1);
}

TEST(Random, ReturnsTheNewStateReadAsUnsigned) {
  int32_t seed = 7;
  for (int i = 0; i < 1000; ++i) {
    long double r = Random(seed);
    ASSERT_GE(r, 0.0L);
    ASSERT_LT(r, 1.0L);
    ASSERT_EQ(r, Scaled(static_cast<uint32_t>(seed)));
  }
}

// A jump of k steps lands where k single steps land, from any state.
TEST(RandomJump, LandsWhereSingleStepsLand) {
  EXPECT_EQ(RandomJump::Steps(2).Apply(1), 3698175007u);
  EXPECT_EQ(RandomJump::Steps(0).Apply(77), 77u);
  for (int32_t start : {0, 1, -1, 12345, 2147483647}) {
    int32_t seed = start;
    for (int32_t k = 1; k <= 7; ++k) {
      long double value = Random(seed);
      uint32_t jumped = RandomJump::Steps(k).Apply(static_cast<uint32_t>(start));
      ASSERT_EQ(jumped, static_cast<uint32_t>(seed)) << start << " " << k;
      ASSERT_EQ(RandomValue(jumped), value);
    }
  }
  // Long jumps, as a scan starting far into the sequence takes them.
  for (int64_t k : {int64_t{1000003}, int64_t{3} << 20}) {
    uint32_t state = 12345;
    for (int64_t step = 0; step < k; ++step) state = state * 134775813u + 1;
    EXPECT_EQ(RandomJump::Steps(k).Apply(12345), state) << k;
  }
  // The full period: 2^32 steps come back to the start.
  EXPECT_EQ(RandomJump::Steps(int64_t{1} << 32).Apply(987654321), 987654321u);
}

TEST(CyclePosition, KnownPositionsAndRoundTripsThroughJumps) {
  // Stepped by hand from 0: 0 -> 1 -> 134775814 -> 3698175007; the state
  // before 0 solves s x 134775813 + 1 = 0 (mod 2^32).
  const std::pair<uint32_t, uint32_t> known[] = {
      {0, 0}, {1, 1}, {134775814u, 2}, {3698175007u, 3}, {0x26B05733u, 0xFFFFFFFFu}};
  for (const auto& [state, position] : known) EXPECT_EQ(CyclePosition(state), position) << state;
  // A million plain steps from 0.
  uint32_t state = 0;
  for (uint32_t k = 0; k < 1000000; ++k, state = state * 134775813u + 1) {
    if (k % 99991 == 0) {
      ASSERT_EQ(CyclePosition(state), k);
    }
  }
  // Positions spread over the cycle, there and back.
  uint64_t mix = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 1000; ++i) {
    mix = mix * 6364136223846793005u + 1442695040888963407u;
    auto p = static_cast<uint32_t>(mix >> 32);
    ASSERT_EQ(CyclePosition(RandomJump::Steps(p).Apply(0)), p);
  }
}

TEST(StretchesOverlap, SharedStatesFoundByListingThem) {
  const int64_t cycle = int64_t{1} << 32;
  struct Case {
    CycleStretch a;
    CycleStretch b;
    bool overlap;
  };
  const Case cases[] = {
      {{0, 10}, {9, 5}, true},            // both draw the state at position 10
      {{0, 10}, {10, 5}, false},          // 1..10 and 11..15
      {{4294967290u, 10}, {2, 1}, true},  // wraps round to 4 and meets 3
      {{4294967290u, 10}, {4, 3}, false},
      {{7, cycle}, {123456, 1}, true},  // the whole cycle
      {{7, 0}, {7, 100}, false},        // nothing drawn
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StretchesOverlap(c.a, c.b), c.overlap) << c.a.start << " " << c.b.start;
    EXPECT_EQ(StretchesOverlap(c.b, c.a), c.overlap) << c.a.start << " " << c.b.start;
  }
  // Short stretches near the end of the cycle, against the states listed.
  uint64_t mix = 12345;
  auto next = [&mix](uint64_t range) {
    mix = mix * 6364136223846793005u + 1442695040888963407u;
    return (mix >> 33) % range;
  };
  std::vector<CycleStretch> runs;
  std::vector<std::set<uint32_t>> states;
  for (int i = 0; i < 40; ++i) {
    CycleStretch run{static_cast<uint32_t>(0xFFFFFF00u + next(512)),
                     static_cast<int64_t>(next(40))};
    std::set<uint32_t> drawn;
    for (int64_t k = 1; k <= run.draws; ++k) drawn.insert(run.start + static_cast<uint32_t>(k));
    runs.push_back(run);
    states.push_back(drawn);
  }
  int64_t listed = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    for (size_t j = i + 1; j < runs.size(); ++j) {
      bool shared = std::any_of(states[i].begin(), states[i].end(),
                                [&](uint32_t s) { return states[j].count(s) > 0; });
      EXPECT_EQ(StretchesOverlap(runs[i], runs[j]), shared) << i << " " << j;
      listed += shared;
    }
  }
  EXPECT_GT(listed, 0);
  EXPECT_EQ(OverlappingPairs(runs), listed);
}

// Randomize takes the seed from the clock and not from the previous state:
// calls from the same state give different seeds as the clock moves on.
TEST(Randomize, SetsTheSeedFromTheClockWithoutDrawing) {
  int32_t first = 5;
  Randomize(first);
  bool changed = false;
  for (int i = 0; i < 1000 && !changed; ++i) {
    int32_t again = 5;
    Randomize(again);
    changed = again != first;
  }
  EXPECT_TRUE(changed);
}

}  // namespace
}  // namespace sparsim
