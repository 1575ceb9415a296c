// Stopping the program with Ctrl-C (SIGINT), SIGTERM or SIGHUP (the
// terminal went away).
//
// The signal handler only records the signal. The long loops (candidates,
// walk steps, walked points), every blocking read and every write that waits
// for a pipe or a terminal call ThrowIfInterrupted, which turns a recorded
// signal into the ProgramEnd of an interrupt; RunProgram catches it like any
// early end, closes and flushes the open files, writes
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

#include <sys/types.h>

#include <csignal>
#include <cstddef>

#include "common/program_end.h"

namespace sparsim {

// The statuses are 128 plus the signal's number, as shells report them.
static_assert(kExitInterrupted == 128 + SIGINT && kExitTerminated == 128 + SIGTERM &&
              kExitHungUp == 128 + SIGHUP);

// The signal received and not yet acted upon, or 0. Written only by the
// handler (and ClearInterrupt).
extern volatile std::sig_atomic_t g_interrupt_signal;

// Sets every signal disposition the programs need, so that each main makes
// this one call:
// - SIGINT, SIGTERM and SIGHUP are recorded, without SA_RESTART, so that a
//   blocking read or write returns at once with EINTR. This holds even where
//   the parent left them ignored (as a shell does for a job started with '&'
//   from a script): stopping cleanly on them is the programs' contract.
// - SIGPIPE and SIGXFSZ are ignored: a write to a closed pipe or past the
//   file-size limit fails with EPIPE or EFBIG and is reported like any
//   failed write, instead of killing the program without a word.
void InstallInterruptHandlers();

// Forgets a recorded signal; lets tests reuse the process.
void ClearInterrupt();

// The ProgramEnd of an interrupt by signal: status 130 for SIGINT, 143 for
// SIGTERM, 129 for SIGHUP (128 plus the number for others), with no
// standard-error report.
ProgramEnd InterruptEnd(int signal);

// True for the exit statuses of an interrupt.
inline bool IsInterruptStatus(int exit_status) {
  return exit_status == kExitInterrupted || exit_status == kExitTerminated ||
         exit_status == kExitHungUp;
}

[[noreturn]] void ThrowInterruptEnd();

// Cheap enough for the innermost loops: one load of the flag.
inline void ThrowIfInterrupted() {
  if (g_interrupt_signal != 0) ThrowInterruptEnd();
}

// Waits until fd has something to read (data, its end or an error), or
// until a signal is recorded, which throws the interrupt's ProgramEnd. A
// signal that arrives just before the wait is not missed: the check and the
// wait are made with the signals blocked and atomically unblocked, also in
// a thread that keeps them blocked otherwise: such a thread waits with them
// unblocked, and a signal the main thread sends on to it (PokeThread) ends
// its wait at once, or, sent just before, as soon as it waits.
void WaitReadableOrInterrupted(int fd);

// Waits until fd (a pipe, a terminal) can take bytes, in the same way. Once
// a signal is recorded -- while the files are flushed on the way out -- it
// does not wait at all: it returns when fd can take bytes at once and
// throws the interrupt's ProgramEnd otherwise, so that a reader that stopped
// reading cannot hold the program. A write of at most kUnblockedWrite bytes
// to a pipe, made when this returns, does not wait either.
void WaitWritableOrInterrupted(int fd);
constexpr std::size_t kUnblockedWrite = 4096;  // PIPE_BUF

// open(2), but the wait for the other end of a FIFO (or for any device that
// makes an open wait) ends when a signal is recorded, with the interrupt's
// ProgramEnd; for a FIFO also when the signal came just before the wait. The interrupt signals are
// unblocked for the call, so that one sent to a thread that keeps them blocked (see PokeThread)
// arrives now. Once a signal is recorded it does not wait at all: a FIFO without its other end
// gives the interrupt, anything else opens as usual. Returns the descriptor, or -1 with errno as
// open(2) leaves it.
//
// Example: with a FIFO "f" nobody reads, OpenOrInterrupted("f", O_WRONLY)
// waits; Ctrl-C makes it throw ProgramEnd with exit_status() 130.
int OpenOrInterrupted(const char* path, int flags, mode_t mode = 0);

// Sends the recorded signal to a thread that may be waiting in one of the
// calls above with the signals blocked elsewhere, so that its wait ends.
// Sending it again later is harmless; a thread that never waits ignores it.
void PokeThread(unsigned long thread);

}  // namespace sparsim

#endif  // SPARSIM_COMMON_INTERRUPT_H_
