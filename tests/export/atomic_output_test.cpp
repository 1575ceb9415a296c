#include "export/atomic_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "export/export_failure.h"
#include "support/temp_dir.h"

namespace sparsim {
namespace {

int FailureStatus(const std::string& path, const std::string& content) {
  try {
    WriteFileAtomically(path, content);
  } catch (const ExportFailure& failure) {
    return failure.exit_status();
  }
  return kExportOk;
}

TEST(WriteFileAtomically, WritesANewFileOrReplacesAnOldOneWhole) {
  TempDir dir;
  WriteFileAtomically(dir.File("out.csv"), "x,y\n1,2\n");
  EXPECT_EQ(dir.Read("out.csv"), "x,y\n1,2\n");
  WriteFileAtomically(dir.File("out.csv"), "x,y\n");
  EXPECT_EQ(dir.Read("out.csv"), "x,y\n");
  EXPECT_EQ(dir.EntryCount(), 1u);  // no temporary file left behind

  mode_t mask = ::umask(022);
  WriteFileAtomically(dir.File("mode.csv"), "");
  ::umask(mask);
  struct stat status {};
  ASSERT_EQ(::stat(dir.File("mode.csv").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u);
}

TEST(WriteFileAtomically, KeepsLinksAndWritesDevicesDirectly) {
  TempDir dir;
  dir.Write("real.csv", "old");
  std::filesystem::create_symlink("real.csv", dir.File("link.csv"));
  WriteFileAtomically(dir.File("link.csv"), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.csv")));
  EXPECT_EQ(dir.Read("real.csv"), "new");
  EXPECT_EQ(dir.EntryCount(), 2u);
  WriteFileAtomically("/dev/null", "x");  // no temporary file in /dev, and no failure
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(WriteFileAtomically, LeavesNothingBehindWhenItFails) {
  TempDir dir;
  EXPECT_EQ(FailureStatus(dir.File("no/such/folder/out.svg"), "<svg/>"), kExitBadFile);
  std::filesystem::create_directory(dir.File("taken"));
  dir.Write("taken/keep", "kept");
  // A folder of the output's name cannot be replaced by a file.
  EXPECT_EQ(FailureStatus(dir.File("taken"), "<svg/>"), kExitBadFile);
  EXPECT_EQ(FailureStatus(dir.File("out/"), "<svg/>"), kExitBadFile);
  EXPECT_EQ(FailureStatus("", "<svg/>"), kExitBadFile);
  EXPECT_EQ(dir.Read("taken/keep"), "kept");
  EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(WriteAll, FailsOnADescriptorThatCannotBeWritten) {
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  ::close(pipe_ends[1]);
  try {
    WriteAll(pipe_ends[0], "x", "(read end)");
    ADD_FAILURE();
  } catch (const ExportFailure& failure) {
    EXPECT_EQ(failure.exit_status(), kExitBadFile);
    EXPECT_EQ(std::string(failure.what()).find("(read end): "), 0u);
  }
  ::close(pipe_ends[0]);
}

}  // namespace
}  // namespace sparsim
