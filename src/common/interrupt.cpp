#include "common/interrupt.h"

#include <poll.h>
#include <signal.h>

namespace sparsim {

volatile std::sig_atomic_t g_interrupt_signal = 0;

namespace {

constexpr int kRecordedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kIgnoredSignals[] = {SIGPIPE, SIGXFSZ};

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
  for (int signal : kRecordedSignals) sigaddset(&set, signal);
  return set;
}

// Waits for events on fd until a signal is recorded. The check and the wait
// are made with the signals blocked and atomically unblocked, so one that
// arrives just before the wait stays pending until ppoll unblocks it, and
// then ends the wait at once.
void WaitOrInterrupted(int fd, short events) {
  sigset_t blocked = InterruptSignals();
  sigset_t previous;
  ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  pollfd wanted{fd, events, 0};
  if (g_interrupt_signal == 0) ::ppoll(&wanted, 1, nullptr, &previous);
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ThrowIfInterrupted();
}

}  // namespace

void InstallInterruptHandlers() {
  for (int signal : kRecordedSignals) Handle(signal);
  for (int signal : kIgnoredSignals) ::signal(signal, SIG_IGN);
}

void ClearInterrupt() { g_interrupt_signal = 0; }

ProgramEnd InterruptEnd(int signal) { return ProgramEnd(128 + signal, ""); }

void ThrowInterruptEnd() { throw InterruptEnd(g_interrupt_signal); }

void WaitReadableOrInterrupted(int fd) { WaitOrInterrupted(fd, POLLIN); }

void WaitWritableOrInterrupted(int fd) {
  if (g_interrupt_signal == 0) return WaitOrInterrupted(fd, POLLOUT);
  pollfd wanted{fd, POLLOUT, 0};
  // An error or a hang-up lets the write itself report the fault.
  if (::poll(&wanted, 1, 0) > 0) return;
  ThrowInterruptEnd();
}

}  // namespace sparsim
