#include "common/replicate_pool.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "common/interrupt.h"

namespace sparsim {
namespace {

struct Shared {
  std::mutex mutex;
  std::condition_variable changed;
  int32_t next = 1;
  int32_t finished = 0;
  int running = 0;
  bool stop = false;
  std::exception_ptr failure;
};

void Work(Shared& shared, int32_t count, const PoolWork& work) {
  for (;;) {
    int32_t k = 0;
    {
      std::lock_guard<std::mutex> lock(shared.mutex);
      if (shared.stop || g_interrupt_signal != 0 || shared.next > count) break;
      k = shared.next++;
    }
    try {
      work(k);
      std::lock_guard<std::mutex> lock(shared.mutex);
      ++shared.finished;
    } catch (...) {
      std::lock_guard<std::mutex> lock(shared.mutex);
      shared.stop = true;
      if (!shared.failure) shared.failure = std::current_exception();
    }
    shared.changed.notify_all();
  }
  std::lock_guard<std::mutex> lock(shared.mutex);
  --shared.running;
  shared.changed.notify_all();
}

// Calls poll, turning an exception from it into a stop with that exception.
bool Polled(const PoolPoll& poll, int32_t finished, std::exception_ptr& failure) {
  try {
    return poll(finished);
  } catch (...) {
    failure = std::current_exception();
    return false;
  }
}

}  // namespace

void RunOnPool(int32_t count, int jobs, const PoolWork& work, const PoolPoll& poll) {
  if (count <= 0) return;
  std::exception_ptr poll_failure;
  Shared shared;
  const int threads_wanted = std::max(1, std::min<int>(jobs, count));
  std::vector<std::thread> threads;
  {
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&blocked, signal);
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    for (int i = 0; i < threads_wanted; ++i) {
      {
        std::lock_guard<std::mutex> lock(shared.mutex);
        ++shared.running;
      }
      try {
        threads.emplace_back([&shared, count, &work] { Work(shared, count, work); });
      } catch (...) {
        std::lock_guard<std::mutex> lock(shared.mutex);
        --shared.running;
        // Fewer threads do the same work; without any it fails.
        if (i == 0) {
          ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
          throw;
        }
        break;
      }
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }

  bool raised_flag = false;
  bool first = true;
  std::unique_lock<std::mutex> lock(shared.mutex);
  for (;;) {
    if (!first && shared.running > 0) shared.changed.wait_for(lock, kPollInterval);
    const bool done = !first && shared.running == 0;
    if (!shared.stop) {
      // The first call says that the work has started.
      const int32_t finished = first ? 0 : shared.finished;
      first = false;
      lock.unlock();
      const bool go_on = Polled(poll, finished, poll_failure);
      lock.lock();
      if (!go_on) {
        shared.stop = true;
        // Stops a set or a walk in progress at its next check.
        if (g_interrupt_signal == 0) {
          g_interrupt_signal = SIGINT;
          raised_flag = true;
        }
      }
    }
    if (g_interrupt_signal != 0) shared.stop = true;
    if (done) break;
  }
  lock.unlock();
  for (std::thread& thread : threads) thread.join();
  if (raised_flag) ClearInterrupt();
  if (poll_failure) std::rethrow_exception(poll_failure);
  if (raised_flag) throw InterruptEnd(SIGINT);
  if (shared.failure) std::rethrow_exception(shared.failure);
  // A signal recorded before a piece started: the pieces left were never run.
  if (g_interrupt_signal != 0) throw InterruptEnd(g_interrupt_signal);
}

}  // namespace sparsim
