#include "dialogue/file_prompts.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/interrupt.h"
#include "common/program_end.h"
#include "dialogue/file_system.h"
#include "support/temp_dir.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

const std::string kErase = "File Exists; OK to Erase It {N} ? ";

class FilePrompts : public ::testing::Test {
 protected:
  // Asks for an input file; gives its first line.
  std::string Input(TestConsole& t, std::string& file_default) {
    AskInputFile(t.console, dir.path(), "In", input, file_default);
    if (!input.IsOpen()) return "(not open)";
    std::string line = ReadLineText(input.text());
    input.Close();
    return line;
  }
  // Asks for an output file and writes text into it.
  void Output(TestConsole& t, std::string& file_default, const std::string& text) {
    AskOutputFile(t.console, dir.path(), "Out", output, file_default);
    ASSERT_TRUE(output.IsOpen());
    output.text().Write(text);
    output.Close();
  }
  std::size_t EntryCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()),
                                                  std::filesystem::directory_iterator()));
  }

  TempDir dir;
  InputFile input;
  OutputFile output;
};

TEST_F(FilePrompts, InputNamesTakeTheDefaultExtensionAndComeBackUpperCased) {
  dir.Write("SITE.ADF", "adf");
  dir.Write("SITE.DAT", "dat");
  struct Case {
    std::string answers;
    std::string file_default;
    std::string line;
    std::string name;
    std::string output;
  };
  const std::vector<Case> cases = {
      {"site\r\n", ".ADF", "adf", "SITE.ADF", "In {.ADF} ? "},
      {"  Site  \r\n", ".ADF", "adf", "SITE.ADF", "In {.ADF} ? "},
      {"site.dat\r\n", ".ADF", "dat", "SITE.DAT", "In {.ADF} ? "},
      {"\r\n", "site.dat", "dat", "SITE.DAT", "In {site.dat} ? "},
      {"site.adf\r\n", "", "adf", "SITE.ADF", "In ? "},
      // Refused names, and an empty answer to a default extension, are
      // asked again without a word.
      {"\r\n   \r\nprn\r\na*b\r\nsi/te\r\nsite\r\n", ".ADF", "adf", "SITE.ADF",
       "In {.ADF} ? In {.ADF} ? In {.ADF} ? In {.ADF} ? In {.ADF} ? In {.ADF} ? "},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    std::string file_default = c.file_default;
    EXPECT_EQ(Input(t, file_default), c.line) << c.answers;
    EXPECT_EQ(file_default, c.name) << c.answers;
    EXPECT_EQ(t.output(), c.output) << c.answers;
  }
}

TEST_F(FilePrompts, InputConBindsTheConsoleWithoutAnExtension) {
  for (std::string answer : {"con", "Con", "CON", " con "}) {
    TestConsole t(answer + "\r\n3,2\r\n");
    std::string file_default = ".ADF";
    AskInputFile(t.console, dir.path(), "In", input, file_default);
    EXPECT_TRUE(input.IsConsole()) << answer;
    EXPECT_EQ(file_default, "CON") << answer;
    EXPECT_EQ(ReadLineText(input.text()), "3,2") << answer;
    input.Close();
  }
  EXPECT_EQ(EntryCount(), 0u);
}

TEST_F(FilePrompts, MissingFilesAndDirectoriesAreNotFound) {
  std::filesystem::create_directory(dir.File("DATA.D"));
  dir.Write("OK.ADF", "ok");
  TestConsole t("nope\r\ndata.d\r\nok\r\n");
  std::string file_default = ".ADF";
  EXPECT_EQ(Input(t, file_default), "ok");
  EXPECT_EQ(t.output(), "In {.ADF} ? File Not Found\r\nIn {.ADF} ? File Not Found\r\nIn {.ADF} ? ");
  EXPECT_EQ(file_default, "OK.ADF");
}

TEST_F(FilePrompts, InputNamesAreLookedUpIgnoringCaseWithAnExactMatchFirst) {
  dir.Write("site.adf", "lower");
  std::filesystem::create_directory(dir.File("sub"));
  dir.Write("sub/Site.adf", "nested");
  {
    TestConsole t("SITE.ADF\r\n");
    std::string file_default = ".ADF";
    EXPECT_EQ(Input(t, file_default), "lower");
    EXPECT_EQ(file_default, "SITE.ADF");
  }
  {
    TestConsole t("sub\\site\r\n");
    std::string file_default = ".ADF";
    EXPECT_EQ(Input(t, file_default), "nested");
    EXPECT_EQ(file_default, "SUB\\SITE.ADF");
  }
  dir.Write("SITE.ADF", "exact");
  {
    TestConsole t("site\r\n");
    std::string file_default = ".ADF";
    EXPECT_EQ(Input(t, file_default), "exact");
  }
}

