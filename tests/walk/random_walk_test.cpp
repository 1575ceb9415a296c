#include "walk/random_walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "common/program_end.h"
#include "support/sample_files.h"
#include "support/temp_dir.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

// States of the generator from the seed 1 after 2 and 6 draws.
constexpr int32_t kState2 = -596792289;
constexpr int32_t kState6 = 1368768587;

TEST(RandomStep, DrawsTheLengthThenTheDirectionAndMovesXBySine) {
  // L = 0.0313799... * 2 = 0.062759879045188427;
  // A = 0.8610484... * 2 * pi = 5.4101270780342547 (stored);
  // X = 0 + sin(A) * L, Y = 0 + cos(A) * L.
  int32_t seed = 1;
  double x = 0;
  double y = 0;
  RandomStep(x, y, 2, seed);
  EXPECT_DOUBLE_EQ(x, -0.048092731320770347);
  EXPECT_DOUBLE_EQ(y, 0.040322346309148188);
  EXPECT_EQ(seed, kState2);

  seed = 1;
  x = 10;
  y = -5;
  RandomStep(x, y, 2, seed);
  EXPECT_DOUBLE_EQ(x, 9.9519072686792303);
  EXPECT_DOUBLE_EQ(y, -4.9596776536908518);
}

TEST(RandomStep, ZeroMaximumDrawsButDoesNotMove) {
  int32_t seed = 1;
  double x = 12.5;
  double y = -3.25;
  RandomStep(x, y, 0, seed);
  EXPECT_EQ(x, 12.5);
  EXPECT_EQ(y, -3.25);
  EXPECT_EQ(seed, kState2);
  RandomStep(x, y, 0, seed);
  RandomStep(x, y, 0, seed);
  EXPECT_EQ(seed, kState6);
}

const std::string kIntro = "Input file may have any number of pairs of X, Y coordinates\r\n";
const std::string kInput = "Input File of Original Point Coordinates {.ADF} ? ";
const std::string kSeed = "Random Generator Seed (0 to set from clock) {0} ? Random Seed: 1\r\n";
const std::string kPass =
    "Steplength is uniformly distributed between 0 and maximum specified\r\n"
    "Maximum Step Length {1.0} ? Number of Random Walk Steps {1} ? ";
const std::string kAfterPass = "Plot on Screen {Y} ? Re-walk Input Points {N} ? ";

std::string OutputQuestion(const std::string& name) {
  return "Output file of Random Walked Point Coordinates {" + name + "} ? ";
}

// One run of the walk mode in a temporary folder holding the input files.
struct Walk {
  TempDir dir;
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  std::unique_ptr<TestConsole> t;

  void Run(const std::string& answers) {
    t = std::make_unique<TestConsole>(answers);
    state->working_directory = dir.path();
    WalkPoints(t->console, *state);
  }
  const std::string& output() const { return t->output(); }
};

// Seed 1, default output name, no step, no plot, no second pass.
const std::string kCopyAnswers = "pts\r\n1\r\n\r\n\r\n0\r\nn\r\n\r\n";

TEST(WalkPoints, NoStepCopiesTheInputInFourDecimalsAndDrawsNothing) {
  Walk w;
  w.dir.Write("PTS.ADF", "2 2\n12.34567 -7\n1 2\n");
  w.Run(kCopyAnswers);
  EXPECT_EQ(w.output(), kIntro + kInput + kSeed + OutputQuestion("PTS.OUT") + kPass +
                            "2 Points Processed\r\n\r\n" + kAfterPass);
  EXPECT_EQ(w.dir.Read("PTS.OUT"), "2,2\r\n12.3457,-7.0000\r\n1.0000,2.0000\r\n");
  EXPECT_EQ(w.state->point_count, 2);
  EXPECT_DOUBLE_EQ(w.state->store.x[1], 12.34567);
  EXPECT_EQ(w.state->store.y[2], 2);
  EXPECT_EQ(w.state->input_name, "PTS.ADF");
  EXPECT_EQ(w.state->output_name, "PTS.OUT");
}

