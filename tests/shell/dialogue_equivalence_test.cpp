// The command line and the dialogue, given the same answers and seed, write
// the same files byte for byte.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/program_state.h"
#include "shell/program.h"
#include "support/command_run.h"
#include "support/temp_dir.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

// The answers of one generated set, each as typed. An empty centre takes
// the default; an empty density means number mode; clusters 0 means centred.
struct SetCase {
  std::string shape;  // "c 20 X Y" or "r XMIN YMIN XMAX YMAX"
  std::vector<std::string> site;
  std::string points;
  std::string density;
  std::string clusters;
  bool seeds_as_points;
  std::string radius;
  std::string model;  // as the command line takes it; its first letter answers the dialogue
  std::string seed;
};

const SetCase kSets[] = {
    {"c", {"20", "", ""}, "100", "", "", true, "", "U", "12345"},
    {"c", {"33.3", "-4.25", "1e3"}, "", "0.37", "", true, "", "hemisphere", "-77"},
    {"r", {"-5.5", "2", "40", "17.25"}, "250", "", "", true, "", "c", "2147483647"},
    {"r", {"0", "0", "100", "60"}, "", "0.05", "12", true, "3.5", "Sinusoid", "-2147483647"},
    {"c", {".5e2", "10", "10"}, "400", "", "7", false, "2", "normal", "99"},
    {"r", {"0", "0", "1000", "1000"}, "300", "", "40", true, ".75", "N", "31"},
    {"r", {"10", "-20", "10.5", "-1"}, "30", "", "3", false, "0.25", "u", "5"},
    {"c", {"8", "", ""}, "", "2", "500", true, "0", "C", "1"},
};

std::string Line(const std::string& answer) { return answer + "\r\n"; }

std::string DialogueAnswers(const SetCase& c) {
  std::string a = Line("g") + Line(c.seed) + Line(c.shape);
  for (const std::string& value : c.site) a += Line(value);
  a += c.density.empty() ? Line("n") + Line(c.points) : Line("d") + Line(c.density);
  if (c.clusters.empty()) {
    a += Line("c");
  } else {
    a += Line("s") + Line(c.clusters) + Line(c.seeds_as_points ? "y" : "n") + Line(c.radius);
  }
  a += Line(c.model.substr(0, 1));
  // Write to SET.ADF, no plot, no other set, close.
  return a + Line("y") + Line("set") + Line("n") + Line("n") + Line("y");
}

std::vector<std::string> CommandArgs(const SetCase& c, const std::string& output) {
  std::vector<std::string> args = {"generate"};
  const std::vector<std::string>& s = c.site;
  if (c.shape == "c") {
    args.insert(args.end(), {"--circle", s[0]});
    if (!s[1].empty()) args.insert(args.end(), {"--centre", s[1] + "," + s[2]});
  } else {
    args.insert(args.end(), {"--rect", s[0] + "," + s[1] + "," + s[2] + "," + s[3]});
  }
  if (c.density.empty()) {
    args.insert(args.end(), {"--points", c.points});
  } else {
    args.insert(args.end(), {"--density", c.density});
  }
  if (c.clusters.empty()) {
    args.push_back("--centred");
  } else {
    args.insert(args.end(), {"--clusters", c.clusters, "--radius", c.radius});
    if (!c.seeds_as_points) args.push_back("--no-seeds-as-points");
  }
  args.insert(args.end(), {"--model", c.model, "--seed", c.seed, "-o", output, "--quiet"});
  return args;
}

// Runs the dialogue on answers in dir; gives its exit status.
int RunDialogue(const TempDir& dir, const std::string& answers) {
  auto state = std::make_unique<ProgramState>();
  state->working_directory = dir.path();
  TestConsole t(answers);
  return RunProgram(t.console, *state).exit_status;
}

TEST(CommandLineAndDialogue, GenerateTheSameCoordinateFiles) {
  for (const SetCase& c : kSets) {
    TempDir dir;
    ASSERT_EQ(RunDialogue(dir, DialogueAnswers(c)), 0) << c.seed;
    CommandRun run;
    ASSERT_EQ(run(CommandArgs(c, dir.File("cli.adf"))), 0) << c.seed << " " << run.err;
    std::string dialogue = dir.Read("SET.ADF");
    EXPECT_GT(dialogue.size(), 100u) << c.seed;
    EXPECT_EQ(dir.Read("cli.adf"), dialogue) << c.seed;
  }
}

TEST(CommandLineAndDialogue, ReplicatesAreTheDialoguesSetsForTheirRecordedSeeds) {
  SetCase c = kSets[3];
  TempDir dir;
  CommandRun run;
  std::vector<std::string> args = CommandArgs(c, dir.File("r{n}.adf"));
  args.insert(args.end(), {"--replicates", "3", "--jobs", "2"});
  ASSERT_EQ(run(args), 0) << run.err;
  for (int k = 1; k <= 3; ++k) {
    std::string replicate = dir.Read("r" + std::to_string(k) + ".adf");
    // The seed as the file records it, typed into the dialogue.
    std::size_t at = replicate.find("Random Seed: ") + 13;
    c.seed = replicate.substr(at, replicate.find(' ', at) - at);
    TempDir dialogue;
    ASSERT_EQ(RunDialogue(dialogue, DialogueAnswers(c)), 0) << c.seed;
    EXPECT_EQ(dialogue.Read("SET.ADF"), replicate) << k;
  }
}

// One walk: its input file, seed, and the step and count of its passes,
// which the command line gives once for every pass.
struct WalkCase {
  std::string input;
  std::string seed;
  std::string max_step;
  std::string steps;
  int passes;
};

const WalkCase kWalks[] = {
    {"3 2\r\n1 2\r\n3.5,-4\r\n\t12.25   7\r\n", "1", "1.0", "1", 1},
    {"4,2\n0,0\n10,10\n-3.125,8e1\n1e3,.5\n", "-123456", "0.5", "25", 3},
    {"2 #Points# 2 #Coordinates#\r\n# Site Corners #\r\n    1.0000    2.0000\r\n"
     "    3.0000    4.0000\r\n",
     "2147483647", "1e3", "0", 2},
    {"5 2\n1 1\n2 2\n3 3\n", "77", "2.5", "4", 2},  // fewer points than announced
};

TEST(CommandLineAndDialogue, WalkToTheSameFilesPassAfterPass) {
  for (const WalkCase& c : kWalks) {
    TempDir dir;
    dir.Write("IN.TXT", c.input);
    std::string answers = Line("w") + Line("in.txt") + Line(c.seed);
    for (int pass = 1; pass <= c.passes; ++pass) {
      answers += Line("P" + std::to_string(pass) + ".OUT") + Line(c.max_step) + Line(c.steps) +
                 Line("n") + Line(pass < c.passes ? "y" : "n");
    }
    ASSERT_EQ(RunDialogue(dir, answers + Line("y")), 0) << c.seed;
    CommandRun run;
    ASSERT_EQ(
        run({"walk", dir.File("IN.TXT"), "--max-step", c.max_step, "--steps", c.steps, "--passes",
             std::to_string(c.passes), "--seed", c.seed, "-o", dir.File("cli{pass}.out")}),
        0)
        << c.seed << " " << run.err;
    for (int pass = 1; pass <= c.passes; ++pass) {
      std::string number = std::to_string(pass);
      std::string dialogue = dir.Read("P" + number + ".OUT");
      EXPECT_FALSE(dialogue.empty()) << c.seed;
      EXPECT_EQ(dir.Read("cli" + number + ".out"), dialogue) << c.seed << " pass " << pass;
    }
  }
}

}  // namespace
}  // namespace sparsim
