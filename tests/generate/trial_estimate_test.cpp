#include "generate/trial_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "common/interrupt.h"
#include "generate/generation_dialogue.h"
#include "generate/sampling.h"
#include "numeric/random.h"
#include "support/sites.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

constexpr long double kPiL = 3.14159265358979323846264338327950288L;

GenerationParameters CentredSquare(double side, char model) {
  return RectangleSite(0, 0, side, side, model);
}

GenerationParameters CentredCircle(double diameter, char model) {
  return CircleSite(diameter / 2, diameter / 2, diameter / 2, model);
}

void ExpectRelativelyNear(long double actual, long double expected) {
  EXPECT_NEAR(static_cast<double>(actual / expected), 1.0, 1e-15)
      << static_cast<double>(actual) << " vs " << static_cast<double>(expected);
}

TEST(EstimateTrialCount, EachModelsIntegralOverTheSiteArea) {
  // A 10 x 10 square, centred, radius 5, 100 points: 100 x 100 / I.
  ExpectRelativelyNear(EstimateTrialCount(CentredSquare(10, 'U'), 100), 400 / kPiL);
  ExpectRelativelyNear(EstimateTrialCount(CentredSquare(10, 'H'), 100), 600 / kPiL);
  ExpectRelativelyNear(EstimateTrialCount(CentredSquare(10, 'C'), 100), 1200 / kPiL);
  ExpectRelativelyNear(EstimateTrialCount(CentredSquare(10, 'S'), 100), 400 / kPiL);
  ExpectRelativelyNear(EstimateTrialCount(CentredSquare(10, 'N'), 100), 2000 / sqrtl(2 * kPiL));
}

TEST(EstimateTrialCount, CentredNormalSetOnAHugeCircle) {
  // 1000 x pi R^2 / (sqrt(2 pi) R) with R = 5e8: 5e11 x sqrt(pi / 2).
  ExpectRelativelyNear(EstimateTrialCount(CentredCircle(1e9, 'N'), 1000), 5e11L * sqrtl(kPiL / 2));
}

TEST(EstimateTrialCount, SeedsUsedAsPointsAreNotDrawn) {
  // 20 x 20 square, 3 seeds of radius 1 (uniform): the bound is 3 pi / 400.
  GenerationParameters p = Clustered(CentredSquare(20, 'U'), 3, true, 1, 'U');
  ExpectRelativelyNear(EstimateTrialCount(p, 13), 10 * 400 / (3 * kPiL));
  p.seeds_as_points = false;
  ExpectRelativelyNear(EstimateTrialCount(p, 13), 13 * 400 / (3 * kPiL));
}

TEST(EstimateTrialCount, BoundNeverPassesCertainAcceptance) {
  // 500 seeds of radius 10 on a 10 x 10 square: every candidate could be
  // kept, so the estimate is the number of points to draw.
  EXPECT_EQ(EstimateTrialCount(Clustered(CentredSquare(10, 'U'), 500, false, 10, 'U'), 700), 700);
}

TEST(EstimateTrialCount, NothingToSayWithoutCandidatesOrForPointMasses) {
  EXPECT_EQ(EstimateTrialCount(CentredSquare(10, 'N'), 0), 0);
  // Five seeds as points cover all five points.
  EXPECT_EQ(EstimateTrialCount(Clustered(CentredSquare(10, 'N'), 5, true, 1, 'N'), 5), 0);
  EXPECT_EQ(EstimateTrialCount(Clustered(CentredSquare(10, 'N'), 9, true, 0, 'N'), 5), 0);
  // A site of no size: area 0 and radius 0.
  EXPECT_EQ(EstimateTrialCount(CentredCircle(0, 'N'), 100), 0);
  // A line: no area, yet a radius.
  GenerationParameters line = CentredSquare(10, 'N');
  line.y_max = 0;
  line.area = 0;
  EXPECT_EQ(EstimateTrialCount(line, 100), 0);
}

TEST(EstimateTrialCount, SubnormalDeviationOnTheWidestSiteStaysFinite) {
  // 1e4 x 4e60 / (sqrt(2 pi) x 4.94e-324) = 3.2299e387, beyond a double.
  GenerationParameters p = Clustered(CentredSquare(10, 'N'), 1, false, 5e-324, 'N');
  p.area = 4e60;
  long double estimate = EstimateTrialCount(p, 10000);
  EXPECT_NEAR(static_cast<double>(estimate / 1e387L), 3.2298726597122766, 1e-12);
  EXPECT_EQ(FormatTrialCount(estimate), "3.2E+387");
}

TEST(FormatTrialCount, TwoDigitsRoundedToNearest) {
  EXPECT_EQ(FormatTrialCount(2.54e12L), "2.5E+12");
  EXPECT_EQ(FormatTrialCount(2.56e12L), "2.6E+12");
  EXPECT_EQ(FormatTrialCount(6.2665706865775e11L), "6.3E+11");
  // Rounding up carries into the exponent.
  EXPECT_EQ(FormatTrialCount(9.96e12L), "1.0E+13");
  EXPECT_EQ(FormatTrialCount(1e10L), "1.0E+10");
  EXPECT_EQ(FormatTrialCount(1.23e100L), "1.2E+100");
}

