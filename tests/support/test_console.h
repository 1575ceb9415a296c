// A console for tests: the answers come from a string, and what the program
// writes is collected in memory.
//
//   TestConsole t("12\r\n");
//   int32_t n = AskInteger(t.console, "Count", 1, 20, "");
//   EXPECT_EQ(t.output(), "Count ? ");

#ifndef SPARSIM_TESTS_SUPPORT_TEST_CONSOLE_H_
#define SPARSIM_TESTS_SUPPORT_TEST_CONSOLE_H_

#include <string>

#include "dialogue/console.h"
#include "numeric/text_input.h"
#include "numeric/text_output.h"

namespace sparsim {

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
