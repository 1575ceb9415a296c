// One whole run of the program over a console and a program state.
//
// RunProgram shows the banner, asks
//   "[G]enerate Random Points or Random [W]alk Existing Points {G} ? "
// runs the chosen mode, asks the closing question and returns exit status 0.
// Every early end arrives here as a ProgramEnd: the files still open are
// flushed and closed, so nothing written is lost, and the result carries the
// exit status and the report for standard error (empty when there is none).
// An interrupt (common/interrupt.h) also ends there: once the files are
// closed, the console gets an empty line and "Interrupted - Program
// Aborting.", and the status is 130 for SIGINT, 143 for SIGTERM.

#ifndef SPARSIM_SHELL_PROGRAM_H_
#define SPARSIM_SHELL_PROGRAM_H_

#include <string>

#include "common/program_state.h"
#include "dialogue/console.h"

namespace sparsim {

struct RunResult {
  int exit_status = 0;
  std::string error_report;
};

RunResult RunProgram(Console& console, ProgramState& state);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_PROGRAM_H_
