#include "generate/generation_dialogue.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "support/temp_dir.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

// The questions of a set as they appear on the console.
const std::string kShape = "Distribution Shape: [C]ircular, [R]ectangular {R} ? ";
const std::string kDiameter = "Distribution Diameter {20.0} ? ";
const std::string kXMin = "X Min {0} ? ";
const std::string kYMin = "Y Min {0} ? ";
const std::string kXMax = "X Max ? ";
const std::string kYMax = "Y Max ? ";
const std::string kHowMany = "[N]umber or [D]ensity of Random Points to be Specified {N} ? ";
const std::string kDensity = "Average Density/Unit2 {1.0} ? ";
const std::string kNumber = "  Number of Points ? ";
const std::string kSpread = "[C]entered or Contagious around [S]eeds {S} ? ";
const std::string kSeeds = "  Number of Cluster Seeds ? ";
const std::string kSeedsAsPoints = "  Use Cluster Seeds as Points {Y} ? ";
const std::string kRadius = "  Size of Contagious Radius or StdDev ? ";
const std::string kModel =
    "Density Distribution Model\r\n  [U]niform [H]emisphere [C]onic [S]inusoid [N]ormal {N} ? ";
const std::string kSeedPrompt = "Random Generator Seed (0 to set from clock) {0} ? ";

std::string Centre(const std::string& shown) {
  return "X Coord, Center {" + shown + "} ? Y Coord, Center {" + shown + "} ? ";
}

// pi at full extended precision.
constexpr long double kExtendedPi = 3.14159265358979323846264338327950288L;

struct Dialogue {
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  TestConsole t;
  GenerationParameters p;
  explicit Dialogue(std::string answers) : t(std::move(answers)) {
    p = AskSetParameters(t.console, *state);
  }
};

TEST(AskSetParameters, DefaultCircleInDensityMode) {
  Dialogue d("c\r\n\r\n\r\n\r\nd\r\n\r\nc\r\n\r\n");
  EXPECT_EQ(d.t.output(), kShape + kDiameter + Centre("10.00") + kHowMany + kDensity +
                              "314 Point Locations will be Generated\r\n" + kSpread + kModel);
  EXPECT_EQ(d.p.shape, kCircle);
  EXPECT_EQ(d.p.site_radius, 10);
  EXPECT_EQ(d.p.centre_x, 10);
  EXPECT_EQ(d.p.centre_y, 10);
  EXPECT_EQ(d.p.area, static_cast<double>(10.0L * 10.0L * kExtendedPi));
  EXPECT_EQ(d.p.density, 1.0);
  EXPECT_EQ(d.state->point_count, 314);
  // Centred: the one seed is the centre, spreading over the whole site.
  EXPECT_FALSE(d.p.contagious);
  EXPECT_EQ(d.p.seed_count, 1);
  EXPECT_FALSE(d.p.seeds_as_points);
  EXPECT_EQ(d.p.cluster_radius, 10);
  EXPECT_EQ(d.p.model, 'N');
}

TEST(AskSetParameters, NumberModeOnTheDefaultCircle) {
  Dialogue d("c\r\n\r\n3\r\n-4.5\r\n\r\n100\r\nc\r\nh\r\n");
  EXPECT_EQ(d.t.output(),
            kShape + kDiameter + Centre("10.00") + kHowMany + kNumber + kSpread + kModel);
  EXPECT_EQ(d.p.centre_x, 3);
  EXPECT_EQ(d.p.centre_y, -4.5);
  EXPECT_EQ(d.state->point_count, 100);
  // 100 / (100 pi), from the stored area.
  EXPECT_EQ(d.p.density, 0.31830988618379069);
  EXPECT_EQ(d.p.model, 'H');
}

// Diameters whose area r^2 pi differs in the last bit when computed in
// doubles; the expected areas come from exact rational arithmetic rounded
// to 64 bits after every step and to a double at the end.
TEST(AskSetParameters, CircleAreaIsComputedInExtendedPrecision) {
  const std::pair<const char*, double> cases[] = {{"7", 38.48451000647497},
                                                  {"0.7", 0.38484510006474965}};
  for (const auto& [diameter, area] : cases) {
    Dialogue d(std::string("c\r\n") + diameter + "\r\n1\r\n2\r\nn\r\n10\r\nc\r\nu\r\n");
    EXPECT_EQ(d.p.area, area) << diameter;
    EXPECT_EQ(d.p.centre_x, 1);
  }
}