TEST_F(FilePrompts, InputEndsTheProgramWhenTheAnswersRunOut) {
  struct Case {
    std::string answers;
    std::string output;
  };
  const std::vector<Case> cases = {
      {"", "In {.ADF} ? "},
      {"prn\r\n", "In {.ADF} ? In {.ADF} ? "},
      {"nope", "In {.ADF} ? File Not Found\r\n"},
      {"nope\r\n", "In {.ADF} ? File Not Found\r\nIn {.ADF} ? "},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    std::string file_default = ".ADF";
    EXPECT_EQ(EndStatus([&] { AskInputFile(t.console, dir.path(), "In", input, file_default); }),
              kExitEndOfInput)
        << c.answers;
    EXPECT_EQ(t.output(), c.output + kEndOfInputReport) << c.answers;
  }
}

TEST_F(FilePrompts, OutputCreatesANewFileUnderTheUpperCasedName) {
  TestConsole t("new\r\n");
  std::string file_default = ".ADF";
  Output(t, file_default, "1,2\r\n");
  EXPECT_EQ(t.output(), "Out {.ADF} ? ");
  EXPECT_EQ(file_default, "NEW.ADF");
  EXPECT_EQ(dir.Read("NEW.ADF"), "1,2\r\n");
  EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(FilePrompts, OutputAsksBeforeErasingAnExistingFile) {
  dir.Write("SITE.ADF", "old");
  TestConsole t("site\r\n\r\nsite\r\nno\r\nsite\r\nx\r\nY\r\n");
  std::string file_default = ".ADF";
  AskOutputFile(t.console, dir.path(), "Out", output, file_default);
  const std::string q = "Out {.ADF} ? ";
  // x is neither yes nor no: the erase question is asked again.
  EXPECT_EQ(t.output(), q + kErase + q + kErase + q + kErase + kErase + "SITE.ADF Erased\r\n");
  EXPECT_EQ(file_default, "SITE.ADF");
  output.Close();
  EXPECT_EQ(dir.Read("SITE.ADF"), "");
}

TEST_F(FilePrompts, OutputErasesTheFileFoundIgnoringCase) {
  dir.Write("site.adf", "old");
  TestConsole t("Site\r\nyes\r\n");
  std::string file_default = ".ADF";
  Output(t, file_default, "new");
  EXPECT_EQ(t.output(), "Out {.ADF} ? " + kErase + "SITE.ADF Erased\r\n");
  EXPECT_EQ(dir.Read("site.adf"), "new");
  EXPECT_FALSE(dir.Exists("SITE.ADF"));
  EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(FilePrompts, OutputOffersADeviceDefaultWithoutItsExtension) {
  struct Case {
    std::string file_default;
    std::string offered;
  };
  const std::vector<Case> cases = {
      {"CON.OUT", "CON"},       {"PRN.OUT", "PRN"},       {"NUL.X", "NUL"},
      {"COM1.OUT", "COM1"},     {"LPT3.OUT", "LPT3"},     {"CON.OUT.BAK", "CON"},
      {"con.out", "con.out"},   {"AUX.OUT", "AUX.OUT"},   {"COM3.OUT", "COM3.OUT"},
      {"CONX.OUT", "CONX.OUT"}, {"SITE.OUT", "SITE.OUT"},
  };
  for (const Case& c : cases) {
    TestConsole t("z.txt\r\n");
    std::string file_default = c.file_default;
    Output(t, file_default, "");
    EXPECT_EQ(t.output(), "Out {" + c.offered + "} ? ") << c.file_default;
    EXPECT_EQ(file_default, "Z.TXT");
    std::filesystem::remove(dir.File("Z.TXT"));
  }
}

TEST_F(FilePrompts, OutputToTheConsole) {
  TestConsole t("\r\n");
  std::string file_default = "CON.OUT";
  AskOutputFile(t.console, dir.path(), "Out", output, file_default);
  EXPECT_TRUE(output.IsConsole());
  EXPECT_EQ(file_default, "CON");
  output.text().WriteLine("3,2");
  output.Close();
  EXPECT_EQ(t.output(), "Out {CON} ? 3,2\r\n");
  EXPECT_EQ(EntryCount(), 0u);

  TestConsole typed("con\r\n");
  file_default = ".ADF";
  AskOutputFile(typed.console, dir.path(), "Out", output, file_default);
  EXPECT_TRUE(output.IsConsole());
  EXPECT_EQ(file_default, "CON");
  output.Close();
}

TEST_F(FilePrompts, OutputDeviceDefaultThatIsRefusedIsAskedAgain) {
  TestConsole t("\r\nsite.out\r\n");
  std::string file_default = "COM1.OUT";
  Output(t, file_default, "");
  EXPECT_EQ(t.output(), "Out {COM1} ? Out {COM1} ? ");
  EXPECT_EQ(file_default, "SITE.OUT");
  EXPECT_TRUE(dir.Exists("SITE.OUT"));

  TestConsole at_end("");
  file_default = "COM1.OUT";
  EXPECT_EQ(
      EndStatus([&] { AskOutputFile(at_end.console, dir.path(), "Out", output, file_default); }),
      kExitEndOfInput);
  EXPECT_EQ(at_end.output(), "Out {COM1} ? " + kEndOfInputReport);
}

TEST_F(FilePrompts, OutputToADirectoryCannotBeCreated) {
  std::filesystem::create_directory(dir.File("OUT.D"));
  TestConsole t("out.d\r\nok\r\n");
  std::string file_default = ".OUT";
  Output(t, file_default, "");
  EXPECT_EQ(t.output(), "Out {.OUT} ?  I/O Error - Disk May Be Full\r\nOut {.OUT} ? ");
  EXPECT_EQ(file_default, "OK.OUT");
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("OUT.D")));
}

