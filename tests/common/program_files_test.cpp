#include "common/program_files.h"

#include <gtest/gtest.h>

#include "dialogue/file_system.h"
#include "support/temp_dir.h"

namespace sparsim {
namespace {

TEST(OutputFile, ClosingAConsoleBindingKeepsTheConsoleOpen) {
  TextOutput screen = TextOutput::InMemory();
  OutputFile file;
  file.BindConsole(screen);
  EXPECT_TRUE(file.IsConsole());
  file.text().WriteLine("3,2");
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  screen.WriteLine("next question");
  EXPECT_EQ(screen.contents(), "3,2\r\nnext question\r\n");
}

TEST(InputFile, RewindReadsAFileAgainButConsoleInputGoesOn) {
  TempDir dir;
  dir.Write("data.txt", "ab");
  InputFile file;
  file.Open(OpenTextFile(dir.File("data.txt"), "DATA.TXT"));
  EXPECT_EQ(ReadTextChar(file.text()), 'a');
  EXPECT_EQ(ReadTextChar(file.text()), 'b');
  EXPECT_TRUE(AtFileEnd(file.text()));
  file.Rewind();
  EXPECT_EQ(ReadTextChar(file.text()), 'a');

  TextInput keyboard("xy");
  InputFile console_file;
  console_file.BindConsole(keyboard);
  EXPECT_EQ(ReadTextChar(console_file.text()), 'x');
  console_file.Rewind();
  EXPECT_EQ(ReadTextChar(console_file.text()), 'y');
  console_file.Close();
  EXPECT_EQ(ReadTextChar(keyboard), kEndOfText);
}

}  // namespace
}  // namespace sparsim