TEST(AskSetParameters, CentreDefaultKeepsTwelveCharactersOfTheRadius) {
  // Radius 1e12: "1000000000000.00" cut to its first 12 characters.
  Dialogue d("c\r\n2e12\r\n\r\n\r\n\r\n1\r\nc\r\n\r\n");
  EXPECT_EQ(d.t.output().find(kShape + kDiameter + Centre("100000000000") + kHowMany), 0u);
  EXPECT_EQ(d.p.site_radius, 1e12);
  EXPECT_EQ(d.p.centre_x, 1e11);
}

TEST(AskSetParameters, RectangleCentreRadiusAndArea) {
  struct Case {
    const char* corners;
    double centre_x, centre_y, area;
  } cases[] = {
      {"\r\n\r\n10\r\n4\r\n", 5, 2, 40},
      {"\r\n\r\n4\r\n10\r\n", 2, 5, 40},
      {"1\r\n2\r\n5\r\n12\r\n", 3, 7, 40},
      {"-3\r\n-1\r\n7\r\n3\r\n", 2, 1, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.corners);
    Dialogue d(std::string("r\r\n") + c.corners + "n\r\n100\r\nc\r\nu\r\n");
    EXPECT_EQ(d.t.output(),
              kShape + kXMin + kYMin + kXMax + kYMax + kHowMany + kNumber + kSpread + kModel);
    EXPECT_EQ(d.p.shape, kRectangle);
    EXPECT_EQ(d.p.site_radius, 5);  // half the longer side
    EXPECT_EQ(d.p.cluster_radius, 5);
    EXPECT_EQ(d.p.centre_x, c.centre_x);
    EXPECT_EQ(d.p.centre_y, c.centre_y);
    EXPECT_EQ(d.p.area, c.area);
    EXPECT_EQ(d.p.density, 2.5);
    EXPECT_EQ(d.p.model, 'U');
  }
}

TEST(AskSetParameters, XMaxHasNoDefaultAndStartsAtXMin) {
  Dialogue d("r\r\n3\r\n1\r\n\r\n2\r\n3\r\n5\r\n\r\n5\r\nc\r\nc\r\n");
  EXPECT_EQ(d.t.output(), kShape + kXMin + kYMin + kXMax + kXMax +
                              "Value Out of Range ( 3.00000000000000E+0000, "
                              "1.00000000000000E+0030)\r\n" +
                              kXMax + kYMax + kHowMany + kNumber + kSpread + kModel);
  EXPECT_EQ(d.p.x_min, 3);
  EXPECT_EQ(d.p.x_max, 3);
  EXPECT_EQ(d.p.y_max, 5);
  EXPECT_EQ(d.p.site_radius, 2);
  EXPECT_EQ(d.p.area, 0);
  // Points on a site of no area: infinitely dense.
  EXPECT_EQ(d.p.density, std::numeric_limits<double>::infinity());
  EXPECT_EQ(d.state->point_count, 5);
}

TEST(AskSetParameters, DensityTieGoesToTheEvenCountAndLargerCountsAreAskedAgain) {
  // Unit square: the expected count is the density itself.
  Dialogue d("r\r\n\r\n\r\n1\r\n1\r\nd\r\n10000.6\r\n10000.5\r\nc\r\n\r\n");
  EXPECT_EQ(d.t.output(), kShape + kXMin + kYMin + kXMax + kYMax + kHowMany + kDensity + kDensity +
                              "10000 Point Locations will be Generated\r\n" + kSpread + kModel);
  EXPECT_EQ(d.state->point_count, 10000);
  EXPECT_EQ(d.p.density, 10000.5);

  Dialogue odd("r\r\n\r\n\r\n1\r\n1\r\nd\r\n9999.5\r\nc\r\n\r\n");
  EXPECT_EQ(odd.state->point_count, 10000);
  Dialogue even("r\r\n\r\n\r\n1\r\n1\r\nd\r\n9998.5\r\nc\r\n\r\n");
  EXPECT_EQ(even.state->point_count, 9998);
}

