#include "dialogue/closing.h"

#include "common/program_end.h"
#include "dialogue/choice_prompts.h"

namespace sparsim {

void ConfirmClose(Console& console) {
  while (!AskYesNo(console, "OK to Close Program Window", kDefaultYes)) {
    EndIfAnswersExhausted(console);
  }
}

void FatalError(Console& console, std::string_view message) {
  WriteAbortReport(console.out, message);
  ConfirmClose(console);
  console.out.Flush();
  throw ProgramEnd(kExitNormal, "");
}

}  // namespace sparsim
