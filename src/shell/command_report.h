// How a command reports on standard error: its lines start with its name,
// and one place turns a failure into its message and exit status.
//
// Example: Say(io, "sparsim walk", "seed 7, from the clock") writes
// "sparsim walk: seed 7, from the clock" and a line end.

#ifndef SPARSIM_SHELL_COMMAND_REPORT_H_
#define SPARSIM_SHELL_COMMAND_REPORT_H_

#include <string>

#include "shell/run_options.h"

namespace sparsim {

// Writes a line for standard error: the command's name, ": " and the line.
void Say(const CommandIo& io, const std::string& command, const std::string& line);

// The line after a bad command line: "Try 'sparsim walk --help' for more
// information."
void SayTryHelp(const CommandIo& io, const std::string& command);

// Turns the failure being handled (call it inside a catch block) into its
// line on standard error and returns its exit status: a CommandFailure's own
// (with the "Try ... --help" line after a usage error), a ProgramEnd's (an interrupt before any
// file was written says so), and 2 for any other std::exception ("out of memory" when memory
// runs out, the wording of every command).
int ReportFailure(const CommandIo& io, const std::string& command);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_COMMAND_REPORT_H_