TEST(AskSetParameters, DensityZeroGivesNoPointsAndAllowsNoSeedsAndNoRadius) {
  Dialogue d("r\r\n\r\n\r\n10\r\n4\r\nd\r\n0\r\ns\r\n0\r\nn\r\n0\r\nc\r\n");
  EXPECT_EQ(d.t.output(), kShape + kXMin + kYMin + kXMax + kYMax + kHowMany + kDensity +
                              "0 Point Locations will be Generated\r\n" + kSpread + kSeeds +
                              kSeedsAsPoints + kRadius + kModel);
  EXPECT_EQ(d.state->point_count, 0);
  EXPECT_TRUE(d.p.contagious);
  EXPECT_EQ(d.p.seed_count, 0);
  EXPECT_FALSE(d.p.seeds_as_points);
  EXPECT_EQ(d.p.cluster_radius, 0);
  EXPECT_EQ(d.p.model, 'C');
}

TEST(AskSetParameters, ContagiousRefusesNoSeedsAndNoRadiusWhenPointsAreToBeDrawn) {
  Dialogue d("r\r\n\r\n\r\n10\r\n4\r\n\r\n8\r\n\r\n0\r\n501\r\n3\r\n\r\n0\r\n2.5\r\ns\r\n");
  const std::string refused = "Value Out of Range (1,500)\r\n";
  EXPECT_EQ(d.t.output(), kShape + kXMin + kYMin + kXMax + kYMax + kHowMany + kNumber + kSpread +
                              kSeeds + refused + kSeeds + refused + kSeeds + kSeedsAsPoints +
                              kRadius + "Radius Must Be Greater Than 0\r\n" + kRadius + kModel);
  EXPECT_TRUE(d.p.contagious);
  EXPECT_EQ(d.p.seed_count, 3);
  EXPECT_TRUE(d.p.seeds_as_points);
  EXPECT_EQ(d.p.cluster_radius, 2.5);
  EXPECT_EQ(d.p.site_radius, 5);
  EXPECT_EQ(d.p.model, 'S');
}

TEST(AskSetParameters, RadiusZeroIsAcceptedWhenTheSeedsAreAllThePoints) {
  Dialogue covered("r\r\n\r\n\r\n10\r\n4\r\n\r\n5\r\n\r\n5\r\ny\r\n0\r\n\r\n");
  EXPECT_EQ(covered.t.output().find("Radius Must"), std::string::npos);
  EXPECT_EQ(covered.p.cluster_radius, 0);
  EXPECT_EQ(covered.p.seed_count, 5);
}

// A whole run of the generation mode in a temporary folder.
struct GenerationRun {
  TempDir dir;
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  TestConsole t;
  explicit GenerationRun(std::string answers) : t(std::move(answers)) {
    state->working_directory = dir.path();
    GeneratePoints(t.console, *state);
  }
};

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// Rectangle (0,0)-(10,4), 3 points, centred, uniform.
const std::string kSmallSet = "\r\n\r\n\r\n10\r\n4\r\n\r\n3\r\nc\r\nu\r\n";
const std::string kSmallSetHeader =
    "3 #Points# 2 #Coordinates#\r\n"
    "# Site Corners   0.0000  0.0000,  10.0000  4.0000;  Area    40.00 #\r\n"
    "#Density:   0.0750;  Model U;  Random Seed: 1 #\r\n";

TEST(GeneratePoints, SecondSetGoesOnWithTheGeneratorAndKeepsTheSeed) {
  GenerationRun run("1\r\n" + kSmallSet + "\r\nsite\r\nn\r\ny\r\n" + kSmallSet +
                    "y\r\nsecond\r\nn\r\n\r\n");
  EXPECT_EQ(Occurrences(run.t.output(), kSeedPrompt), 1u);
  EXPECT_EQ(Occurrences(run.t.output(), "Random Seed: 1\r\n"), 1u);
  EXPECT_EQ(Occurrences(run.t.output(), kShape), 2u);
  // The points worked out by hand from the seed 1: candidates of three
  // draws, X = Random * 10, Y = Random * 4, all within 5 of (5, 2).
  EXPECT_EQ(run.dir.Read("SITE.ADF"), kSmallSetHeader +
                                          "    0.3138    3.4442\r\n"
                                          "    2.7292    2.6866\r\n"
                                          "    1.6180    1.4890\r\n");
  EXPECT_EQ(run.dir.Read("SECOND.ADF"), kSmallSetHeader +
                                            "    0.8201    1.8992\r\n"
                                            "    8.4085    0.2389\r\n"
                                            "    9.1728    1.4716\r\n");
  EXPECT_EQ(run.state->point_count, 3);
  EXPECT_EQ(run.state->store.x[1], 0.82012159517034888);
}

