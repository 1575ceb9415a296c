// The end of a run: the closing question, and the one early end.
//
// ConfirmClose asks "OK to Close Program Window {Y} ? " until the answer is
// yes (an empty answer counts as yes).
//
// FatalError("Fatal Error-Dimensions<>2") writes
//   (empty line)
//   <<<<<<<<<<<<>>>>>>>>>>>>
//   Fatal Error-Dimensions<>2 - Program Aborting.
// asks the closing question, and ends the program with status 0 by throwing
// ProgramEnd; it never returns. It closes no file itself: the end near main
// flushes and keeps whatever files are still open.

#ifndef SPARSIM_DIALOGUE_CLOSING_H_
#define SPARSIM_DIALOGUE_CLOSING_H_

#include <string_view>

#include "dialogue/console.h"

namespace sparsim {

void ConfirmClose(Console& console);

[[noreturn]] void FatalError(Console& console, std::string_view message);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_CLOSING_H_
