#include "generate/sampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "support/sites.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

// States of the generator from the seed 1, one per draw:
// state := state * 134775813 + 1 (mod 2^32), Random = state * 2^-32.
constexpr int32_t kState2 = -596792289;  // 3698175007
constexpr int32_t kState4 = 1172187917;
constexpr int32_t kState5 = -1410233534;  // 2884733762
constexpr int32_t kState6 = 1368768587;
constexpr int32_t kState7 = 694906232;
constexpr int32_t kState8 = 1598751577;
constexpr int32_t kState9 = 1828254910;
constexpr int32_t kState12 = 303092965;
constexpr int32_t kState18 = -967806897;  // 3327160399
constexpr int32_t kState21 = -669280590;  // 3625686706
constexpr int32_t kState24 = 698472713;

// The rectangle (0, 0)-(10, 4) as the dialogue leaves it: centre (5, 2),
// site radius 5 (half the longer side), centred on one seed.
GenerationParameters Rectangle(double width, double height, char model) {
  return RectangleSite(0, 0, width, height, model);
}

GenerationParameters Contagious(const GenerationParameters& p, int32_t seeds, bool as_points,
                                double radius) {
  return Clustered(p, seeds, as_points, radius, p.model);
}

struct SetRun {
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  Generator generator = Generator::Lcg(1);
  ClusterSeeds seeds;
  TestConsole t{""};
};

// Places the seeds and fills the store from the seed 1, as the driver does.
std::unique_ptr<SetRun> Generate(const GenerationParameters& p, int32_t points) {
  auto run = std::make_unique<SetRun>();
  run->generator = Generator::Lcg(1);
  run->state->point_count = points;
  PlaceClusterSeeds(p, run->seeds, *run->state, run->generator);
  FillPointStore(run->t.console, p, run->seeds, *run->state, run->generator);
  return run;
}

TEST(FillPointStore, CentredUniformRectangleMatchesTheDrawsWorkedByHand) {
  // Seed 1, rectangle (0,0)-(10,4), uniform, centred. Each candidate is
  // X = Random * 10, Y = Random * 4, then one acceptance draw; it is kept
  // when its distance from (5, 2) is at most 5 (always below the draw's 1).
  //   states 134775814, 3698175007 -> (0.31379939..., 3.44419386...), d 4.90
  //   states 1172187917, 2884733762 -> (2.72921267..., 2.68661767...), d 2.37
  //   states 694906232, 1598751577 -> (1.61795465..., 1.48895343...), d 3.42
  auto run = Generate(Rectangle(10, 4, 'U'), 3);
  const PointStore& s = run->state->store;
  EXPECT_EQ(s.x[1], 0.31379939522594213);
  EXPECT_EQ(s.y[1], 3.4441938688978553);
  EXPECT_EQ(s.x[2], 2.7292126719839871);
  EXPECT_EQ(s.y[2], 2.686617674306035);
  EXPECT_EQ(s.x[3], 1.6179546527564526);
  EXPECT_EQ(s.y[3], 1.4889534348621964);
  // Three draws per candidate, nine in all.
  EXPECT_EQ(run->generator.lcg_state(), kState9);
  EXPECT_EQ(run->t.output(), "");
}

TEST(FillPointStore, CentredUniformSquareRejectsCornersOutsideTheInscribedCircle) {
  // Square (0,0)-(10,10): the first candidate (0.3138, 8.6105) lies 5.92
  // from the centre and is rejected; the next three are kept.
  auto run = Generate(Rectangle(10, 10, 'U'), 3);
  const PointStore& s = run->state->store;
  EXPECT_EQ(s.x[1], 2.7292126719839871);
  EXPECT_EQ(s.y[1], 6.7165441857650876);
  EXPECT_EQ(s.x[2], 1.6179546527564526);
  EXPECT_EQ(s.y[2], 3.7223835871554911);
  EXPECT_EQ(s.x[3], 0.82012159517034888);
  EXPECT_EQ(s.y[3], 4.7479406464844942);
  EXPECT_EQ(run->generator.lcg_state(), kState12);  // four candidates of three draws
}

