#include "dialogue/file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sparsim {
namespace {

TEST(UpperCaseText, ChangesOnlyAsciiLetters) {
  EXPECT_EQ(UpperCaseText("site.adf"), "SITE.ADF");
  EXPECT_EQ(UpperCaseText("c:\\My Data\\a_1~z{}"), "C:\\MY DATA\\A_1~Z{}");
  EXPECT_EQ(UpperCaseText("caf\xE9"), "CAF\xE9");
  EXPECT_EQ(UpperCaseText(""), "");
}

TEST(IsValidFileName, RefusesDevicesAndForbiddenCharactersAndUpperCasesTheName) {
  struct Case {
    std::string name;
    bool valid;
    std::string upper;
  };
  const std::vector<Case> cases = {
      {"site.adf", true, "SITE.ADF"},
      {"prn", false, "PRN"},
      {"Nul", false, "NUL"},
      {"com1", false, "COM1"},
      {"COM2", false, "COM2"},
      {"lpt1", false, "LPT1"},
      {"Lpt2", false, "LPT2"},
      {"lpt3", false, "LPT3"},
      // Only the whole name counts, and only these devices.
      {"prn.txt", true, "PRN.TXT"},
      {"aux", true, "AUX"},
      {"com3", true, "COM3"},
      {"lpt4", true, "LPT4"},
      {"con", true, "CON"},
      {"nul.", true, "NUL."},
      {"a/b", false, "A/B"},
      {"a*b", false, "A*B"},
      {"a?b", false, "A?B"},
      {"a\"b", false, "A\"B"},
      {"a<b", false, "A<B"},
      {"a>b", false, "A>B"},
      {"a|b", false, "A|B"},
      {"a\tb", false, "A\tB"},
      {std::string("a\0b", 3), false, std::string("A\0B", 3)},
      {"a\x1f", false, "A\x1f"},
      {"a\x7f", false, "A\x7f"},
      {"caf\xE9", false, "CAF\xE9"},
      {"c:\\data\\site.adf", true, "C:\\DATA\\SITE.ADF"},
      {"my site.adf", true, "MY SITE.ADF"},
      {"~a.b.c", true, "~A.B.C"},
      {" ", true, " "},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    std::string name = c.name;
    EXPECT_EQ(IsValidFileName(name), c.valid) << c.name;
    EXPECT_EQ(name, c.upper) << c.name;
  }
}

TEST(StripExtension, RemovesAPointAmongTheLastFourCharactersAndWhatFollows) {
  struct Case {
    std::string name;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"DATA.ADF", "DATA"},
      {"A.B", "A"},
      {"FILE.", "FILE"},
      {"DATA.TEXT", "DATA.TEXT"},
      {"DATA", "DATA"},
      {".", ""},
      {"", ""},
      {".ADF", ""},
      {"A.B.C", "A.B"},
      {"SUB.D\\FILE", "SUB.D\\FILE"},
      {"SITE.OUT", "SITE"},
  };
  for (const Case& c : cases) EXPECT_EQ(StripExtension(c.name), c.expected) << c.name;
}

}  // namespace
}  // namespace sparsim
