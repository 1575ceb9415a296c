// A console for tests: the answers come from a string, and what the program
// writes is collected in memory.
//
//   TestConsole t("12\r\n");
//   int32_t n = AskInteger(t.console, "Count", 1, 20, "");
//   EXPECT_EQ(t.output(), "Count ? ");

#ifndef SPARSIM_TESTS_SUPPORT_TEST_CONSOLE_H_
#define SPARSIM_TESTS_SUPPORT_TEST_CONSOLE_H_

#include <string>

#include "common/program_end.h"
#include "dialogue/console.h"
#include "common/text_input.h"
#include "common/text_output.h"

namespace sparsim {

// What the program writes when the answers run out where a question has no
// usable answer.
inline const std::string kEndOfInputReport =
    "\r\n<<<<<<<<<<<<>>>>>>>>>>>>\r\nEnd of Input - Program Aborting.\r\n";

// Runs action, which should end the program; gives the exit status it ends
// with, or -1 when it returns instead.
template <typename Action>
int EndStatus(Action action) {
  try {
    action();
  } catch (const ProgramEnd& end) {
    return end.exit_status();
  }
  return -1;
}

struct TestConsole {
  explicit TestConsole(std::string answers)
      : in(std::move(answers), "answers"), out(TextOutput::InMemory("screen")) {}

  const std::string& output() const { return out.contents(); }

  TextInput in;
  TextOutput out;
  Console console{in, out};
};

}  // namespace sparsim

#endif  // SPARSIM_TESTS_SUPPORT_TEST_CONSOLE_H_
