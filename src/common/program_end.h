// How the program ends early.
//
// Every early end -- FatalError, the end of the answers on standard input,
// an interrupt by signal, and an input/output fault that nothing else
// handles -- throws ProgramEnd.
// RunProgram catches it near main, closes and flushes every open file, writes
// the message (if any) to standard error and returns the exit status. No code
// below main calls exit, so tests can drive each of these ends.
//
// Example: a write to a full disk in the coordinate file writer becomes
//   throw IoFault("SITE.ADF", errno);
// and the program ends with status 2 and the line
//   sparsim: SITE.ADF: No space left on device
// on standard error, after everything already written has been flushed.

#ifndef SPARSIM_COMMON_PROGRAM_END_H_
#define SPARSIM_COMMON_PROGRAM_END_H_

#include <stdexcept>
#include <string>

namespace sparsim {

// Exit statuses of the program.
constexpr int kExitNormal = 0;      // normal end, and the end after FatalError
constexpr int kExitEndOfInput = 1;  // the answers ran out before a question was answered
constexpr int kExitIoFault = 2;     // a read, write, close or flush failed

// Stopped by Ctrl-C (SIGINT), by SIGTERM or by SIGHUP; see common/interrupt.h.
constexpr int kExitInterrupted = 130;
constexpr int kExitTerminated = 143;
constexpr int kExitHungUp = 129;

class ProgramEnd : public std::runtime_error {
 public:
  // report is written to standard error when it is not empty.
  ProgramEnd(int exit_status, const std::string& report)
      : std::runtime_error(report), exit_status_(exit_status) {}

  int exit_status() const { return exit_status_; }
  const char* report() const { return what(); }

 private:
  int exit_status_;
};

// The ProgramEnd for a failed operation on the file called name; error_number
// is the errno the system gave.
ProgramEnd IoFault(const std::string& name, int error_number);

}  // namespace sparsim

#endif  // SPARSIM_COMMON_PROGRAM_END_H_
