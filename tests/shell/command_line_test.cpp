#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "numeric/replicate_seeds.h"
#include "shell/output_plan.h"
#include "support/command_run.h"
#include "support/temp_dir.h"

namespace sparsim {
namespace {

using Args = std::vector<std::string>;

const Args kCircle = {"generate", "--circle", "20", "--points", "30", "--centred", "--seed", "3"};

Args With(Args args, const Args& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// Every answer the dialogue refuses or asks again for, given as an option,
// and the mistakes of names and files: each is refused with its reason
// before any file is made.
TEST(CommandLine, RefusesWhatTheDialogueRefusesBeforeTouchingAnyFile) {
  TempDir dir;
  dir.Write("in.adf", "2 2\n1 2\n3 4\n");
  dir.Write("old.adf", "old");
  const std::string out = dir.File("o{n}.adf");
  struct Case {
    Args args;
    int status;
    std::string error;
  };
  const Case cases[] = {
      {With(kCircle, {"--points", "1"}), 1, "option --points is given more than once"},
      {{"generate", "--circle", "-1", "--points", "3", "--centred"},
       1,
       "--circle -1: must be from 0 to 1e30"},
      {{"generate", "--circle", "2e30", "--points", "3", "--centred"},
       1,
       "--circle 2e30: must be from 0 to 1e30"},
      {{"generate", "--circle", "20", "--centre", "1,2e31", "--points", "3", "--centred"},
       1,
       "--centre 1,2e31: Y must be from -1e30 to 1e30"},
      {{"generate", "--circle", "20", "--centre", "1", "--points", "3", "--centred"},
       1,
       "--centre 1: needs X,Y, 2 numbers separated by commas"},
      {{"generate", "--rect", "5,0,4,1", "--points", "3", "--centred"},
       1,
       "--rect 5,0,4,1: XMAX must be from XMIN to 1e30"},
      {{"generate", "--rect", "0,1,4,0.5", "--points", "3", "--centred"},
       1,
       "--rect 0,1,4,0.5: YMAX must be from YMIN to 1e30"},
      {{"generate", "--rect", "0,0,1O,4", "--points", "3", "--centred"},
       1,
       "--rect 0,0,1O,4: XMAX \"1O\" is not a number (bad character \"O\")"},
      {{"generate", "--circle", "20", "--points", "20000", "--centred"},
       1,
       "--points 20000: must be 1 to 10000"},
      {{"generate", "--circle", "20", "--points", "0", "--centred"},
       1,
       "--points 0: must be 1 to 10000"},
      {{"generate", "--circle", "20", "--points", "3OO", "--centred"},
       1,
       "--points 3OO: not a number (bad character \"O\")"},
      {{"generate", "--rect", "0,0,100,100", "--density", "5", "--centred"},
       1,
       "--density 5: gives 50000 points, at most 10000"},
      {{"generate", "--circle", "20", "--density", "-1", "--centred"},
       1,
       "--density -1: must be from 0 to 1e30"},
      {{"generate", "--circle", "20", "--points", "9", "--clusters", "0", "--radius", "1"},
       1,
       "--clusters 0: must be 1 to 500"},
      {{"generate", "--circle", "20", "--points", "9", "--clusters", "501", "--radius", "1"},
       1,
       "--clusters 501: must be 1 to 500"},
      {{"generate", "--circle", "20", "--points", "9", "--clusters", "3", "--radius", "0"},
       1,
       "--radius 0: must be greater than 0 when points are drawn around seeds"},
      {{"generate", "--circle", "20", "--points", "9", "--clusters", "3", "--radius", "-2"},
       1,
       "--radius -2: must be from 0 to 1e30"},
      {With(kCircle, {"--model", "x"}), 1,
       "--model x: must be uniform, hemisphere, conic, sinusoid or normal (or U, H, C, S, N)"},
      {{"generate", "--circle", "20", "--points", "3", "--centred", "--seed", "-2147483648"},
       1,
       "--seed -2147483648: must be -2147483647 to 2147483647"},
      {{"generate", "--circle", "20", "--points", "3"},
       1,
       "choose --centred, --clusters K --radius R or --csr"},
      {{"generate", "--points", "3", "--centred"},
       1,
       "choose the site: --circle D or --rect XMIN,YMIN,XMAX,YMAX"},
      {{"generate", "--circle", "--points", "3", "--centred"}, 1, "option --circle needs a value"},
      {With(kCircle, {"--replicates", "3"}), 1,
       "--replicates 3 writes a file per replicate: give -o PATTERN with {n} in it"},
      {With(kCircle, {"--replicates", "3", "-o", dir.File("same.adf")}), 1,
       "-o gives replicates 1 and 2 the same file " + dir.File("same.adf") + "; put {n} in it"},
      {With(kCircle, {"-o", dir.File("o{pass}.adf")}), 1,
       "-o " + dir.File("o{pass}.adf") + ": {pass} is not a placeholder; use {n}, {seed}"},
      {With(kCircle, {"-o", dir.File("old.adf")}), 1,
       dir.File("old.adf") + " exists; give --force to replace it"},
      {With(kCircle, {"-o", out, "--manifest", dir.File("o1.adf")}), 1,
       "--manifest " + dir.File("o1.adf") + " is also an output file"},
      {With(kCircle, {"-o", dir.File("no/such.adf")}), 2,
       dir.File("no/such.adf") + ": No such file or directory"},
      {With(kCircle, {"--format", "kml"}), 1, "--format kml: must be adf, csv, geojson or svg"},
      {With(kCircle, {"--csr"}), 1, "--csr and --centred exclude each other"},
      {{"generate", "--circle", "20", "--points", "3", "--csr", "--model", "u"},
       1,
       "--model goes with --centred or --clusters; --csr is uniform"},
      {{"generate", "--circle", "200", "--points", "9301", "--centred", "--poisson"},
       1,
       "--poisson: the mean of 9301 points drawn must be at most 9300, so that a count above "
       "10000 stays negligible"},
      {With(kCircle, {"--generator", "mt"}), 1, "--generator mt: must be lcg or philox"},
      {With(kCircle, {"--replicate", "4", "--replicates", "3", "-o", out}), 1,
       "--replicate 4 is beyond --replicates 3"},
      {With(kCircle, {"--skip-existing"}), 1, "--skip-existing needs -o PATTERN"},
      {With(kCircle, {"--skip-existing", "-o", dir.File("o.csv")}), 1,
       "--skip-existing needs the adf format, whose header names each file's seed and generator"},
      {{"generate", "--rect", "0,0,1000,1000", "--points", "10000", "--clusters", "5", "--radius",
        "2", "--no-seeds-as-points", "--replicates", "4", "-o", out},
       1,
       "4 replicates of about 1.2E+9 draws each pass the generator's cycle of 2^32 (4.3E+9) "
       "draws: replicates would share stretches of it, and so points; use --generator philox (or "
       "--allow-shared-stream to go on)"},
      {{"walk", dir.File("in.adf"), "--max-step", "-1", "--steps", "1"},
       1,
       "--max-step -1: must be from 0 to 1e30"},
      {{"walk", dir.File("in.adf"), "--max-step", "1", "--steps", "-1"},
       1,
       "--steps -1: must be 0 to 2147483647"},
      {{"walk", dir.File("in.adf"), "--max-step", "1", "--steps", "1", "--passes", "2"},
       1,
       "--passes 2 writes a file per pass: give -o PATTERN with {pass} in it"},
      {{"walk", dir.File("in.adf"), "--max-step", "1", "--steps", "1", "--passes", "2", "-o",
        dir.File("w.out")},
       1,
       "-o gives passes 1 and 2 of replicate 1 the same file " + dir.File("w.out") +
           "; put {pass} in it"},
      {{"walk", dir.File("in.adf"), "--max-step", "1", "--steps", "1", "--force", "-o",
        dir.File("in.adf")},
       1,
       dir.File("in.adf") + " is the input file; choose another output"},
      {{"walk", dir.File("none.adf"), "--max-step", "1", "--steps", "1"},
       2,
       dir.File("none.adf") + ": No such file or directory"},
      {{"walk", dir.File("in.adf"), "--steps", "1"}, 1, "give the largest step with --max-step L"},
  };
  for (const Case& c : cases) {
    CommandRun run;
    EXPECT_EQ(run(c.args), c.status) << c.error;
    std::string command = "sparsim " + c.args[0] + ": ";
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), command + c.error);
    EXPECT_EQ(run.out, "") << c.error;
    EXPECT_EQ(dir.EntryCount(), 2u) << c.error;
  }
}

TEST(CommandLine, StopsAWalkAtABadItemAsTheExporterReportsIt) {
  TempDir dir;
  struct Case {
    std::string data;
    std::string error;
  };
  const Case cases[] = {
      {"3 2\n1 2\n3 4.0O0\n5 6\n",
       ":3: \"4.0O0\" is not a number (bad character \"O\"); it should be the Y of point 2"},
      {"3 3\n1 2 3\n", ":1: the points have \"3\" coordinates; a walk needs 2"},
      {"2.5 2\n",
       ":1: \"2.5\" is not a whole number in the 32-bit range; it should be the point "
       "count"},
      {"", ":1: the file ends where the point count should be"},
      {"1 2\n1e999 1\n", ":2: \"1e999\" is out of range; it should be the X of point 1"},
  };
  for (const Case& c : cases) {
    dir.Write("bad.txt", c.data);
    CommandRun run;
    EXPECT_EQ(run({"walk", dir.File("bad.txt"), "--max-step", "1", "--steps", "1", "-o",
                   dir.File("w.out")}),
              2);
    EXPECT_EQ(run.err, "sparsim walk: " + dir.File("bad.txt") + c.error + "\n");
    EXPECT_FALSE(dir.Exists("w.out")) << c.error;
  }
}

TEST(CommandLine, NamesFilesFromThePattern) {
  struct Case {
    std::string pattern;
    int32_t replicate, replicates, seed, pass, passes;
    std::string name;
  };
  const Case cases[] = {
      {"sim{n}.adf", 7, 99, 5, 1, 1, "sim07.adf"},
      {"sim{n}.adf", 7, 100, 5, 1, 1, "sim007.adf"},
      {"sim{n}.adf", 12, 12, 5, 1, 1, "sim12.adf"},
      {"s{seed}_{n}.csv", 1, 1, -42, 1, 1, "s-42_1.csv"},
      {"w{n}-{pass}.out", 3, 20, 9, 4, 10, "w03-04.out"},
      {"{pass}{pass}", 1, 1, 0, 2, 3, "22"},
      {"plain{.adf", 1, 1, 0, 1, 1, "plain{.adf"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExpandPattern(c.pattern, c.replicate, c.replicates, c.seed, c.pass, c.passes),
              c.name);
  }
}

TEST(CommandLine, WritesTheSameFilesWhateverTheNumberOfJobs) {
  TempDir dir;
  std::vector<std::string> manifests;
  for (const char* jobs : {"1", "3"}) {
    CommandRun run;
    std::string name = std::string("j") + jobs;
    ASSERT_EQ(run({"generate",
                   "--rect",
                   "0,0,300,200",
                   "--points",
                   "400",
                   "--clusters",
                   "8",
                   "--radius",
                   "2",
                   "--model",
                   "conic",
                   "--seed",
                   "11",
                   "--replicates",
                   "7",
                   "--jobs",
                   jobs,
                   "-o",
                   dir.File(name + "-{n}.adf"),
                   "--manifest",
                   dir.File(name + ".csv")}),
              0)
        << run.err;
    EXPECT_EQ(run.err,
              "sparsim generate: no two of the 7 replicates used overlapping stretches of the "
              "generator's cycle\n");
    std::string manifest = dir.Read(name + ".csv");
    // The seconds, the last field of each line, vary from run to run.
    std::string fixed;
    for (std::size_t start = 0; start < manifest.size();) {
      std::size_t end = manifest.find('\n', start);
      std::string line = manifest.substr(start, end - start);
      fixed += line.substr(0, line.rfind(',')) + "\n";
      start = end + 1;
    }
    manifests.push_back(fixed);
  }
  for (int k = 1; k <= 7; ++k) {
    std::string file = "-" + std::to_string(k) + ".adf";
    EXPECT_EQ(dir.Read("j1" + file), dir.Read("j3" + file)) << k;
    // Each file records its own seed.
    EXPECT_NE(dir.Read("j1" + file).find("Random Seed: " + std::to_string(ReplicateSeed(11, k))),
              std::string::npos);
  }
  EXPECT_EQ(manifests[0].substr(0, manifests[0].find('\n')),
            "replicate,seed,file,points,candidates,stream_start,draws");
  // Apart from the names of the files, the lists agree.
  std::string second = manifests[1];
  for (std::size_t at = second.find("/j3-"); at != std::string::npos; at = second.find("/j3-")) {
    second.replace(at, 4, "/j1-");
  }
  EXPECT_EQ(manifests[0], second);
  EXPECT_EQ(std::count(second.begin(), second.end(), '\n'), 8);
}

}  // namespace
}  // namespace sparsim