// 5 normal clusters of S.D. 2 over 3500 x 3500 need about 4.9e9 candidates
// for 10000 points, 1.5e10 draws: the set goes once round the cycle of 2^32
// states (1.43e9 candidates, about 2900 points) and stops there, with every
// point it placed distinct.
TEST(GeneratePoints, SetThatGoesRoundTheCycleStopsAndSaysSo) {
  GenerationRun run(
      "3\r\n\r\n\r\n\r\n3500\r\n3500\r\n\r\n10000\r\ns\r\n5\r\nn\r\n2\r\nn\r\n"
      "\r\nsparse\r\nn\r\n\r\n");
  const std::string& out = run.t.output();
  const int32_t placed = run.state->point_count;
  ASSERT_GT(placed, 2500);
  ASSERT_LT(placed, 10000);
  const std::string exhausted =
      " Random Cycle Exhausted - " + std::to_string(placed) + " Points Placed\r\n";
  EXPECT_NE(
      out.find(kModel + "Warning: About 1.5E+10 Random Numbers Needed - Beyond the Cycle of 2^32, "
                        "Set Will Stop Early\r\n"),
      std::string::npos);
  // Written over the running count, in place of the line's end.
  EXPECT_NE(out.find(std::to_string(placed / 10 * 10) + "\r" + exhausted + "Write Coordinates"),
            std::string::npos);
  std::string file = run.dir.Read("SPARSE.ADF");
  EXPECT_EQ(file.substr(0, file.find('#')), std::to_string(placed) + " ");
  EXPECT_EQ(Occurrences(file, "\r\n"), static_cast<std::size_t>(placed) + 4);
  std::set<std::pair<double, double>> distinct;
  for (int32_t i = 1; i <= placed; ++i) {
    distinct.emplace(run.state->store.x[static_cast<size_t>(i)],
                     run.state->store.y[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(placed));
}

TEST(GeneratePoints, WritingToTheConsoleShowsTheFileAndTheDialogueGoesOn) {
  GenerationRun run("1\r\n" + kSmallSet + "\r\ncon\r\nn\r\n\r\n");
  EXPECT_EQ(run.t.output(),
            kSeedPrompt + "Random Seed: 1\r\n" + kShape + kXMin + kYMin + kXMax + kYMax + kHowMany +
                kNumber + kSpread + kModel +
                "\r\n"  // the line of the running count, empty for 3 points
                "Write Coordinates {Y} ? Output File {.ADF} ? " +
                kSmallSetHeader +
                "    0.3138    3.4442\r\n"
                "    2.7292    2.6866\r\n"
                "    1.6180    1.4890\r\n"
                "Plot on Screen {Y} ? Generate Another Set of Points {N} ? ");
}

TEST(GeneratePoints, RunningCountLineIsEndedAndThePlotShown) {
  // 20 points of the default circle: the count shows 10 and 20, then the
  // line ends; declining the file goes straight to the plot.
  GenerationRun run("5\r\nc\r\n\r\n\r\n\r\n\r\n20\r\nc\r\nu\r\nn\r\n\r\n\r\n");
  const std::string& out = run.t.output();
  const std::string after_model =
      kModel + " 10\r 20\r\r\nWrite Coordinates {Y} ? Plot on Screen {Y} ? ";
  std::size_t at = out.find(after_model);
  ASSERT_NE(at, std::string::npos);
  std::size_t plot = at + after_model.size();
  EXPECT_EQ(out.size(),
            plot + 24 * 81 + std::string("Generate Another Set of Points {N} ? ").size());
  EXPECT_EQ(out.substr(plot + 24 * 81), "Generate Another Set of Points {N} ? ");
}

}  // namespace
}  // namespace sparsim
