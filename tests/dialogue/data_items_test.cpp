#include "dialogue/data_items.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/program_end.h"
#include "support/sample_files.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

constexpr char kQuitNow[] = "Quit Now {Y} ? ";

// A data file held in memory, and a console whose answers are given.
struct Reader {
  Reader(const std::string& data, std::string answers = "") : t(std::move(answers)) {
    file.Open(std::make_unique<TextInput>(data, "DATA.ADF"));
  }
  double Real() { return ReadRealItem(t.console, file); }
  int32_t Integer() { return ReadIntegerItem(t.console, file); }
  std::vector<double> Reals(int count) {
    std::vector<double> items;
    for (int i = 0; i < count; ++i) items.push_back(Real());
    return items;
  }

  TestConsole t;
  InputFile file;
};

TEST(ReadRealItem, SkipsBlanksCommasAndComments) {
  struct Case {
    const char* data;
    std::vector<double> items;
  };
  const Case cases[] = {
      {"5,,  7 # note # 9\r\n", {5, 7, 9}},
      {"1 # open comment\r\n2 # another\r\n3", {1, 2, 3}},
      {"1 # open comment\n2 # another\n3\n", {1, 2, 3}},
      {"# a # 4", {4}},
      {"10#Points#", {10}},
      {"1#x#2#y#,3", {1, 2, 3}},
      {"\t1.5\t-2.25\r\n,,\r\n.5e1 , -0", {1.5, -2.25, 5, -0.0}},
      {"#only#\r\n# comment lines #\r\n  8\r\n", {8}},
      {"# closing at the line end #\r\n7", {7}},
      {"3 # what? # 6", {3, 6}},
  };
  for (const Case& c : cases) {
    Reader r(c.data);
    EXPECT_EQ(r.Reals(static_cast<int>(c.items.size())), c.items) << c.data;
    EXPECT_EQ(r.t.output(), "") << c.data;
    EXPECT_TRUE(SkipSeparatorsToDataEnd(r.file.text())) << c.data;
  }
}

TEST(ReadRealItem, GivesUnexpectedEofAndTheMissingValueAfterTheLastNumber) {
  for (const char* data :
       {"5", "5,", "5 # end", "5 # end #", "5\r\n\r\n  \r\n", "5,#c#,\n", "5\x1A 7", "5 #\x1A 7"}) {
    Reader r(data);
    EXPECT_EQ(r.Real(), 5) << data;
    EXPECT_EQ(r.Real(), kMissingValue) << data;
    EXPECT_EQ(r.t.output(), "Unexpected EOF\r\n") << data;
    EXPECT_EQ(r.Real(), kMissingValue) << data;
    EXPECT_EQ(r.t.output(), "Unexpected EOF\r\nUnexpected EOF\r\n") << data;
  }
}

TEST(ReadRealItem, TreatsAQuestionMarkAsAMissingValueWithoutAMessage) {
  Reader r("? 12?,?5 8");
  EXPECT_EQ(r.Reals(4), (std::vector<double>{kMissingValue, kMissingValue, kMissingValue, 8}));
  EXPECT_EQ(r.t.output(), "");
}

TEST(ReadRealItem, ShowsTheCharacterThatIsNotPartOfANumber) {
  struct Case {
    const char* data;
    const char* line;
  };
  const Case cases[] = {
      {"12a4", "Invalid Character in Number: \"a\"  (Decimal 97) - Input: 12a4"},
      {"1\f2", "Invalid Character in Number: \"\f\"  (Decimal 12) - Input: 1\f2"},
      {"4;", "Invalid Character in Number: \";\"  (Decimal 59) - Input: 4;"},
      // An .ADF point line whose Y fills its 10 characters.
      {"   12.3456-1234.5678\r\n",
       "Invalid Character in Number: \"-\"  (Decimal 45) - Input: 12.3456-1234.5678"},
      // Nothing stands where the number stops too early.
      {"1e", "Invalid Character in Number: \"\"  (Decimal 0) - Input: 1e"},
      {"- 1", "Invalid Character in Number: \"\"  (Decimal 0) - Input: -"},
      {"1.5E+", "Invalid Character in Number: \"\"  (Decimal 0) - Input: 1.5E+"},
      {"\xe9t\xe9", "Invalid Character in Number: \"\xe9\"  (Decimal 233) - Input: \xe9t\xe9"},
  };
  for (const Case& c : cases) {
    Reader r(c.data, "n\r\n");
    EXPECT_EQ(r.Real(), kMissingValue) << c.data;
    EXPECT_EQ(r.t.output(), std::string(c.line) + "\r\n" + kQuitNow) << c.data;
    EXPECT_TRUE(r.file.IsOpen());
  }
}