TEST(WalkPoints, ReadsPairsSeparatedByBlanksTabsOrCommas) {
  const char* inputs[] = {
      "3 2\n1 2\n3 4\n5 6\n",
      "3\t2\r\n1\t2\r\n3\t4\r\n5\t6\r\n",
      "3,2\n1,2\n3,4\n5,6",
      "  3 ,  2\r\n1 ,2\r\n\r\n3, 4\r\n5 ,\t6\r\n",
  };
  for (const char* input : inputs) {
    SCOPED_TRACE(input);
    Walk w;
    w.dir.Write("PTS.ADF", input);
    w.Run(kCopyAnswers);
    EXPECT_EQ(w.dir.Read("PTS.OUT"), "3,2\r\n1.0000,2.0000\r\n3.0000,4.0000\r\n5.0000,6.0000\r\n");
    EXPECT_NE(w.output().find("{1} ? 3 Points Processed\r\n\r\nPlot on Screen"), std::string::npos);
  }
}

TEST(WalkPoints, FewerPointsThanAnnouncedAreReported) {
  Walk w;
  w.dir.Write("PTS.ADF", "5,2\n1 2\n3 4\n5 6\n");
  // Plot this time: the window follows the question.
  w.Run("pts\r\n1\r\n\r\n\r\n0\r\n\r\n\r\n");
  EXPECT_EQ(w.dir.Read("PTS.OUT"), "5,2\r\n1.0000,2.0000\r\n3.0000,4.0000\r\n5.0000,6.0000\r\n");
  const std::string report =
      "3 Points Processed\r\nLikely Input Error Not Enough Coordinates\r\n\r\n"
      "Plot on Screen {Y} ? ";
  const std::string& out = w.output();
  std::size_t at = out.find(report);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(out.substr(at + report.size() + 24 * 81), "Re-walk Input Points {N} ? ");
}

TEST(WalkPoints, SeparatorsAfterTheLastNumberAreNoPoint) {
  const char* inputs[] = {
      "5 2\n1 2\n3 4\n5 6,",
      "5 2\n1 2\n3 4\n5 6 # end of data\n",
      "5 2\n1 2\n3 4\n5 6\n#last#\n,\n",
  };
  for (const char* input : inputs) {
    SCOPED_TRACE(input);
    Walk w;
    w.dir.Write("PTS.ADF", input);
    w.Run(kCopyAnswers);
    EXPECT_EQ(w.dir.Read("PTS.OUT"), "5,2\r\n1.0000,2.0000\r\n3.0000,4.0000\r\n5.0000,6.0000\r\n");
    EXPECT_EQ(w.output().find("Unexpected EOF"), std::string::npos);
    EXPECT_NE(
        w.output().find("3 Points Processed\r\nLikely Input Error Not Enough Coordinates\r\n\r\n"),
        std::string::npos);
    EXPECT_EQ(w.state->point_count, 3);
  }
}

TEST(WalkPoints, DimensionsOtherThanTwoEndTheProgramWithAnEmptyOutputFile) {
  Walk w;
  w.dir.Write("PTS.ADF", "2 3\n1 2 3\n4 5 6\n");
  try {
    w.Run("pts\r\n1\r\n\r\n\r\n0\r\n\r\n");
    FAIL() << "the walk should have ended the program";
  } catch (const ProgramEnd& end) {
    EXPECT_EQ(end.exit_status(), kExitNormal);
  }
  EXPECT_EQ(w.output(), kIntro + kInput + kSeed + OutputQuestion("PTS.OUT") + kPass +
                            "\r\n<<<<<<<<<<<<>>>>>>>>>>>>\r\n"
                            "Fatal Error-Dimensions<>2 - Program Aborting.\r\n"
                            "OK to Close Program Window {Y} ? ");
  EXPECT_TRUE(w.dir.Exists("PTS.OUT"));
  EXPECT_EQ(w.dir.Read("PTS.OUT"), "");
}

TEST(WalkPoints, AFileThatCannotBeWrittenEndsThePassWithoutItsCount) {
  // The full device takes the file but refuses every byte: the fault shows
  // when the file is closed, and the count of the pass must not be shown.
  struct stat device {};
  if (::stat("/dev/full", &device) != 0 || !S_ISCHR(device.st_mode)) {
    GTEST_SKIP() << "no /dev/full here";
  }
  Walk w;
  w.dir.Write("PTS.ADF", "2 2\n1 2\n3 4\n");
  int status = EndStatus([&] { w.Run("pts\r\n1\r\n\\dev\\full\r\n0\r\n0\r\nn\r\n\r\n"); });
  EXPECT_EQ(status, kExitIoFault);
  EXPECT_EQ(w.output(), kIntro + kInput + kSeed + OutputQuestion("PTS.OUT") + kPass);
}

