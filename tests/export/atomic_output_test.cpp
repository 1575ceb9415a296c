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
  // Names as long as a folder allows get a temporary name that fits too.
  for (std::size_t length : {247u, 248u, 255u}) {
    std::string name(length, 'n');
    WriteFileAtomically(dir.File(name), "x,y\n", false);
    EXPECT_EQ(dir.Read(name), "x,y\n") << length;
    std::filesystem::remove(dir.File(name));
  }
  EXPECT_EQ(dir.EntryCount(), 1u);

  mode_t mask = ::umask(022);
  WriteFileAtomically(dir.File("mode.csv"), "");
  ::umask(mask);
  struct stat status {};
  ASSERT_EQ(::stat(dir.File("mode.csv").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u);
}

// A new file's mode follows the umask; a replaced file keeps its own.
TEST(WriteFileAtomically, GivesNewFilesTheUmaskModeAndKeepsTheModeOfAReplacedOne) {
  struct Case {
    mode_t umask;
    int existing;  // the mode of the file replaced, or -1 for none
    mode_t expected;
  };
  const Case cases[] = {
      {0, -1, 0666}, {077, -1, 0600}, {022, -1, 0644}, {077, 0664, 0664}, {0, 0604, 0604},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.existing >= 0) {
      dir.Write("out.csv", "old");
      ::chmod(dir.File("out.csv").c_str(), static_cast<mode_t>(c.existing));
    }
    mode_t mask = ::umask(c.umask);
    WriteFileAtomically(dir.File("out.csv"), "new");
    ::umask(mask);
    struct stat status {};
    ASSERT_EQ(::stat(dir.File("out.csv").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, c.expected) << c.umask << " " << c.existing;
    EXPECT_EQ(dir.Read("out.csv"), "new");
    EXPECT_EQ(dir.EntryCount(), 1u);
  }
}

TEST(WriteFileAtomically, ReplacesAReadOnlyFileOnlyForWhoCouldWriteIt) {
  TempDir dir;
  dir.Write("locked.csv", "old");
  ::chmod(dir.File("locked.csv").c_str(), 0444);
  if (::geteuid() == 0) {  // root may write any file, and so replace it
    WriteFileAtomically(dir.File("locked.csv"), "new");
    EXPECT_EQ(dir.Read("locked.csv"), "new");
  } else {
    EXPECT_EQ(FailureStatus(dir.File("locked.csv"), "new"), kExitBadFile);
    EXPECT_EQ(dir.Read("locked.csv"), "old");
  }
  struct stat status {};
  ASSERT_EQ(::stat(dir.File("locked.csv").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0444u);
  EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(RefuseInputAsOutput, RefusesTheInputByAnyNameButNothingElse) {
  TempDir dir;
  dir.Write("site.adf", "1,2\r\n");
  dir.Write("other.adf", "");
  std::filesystem::create_symlink("site.adf", dir.File("link.adf"));
  std::filesystem::create_hard_link(dir.File("site.adf"), dir.File("hard.adf"));
  struct Case {
    std::string output;
    bool refused;
  };
  const Case cases[] = {
      {dir.File("site.adf"), true},   {dir.path() + "/./site.adf", true},
      {dir.File("link.adf"), true},   {dir.File("hard.adf"), true},
      {dir.File("other.adf"), false}, {dir.File("new.adf"), false},
  };
  for (const Case& c : cases) {
    bool refused = false;
    try {
      RefuseInputAsOutput(dir.File("site.adf"), c.output);
    } catch (const ExportFailure& failure) {
      refused = failure.exit_status() == kExitBadFile &&
                std::string(failure.what()) ==
                    c.output + ": the output file must differ from the input file";
    }
    EXPECT_EQ(refused, c.refused) << c.output;
  }
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
