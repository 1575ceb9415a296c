#include "common/interrupt.h"

#include <poll.h>
#include <signal.h>

namespace sparsim {

volatile std::sig_atomic_t g_interrupt_signal = 0;

namespace {

extern "C" void RecordSignal(int signal) { g_interrupt_signal = signal; }

void Handle(int signal) {
  struct sigaction action {};
  action.sa_handler = RecordSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked read returns with EINTR
  ::sigaction(signal, &action, nullptr);
}

sigset_t InterruptSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

void InstallInterruptHandlers() {
  Handle(SIGINT);
  Handle(SIGTERM);
}

void ClearInterrupt() { g_interrupt_signal = 0; }

ProgramEnd InterruptEnd(int signal) { return ProgramEnd(128 + signal, ""); }

void ThrowInterruptEnd() { throw InterruptEnd(g_interrupt_signal); }

void WaitReadableOrInterrupted(int fd) {
  sigset_t blocked = InterruptSignals();
  sigset_t previous;
  ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  pollfd wanted{fd, POLLIN, 0};
  // With the signals blocked, one that arrives after this check stays
  // pending until ppoll unblocks them, and then ends the wait at once.
  if (g_interrupt_signal == 0) ::ppoll(&wanted, 1, nullptr, &previous);
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ThrowIfInterrupted();
}

}  // namespace sparsim