TEST(FillPointStore, CircleCandidateTakesTwoDrawsPerAttemptPlusOne) {
  // Default circle: centre (10, 10), radius 10. X = 0 + Random * 2 * 10.
  // The first attempt (0.6276, 17.2210) lies 11.83 from the centre and is
  // tried again; the second is inside: 2 + 2 + 1 draws. The second point is
  // inside at once: 2 + 1 draws.
  GenerationParameters p;
  p.shape = kCircle;
  p.centre_x = 10;
  p.centre_y = 10;
  p.site_radius = 10;
  p.cluster_radius = 10;
  p.model = 'U';
  auto run = Generate(p, 1);
  EXPECT_EQ(run->state->store.x[1], 4.0516193024814129);
  EXPECT_EQ(run->state->store.y[1], 5.4584253439679742);
  EXPECT_EQ(run->generator.lcg_state(), kState5);

  run = Generate(p, 2);
  EXPECT_EQ(run->state->store.x[2], 6.373825422488153);
  EXPECT_EQ(run->state->store.y[2], 3.2359093055129051);
  EXPECT_EQ(run->generator.lcg_state(), kState8);
}

TEST(RandomPointInCircle, RadiusZeroGivesTheCentreAfterOneAttempt) {
  int32_t seed = 1;
  double x = 0;
  double y = 0;
  RandomPointInCircle(x, y, 3.5, -2, 0, seed);
  EXPECT_EQ(x, 3.5);
  EXPECT_EQ(y, -2);
  EXPECT_EQ(seed, kState2);
}

// Circles where coordinates computed in doubles would differ in the last
// bit: from the seed 1, the first attempt (0.0314, 0.8610) falls outside
// and the second (0.2026, ...) inside. The expected values come from exact
// rational arithmetic rounded to 64 bits after every step and to a double
// at the end.
TEST(RandomPointInCircle, ComputesTheCoordinatesInExtendedPrecision) {
  struct Case {
    double centre_x, centre_y, radius, x, y;
  };
  const Case cases[] = {
      {3.3, 0.7, 3.5, 1.2180667558684943, -0.8895511296112091},
      {5.5, 6.6, 1.65, 4.518517184909433, 5.850640181754716},
  };
  for (const Case& c : cases) {
    int32_t seed = 1;
    double x = 0;
    double y = 0;
    RandomPointInCircle(x, y, c.centre_x, c.centre_y, c.radius, seed);
    EXPECT_EQ(x, c.x) << c.centre_x;
    EXPECT_EQ(y, c.y) << c.centre_x;
  }
}

TEST(FillPointStore, ContagiousSeedsAreDrawnBeforeTheCandidates) {
  // Two seeds over (0,0)-(10,4), then one candidate and its acceptance draw.
  auto run = Generate(Contagious(Rectangle(10, 4, 'U'), 2, false, 100), 1);
  EXPECT_EQ(run->seeds.x[1], 0.31379939522594213);
  EXPECT_EQ(run->seeds.y[1], 3.4441938688978553);
  EXPECT_EQ(run->seeds.x[2], 2.0258096512407064);
  EXPECT_EQ(run->seeds.y[2], 1.0916850687935948);
  EXPECT_EQ(run->state->store.x[1], 6.7165441857650876);
  EXPECT_EQ(run->state->store.y[1], 1.2747650844976306);
  EXPECT_EQ(run->generator.lcg_state(), kState7);
}

TEST(FillPointStore, RectangleCandidateTakesThreeDrawsAlsoWhenTheSumReachesOne) {
  // Three seeds (six draws), five candidates that are all certain (uniform,
  // radius 100): 6 + 5 * 3 = 21 draws.
  auto run = Generate(Contagious(Rectangle(10, 4, 'U'), 3, false, 100), 5);
  EXPECT_EQ(run->generator.lcg_state(), kState21);
}

TEST(FillPointStore, ZeroPointsDrawNoCandidateButStillPlaceTheSeeds) {
  auto centred = Generate(Rectangle(10, 4, 'U'), 0);
  EXPECT_EQ(centred->generator.lcg_state(), 1);
  EXPECT_EQ(centred->seeds.x[1], 5);
  EXPECT_EQ(centred->seeds.y[1], 2);

  auto contagious = Generate(Contagious(Rectangle(10, 4, 'U'), 2, true, 1), 0);
  EXPECT_EQ(contagious->generator.lcg_state(), kState4);
  EXPECT_EQ(contagious->state->store.x[2], 2.0258096512407064);
  EXPECT_EQ(contagious->state->store.y[2], 1.0916850687935948);
}

