#include "dialogue/choice_prompts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/program_end.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

TEST(PromptLine, ShowsTheDefaultInBracesOrOnlyTheQuestionMark) {
  TestConsole with_default("");
  PromptLine(with_default.console, "Distribution Diameter", "20.0");
  EXPECT_EQ(with_default.output(), "Distribution Diameter {20.0} ? ");
  EXPECT_GT(with_default.out.flush_count(), 0u);

  TestConsole without_default("");
  PromptLine(without_default.console, "X Max", "");
  EXPECT_EQ(without_default.output(), "X Max ? ");
  EXPECT_GT(without_default.out.flush_count(), 0u);
}

TEST(ReadKeyboardLine, GivesTheFirstCharacterAsTypedOrCarriageReturn) {
  struct Case {
    std::string answers;
    int expected;
  };
  const std::vector<Case> cases = {
      {"walk\r\n", 'w'},   {"Walk\n", 'W'}, {" y\r\n", ' '}, {"\ty\r\n", '\t'},
      {"\xE9t\r\n", 0xE9}, {"\r\n", 13},    {"\n", 13},      {"", 13},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    EXPECT_EQ(ReadKeyboardLine(t.console), c.expected) << c.answers;
    EXPECT_EQ(t.output(), "");
  }
}

TEST(ReadKeyboardLine, ConsumesTheWholeLine) {
  TestConsole t("abc\r\ndef\nghi");
  EXPECT_EQ(ReadKeyboardLine(t.console), 'a');
  EXPECT_EQ(ReadKeyboardLine(t.console), 'd');
  EXPECT_EQ(ReadKeyboardLine(t.console), 'g');
  EXPECT_EQ(ReadKeyboardLine(t.console), 13);
}

TEST(TrimSpaces, RemovesOnlyBlanksAtBothEnds) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"  12  ", "12"}, {"\t5 ", "\t5"}, {" \tx\t ", "\tx\t"}, {"a  b", "a  b"},
      {"     ", ""},    {"", ""},        {"x", "x"},           {" \r", "\r"},
  };
  for (const Case& c : cases) EXPECT_EQ(TrimSpaces(c.text), c.expected) << c.text;
}

TEST(AskChoice, TakesTheFirstLetterUpperCasedAndBeepsOnARefusal) {
  struct Case {
    std::string answers;
    std::string letters;
    std::string default_text;
    char expected;
    std::string output;
  };
  const std::string mode = "Mode {G} ? ";
  const std::vector<Case> cases = {
      {"\r\n", "GW", "G", 'G', mode},
      {"w\r\n", "GW", "G", 'W', mode},
      {"Walk on\r\n", "GW", "G", 'W', mode},
      {"g\r\n", "GW", "G", 'G', mode},
      {"x\r\nw\r\n", "GW", "G", 'W', mode + "\a" + mode},
      {" w\r\nW\r\n", "GW", "G", 'W', mode + "\a" + mode},
      {"7\r\nq\r\n\r\n", "GW", "G", 'G', mode + "\a" + mode + "\a" + mode},
      // No default: an empty answer is refused like a wrong letter.
      {"\r\nw\r\n", "GW", "", 'W', "Mode ? \aMode ? "},
      // The whole default is shown; its first letter, upper-cased, answers.
      {"\r\n", "GW", "walk", 'W', "Mode {walk} ? "},
      {"\r\n", "ND", "number", 'N', "Mode {number} ? "},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    EXPECT_EQ(AskChoice(t.console, "Mode", c.letters, c.default_text), c.expected) << c.answers;
    EXPECT_EQ(t.output(), c.output) << c.answers;
  }
}

TEST(AskChoice, ARefusedLastAnswerWithALineEndIsAskedOnceMore) {
  TestConsole t("x\r\n");
  EXPECT_EQ(AskChoice(t.console, "Mode", "GW", "G"), 'G');
  EXPECT_EQ(t.output(), "Mode {G} ? \aMode {G} ? ");
}

TEST(AskChoice, EndsTheProgramWhenTheAnswersRunOutWithoutAUsableAnswer) {
  struct Case {
    std::string answers;
    std::string default_text;
    std::string output;
  };
  const std::vector<Case> cases = {
      {"", "", "Mode ? \a"},
      {"x", "G", "Mode {G} ? \a"},
      {"x\r\n", "", "Mode ? \aMode ? \a"},
      {"\r\n", "", "Mode ? \aMode ? \a"},
      // A default that is not one of the letters cannot answer either.
      {"", "Z", "Mode {Z} ? \a"},
      // Character 26 ends the answers like their physical end.
      {"\x1aw\r\n", "", "Mode ? \a"},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    EXPECT_EQ(EndStatus([&] { AskChoice(t.console, "Mode", "GW", c.default_text); }),
              kExitEndOfInput)
        << c.answers;
    EXPECT_EQ(t.output(), c.output + kEndOfInputReport) << c.answers;
  }
}

TEST(AskYesNo, ShowsTheDefaultLetterAndAsksAgainSilently) {
  struct Case {
    std::string answers;
    char default_letter;
    bool expected;
    std::string output;
  };
  const std::string yes = "Plot {Y} ? ";
  const std::string no = "Plot {N} ? ";
  const std::vector<Case> cases = {
      {"\r\n", 'T', true, yes},
      {"y\r\n", 'T', true, yes},
      {"Yes please\r\n", 'T', true, yes},
      {"n\r\n", 'T', false, yes},
      {"No thanks\r\n", 'T', false, yes},
      {"maybe\r\n\r\n", 'T', true, yes + yes},
      {" y\r\nn\r\n", 'T', false, yes + yes},
      {"\r\n", 'F', false, no},
      {"y\r\n", 'F', true, no},
      {"?\r\n\r\n", 'F', false, no + no},
      {"\r\ny\r\n", ' ', true, "Plot ? Plot ? "},
      {"x\r\nN\r\n", 'X', false, "Plot ? Plot ? "},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    EXPECT_EQ(AskYesNo(t.console, "Plot", c.default_letter), c.expected) << c.answers;
    EXPECT_EQ(t.output(), c.output) << c.answers;
  }
}

TEST(AskYesNo, TakesTheDefaultOnceTheAnswersHaveRunOut) {
  TestConsole yes("");
  EXPECT_TRUE(AskYesNo(yes.console, "Plot", kDefaultYes));
  TestConsole no("");
  EXPECT_FALSE(AskYesNo(no.console, "Plot", kDefaultNo));
  TestConsole refused_then_end("maybe\r\n");
  EXPECT_FALSE(AskYesNo(refused_then_end.console, "Plot", kDefaultNo));
  EXPECT_EQ(refused_then_end.output(), "Plot {N} ? Plot {N} ? ");
}

TEST(AskYesNo, EndsTheProgramWhenNoAnswerCanBeHad) {
  struct Case {
    std::string answers;
    char default_letter;
    std::string output;
  };
  const std::vector<Case> cases = {
      {"", kNoDefault, "Plot ? "},
      {"\r\n", kNoDefault, "Plot ? Plot ? "},
      {"maybe", kDefaultYes, "Plot {Y} ? "},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    EXPECT_EQ(EndStatus([&] { AskYesNo(t.console, "Plot", c.default_letter); }), kExitEndOfInput)
        << c.answers;
    EXPECT_EQ(t.output(), c.output + kEndOfInputReport) << c.answers;
  }
}

}  // namespace
}  // namespace sparsim
