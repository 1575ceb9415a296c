#include "dialogue/closing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/program_end.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

const std::string kClose = "OK to Close Program Window {Y} ? ";
TEST(ConfirmClose, ReturnsOnlyAfterAYes) {
  struct Case {
    std::string answers;
    int questions;
  };
  const std::vector<Case> cases = {
      {"\r\n", 1},
      {"y\r\n", 1},
      {"Yes\r\n", 1},
      {"n\r\n\r\n", 2},
      {"No\r\nnot yet\r\nmaybe\r\nyes\r\n", 4},
      {" y\r\nY\r\n", 2},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers + "after\r\n");
    ConfirmClose(t.console);
    std::string expected;
    for (int i = 0; i < c.questions; ++i) expected += kClose;
    EXPECT_EQ(t.output(), expected) << c.answers;
    // The answers after the yes are left for whoever reads next.
    EXPECT_EQ(ReadAnswerLine(t.console), "after") << c.answers;
  }
}

TEST(ConfirmClose, TakesTheDefaultYesOnceTheAnswersHaveRunOut) {
  TestConsole none("");
  ConfirmClose(none.console);
  EXPECT_EQ(none.output(), kClose);
  TestConsole no_then_end("n\r\n");
  ConfirmClose(no_then_end.console);
  EXPECT_EQ(no_then_end.output(), kClose + kClose);
}

TEST(ConfirmClose, ANoAsTheLastAnswerWithoutALineEndEndsTheProgram) {
  TestConsole t("n");
  EXPECT_EQ(EndStatus([&] { ConfirmClose(t.console); }), kExitEndOfInput);
  EXPECT_EQ(t.output(), kClose + kEndOfInputReport);
}

TEST(FatalError, ReportsAsksTheCloseQuestionAndEndsWithStatusZero) {
  struct Case {
    std::string message;
    std::string answers;
    int questions;
  };
  const std::vector<Case> cases = {
      {"Fatal Error-Dimensions<>2", "\r\n", 1},
      {"Real Input Error", "n\r\ny\r\n", 2},
      {"Integer Input Error", "", 1},
      {"", "\r\n", 1},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    EXPECT_EQ(EndStatus([&] { FatalError(t.console, c.message); }), kExitNormal) << c.message;
    std::string expected =
        "\r\n<<<<<<<<<<<<>>>>>>>>>>>>\r\n" + c.message + " - Program Aborting.\r\n";
    for (int i = 0; i < c.questions; ++i) expected += kClose;
    EXPECT_EQ(t.output(), expected) << c.message;
  }
}

}  // namespace
}  // namespace sparsim