TEST_F(FilePrompts, OutputMustDifferFromTheOpenInputFile) {
  dir.Write("site.adf", "1,2\r\n");
  TestConsole t("site\r\nSITE.ADF\r\nsite\r\ncopy\r\n");
  std::string input_name = ".ADF";
  AskInputFile(t.console, dir.path(), "In", input, input_name);
  std::string output_name = ".ADF";
  AskOutputFile(t.console, dir.path(), "Out", output, output_name, &input);
  EXPECT_EQ(t.output(),
            "In {.ADF} ? Out {.ADF} ? Output File Must Differ From Input File\r\n"
            "Out {.ADF} ? Output File Must Differ From Input File\r\nOut {.ADF} ? ");
  EXPECT_EQ(output_name, "COPY.ADF");
  output.Close();
  EXPECT_EQ(ReadLineText(input.text()), "1,2");
  input.Close();
  EXPECT_EQ(dir.Read("site.adf"), "1,2\r\n");
}

TEST_F(FilePrompts, OutputEndsTheProgramWhenTheAnswersRunOut) {
  dir.Write("SITE.ADF", "old");
  struct Case {
    std::string answers;
    std::string output;
  };
  const std::vector<Case> cases = {
      {"", "Out {.ADF} ? "},
      {"\r\n", "Out {.ADF} ? Out {.ADF} ? "},
      // The erase question takes its default no at the end of the answers.
      {"site\r\n", "Out {.ADF} ? " + kErase},
      {"site\r\nn\r\n", "Out {.ADF} ? " + kErase + "Out {.ADF} ? "},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    std::string file_default = ".ADF";
    EXPECT_EQ(EndStatus([&] { AskOutputFile(t.console, dir.path(), "Out", output, file_default); }),
              kExitEndOfInput)
        << c.answers;
    EXPECT_EQ(t.output(), c.output + kEndOfInputReport) << c.answers;
    EXPECT_EQ(dir.Read("SITE.ADF"), "old");
  }
}