TEST(ReadRealItem, GoesOnAfterTheBadTokenWhenTheUserDeclinesToQuit) {
  Reader r("12a4 7,x 8", "maybe\r\nN\r\nno thanks\r\n");
  EXPECT_EQ(r.Reals(4), (std::vector<double>{kMissingValue, 7, kMissingValue, 8}));
  EXPECT_EQ(r.t.output(), "Invalid Character in Number: \"a\"  (Decimal 97) - Input: 12a4\r\n" +
                              std::string(kQuitNow) + kQuitNow +
                              "Invalid Character in Number: \"x\"  (Decimal 120) - Input: x\r\n" +
                              kQuitNow);
}

TEST(ReadRealItem, RefusesANumberBeyondTheRangeOfADouble) {
  Reader r("1e400 -1e400 1e22", "n\r\nn\r\n");
  EXPECT_EQ(r.Reals(3), (std::vector<double>{kMissingValue, kMissingValue, 1e22}));
  EXPECT_EQ(r.t.output(), "Number Out of Range - Input: 1e400\r\n" + std::string(kQuitNow) +
                              "Number Out of Range - Input: -1e400\r\n" + kQuitNow);
}

TEST(ReadRealItem, SeesOnlyTheFirst32CharactersOfAToken) {
  const std::string zeros(32, '0');
  // The bad characters after the 32nd are not converted; the whole token is
  // still read, so the next item follows it.
  Reader tail(zeros + "abc 7");
  EXPECT_EQ(tail.Reals(2), (std::vector<double>{0, 7}));
  EXPECT_EQ(tail.t.output(), "");

  // A '?' after the 32nd character does not make the item missing.
  Reader question(std::string(30, '0') + "12?");
  EXPECT_EQ(question.Real(), 12);

  Reader message(std::string(31, '0') + "x" + "yz,5", "n\r\n");
  EXPECT_EQ(message.Reals(2), (std::vector<double>{kMissingValue, 5}));
  EXPECT_EQ(message.t.output(), "Invalid Character in Number: \"x\"  (Decimal 120) - Input: " +
                                    std::string(31, '0') + "x\r\n" + kQuitNow);
}

// Quitting closes the data file and ends the program through the abort
// report and the closing question, with exit status 0.
void ExpectQuit(Reader& r, bool integer, const std::string& message_lines,
                const std::string& error) {
  try {
    if (integer) {
      r.Integer();
    } else {
      r.Real();
    }
    ADD_FAILURE() << "the program did not end";
  } catch (const ProgramEnd& end) {
    EXPECT_EQ(end.exit_status(), 0);
  }
  EXPECT_FALSE(r.file.IsOpen());
  EXPECT_EQ(r.t.output(), message_lines + kQuitNow + "\r\n<<<<<<<<<<<<>>>>>>>>>>>>\r\n" + error +
                              " - Program Aborting.\r\nOK to Close Program Window {Y} ? ");
}

TEST(ReadRealItem, EndsTheProgramWhenTheUserQuits) {
  const std::string bad = "Invalid Character in Number: \"a\"  (Decimal 97) - Input: 12a4\r\n";
  for (const char* answers : {"y\r\n", "\r\n", "", "Yes\n"}) {
    Reader r("12a4 5", answers);
    ExpectQuit(r, false, bad, "Real Input Error");
  }
  Reader range("1e400", "y\r\ny\r\n");
  ExpectQuit(range, false, "Number Out of Range - Input: 1e400\r\n", "Real Input Error");
}

TEST(ReadIntegerItem, AcceptsWholeNumbersInThe32BitRange) {
  Reader r("3 3.0 3E0 -2147483648 2147483647 -0 0.5e1 1e9");
  for (int32_t expected : {3, 3, 3, -2147483647 - 1, 2147483647, 0, 5, 1000000000}) {
    EXPECT_EQ(r.Integer(), expected);
  }
  EXPECT_EQ(r.t.output(), "");
}

