// The console the dialogue talks to: a text input for the answers and a text
// output for questions and messages. The real console is standard input and
// output; tests drive the dialogue with in-memory text.
//
// Example:
//   TextInput answers("site\r\n");
//   TextOutput screen = TextOutput::InMemory();
//   Console console{answers, screen};
//   ReadAnswerLine(console) == "site"
//
// The answers can run out. A prompt that would have to ask its question
// again after a read has met the end of the answers calls
// EndIfAnswersExhausted, which writes the report
//   (empty line) "<<<<<<<<<<<<>>>>>>>>>>>>" "End of Input - Program Aborting."
// and ends the program with status 1, so that the program never asks for ever.

#ifndef SPARSIM_DIALOGUE_CONSOLE_H_
#define SPARSIM_DIALOGUE_CONSOLE_H_

#include <string>
#include <string_view>

#include "common/text_input.h"
#include "common/text_output.h"

namespace sparsim {

struct Console {
  TextInput& in;
  TextOutput& out;
  // Draw the banner's box with UTF-8 characters instead of code page 437.
  bool utf8_box = false;
};

// One whole answer line, without its line end; empty once the answers have
// run out.
std::string ReadAnswerLine(Console& console);

// Ends the program with the end-of-input report when a read has met the end
// of the answers; returns otherwise.
void EndIfAnswersExhausted(Console& console);

// Writes the report of an early end: an empty line, the frame line, and
// message followed by " - Program Aborting.".
void WriteAbortReport(TextOutput& out, std::string_view message);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_CONSOLE_H_
