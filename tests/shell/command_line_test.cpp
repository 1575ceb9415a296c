#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "numeric/replicate_seeds.h"
#include "shell/command_report.h"
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
  std::filesystem::create_directory_symlink(".", dir.File("d"));
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
       "--points 20000: must be from 1 to 10000"},
      {{"generate", "--circle", "20", "--points", "0", "--centred"},
       1,
       "--points 0: must be from 1 to 10000"},
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
       "--clusters 0: must be from 1 to 500"},
      {{"generate", "--circle", "20", "--points", "9", "--clusters", "501", "--radius", "1"},
       1,
       "--clusters 501: must be from 1 to 500"},
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
       "--seed -2147483648: must be from -2147483647 to 2147483647"},
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
      // The same file by two names: a folder linked to its parent.
      {With(kCircle, {"-o", dir.File("d/x.adf"), "--manifest", dir.File("x.adf"), "--force"}), 1,
       "--manifest " + dir.File("x.adf") + " is also an output file"},
      {With(kCircle, {"--manifest", "-"}), 1,
       "--manifest - and the output both go to standard output; give -o"},
      {{"generate", "--circle", "20", "--points", "3", "--centred", "--seed", "3000000000"}, 1,
       "--seed 3000000000: must be from -2147483647 to 2147483647"},
      {With(kCircle, {"--replicates", "0", "-o", out}), 1,
       "--replicates 0: must be from 1 to 1000000"},
      {{"generate", "--circle", "20", "--points", "2.5", "--centred"},
       1,
       "--points 2.5: must be a whole number from 1 to 10000"},
      {{"generate", "--circle", "20", "--rect", "0,0,1,1", "--points", "3", "--centred"},
       1,
       "--circle and --rect exclude each other"},
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
       "--steps -1: must be from 0 to 2147483647"},
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
    EXPECT_EQ(dir.EntryCount(), 3u) << c.error;
  }
}

// One rule for every command: an existing file is replaced only with
// --force, and a dangling link is never written through.
TEST(CommandLine, ReplacesFilesOnlyWithForceAndNeverWritesThroughALink) {
  TempDir dir;
  dir.Write("in.adf", "2 2\n1 2\n3 4\n");
  std::filesystem::create_symlink("away.adf", dir.File("dangling.adf"));
  const Args walk = {"walk", dir.File("in.adf"), "--max-step", "1", "--steps", "1", "--seed", "2"};
  struct Case {
    Args args;
    int status;
    std::string error;  // the first line of standard error
  };
  const Case cases[] = {
      {With(kCircle, {"-o", dir.File("dangling.adf")}), 2,
       "sparsim generate: " + dir.File("dangling.adf") + ": File exists"},
      {With(walk, {"-o", dir.File("old.out")}), 1,
       "sparsim walk: " + dir.File("old.out") + " exists; give --force to replace it"},
      {With(walk, {"-o", dir.File("old.out"), "--force"}), 0, ""},
      {With(kCircle, {"-o", dir.File("old.out"), "--force"}), 0, ""},
      {{"export", "--csv", dir.File("in.adf"), "-o", dir.File("old.out")}, 1,
       "sparsim export: " + dir.File("old.out") + " exists; give --force to replace it"},
      {{"export", "--csv", dir.File("in.adf"), "-o", dir.File("old.out"), "--force"}, 0, ""},
  };
  for (const Case& c : cases) {
    dir.Write("old.out", "old");
    CommandRun run;
    EXPECT_EQ(run(c.args), c.status) << c.error;
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.error);
    EXPECT_EQ(dir.Read("old.out") == "old", c.status != 0) << c.error;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("dangling.adf")));
    EXPECT_FALSE(dir.Exists("away.adf"));
  }
}

// The manifest counts the points a pass walked, not those its input
// announces, and quotes a name as CSV does.
TEST(CommandLine, ListsWhatWasWalkedInTheManifest) {
  TempDir dir;
  dir.Write("in.adf", "5 2\n1 2\n3 4\n");
  std::filesystem::create_directory(dir.File("a\"b"));
  CommandRun run;
  ASSERT_EQ(run({"walk", dir.File("in.adf"), "--max-step", "1", "--steps", "1", "--seed", "3",
                 "-o", dir.File("a\"b/w.out"), "--manifest", "-"}),
            0);
  std::string line = run.out.substr(run.out.find('\n') + 1);
  EXPECT_EQ(line.substr(0, line.rfind(',')),
            "1,3,1,\"" + dir.path() + "/a\"\"b/w.out\",2");
  EXPECT_NE(run.err.find("announces 5 points and holds 2"), std::string::npos);
}