TEST(ReadIntegerItem, RefusesFractionsAndValuesOutOfRange) {
  struct Case {
    const char* data;
    const char* shown;
  };
  const Case cases[] = {
      {"2.5", "          2.5000"},
      {"2147483648", " 2147483648.0000"},
      {"-2147483649", "-2147483649.0000"},
      {"-0.5", "         -0.5000"},
  };
  for (const Case& c : cases) {
    Reader r(std::string(c.data) + " 7", "n\r\n");
    EXPECT_EQ(r.Integer(), kIntegerFailureValue) << c.data;
    EXPECT_EQ(r.t.output(),
              "Not an Integer or Integer Out of Range: " + std::string(c.shown) + "\r\n" + kQuitNow)
        << c.data;
    EXPECT_EQ(r.Integer(), 7);
  }
}

TEST(ReadIntegerItem, ReportsAMissingIntegerASecondTime) {
  const std::string missing =
      "Not an Integer or Integer Out of Range: 100000000000000005000000000000000.0000\r\n";
  Reader eof("", "n\r\n");
  EXPECT_EQ(eof.Integer(), kIntegerFailureValue);
  EXPECT_EQ(eof.t.output(), "Unexpected EOF\r\n" + missing + kQuitNow);

  Reader question("?", "n\r\n");
  EXPECT_EQ(question.Integer(), kIntegerFailureValue);
  EXPECT_EQ(question.t.output(), missing + kQuitNow);

  Reader declined("4;", "n\r\nn\r\n");
  EXPECT_EQ(declined.Integer(), kIntegerFailureValue);
  EXPECT_EQ(declined.t.output(),
            "Invalid Character in Number: \";\"  (Decimal 59) - Input: 4;\r\n" +
                std::string(kQuitNow) + missing + kQuitNow);
}

TEST(ReadIntegerItem, EndsTheProgramWhenTheUserQuits) {
  Reader r("2.5", "\r\n");
  ExpectQuit(r, true, "Not an Integer or Integer Out of Range:           2.5000\r\n",
             "Integer Input Error");
}

TEST(DataFiles, ReadsACoordinateFileWrittenByGeneration) {
  Reader r(kExampleAdfHeader +
           "    3.1416   12.5000\r\n"
           "   14.2500    6.7500\r\n"
           "   13.1000    8.0500\r\n"
           " -999.9999 9999.9999\r\n"
           "    1.0000  12345.6789\r\n");
  EXPECT_EQ(r.Integer(), 3);
  EXPECT_EQ(r.Integer(), 2);
  EXPECT_EQ(r.Reals(10), (std::vector<double>{3.1416, 12.5, 14.25, 6.75, 13.1, 8.05, -999.9999,
                                              9999.9999, 1, 12345.6789}));
  EXPECT_TRUE(SkipSeparatorsToDataEnd(r.file.text()));
  EXPECT_EQ(r.t.output(), "");
}

TEST(DataFiles, ReadsAWalkOutputFile) {
  for (const char* data : {"3,2\r\n1.0000,2.0000\r\n-3.5000,4.2500\r\n12.3457,-7.0000\r\n",
                           "3,2\n1.0000,2.0000\n-3.5000,4.2500\n12.3457,-7.0000"}) {
    Reader r(data);
    EXPECT_EQ(r.Integer(), 3);
    EXPECT_EQ(r.Integer(), 2);
    EXPECT_EQ(r.Reals(6), (std::vector<double>{1, 2, -3.5, 4.25, 12.3457, -7}));
    EXPECT_TRUE(SkipSeparatorsToDataEnd(r.file.text()));
    EXPECT_EQ(r.t.output(), "");
  }
}

TEST(SkipSeparatorsToDataEnd, StopsAtTheNextItem) {
  for (const char* data : {"", "  \r\n", ", ,\r\n", "# comment", "# a # , # b\n\n",
                           "\x1A"
                           "5"}) {
    TextInput in{std::string(data)};
    EXPECT_TRUE(SkipSeparatorsToDataEnd(in)) << data;
  }
  Reader r("1 , # c # 5 # d\r\n,?");
  EXPECT_EQ(r.Real(), 1);
  EXPECT_FALSE(SkipSeparatorsToDataEnd(r.file.text()));
  EXPECT_EQ(r.Real(), 5);
  EXPECT_FALSE(SkipSeparatorsToDataEnd(r.file.text()));
  EXPECT_EQ(r.Real(), kMissingValue);
  EXPECT_TRUE(SkipSeparatorsToDataEnd(r.file.text()));
  EXPECT_EQ(r.t.output(), "");
}

}  // namespace
}  // namespace sparsim
