// The fast sampling engine against the reference engine at the edges where
// its shortcuts must hand over to the exact computation: a circle of radius
// exactly kFarAway, and a normal seed lying on the cut-off while the other
// seeds bring the sum just under the acceptance draw.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "generate/sampling.h"
#include "numeric/random.h"
#include "support/sites.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

struct Outcome {
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  Generator generator;
  int64_t candidates = 0;
};

template <typename Engine>
Outcome Run(Engine engine, const GenerationParameters& p, const ClusterSeeds* given_seeds,
            int32_t points, int32_t rand_seed) {
  Outcome outcome;
  TestConsole t("");
  ClusterSeeds seeds;
  outcome.generator = Generator::Lcg(rand_seed);
  outcome.state->point_count = points;
  if (given_seeds != nullptr) {
    seeds = *given_seeds;
  } else {
    PlaceClusterSeeds(p, seeds, *outcome.state, outcome.generator);
  }
  outcome.candidates =
      engine(t.console, p, seeds, *outcome.state, outcome.generator, kLcgCycleDraws);
  return outcome;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void ExpectSameSet(const GenerationParameters& p, const ClusterSeeds* seeds, int32_t points,
                   int32_t rand_seed, const std::string& label) {
  Outcome fast = Run(FillPointStore, p, seeds, points, rand_seed);
  Outcome reference = Run(FillPointStoreReference, p, seeds, points, rand_seed);
  EXPECT_EQ(fast.candidates, reference.candidates) << label;
  EXPECT_EQ(fast.generator.lcg_state(), reference.generator.lcg_state()) << label;
  for (std::size_t i = 1; i <= static_cast<std::size_t>(points); ++i) {
    EXPECT_TRUE(SameBits(fast.state->store.x[i], reference.state->store.x[i]) &&
                SameBits(fast.state->store.y[i], reference.state->store.y[i]))
        << label << " point " << i;
  }
}

TEST(EngineEdges, CircleOfRadiusFarAwayAndJustBelow) {
  const double below = std::nextafter(kFarAway, 0.0);
  for (double radius : {kFarAway, below}) {
    ExpectSameSet(CircleSite(0, 0, radius, 'U'), nullptr, 5, 7, "centred");
    ExpectSameSet(Clustered(CircleSite(-3e29, 2e29, radius, 'U'), 3, true, radius, 'C'), nullptr, 8,
                  11, "contagious");
  }
}

// Seed 1 lies at the normal model's cut-off from the first candidate, just
// inside (its value counts) or just beyond (it adds exactly 0); seeds 2 to 4
// bring the sum just under the candidate's acceptance draw, so that seed 1
// alone decides whether the candidate is taken.
TEST(EngineEdges, NormalSeedOnTheCutOffDecidesTheCandidate) {
  constexpr double kDeviation = 0.1;
  GenerationParameters p = Clustered(RectangleSite(-2, -2, 2, 2, 'N'), 4, false, kDeviation, 'N');
  constexpr int32_t kRandSeed = 1;
  int32_t draws = kRandSeed;
  double x = 0;
  double y = 0;
  RandomPointInRectangle(x, y, p.x_min, p.y_min, p.x_max, p.y_max, draws);
  const long double draw = Random(draws);
  // Seed 1 moved outward ulp by ulp from about sqrt(20) x 0.1 away, where
  // the exponent reaches 10, to the first place that is cut.
  double cut = x + 0.44721359549995;
  for (int i = 0; i < 1000 && ModelValue('N', PointDistance(x, y, cut, y), kDeviation, 2) > 0;
       ++i) {
    cut = std::nextafter(cut, 2.0);
  }
  const double kept = std::nextafter(cut, x);
  const double edge_value = ModelValue('N', PointDistance(x, y, kept, y), kDeviation, 2);
  ASSERT_GT(edge_value, 0);
  ASSERT_EQ(ModelValue('N', PointDistance(x, y, cut, y), kDeviation, 2), 0);

  const std::vector<int16_t> others = {2, 3, 4};
  const std::vector<int16_t> all = {1, 2, 3, 4};
  for (double seed_x : {kept, cut}) {
    // Three seeds at the distance where each adds a third of the draw less
    // half the value at the edge.
    long double share = (draw - edge_value / 2) / 3;
    long double peak = 1 / (kDeviation * std::sqrt(2 * 3.14159265358979323846L));
    double d = kDeviation * static_cast<double>(std::sqrt(-2 * std::log(share / peak)));
    ClusterSeeds seeds;
    seeds.x[1] = seed_x, seeds.y[1] = y;
    seeds.x[2] = x, seeds.y[2] = y + d;
    seeds.x[3] = x, seeds.y[3] = y - d;
    seeds.x[4] = x - d, seeds.y[4] = y;
    double without = SeedSum(p, seeds, others, x, y);
    double with = SeedSum(p, seeds, all, x, y);
    ASSERT_LT(without, draw);
    if (seed_x == kept) {
      ASSERT_GT(with, draw);
    } else {
      ASSERT_EQ(with, without);
    }
    ExpectSameSet(p, &seeds, 3, kRandSeed, seed_x == kept ? "kept" : "cut");
  }
}

}  // namespace
}  // namespace sparsim
