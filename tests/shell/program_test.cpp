#include "shell/program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "common/interrupt.h"
#include "support/temp_dir.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

const std::string kMode = "[G]enerate Random Points or Random [W]alk Existing Points {G} ? ";
const std::string kSeed = "Random Generator Seed (0 to set from clock) {0} ? ";
const std::string kClose = "OK to Close Program Window {Y} ? ";
// The last line of the banner's box, then its three empty lines.
const std::string kBannerEnd =
    std::string(24, ' ') + "\xC8" + std::string(28, '\xCD') + "\xBC\r\n\r\n\r\n\r\n";

class Program : public ::testing::Test {
 protected:
  RunResult Run(TestConsole& t) {
    state->working_directory = dir.path();
    return RunProgram(t.console, *state);
  }
  // What follows the banner.
  static std::string AfterBanner(const std::string& output) {
    std::size_t end = output.find(kBannerEnd);
    if (end == std::string::npos) return "(no banner)";
    return output.substr(end + kBannerEnd.size());
  }

  TempDir dir;
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
};

TEST_F(Program, StartsWithTheBannerAndTheModeQuestion) {
  TestConsole t("");
  Run(t);
  const std::string& out = t.output();
  EXPECT_EQ(out.substr(0, 4 + 4 + 24 + 1), "\r\n\r\n\r\n\r\n" + std::string(24, ' ') + "\xC9");
  EXPECT_EQ(AfterBanner(out).substr(0, kMode.size()), kMode);
}

TEST_F(Program, EmptyAnswersTakeTheGenerationDefaultsUpToTheFirstQuestionWithoutOne) {
  TestConsole t("");
  RunResult result = Run(t);
  EXPECT_EQ(result.exit_status, 1);
  // The seed comes from the clock, so its value is not known here.
  const std::string rest = AfterBanner(t.output());
  const std::string head = kMode + kSeed + "Random Seed: ";
  ASSERT_EQ(rest.substr(0, head.size()), head);
  std::size_t line_end = rest.find("\r\n", head.size());
  ASSERT_NE(line_end, std::string::npos);
  std::string seed = rest.substr(head.size(), line_end - head.size());
  EXPECT_EQ(seed.find_first_not_of("-0123456789"), std::string::npos) << seed;
  EXPECT_FALSE(seed.empty());
  EXPECT_EQ(rest.substr(line_end + 2),
            "Distribution Shape: [C]ircular, [R]ectangular {R} ? X Min {0} ? Y Min {0} ? "
            "X Max ? " +
                kEndOfInputReport);
}

TEST_F(Program, AnUnknownModeLetterBeepsAndAsksAgain) {
  TestConsole t("x\r\n w\r\n");
  RunResult result = Run(t);
  EXPECT_EQ(result.exit_status, 1);
  const std::string rest = AfterBanner(t.output());
  const std::string head = kMode + "\a" + kMode + "\a" + kMode + kSeed;
  EXPECT_EQ(rest.substr(0, head.size()), head);
}

TEST_F(Program, AnswersThatEndEarlyEndTheProgramWithStatusOne) {
  struct Case {
    std::string answers;
    std::string tail;
  };
  const std::string input_question =
      "Input file may have any number of pairs of X, Y coordinates\r\n"
      "Input File of Original Point Coordinates {.ADF} ? ";
  const std::vector<Case> cases = {
      {"w\r\n", input_question},
      {"W", input_question},
      {"w\r\nnope", input_question + "File Not Found\r\n"},
      {"g\r\n5\r\nc\r\n", "  Number of Points ? "},
      {"g\r\n5\r\nr\r\n0\r\n0\r\n-1",
       "X Max ? Value Out of Range ( 0.00000000000000E+0000, "
       "1.00000000000000E+0030)\r\n"},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    RunResult result = Run(t);
    EXPECT_EQ(result.exit_status, 1) << c.answers;
    const std::string expected_end = c.tail + kEndOfInputReport;
    const std::string& out = t.output();
    ASSERT_GE(out.size(), expected_end.size()) << c.answers;
    EXPECT_EQ(out.substr(out.size() - expected_end.size()), expected_end) << c.answers;
  }
}

TEST_F(Program, TheCloseQuestionIsAskedUntilTheAnswerIsYes) {
  // A one-point centred set in the unit square, neither written nor plotted.
  const std::string one_set =
      "g\r\n1\r\nr\r\n0\r\n0\r\n1\r\n1\r\nn\r\n1\r\nc\r\nu\r\nn\r\nn\r\nn\r\n";
  const std::string last_question = "Generate Another Set of Points {N} ? ";
  struct Case {
    std::string closing_answers;
    int questions;
  };
  const std::vector<Case> cases = {
      {"n\r\ny\r\n", 2},
      {"N\r\nno\r\n\r\n", 3},
      {"y\r\n", 1},
      // After a no the answers run out: the empty read is a yes.
      {"n\r\n", 2},
  };
  for (const Case& c : cases) {
    TestConsole t(one_set + c.closing_answers);
    RunResult result = Run(t);
    EXPECT_EQ(result.exit_status, 0) << c.closing_answers;
    std::string expected_end = last_question;
    for (int i = 0; i < c.questions; ++i) expected_end += kClose;
    const std::string& out = t.output();
    ASSERT_GE(out.size(), expected_end.size()) << c.closing_answers;
    EXPECT_EQ(out.substr(out.size() - expected_end.size()), expected_end) << c.closing_answers;
    EXPECT_NE(out.find("Random Seed: 1\r\n"), std::string::npos);
  }
}

// A run that ends early while the output file still holds text that the
// full disk refuses: the end that came first is the one reported.
TEST_F(Program, TheFirstOfTwoEndsIsTheOneReported) {
  struct Case {
    bool console_full;
    int signal;
    int status;
    std::string report;
  };
  const std::vector<Case> cases = {
      {true, 0, kExitIoFault, "sparsim: standard output: No space left on device"},
      {false, 0, kExitEndOfInput, ""},
      {false, SIGINT, kExitInterrupted, ""},
      {false, SIGHUP, kExitHungUp, ""},
  };
  for (const Case& c : cases) {
    state->output_file.Open(
        std::make_unique<TextOutput>(::open("/dev/full", O_WRONLY), "OUT.ADF", true));
    state->output_file.text().WriteLine("1.0000,2.0000");
    // No answers, from a pipe: a read sees a recorded signal first.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[1]);
    TextInput answers(ends[0], "standard input", true);
    TextOutput screen = c.console_full
                            ? TextOutput(::open("/dev/full", O_WRONLY), "standard output", true)
                            : TextOutput::InMemory();
    Console console{answers, screen};
    g_interrupt_signal = c.signal;
    state->working_directory = dir.path();
    RunResult result = RunProgram(console, *state);
    ClearInterrupt();
    EXPECT_EQ(result.exit_status, c.status) << c.status;
    EXPECT_EQ(result.error_report, c.report) << c.status;
    EXPECT_FALSE(state->output_file.IsOpen());
  }
}

}  // namespace
}  // namespace sparsim