TEST(WalkPoints, SecondPassOffersThePreviousNameAndContinuesTheSequence) {
  // One point at the origin, one step of at most 1 in each pass:
  // pass 1 uses the draws 1 and 2, pass 2 the draws 3 and 4.
  Walk w;
  w.dir.Write("PTS.ADF", "1 2\n0 0\n");
  w.Run("pts\r\n1\r\nfirst.out\r\n\r\n\r\nn\r\ny\r\nsecond.out\r\n\r\n\r\nn\r\n\r\n");
  EXPECT_EQ(w.output(), kIntro + kInput + kSeed + OutputQuestion("PTS.OUT") + kPass +
                            "1 Points Processed\r\n\r\n" + kAfterPass +
                            OutputQuestion("FIRST.OUT") + kPass + "1 Points Processed\r\n\r\n" +
                            kAfterPass);
  EXPECT_EQ(w.dir.Read("FIRST.OUT"), "1,2\r\n-0.0240,0.0202\r\n");
  EXPECT_EQ(w.dir.Read("SECOND.OUT"), "1,2\r\n0.2005,-0.0291\r\n");
  EXPECT_DOUBLE_EQ(w.state->store.x[1], 0.20048369272987057);
  EXPECT_DOUBLE_EQ(w.state->store.y[1], -0.029074669043598171);
}

TEST(WalkPoints, MoreThanTenThousandPointsAreAllWrittenButOnlyTheFirstStored) {
  std::string input = "12000 2\n";
  std::string expected = "12000,2\r\n";
  for (int i = 1; i <= 12000; ++i) {
    input += std::to_string(i) + " -" + std::to_string(i) + "\n";
    expected += std::to_string(i) + ".0000,-" + std::to_string(i) + ".0000\r\n";
  }
  Walk w;
  w.dir.Write("PTS.ADF", input);
  w.Run(kCopyAnswers);
  EXPECT_EQ(w.dir.Read("PTS.OUT"), expected);
  EXPECT_NE(w.output().find("{1} ? 12000 Points Processed\r\n\r\nPlot on Screen"),
            std::string::npos);
  EXPECT_EQ(w.state->point_count, 12000);
  EXPECT_EQ(w.state->store.x[1], 1);
  EXPECT_EQ(w.state->store.x[kMaxPoints], 10000);
  EXPECT_EQ(w.state->store.y[kMaxPoints], -10000);
}

TEST(WalkPoints, ReadsACoordinateFileWrittenByTheGenerationMode) {
  Walk w;
  w.dir.Write("site.adf", kExampleAdfHeader +
                              "    3.1416   12.5000\r\n"
                              "   14.2500    6.7500\r\n"
                              "   12.3456 -1234.5678\r\n");
  w.Run("site\r\n1\r\n\r\n\r\n0\r\nn\r\n\r\n");
  EXPECT_EQ(w.state->input_name, "SITE.ADF");
  EXPECT_EQ(w.dir.Read("SITE.OUT"),
            "3,2\r\n3.1416,12.5000\r\n14.2500,6.7500\r\n12.3456,-1234.5678\r\n");
  EXPECT_NE(w.output().find(OutputQuestion("SITE.OUT")), std::string::npos);
  EXPECT_EQ(w.output().find("Likely Input Error"), std::string::npos);
}

TEST(WalkPoints, OutputMustDifferFromTheInput) {
  const std::string input = "1 2\n7 8\n";
  Walk w;
  w.dir.Write("PTS.ADF", input);
  w.Run("pts\r\n1\r\npts.adf\r\nmoved.out\r\n\r\n0\r\nn\r\n\r\n");
  EXPECT_EQ(w.output(), kIntro + kInput + kSeed + OutputQuestion("PTS.OUT") +
                            "Output File Must Differ From Input File\r\n" +
                            OutputQuestion("PTS.OUT") + kPass + "1 Points Processed\r\n\r\n" +
                            kAfterPass);
  EXPECT_EQ(w.dir.Read("PTS.ADF"), input);
  EXPECT_EQ(w.dir.Read("MOVED.OUT"), "1,2\r\n7.0000,8.0000\r\n");
}

}  // namespace
}  // namespace sparsim
