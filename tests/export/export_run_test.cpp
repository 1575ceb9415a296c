#include "export/export_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/interrupt.h"
#include "export/export_arguments.h"
#include "export/export_failure.h"
#include "support/temp_dir.h"

namespace sparsim {
namespace {

// A whole run, through RunExport, with a file as standard output.
struct ExportRun {
  explicit ExportRun(const TempDir& dir) : stdout_path(dir.File(".stdout")) {}
  int operator()(const std::vector<std::string>& args) {
    diagnostics.clear();
    int fd = ::open(stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int status = RunExport(args, fd, diagnostics);
    ::close(fd);
    return status;
  }
  std::string Output() const {
    std::ifstream in(stdout_path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string stdout_path;
  std::string diagnostics;
};

TEST(RunExport, WritesTheExportOnlyWhenTheWholeFileReads) {
  TempDir dir;
  ExportRun run(dir);
  dir.Write("good.out", "2,2\r\n1.0000,2.0000\r\n3.5000,-4.0000\r\n");
  dir.Write("bad.out", "2,2\r\n1.0000,2.0000\r\n3.5000,-4.0x00\r\n");
  dir.Write("old.csv", "old\n");

  EXPECT_EQ(run({"--csv", dir.File("good.out")}), kExportOk);
  EXPECT_EQ(run.Output(), "x,y\n1,2\n3.5,-4\n");
  EXPECT_EQ(run.diagnostics, "");

  EXPECT_EQ(run({"--csv", dir.File("bad.out")}), kExitBadFile);
  EXPECT_EQ(run.Output(), "");
  EXPECT_EQ(run.diagnostics,
            "sparsim-export: " + dir.File("bad.out") +
                ":3: \"-4.0x00\" is not a number (bad character \"x\"); it should be "
                "the Y of point 2\n");

  EXPECT_EQ(run({"--csv", dir.File("bad.out"), "-o", dir.File("old.csv")}), kExitBadFile);
  EXPECT_EQ(dir.Read("old.csv"), "old\n");
  EXPECT_EQ(run({"--csv", dir.File("good.out"), "-o", dir.File("old.csv")}), kExitBadArgument);
  EXPECT_EQ(dir.Read("old.csv"), "old\n");  // replaced only with --force
  EXPECT_EQ(run({"--csv", dir.File("good.out"), "-o", dir.File("old.csv"), "--force"}), kExportOk);
  EXPECT_EQ(dir.Read("old.csv"), "x,y\n1,2\n3.5,-4\n");
  // The input named as the output would be lost.
  EXPECT_EQ(run({"--csv", dir.File("good.out"), "-o", dir.File("good.out")}), kExitBadFile);
  EXPECT_EQ(run.diagnostics, "sparsim-export: " + dir.File("good.out") +
                                 ": the output file must differ from the input file\n");
  EXPECT_EQ(dir.Read("good.out"), "2,2\r\n1.0000,2.0000\r\n3.5000,-4.0000\r\n");
  EXPECT_EQ(dir.EntryCount(), 4u);  // the three files and standard output's
}

TEST(RunExport, ASignalEndsTheExportLeavingTheOutputAsItWas) {
  TempDir dir;
  ExportRun run(dir);
  dir.Write("good.out", "1,2\r\n1,2\r\n");
  dir.Write("old.csv", "old\n");
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    g_interrupt_signal = signal;
    EXPECT_EQ(run({"--csv", dir.File("good.out"), "-o", dir.File("old.csv")}), 128 + signal);
    EXPECT_EQ(run.diagnostics, "sparsim-export: interrupted\n");
    EXPECT_EQ(run({"--csv", dir.File("good.out")}), 128 + signal);
    EXPECT_EQ(run.Output(), "");
    ClearInterrupt();
  }
  EXPECT_EQ(dir.Read("old.csv"), "old\n");
  EXPECT_EQ(dir.EntryCount(), 3u);  // the two files and standard output's
}

TEST(RunExport, GivesUsageForBadArgumentsAndNotesOnStandardError) {
  TempDir dir;
  ExportRun run(dir);
  EXPECT_EQ(run({"--csv"}), kExitBadArgument);
  EXPECT_EQ(run.Output(), "");
  EXPECT_EQ(run.diagnostics, "sparsim-export: no input file given\n" + UsageText() +
                                 "Try 'sparsim-export --help' for more information.\n");

  EXPECT_EQ(run({"--help"}), kExportOk);
  EXPECT_EQ(run.Output(), HelpText());

  dir.Write("short.out", "3,2\r\n1,2\r\n");
  EXPECT_EQ(run({"--geojson", "--multipoint", dir.File("short.out")}), kExportOk);
  EXPECT_NE(run.Output().find("\"coordinates\":[\n[1,2]\n]"), std::string::npos);
  EXPECT_EQ(run.diagnostics, "sparsim-export: " + dir.File("short.out") +
                                 ": the file announces 3 points and holds 1\n");

  dir.Write("moved.adf",
            "1 #Points# 2 #Coordinates#\r\n# Site Diameter  20.00;  Area   314.16 #\r\n"
            "   30.0000   10.0000\r\n");
  EXPECT_EQ(run({"--svg", dir.File("moved.adf")}), kExportOk);
  EXPECT_NE(run.diagnostics.find("the site is not drawn (give --centre X,Y)"), std::string::npos);
  EXPECT_EQ(run({"--svg", dir.File("moved.adf"), "--centre", "25,10"}), kExportOk);
  EXPECT_EQ(run.diagnostics, "");
  EXPECT_EQ(run({"--geojson", dir.File("moved.adf")}), kExportOk);
  EXPECT_NE(run.diagnostics.find("the site's polygon is left out (give --centre X,Y)"),
            std::string::npos);
  EXPECT_EQ(run({"--geojson", dir.File("moved.adf"), "--centre", "25,10"}), kExportOk);
  EXPECT_NE(run.Output().find("\"site\":\"circle\",\"centre\":[25,10],\"radius\":10"),
            std::string::npos);
}

}  // namespace
}  // namespace sparsim