TEST(FormatTrialCount, ExactHalvesGoToTheEvenDigit) {
  // Both values are integers, exact in binary.
  EXPECT_EQ(FormatTrialCount(2.25e12L), "2.2E+12");
  EXPECT_EQ(FormatTrialCount(2.35e12L), "2.4E+12");
  EXPECT_EQ(FormatTrialCount(1.05e10L), "1.0E+10");
}

TEST(WarnIfHopeless, WritesTheLineAndShowsItAtOnceAbove1e10) {
  // One uniform seed of radius 1 and 10000 points: 1e4 x area / pi.
  GenerationParameters p = Clustered(CentredSquare(10, 'U'), 1, false, 1, 'U');
  p.area = static_cast<double>(1.01e6L * kPiL);
  TestConsole t("");
  WarnIfHopeless(t.console, p, 10000);
  EXPECT_EQ(t.output(),
            "Warning: About 1.0E+10 Trial Points Needed - Press Ctrl-C to Stop\r\n"
            "Warning: About 3.0E+10 Random Numbers Needed - Beyond the Cycle of 2^32, Set Will "
            "Stop Early\r\n");
  EXPECT_EQ(t.out.flush_count(), 1u);
}

TEST(WarnIfHopeless, SilentUpTo1e10) {
  GenerationParameters p = Clustered(CentredSquare(10, 'U'), 1, false, 1, 'U');
  p.area = static_cast<double>(0.99e6L * kPiL);
  TestConsole t("");
  EXPECT_EQ(HopelessWarning(p, 10000), "");
  // 3 x 9.9e9 draws are more than the cycle holds, which says so alone.
  WarnIfHopeless(t.console, p, 10000);
  EXPECT_EQ(t.output(),
            "Warning: About 3.0E+10 Random Numbers Needed - Beyond the Cycle of 2^32, Set Will "
            "Stop Early\r\n");
  // Hopeless by its area, but nothing left to draw.
  p.area = 1e30;
  TestConsole quiet("");
  WarnIfHopeless(quiet.console, Clustered(p, 1, true, 1, 'U'), 1);
  EXPECT_EQ(quiet.output(), "");
}

TEST(WarnIfHopeless, SilentAtExactly1e10AndWarnsJustAbove) {
  // 8648 points and one uniform seed of radius 1: 8648 x area / pi. This
  // area gives exactly 1e10 in extended precision; the next double up gives
  // 1e10 + 1.3e-6.
  GenerationParameters p = Clustered(CentredSquare(10, 'U'), 1, false, 1, 'U');
  const std::pair<double, std::string> cases[] = {
      {3632738.9611352836, ""},
      {3632738.961135284, "Warning: About 1.0E+10 Trial Points Needed - Press Ctrl-C to Stop\r\n"},
  };
  for (const auto& [area, output] : cases) {
    p.area = area;
    EXPECT_EQ(HopelessWarning(p, 8648).empty() ? "" : HopelessWarning(p, 8648) + "\r\n", output)
        << area;
  }
  p.area = cases[0].first;
  EXPECT_EQ(EstimateTrialCount(p, 8648), 1e10L);
}

TEST(WarnIfHopeless, ComesAfterTheModelQuestionAndBeforeAnyDraw) {
  // The set is stopped by a recorded Ctrl-C at its first candidate.
  struct ClearAfter {
    ~ClearAfter() { ClearInterrupt(); }
  } clear_after;
  g_interrupt_signal = SIGINT;
  TestConsole t("1\r\nc\r\n1e9\r\n\r\n\r\nn\r\n1000\r\nc\r\nn\r\n");
  auto state = std::make_unique<ProgramState>();
  EXPECT_EQ(EndStatus([&] { GeneratePoints(t.console, *state); }), 130);
  const std::string ending =
      "  [U]niform [H]emisphere [C]onic [S]inusoid [N]ormal {N} ? "
      "Warning: About 6.3E+11 Trial Points Needed - Press Ctrl-C to Stop\r\n"
      "Warning: About 2.2E+12 Random Numbers Needed - Beyond the Cycle of 2^32, Set Will Stop "
      "Early\r\n";
  ASSERT_GE(t.output().size(), ending.size());
  EXPECT_EQ(t.output().substr(t.output().size() - ending.size()), ending);
  // Nothing drawn: the generator is the dialogue's own; the test sees no
  // draw on the console either (no running count).
}

