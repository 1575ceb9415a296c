#include "common/interrupt.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>

#include <cerrno>

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
// are made with the signals blocked and atomically unblocked (also in a
// thread that keeps them blocked otherwise), so one that arrives just before
// the wait stays pending until ppoll unblocks it, and then ends the wait at
// once.
void WaitOrInterrupted(int fd, short events) {
  sigset_t blocked = InterruptSignals();
  sigset_t previous;
  ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  sigset_t during = previous;
  for (int signal : kRecordedSignals) sigdelset(&during, signal);
  pollfd wanted{fd, events, 0};
  if (g_interrupt_signal == 0) ::ppoll(&wanted, 1, nullptr, &during);
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ThrowIfInterrupted();
}

// Restores a thread's signal mask when it goes out of scope.
class UnblockedSignals {
 public:
  UnblockedSignals() {
    sigset_t signals = InterruptSignals();
    ::pthread_sigmask(SIG_UNBLOCK, &signals, &previous_);
  }
  ~UnblockedSignals() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  UnblockedSignals(const UnblockedSignals&) = delete;
  UnblockedSignals& operator=(const UnblockedSignals&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace

void InstallInterruptHandlers() {
  for (int signal : kRecordedSignals) Handle(signal);
  for (int signal : kIgnoredSignals) ::signal(signal, SIG_IGN);
}

void ClearInterrupt() { g_interrupt_signal = 0; }

ProgramEnd InterruptEnd(int signal) { return ProgramEnd(128 + signal, ""); }

void ThrowInterruptEnd() { throw InterruptEnd(g_interrupt_signal); }

namespace {

// How often a writer looks again for a FIFO's reader.
constexpr long kFifoRetryNanoseconds = 20000000;

// A FIFO is opened without waiting in open(2) itself, where a signal that
// arrives just before the call would be missed: the open is made
// non-blocking, and the wait for the other end is made, as every other
// wait, with the signals blocked and atomically unblocked in ppoll. A reader
// waits for a writer (or its data); a writer, which open refuses with ENXIO
// while there is no reader, tries again every 20 ms.
int OpenFifoOrInterrupted(const char* path, int flags, mode_t mode) {
  sigset_t blocked = InterruptSignals();
  sigset_t previous;
  ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  sigset_t during = previous;
  for (int signal : kRecordedSignals) sigdelset(&during, signal);
  int fd = -1;
  while (g_interrupt_signal == 0) {
    fd = ::open(path, flags | O_NONBLOCK, mode);
    if (fd >= 0 || errno != ENXIO) break;
    timespec pause{0, kFifoRetryNanoseconds};
    ::ppoll(nullptr, 0, &pause, &during);
  }
  if (fd >= 0 && (flags & O_ACCMODE) == O_RDONLY) {
    pollfd wanted{fd, POLLIN, 0};
    while (g_interrupt_signal == 0 && ::ppoll(&wanted, 1, nullptr, &during) < 0 && errno == EINTR) {
    }
  }
  const int error = errno;
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (g_interrupt_signal != 0) {
    if (fd >= 0) ::close(fd);
    ThrowInterruptEnd();
  }
  if (fd >= 0 && (flags & O_NONBLOCK) == 0) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }
  errno = error;
  return fd;
}

}  // namespace

int OpenOrInterrupted(const char* path, int flags, mode_t mode) {
  struct stat file {};
  if ((flags & O_CREAT) == 0 && ::stat(path, &file) == 0 && S_ISFIFO(file.st_mode)) {
    return OpenFifoOrInterrupted(path, flags, mode);
  }
  UnblockedSignals unblocked;
  for (;;) {
    const bool late = g_interrupt_signal != 0;
    int fd = ::open(path, late ? flags | O_NONBLOCK : flags, mode);
    if (fd >= 0) {
      if (late && (flags & O_NONBLOCK) == 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      return fd;
    }
    if (errno == EINTR && g_interrupt_signal == 0) continue;  // a signal of no concern
    if (errno == EINTR || (late && errno == ENXIO)) ThrowInterruptEnd();
    return -1;
  }
}

void PokeThread(unsigned long thread) {
  int signal = g_interrupt_signal;
  if (signal != 0) ::pthread_kill(static_cast<pthread_t>(thread), signal);
}

void WaitReadableOrInterrupted(int fd) { WaitOrInterrupted(fd, POLLIN); }

void WaitWritableOrInterrupted(int fd) {
  if (g_interrupt_signal == 0) return WaitOrInterrupted(fd, POLLOUT);
  pollfd wanted{fd, POLLOUT, 0};
  // An error or a hang-up lets the write itself report the fault.
  if (::poll(&wanted, 1, 0) > 0) return;
  ThrowInterruptEnd();
}

}  // namespace sparsim