TEST(FillPointStore, SeedsAsPointsFillTheStoreFirstEvenBeyondThePointCount) {
  // Three seeds for two points: all three are stored, no candidate drawn.
  auto run = Generate(Contagious(Rectangle(10, 4, 'U'), 3, true, 1), 2);
  const PointStore& s = run->state->store;
  EXPECT_EQ(s.x[1], 0.31379939522594213);
  EXPECT_EQ(s.y[1], 3.4441938688978553);
  EXPECT_EQ(s.x[2], 2.0258096512407064);
  EXPECT_EQ(s.y[2], 1.0916850687935948);
  EXPECT_EQ(s.x[3], 6.7165441857650876);
  EXPECT_EQ(s.y[3], 1.2747650844976306);
  EXPECT_EQ(run->generator.lcg_state(), kState6);
  EXPECT_EQ(run->state->point_count, 2);

  // Two seeds for three points: the candidate comes third.
  run = Generate(Contagious(Rectangle(10, 4, 'U'), 2, true, 100), 3);
  EXPECT_EQ(run->state->store.x[1], 0.31379939522594213);
  EXPECT_EQ(run->state->store.y[2], 1.0916850687935948);
  EXPECT_EQ(run->state->store.x[3], 6.7165441857650876);
  EXPECT_EQ(run->state->store.y[3], 1.2747650844976306);
  EXPECT_EQ(run->generator.lcg_state(), kState7);
}

// A site of one point, (3, 2): every candidate is that point, so the
// acceptance is decided by the draws alone. Seeds at distance 2 and 2.5 of a
// conic cluster of radius 5 are worth 0.6 and 0.5.
TEST(FillPointStore, AcceptsWhenTheDrawIsBelowTheSumOfTheSeedValues) {
  GenerationParameters p = Contagious(Rectangle(0, 0, 'C'), 1, false, 5);
  p.x_min = p.x_max = 3;
  p.y_min = p.y_max = 2;
  auto run = std::make_unique<SetRun>();
  run->seeds.x[1] = 5;
  run->seeds.y[1] = 2;
  run->seeds.x[2] = 3;
  run->seeds.y[2] = 4.5;
  run->generator = Generator::Lcg(1);
  run->state->point_count = 6;
  // One seed: acceptance draws 0.203, 0.319, 0.426, 0.071, 0.293 pass, then
  // 0.775 and 0.844 fail, 0.163 passes: eight candidates.
  FillPointStore(run->t.console, p, run->seeds, *run->state, run->generator);
  EXPECT_EQ(run->generator.lcg_state(), kState24);
  EXPECT_EQ(run->state->store.x[6], 3);
  EXPECT_EQ(run->state->store.y[6], 2);

  // Both seeds: 0.6 + 0.5 makes every candidate certain: six candidates.
  p.seed_count = 2;
  run->generator = Generator::Lcg(1);
  FillPointStore(run->t.console, p, run->seeds, *run->state, run->generator);
  EXPECT_EQ(run->generator.lcg_state(), kState18);
}

TEST(FillPointStore, ShowsEveryTenthAcceptedCountWithACarriageReturn) {
  GenerationParameters circle;
  circle.shape = kCircle;
  circle.centre_x = circle.centre_y = circle.site_radius = circle.cluster_radius = 10;
  circle.model = 'U';
  auto run = Generate(circle, 100);
  EXPECT_EQ(run->t.output(), " 10\r 20\r 30\r 40\r 50\r 60\r 70\r 80\r 90\r100\r");
  EXPECT_EQ(run->t.out.flush_count(), 10u);

  // Counted from the seeds on: five seeds as points, then seven candidates.
  run = Generate(Contagious(Rectangle(10, 4, 'U'), 5, true, 100), 12);
  EXPECT_EQ(run->t.output(), " 10\r");
  EXPECT_EQ(run->t.out.flush_count(), 1u);
}