TEST(CycleWarning, SaysWhenTheDrawsEstimatedPassTheCycle) {
  // A rectangle's candidate takes 3 draws and its seed 2; a circle's
  // attempts of 2 draws fall inside pi/4 of the time. One uniform seed of
  // radius 1 over an area A gives points x A / pi candidates.
  struct Case {
    bool circle;
    long double candidates;
    std::string line;
  };
  const std::string tail = " Random Numbers Needed - Beyond the Cycle of 2^32, Set Will Stop Early";
  const Case cases[] = {
      {false, 1431655764, ""},  // 3 x + 2 = 2^32 - 2
      {false, 1431655766, "Warning: About 4.3E+9" + tail},
      {true, 1211051000, ""},  // (1 + 8/pi) x + 8/pi < 2^32
      {true, 1211052000, "Warning: About 4.3E+9" + tail},
  };
  for (const Case& c : cases) {
    GenerationParameters p =
        Clustered(c.circle ? CentredCircle(10, 'U') : CentredSquare(10, 'U'), 1, false, 1, 'U');
    p.area = static_cast<double>(c.candidates * kPiL / 10000);
    EXPECT_EQ(CycleWarning(p, 10000), c.line) << c.circle << " " << c.candidates;
  }
  // The sparse set that goes round the cycle: 5 normal clusters of S.D. 2
  // and 10000 points on 3500 x 3500, 4.9e9 candidates of 3 draws.
  GenerationParameters sparse = Clustered(CentredSquare(10, 'N'), 5, false, 2, 'N');
  sparse.area = 3500.0 * 3500.0;
  ExpectRelativelyNear(EstimateTrialCount(sparse, 10000),
                       10000 * 3500.0L * 3500 / (5 * 2 * sqrtl(2 * kPiL)));
  EXPECT_EQ(CycleWarning(sparse, 10000), "Warning: About 1.5E+10" + tail);
}

// Candidates of a set, counted by replaying the site sampler and the
// acceptance draw from the generator state the seeds left, until the state
// the set ended with.
int64_t CountCandidates(const GenerationParameters& p, int32_t from, int32_t to) {
  int64_t count = 0;
  for (int32_t s = from; s != to && count < 100000000; ++count) {
    double x = 0;
    double y = 0;
    if (p.shape == kCircle) {
      RandomPointInCircle(x, y, p.centre_x, p.centre_y, p.site_radius, s);
    } else {
      RandomPointInRectangle(x, y, p.x_min, p.y_min, p.x_max, p.y_max, s);
    }
    Random(s);
  }
  return count;
}

struct CountStatistics {
  double mean;
  double standard_error;  // of the mean
};

// The candidates the set needs, over runs from the seeds 1, 2, ...
CountStatistics CountOverRuns(const GenerationParameters& p, int32_t points, int runs) {
  auto state = std::make_unique<ProgramState>();
  TestConsole t("");
  ClusterSeeds seeds;
  double sum = 0;
  double sum_of_squares = 0;
  for (int run = 1; run <= runs; ++run) {
    Generator generator = Generator::Lcg(run);
    state->point_count = points;
    PlaceClusterSeeds(p, seeds, *state, generator);
    int32_t after_seeds = generator.lcg_state();
    FillPointStore(t.console, p, seeds, *state, generator);
    double count = static_cast<double>(CountCandidates(p, after_seeds, generator.lcg_state()));
    sum += count;
    sum_of_squares += count * count;
  }
  double mean = sum / runs;
  double variance = (sum_of_squares - runs * mean * mean) / (runs - 1);
  return {mean, std::sqrt(variance / runs)};
}

TEST(EstimateTrialCount, CountingReplaysEveryCandidate) {
  // Centred uniform on a circle keeps every candidate.
  GenerationParameters p = CentredCircle(10, 'U');
  CountStatistics counted = CountOverRuns(p, 37, 3);
  EXPECT_EQ(counted.mean, 37);
}

TEST(EstimateTrialCount, MatchesCountedCandidatesWhenTheClusterLiesInTheSite) {
  // Centred on a square, the disc of the models lies wholly in the site,
  // so the bound is the true acceptance rate and the estimate the mean.
  for (char model : {'U', 'H', 'C'}) {
    GenerationParameters p = CentredSquare(10, model);
    CountStatistics counted = CountOverRuns(p, 50, 200);
    long double estimate = EstimateTrialCount(p, 50);
    EXPECT_NEAR(counted.mean, static_cast<double>(estimate), 4 * counted.standard_error)
        << "model " << model;
  }
}

TEST(EstimateTrialCount, NeverAboveCountedCandidates) {
  struct Case {
    const char* name;
    GenerationParameters p;
    int32_t points;
  };
  const Case cases[] = {
      {"centred normal", CentredSquare(10, 'N'), 20},
      {"centred sinusoid", CentredSquare(10, 'S'), 30},
      {"centred normal on a circle", CentredCircle(10, 'N'), 20},
      {"clusters over the edge", Clustered(CentredSquare(20, 'C'), 4, false, 3, 'C'), 20},
      {"seeds as points", Clustered(CentredSquare(20, 'U'), 3, true, 2, 'U'), 15},
      {"overlapping clusters", Clustered(CentredSquare(4, 'H'), 6, false, 2, 'H'), 25},
      {"tight normal clusters", Clustered(CentredCircle(20, 'N'), 2, false, 0.5, 'N'), 10},
  };
  for (const Case& c : cases) {
    CountStatistics counted = CountOverRuns(c.p, c.points, 200);
    long double estimate = EstimateTrialCount(c.p, c.points);
    EXPECT_GT(estimate, 0) << c.name;
    EXPECT_LE(static_cast<double>(estimate), counted.mean + 4 * counted.standard_error) << c.name;
  }
}

}  // namespace
}  // namespace sparsim
