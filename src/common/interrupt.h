// Stopping the program with Ctrl-C (SIGINT) or SIGTERM.
//
// The signal handler only records the signal. The long loops (candidates,
// walk steps, walked points) and every blocking read call
// ThrowIfInterrupted, which turns a recorded signal into the ProgramEnd of
// an interrupt; RunProgram catches it like any early end, closes and flushes
// the open files, writes
//   (empty line)
//   Interrupted - Program Aborting.
// on the console and returns 128 plus the signal's number.
//
// Example:
//   InstallInterruptHandlers();   // once, in main
//   ...                           // the user presses Ctrl-C
//   ThrowIfInterrupted();         // throws ProgramEnd, exit_status() 130

#ifndef SPARSIM_COMMON_INTERRUPT_H_
#define SPARSIM_COMMON_INTERRUPT_H_

#include <csignal>

#include "common/program_end.h"

namespace sparsim {

// The statuses are 128 plus the signal's number, as shells report them.
static_assert(kExitInterrupted == 128 + SIGINT && kExitTerminated == 128 + SIGTERM);

// The signal received and not yet acted upon, or 0. Written only by the
// handler (and ClearInterrupt).
extern volatile std::sig_atomic_t g_interrupt_signal;

// Handles SIGINT and SIGTERM by recording them, without SA_RESTART, so that a
// blocking read returns at once with EINTR. This holds even where the
// parent left the signals ignored (as a shell does for a job started with
// '&' from a script): stopping cleanly on them is the program's contract.
void InstallInterruptHandlers();

// Forgets a recorded signal; lets tests reuse the process.
void ClearInterrupt();

// The ProgramEnd of an interrupt by signal: status 130 for SIGINT, 143 for
// SIGTERM (128 plus the number for others), with no standard-error report.
ProgramEnd InterruptEnd(int signal);

// True for the exit statuses of an interrupt.
inline bool IsInterruptStatus(int exit_status) {
  return exit_status == kExitInterrupted || exit_status == kExitTerminated;
}

[[noreturn]] void ThrowInterruptEnd();

// Cheap enough for the innermost loops: one load of the flag.
inline void ThrowIfInterrupted() {
  if (g_interrupt_signal != 0) ThrowInterruptEnd();
}

// Waits until fd has something to read (data, its end or an error), or
// until a signal is recorded, which throws the interrupt's ProgramEnd. A
// signal that arrives just before the wait is not missed: the check and the
// wait are made with the signals blocked and atomically unblocked.
void WaitReadableOrInterrupted(int fd);

}  // namespace sparsim

#endif  // SPARSIM_COMMON_INTERRUPT_H_