// Several replicates in one CSV table or GeoJSON collection hold what the
// files of each replicate hold; walk and export read the tables back, and
// a walk of a table is the walk of the .ADF it came from.
TEST(CommandLine, PutsEveryReplicateIntoOneFileAndReadsTablesBack) {
  TempDir dir;
  const Args set = {"generate", "--rect", "0,0,50,40", "--points", "30", "--clusters", "3",
                    "--radius", "4", "--model", "conic", "--seed", "21", "--replicates", "3", "-q"};
  CommandRun run;
  ASSERT_EQ(run(With(set, {"-o", dir.File("r{n}.csv")})), 0) << run.err;
  ASSERT_EQ(run(With(set, {"-o", dir.File("all.csv")})), 0) << run.err;
  ASSERT_EQ(run(With(set, {"--format", "geojson"})), 0) << run.err;
  std::string table = "replicate,seed,x,y\n";
  for (int k = 1; k <= 3; ++k) {
    std::string one = dir.Read("r" + std::to_string(k) + ".csv");
    std::string prefix = std::to_string(k) + "," + std::to_string(ReplicateSeed(21, k)) + ",";
    for (std::size_t at = one.find('\n') + 1; at < one.size(); at = one.find('\n', at) + 1) {
      table += prefix + one.substr(at, one.find('\n', at) + 1 - at);
    }
    EXPECT_NE(run.out.find("\"properties\":{\"replicate\":" + std::to_string(k) + ",\"seed\":" +
                           std::to_string(ReplicateSeed(21, k)) + ",\"point\":30}"),
              std::string::npos);
  }
  EXPECT_EQ(dir.Read("all.csv"), table);
  EXPECT_EQ(run.out.find("\"replicate\":4"), std::string::npos);

  // The first replicate as .ADF, as a table x,y and as a table of one replicate.
  ASSERT_EQ(run({"generate", "--rect", "0,0,50,40", "--points", "30", "--clusters", "3", "--radius",
                 "4", "--model", "conic", "--seed", "21", "-o", dir.File("one.adf")}),
            0);
  dir.Write("long.csv", table.substr(0, table.find("\n2,")) + "\n");
  std::vector<std::string> walks;
  for (const char* input : {"one.adf", "r1.csv", "long.csv"}) {
    ASSERT_EQ(run({"walk", dir.File(input), "--max-step", "0.5", "--steps", "3", "--seed", "5"}), 0)
        << input << run.err;
    walks.push_back(run.out);
  }
  EXPECT_EQ(walks[0], walks[1]);
  EXPECT_EQ(walks[0], walks[2]);
  ASSERT_EQ(run({"export", "--csv", dir.File("long.csv")}), 0) << run.err;
  EXPECT_EQ(run.out, dir.Read("r1.csv"));
  EXPECT_EQ(run({"export", "--csv", dir.File("all.csv")}), 2);
}

// The edge of the count: a density giving exactly 10000 points is taken.
TEST(CommandLine, TakesADensityThatGivesTheMostPoints) {
  CommandRun run;
  ASSERT_EQ(run({"generate", "--rect", "0,0,100,100", "--density", "1", "--centred", "--model",
                 "u", "--seed", "4", "--format", "csv"}),
            0)
      << run.err;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 10001);
}

// Every command words running out of memory alike.
TEST(CommandLine, ReportsRunningOutOfMemoryInOneWording) {
  TempDir dir;
  int err_fd = ::open(dir.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int status = 0;
  try {
    throw std::bad_alloc();
  } catch (...) {
    status = ReportFailure(CommandIo{-1, err_fd, false}, "sparsim walk");
  }
  ::close(err_fd);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(dir.Read("err"), "sparsim walk: out of memory\n");
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
      {"w{n}-{pass}.out", 2, 3, 9, 7, 12, "w2-07.out"},  // widths of their own counts
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