TEST_F(FilePrompts, ADeviceIsWrittenWithoutTheEraseQuestionAndNeverDeleted) {
  TestConsole t("\\dev\\null\r\n");
  std::string file_default;
  Output(t, file_default, "discarded");
  EXPECT_EQ(t.output(), "Out ? ");
  EXPECT_EQ(file_default, "\\DEV\\NULL");
  struct stat info {};
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(FilePrompts, AnOutputLinkIsErasedItselfAndNeverWrittenThrough) {
  std::filesystem::create_directory(dir.File("away"));
  dir.Write("away/target.txt", "keep");
  std::filesystem::create_symlink("away/target.txt", dir.File("LINK.ADF"));
  std::filesystem::create_symlink("away/missing.txt", dir.File("DANGLING.ADF"));
  TestConsole t("dangling\r\nlink\r\ny\r\n");
  std::string file_default = ".ADF";
  Output(t, file_default, "new");
  EXPECT_EQ(t.output(), "Out {.ADF} ?  I/O Error - Disk May Be Full\r\nOut {.ADF} ? " + kErase +
                            "LINK.ADF Erased\r\n");
  EXPECT_EQ(dir.Read("away/target.txt"), "keep");
  EXPECT_FALSE(std::filesystem::is_symlink(dir.File("LINK.ADF")));
  EXPECT_EQ(dir.Read("LINK.ADF"), "new");
  EXPECT_FALSE(dir.Exists("away/missing.txt"));
}

// What CreateTextFile finds at the path, and whether it gives a file to
// write: it never writes through a link to a file, such as one swapped in
// after the erase question.
TEST(CreateTextFile, MakesNewFilesExclusivelyAndRefusesLinksToFiles) {
  TempDir dir;
  dir.Write("target", "keep");
  dir.Write("old", "old");
  std::filesystem::create_directory(dir.File("sub"));
  std::filesystem::create_symlink("target", dir.File("link"));
  std::filesystem::create_symlink("missing", dir.File("dangling"));
  std::filesystem::create_symlink("sub", dir.File("sublink"));
  std::filesystem::create_symlink("/dev/null", dir.File("null"));
  struct Case {
    std::string path;
    bool created;
  };
  const std::vector<Case> cases = {
      {dir.File("new"), true},       {dir.File("old"), true},  {dir.File("link"), false},
      {dir.File("dangling"), false}, {dir.File("sub"), false}, {dir.File("sublink"), false},
      {dir.File("null"), true},      {"/dev/null", true},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TextOutput> out = CreateTextFile(c.path, "X");
    EXPECT_EQ(out != nullptr, c.created) << c.path;
    if (out) out->Close();
  }
  EXPECT_EQ(dir.Read("new"), "");
  EXPECT_EQ(dir.Read("old"), "");  // emptied, as the file prompt expects
  EXPECT_EQ(dir.Read("target"), "keep");
  EXPECT_FALSE(dir.Exists("missing"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("sub")));
  // A file made between the look and the creation is kept, not emptied.
  BeforeCreateHook previous = SetBeforeCreateHook(
      [](const std::string& path) { std::ofstream(path, std::ios::binary) << "sneaked in"; });
  EXPECT_EQ(CreateTextFile(dir.File("late"), "X"), nullptr);
  SetBeforeCreateHook(previous);
  EXPECT_EQ(dir.Read("late"), "sneaked in");
}

TEST(ResolveFileName, PrefersTheExactNameThenTheFirstInByteOrder) {
  TempDir dir;
  for (const char* name : {"site.adf", "Site.adf", "b.adf", "B.ADF"}) dir.Write(name, name);
  std::filesystem::create_directory(dir.File("sub"));
  std::filesystem::create_directory(dir.File("Sub"));
  dir.Write("Sub/x", "");
  struct Case {
    std::string name;
    std::string path;
  };
  const std::vector<Case> cases = {
      {"SITE.ADF", "/Site.adf"}, {"site.adf", "/site.adf"},
      {"sITE.ADF", "/Site.adf"}, {"B.ADF", "/B.ADF"},
      {"b.ADF", "/B.ADF"},       {"SUB\\X", "/Sub/x"},
      {"sub\\X", "/sub/X"},      {"NEW\\SITE.ADF", "/NEW/SITE.ADF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolveFileName(dir.path(), c.name), dir.path() + c.path) << c.name;
  }
}

TEST(ResolveFileName, TakesTheRestOfALongNameAsWrittenAndSeesAnInterrupt) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("e"));
  std::string name, path = dir.path() + "/e";
  name = "E";
  for (int i = 0; i < 200000; ++i) name += "\\E", path += "/E";
  EXPECT_EQ(ResolveFileName(dir.path(), name), path);
  g_interrupt_signal = SIGINT;
  EXPECT_EQ(EndStatus([&] { ResolveFileName(dir.path(), name); }), kExitInterrupted);
  ClearInterrupt();
}

TEST(TextFileExists, HoldsOnlyForRegularFiles) {
  TempDir dir;
  dir.Write("a.txt", "x");
  std::filesystem::create_directory(dir.File("sub"));
  EXPECT_TRUE(TextFileExists(dir.File("a.txt")));
  EXPECT_FALSE(TextFileExists(dir.File("b.txt")));
  EXPECT_FALSE(TextFileExists(dir.File("sub")));
  EXPECT_FALSE(TextFileExists("/dev/null"));
  std::filesystem::create_symlink("a.txt", dir.File("link.txt"));
  EXPECT_TRUE(TextFileExists(dir.File("link.txt")));
}

}  // namespace
}  // namespace sparsim
