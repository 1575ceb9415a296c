#include "generate/generate_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "generate/coordinate_file.h"
#include "generate/generation_dialogue.h"
#include "numeric/random.h"
#include "numeric/text_output.h"
#include "support/sites.h"
#include "support/temp_dir.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

struct SetRun {
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  ClusterSeeds seeds;
  TestConsole t{""};
  SetOutcome outcome;
};

std::unique_ptr<SetRun> MakeSet(const GenerationParameters& p, int32_t points, Generator generator,
                            SetOptions options = {}) {
  auto run = std::make_unique<SetRun>();
  run->state->point_count = points;
  run->outcome = GenerateSet(run->t.console, p, options, run->seeds, *run->state, generator);
  return run;
}

TEST(GenerateSet, OutcomeOfAnLcgSetInsideAndAtTheEndOfItsDraws) {
  // Rectangle candidates take 3 draws and each seed 2: 4 seeds and a limit
  // of 3000 draws leave 2992 draws, 997 candidates, and one draw short of
  // a 998th, which is not taken.
  GenerationParameters p = Clustered(RectangleSite(0, 0, 400, 400), 4, false, 3, 'C');
  auto whole = MakeSet(p, 50, Generator::Lcg(-5));
  EXPECT_FALSE(whole->outcome.exhausted);
  EXPECT_EQ(whole->outcome.points, 50);
  EXPECT_EQ(whole->outcome.asked, 50);
  EXPECT_EQ(whole->outcome.first_state, static_cast<uint32_t>(-5));
  EXPECT_EQ(whole->outcome.draws, 8 + 3 * whole->outcome.candidates);

  auto cut = MakeSet(p, 50, Generator::Lcg(-5), SetOptions{.draw_limit = 3000});
  EXPECT_TRUE(cut->outcome.exhausted);
  EXPECT_EQ(cut->outcome.candidates, 997);
  EXPECT_EQ(cut->outcome.draws, 3000);
  EXPECT_EQ(cut->outcome.asked, 50);
  EXPECT_EQ(cut->outcome.points, cut->state->point_count);
  ASSERT_LT(cut->outcome.points, 50);
  // The points it kept are the first of the whole set's.
  for (int32_t i = 1; i <= cut->outcome.points; ++i) {
    EXPECT_EQ(cut->state->store.x[static_cast<size_t>(i)],
              whole->state->store.x[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(CycleExhaustedLine(8789), " Random Cycle Exhausted - 8789 Points Placed");
}

// The whole cycle on the fast engine: the set stops after exactly 2^32
// draws, its points all distinct.
TEST(GenerateSet, StopsAfterTheWholeCycleOfTheLcg) {
  GenerationParameters p = Clustered(RectangleSite(0, 0, 3500, 3500), 5, false, 2, 'N');
  auto run = MakeSet(p, 10000, Generator::Lcg(3));
  EXPECT_TRUE(run->outcome.exhausted);
  EXPECT_EQ(run->outcome.draws, int64_t{1} << 32);
  // 10 seed draws, then whole candidates of 3 draws: the last 2 are unused.
  EXPECT_EQ(run->outcome.candidates, ((int64_t{1} << 32) - 10) / 3);
  std::set<std::pair<double, double>> distinct;
  for (int32_t i = 1; i <= run->outcome.points; ++i) {
    distinct.emplace(run->state->store.x[static_cast<size_t>(i)],
                     run->state->store.y[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(distinct.size(), static_cast<size_t>(run->outcome.points));
}

}  // namespace
}  // namespace sparsim
