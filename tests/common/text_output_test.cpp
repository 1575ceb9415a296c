#include "common/text_output.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

TEST(TextOutput, FileWrittenLineByLineHoldsOnlyWholeLinesWhenTheBufferGoesOut) {
  TempDir dir;
  int fd = ::open(dir.File("LINES.OUT").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  TextOutput out(fd, "LINES.OUT", true);
  // The long line leaves the buffer a few bytes short of going out, so the
  // next line's text alone would pass the mark.
  out.WriteLine(std::string(65530, 'a'));
  EXPECT_EQ(dir.Read("LINES.OUT"), "");
  out.WriteLine("12.3456,-7.8900");
  std::string on_disk = dir.Read("LINES.OUT");
  EXPECT_EQ(on_disk.size(), 65530u + 2 + 15 + 2);
  EXPECT_EQ(on_disk.substr(on_disk.size() - 17), "12.3456,-7.8900\r\n");
  // Lines of every length from 1 to 40 characters, checked whenever the
  // file grows: it always ends with a line end.
  std::size_t seen = on_disk.size();
  std::size_t written = seen;
  for (int i = 0; i < 20000; ++i) {
    std::string line(static_cast<std::size_t>(1 + i % 40), static_cast<char>('0' + i % 10));
    out.WriteLine(line);
    written += line.size() + 2;
    std::size_t size = std::filesystem::file_size(dir.File("LINES.OUT"));
    if (size != seen) {
      seen = size;
      ASSERT_EQ(dir.Read("LINES.OUT").substr(seen - 2), "\r\n") << "after line " << i;
    }
  }
  out.Close();
  EXPECT_EQ(dir.Read("LINES.OUT").size(), written);
}

// The file-size limit lets a write stop part way through a line; the file
// is then cut back to its last whole line, and nothing more is written.
// With 19 bytes a line, a limit of 1000 keeps 52 lines (988 bytes) and cuts
// the 53rd; a limit of 10 cuts the first, and the file is left empty.
TEST(TextOutput, AFailedWriteLeavesOnlyWholeLines) {
  struct Case {
    rlim_t limit;
    int whole_lines;
  };
  for (const Case& c : {Case{1000, 52}, Case{10, 0}}) {
    TempDir dir;
    int fd = ::open(dir.File("CUT.OUT").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    TextOutput out(fd, "CUT.OUT", true);
    rlimit old_limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    rlimit limit = old_limit;
    limit.rlim_cur = c.limit;
    void (*old_action)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    int status = EndStatus([&] {
      for (int i = 0; i < 60; ++i) out.WriteLine("1058.0000,10.0000");
      out.Flush();
    });
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_action);
    EXPECT_EQ(status, kExitIoFault);
    out.WriteLine("9.0000,9.0000");
    out.Close();
    std::string expected;
    for (int i = 0; i < c.whole_lines; ++i) expected += "1058.0000,10.0000\r\n";
    EXPECT_EQ(dir.Read("CUT.OUT"), expected) << c.limit;
  }
}

TEST(TextOutput, InMemoryLinesEndInCrLf) {
  TextOutput out = TextOutput::InMemory();
  out.Write("Random Seed: ");
  out.WriteLine("12345");
  out.WriteLine();
  EXPECT_EQ(out.contents(), "Random Seed: 12345\r\n\r\n");
}

}  // namespace
}  // namespace sparsim