TEST(NormalDensity, PeakAndFarTail) {
  EXPECT_DOUBLE_EQ(NormalDensity(0, 1, 0), 0.3989422804014327);  // 1 / sqrt(2 pi)
  // (4.47^2) / 2 = 9.99045: still inside; (4.48^2) / 2 = 10.0352: cut off.
  EXPECT_NEAR(NormalDensity(0, 1, 4.47), 1.8285749209547377e-05, 1e-18);
  EXPECT_GT(NormalDensity(0, 1, 4.47), 0);
  EXPECT_EQ(NormalDensity(0, 1, 4.48), 0);
  EXPECT_EQ(NormalDensity(10, 1, 5.52), 0);
  // The cut is strict. With an S.D. of 0.1, 0.44721359549995798^2 / 0.02
  // stores exactly 10 (kept: 10 exp(-10) / sqrt(2 pi)); the next double up
  // gives 10.000000000000004 (cut).
  EXPECT_NEAR(NormalDensity(0, 0.1, 0.44721359549995798), 1.811195150951058e-4, 1e-18);
  EXPECT_EQ(NormalDensity(0, 0.1, 0.44721359549995804), 0);
  // Half the standard deviation doubles the peak.
  EXPECT_DOUBLE_EQ(NormalDensity(0, 0.5, 0), 2 * 0.3989422804014327);
}

struct ModelCase {
  char model;
  double d;
  double cluster_radius;
  double site_radius;
  double expected;
};

TEST(ModelValue, ValuesOfEveryModel) {
  const ModelCase cases[] = {
      {'U', 0, 5, 5, 1},
      {'U', 5, 5, 5, 1},
      {'U', 5.000001, 5, 5, 0},
      {'C', 0, 5, 5, 1},
      {'C', 2.5, 5, 5, 0.5},
      {'C', 5, 5, 5, 0},
      {'C', 6, 5, 5, 0},
      {'H', 0, 5, 5, 1},
      {'H', 3, 5, 5, 0.8},
      {'H', 5, 5, 5, 0},
      {'H', 5.5, 5, 5, 0},
      {'S', 0, 5, 5, 1},
      {'S', 5, 5, 5, 0},
      {'S', 2, 3, 4, 0.5},                  // divides by the site radius
      {'S', 3, 3, 4, 0.14644660940672624},  // (cos(3 pi / 4) + 1) / 2
      {'S', 3.5, 3, 4, 0},                  // cut at the cluster radius
      {'N', 0, 1, 5, 0.3989422804014327},
      {'N', 7, 5, 5, 0.3989422804014327 / 5 * 0.37531109885139954},  // exp(-0.98)
  };
  for (const ModelCase& c : cases) {
    SCOPED_TRACE(std::string(1, c.model) + " d=" + std::to_string(c.d));
    EXPECT_NEAR(ModelValue(c.model, c.d, c.cluster_radius, c.site_radius), c.expected, 1e-15);
  }
}

TEST(ModelValue, ZeroRadiusIsAPointMassInEveryModel) {
  for (char model : std::string("UHCSN")) {
    SCOPED_TRACE(std::string(1, model));
    EXPECT_EQ(ModelValue(model, 0, 0, 5), 1);
    EXPECT_EQ(ModelValue(model, 1e-9, 0, 5), 0);
    EXPECT_EQ(ModelValue(model, 3, 0, 5), 0);
  }
  // The sinusoid on a site of radius 0.
  EXPECT_EQ(ModelValue('S', 0, 1, 0), 1);
  EXPECT_EQ(ModelValue('S', 0.5, 1, 0), 0);
}

TEST(ModelValue, NeverNaN) {
  const double values[] = {0, 1e-320, 1e-300, 1e-9, 0.5, 1, 4.48, 1e30};
  for (char model : std::string("UHCSN")) {
    for (double d : values) {
      for (double cluster_radius : values) {
        for (double site_radius : values) {
          double v = ModelValue(model, d, cluster_radius, site_radius);
          EXPECT_FALSE(std::isnan(v))
              << model << " " << d << " " << cluster_radius << " " << site_radius;
          EXPECT_GE(v, 0);
        }
      }
    }
  }
  // An exponent beyond the range of a double is the far tail.
  EXPECT_EQ(ModelValue('N', 1, 1e-300, 1), 0);
}

}  // namespace
}  // namespace sparsim
