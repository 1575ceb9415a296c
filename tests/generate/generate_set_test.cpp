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
#include "common/text_output.h"
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

  auto cut = MakeSet(p, 50, Generator::Lcg(-5), [] { SetOptions o; o.draw_limit = 3000; return o; }());
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

TEST(PoissonCount, InvertsTheCumulativeLaw) {
  // The quantiles from the probabilities exp(-m) m^k / k! summed in
  // double precision (lgamma), computed apart from this program.
  struct Case {
    double mean;
    long double u;
    int32_t count;
  };
  const Case cases[] = {
      {2, 0, 0},           {2, 0.1353L, 0},    {2, 0.1354L, 1},         {2, 0.5L, 2},
      {2, 0.9999L, 9},     {100, 0.01L, 77},   {100, 0.5L, 100},        {100, 0.99L, 124},
      {9300, 1e-6L, 8845}, {9300, 0.5L, 9300}, {9300, 0.999999L, 9762}, {0, 0.7L, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(PoissonCount(c.mean, c.u), c.count) << c.mean << " " << c.u;
}

TEST(GenerateSet, PoissonCountIsTheSetsFirstDraw) {
  // Seeds used as points are always there; the count of the others is drawn
  // with the mean left: 3 seeds and a mean of 40 draw Poisson(37).
  GenerationParameters p = Clustered(RectangleSite(0, 0, 100, 100), 3, true, 10, 'H');
  for (Generator g : {Generator::Lcg(11), Generator::Philox(11, 2)}) {
    Generator first = g;
    int32_t expected = 3 + PoissonCount(37, first.Next());
    auto run = MakeSet(p, 40, g, [] { SetOptions o; o.poisson = true; return o; }());
    EXPECT_EQ(run->outcome.asked, expected);
    EXPECT_EQ(run->outcome.points, expected);
    EXPECT_EQ(run->state->point_count, expected);
    EXPECT_NE(expected, 40);  // these keys draw another count
  }
}

// The guide's recipe for uniform points over a whole site, as one option:
// with the LCG, the very file the dialogue writes from the recipe's answers.
TEST(CsrParameters, GivesTheRecipesFileWithTheLcg) {
  struct Case {
    GenerationParameters site;
    double radius;
  };
  const Case cases[] = {
      {RectangleSite(0, 0, 100, 100), 142},  // the diagonal 141.42
      {RectangleSite(0, 0, 30, 40), 51},     // exactly 50: a margin above it
      {CircleSite(10, 10, 10), 21},          // the diameter 20
  };
  for (const Case& c : cases) EXPECT_EQ(CsrParameters(c.site).cluster_radius, c.radius);

  TempDir dir;
  auto dialogue = std::make_unique<ProgramState>();
  dialogue->working_directory = dir.path();
  TestConsole t(
      "2024\r\n\r\n\r\n\r\n100\r\n100\r\n\r\n1000\r\ns\r\n1\r\nn\r\n142\r\nu\r\n"
      "\r\nwhole\r\nn\r\n\r\n");
  GeneratePoints(t.console, *dialogue);

  GenerationParameters site = RectangleSite(0, 0, 100, 100, 'N');
  site.density = 0.1;
  GenerationParameters csr = CsrParameters(site);
  auto run = MakeSet(csr, 1000, Generator::Lcg(2024), [] { SetOptions o; o.csr = true; return o; }());
  TextOutput file = TextOutput::InMemory();
  WriteCoordinateLines(file, *run->state, csr, 2024);
  EXPECT_EQ(file.contents(), dir.Read("WHOLE.ADF"));

  // With Philox the points come from the site itself: the seed's two draws,
  // then two draws a point.
  auto philox = MakeSet(csr, 1000, Generator::Philox(2024, 0), [] { SetOptions o; o.csr = true; return o; }());
  EXPECT_EQ(philox->outcome.draws, 2 + 2 * 1000);
  for (int32_t i = 1; i <= 1000; ++i) {
    double x = philox->state->store.x[static_cast<size_t>(i)];
    ASSERT_TRUE(x >= 0 && x < 100) << x;
  }
}

}  // namespace
}  // namespace sparsim
