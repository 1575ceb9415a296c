#include "shell/stream_overlap.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

namespace sparsim {
namespace {

// The positions each stretch uses, listed one by one, compared pair by pair.
int64_t PairsByPositions(const std::vector<CycleStretch>& stretches, uint64_t cycle) {
  std::vector<std::set<uint64_t>> used;
  for (const CycleStretch& s : stretches) {
    std::set<uint64_t> positions;
    for (int64_t d = 1; d <= s.draws && positions.size() < cycle; ++d) {
      positions.insert((s.start + static_cast<uint64_t>(d)) % cycle);
    }
    used.push_back(positions);
  }
  int64_t pairs = 0;
  for (std::size_t i = 0; i < used.size(); ++i) {
    for (std::size_t j = i + 1; j < used.size(); ++j) {
      for (uint64_t p : used[i]) {
        if (used[j].count(p) != 0) {
          ++pairs;
          break;
        }
      }
    }
  }
  return pairs;
}

TEST(StreamOverlap, CountsPairsThatShareAPositionWrapAroundIncluded) {
  struct Case {
    std::string what;
    std::vector<CycleStretch> stretches;
    int64_t pairs;
  };
  const Case cases[] = {
      {"the header's example", {{10, 20}, {25, 10}, {90, 15}, {3, 4}}, 2},
      {"one ends where the next starts", {{0, 10}, {10, 10}, {20, 80}}, 0},
      {"the last draw of one is the first of the next", {{0, 11}, {10, 10}}, 1},
      {"both wrap round", {{95, 10}, {98, 5}}, 1},
      {"a wrapping stretch reaches a later start only through the end", {{99, 2}, {0, 1}}, 1},
      {"each holds the other's start", {{10, 60}, {60, 60}}, 1},
      {"a whole cycle meets all", {{50, 100}, {1, 1}, {30, 2}, {70, 3}}, 3},
      {"no draws meet nothing", {{10, 0}, {10, 50}, {10, 0}}, 0},
      {"the same start", {{40, 1}, {40, 1}, {40, 1}}, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountOverlappingPairs(c.stretches, 100), c.pairs) << c.what;
    EXPECT_EQ(PairsByPositions(c.stretches, 100), c.pairs) << c.what;
  }
}

TEST(StreamOverlap, AgreesWithPositionsListedOneByOne) {
  std::mt19937_64 random(18);
  for (uint64_t cycle : {7u, 64u, 101u}) {
    for (int trial = 0; trial < 400; ++trial) {
      std::vector<CycleStretch> stretches(random() % 12);
      for (CycleStretch& s : stretches) {
        s.start = static_cast<uint32_t>(random() % cycle);
        // Mostly short, sometimes past a whole cycle.
        s.draws = static_cast<int64_t>(random() % (trial % 3 == 0 ? 2 * cycle : cycle / 3 + 1));
      }
      ASSERT_EQ(CountOverlappingPairs(stretches, cycle), PairsByPositions(stretches, cycle))
          << "cycle " << cycle << ", trial " << trial;
    }
  }
}

// On the LCG's own cycle, against the pair-by-pair count of numeric/random.h.
TEST(StreamOverlap, AgreesWithEveryPairComparedOnTheWholeCycle) {
  std::mt19937_64 random(2024);
  for (int64_t longest : {int64_t{1} << 20, int64_t{1} << 28, int64_t{3} << 31}) {
    std::vector<CycleStretch> stretches(300);
    for (CycleStretch& s : stretches) {
      s.start = static_cast<uint32_t>(random());
      s.draws = static_cast<int64_t>(random() % static_cast<uint64_t>(longest));
    }
    EXPECT_EQ(CountOverlappingPairs(stretches), OverlappingPairs(stretches)) << longest;
  }
}

}  // namespace
}  // namespace sparsim
