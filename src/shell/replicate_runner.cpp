#include "shell/replicate_runner.h"

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "common/command_line.h"
#include "common/interrupt.h"
#include "common/program_end.h"
#include "export/export_failure.h"
#include "shell/command_report.h"
#include "shell/manifest.h"
#include "shell/progress_line.h"

namespace sparsim {
namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(250);

// What the threads of a run share, under the mutex.
struct SharedRun {
  std::mutex mutex;
  std::condition_variable changed;
  int32_t next = 1;
  int32_t finished = 0;
  int running = 0;
  bool stop = false;
  int failure_status = 0;
  std::string failure;
  // The manifest lines of each replicate, filled by its thread as its files
  // are written.
  std::vector<std::vector<std::string>> rows;
};

void RecordFailure(SharedRun& shared, int status, const std::string& message) {
  std::lock_guard<std::mutex> lock(shared.mutex);
  shared.stop = true;
  if (shared.failure_status == 0) {
    shared.failure_status = status;
    shared.failure = message;
  }
}

void Work(SharedRun& shared, int32_t replicates, const ReplicateWork& work) {
  for (;;) {
    int32_t k = 0;
    {
      std::lock_guard<std::mutex> lock(shared.mutex);
      if (shared.stop || g_interrupt_signal != 0 || shared.next > replicates) break;
      k = shared.next++;
    }
    try {
      // Only this thread touches the replicate's lines until all are joined.
      work(k, shared.rows[static_cast<std::size_t>(k - 1)]);
      std::lock_guard<std::mutex> lock(shared.mutex);
      ++shared.finished;
    } catch (const ProgramEnd& end) {
      // An interrupt is reported by the main thread; other ends are faults.
      if (!IsInterruptStatus(end.exit_status())) {
        std::string report = end.report();
        if (report.starts_with("sparsim: ")) report = report.substr(9);
        RecordFailure(shared, end.exit_status(), report);
      }
      std::lock_guard<std::mutex> lock(shared.mutex);
      shared.stop = true;
    } catch (const CommandFailure& failure) {
      // A write that a signal ended is the interrupt, which the main thread reports.
      if (IsInterruptStatus(failure.exit_status())) {
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.stop = true;
      } else {
        RecordFailure(shared, failure.exit_status(), failure.what());
      }
    } catch (const std::bad_alloc&) {
      RecordFailure(shared, kExitFile, "out of memory");
    } catch (const std::exception& error) {
      RecordFailure(shared, kExitFile, error.what());
    }
    shared.changed.notify_all();
  }
  std::lock_guard<std::mutex> lock(shared.mutex);
  --shared.running;
  shared.changed.notify_all();
}

// Starts the threads with the interrupt signals blocked, so that only the
// main thread receives them, and joins them whatever happens.
class WorkerThreads {
 public:
  WorkerThreads(int count, SharedRun& shared, int32_t replicates, const ReplicateWork& work)
      : shared_(shared) {
    threads_.reserve(static_cast<std::size_t>(count));
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&blocked, signal);
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    {
      std::lock_guard<std::mutex> lock(shared.mutex);
      shared.running = count;
    }
    for (int i = 0; i < count; ++i) {
      try {
        threads_.emplace_back([&shared, replicates, &work] { Work(shared, replicates, work); });
      } catch (const std::system_error& error) {
        // Fewer threads do the same work; without any it fails.
        {
          std::lock_guard<std::mutex> lock(shared.mutex);
          shared.running -= count - i;
        }
        if (i == 0) RecordFailure(shared, kExitFile, std::string("no thread: ") + error.what());
        break;
      }
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }
  // Normally every thread has ended by now; on an early way out they stop
  // after the replicate in hand.
  ~WorkerThreads() {
    {
      std::lock_guard<std::mutex> lock(shared_.mutex);
      shared_.stop = true;
    }
    for (std::thread& thread : threads_) thread.join();
  }
  // Ends the waits of threads that wait for a file, a FIFO or a pipe with
  // the signals blocked: a thread finds the recorded signal pending as soon
  // as it waits, or at once when it waits already.
  void Poke() {
    for (std::thread& thread : threads_) PokeThread(thread.native_handle());
  }
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

 private:
  SharedRun& shared_;
  std::vector<std::thread> threads_;
};

}  // namespace

int RunReplicates(const OutputPlan& plan, const CommandIo& io, const RunKind& kind,
                  const std::string& manifest_header, const ReplicateWork& work,
                  const std::function<void()>& finish) {
  SharedRun shared;
  shared.rows.resize(static_cast<std::size_t>(plan.replicates));
  ProgressLine progress(io, kind, plan.replicates, io.err_is_terminal && !plan.quiet);
  {
    WorkerThreads threads(plan.jobs, shared, plan.replicates, work);
    std::unique_lock<std::mutex> lock(shared.mutex);
    while (shared.running > 0) {
      int32_t done = shared.finished;
      lock.unlock();
      progress.Draw(done);
      lock.lock();
      shared.changed.wait_for(lock, kProgressInterval);
      if (g_interrupt_signal != 0) {
        shared.stop = true;
        // Again at each round: a thread may have been about to wait.
        threads.Poke();
      }
    }
  }
  progress.Draw(shared.finished);
  progress.End();
  if (shared.failure_status == 0 && g_interrupt_signal == 0 && finish) {
    try {
      finish();
    } catch (const ProgramEnd& end) {
      if (!IsInterruptStatus(end.exit_status())) {
        RecordFailure(shared, end.exit_status(), end.report());
      }
    } catch (const CommandFailure& failure) {
      if (!IsInterruptStatus(failure.exit_status())) {
        RecordFailure(shared, failure.exit_status(), failure.what());
      }
    } catch (const std::bad_alloc&) {
      RecordFailure(shared, kExitFile, "out of memory");
    }
  }
  int status = shared.failure_status;
  if (status != 0) Say(io, kind.command, shared.failure);
  // A file of all replicates is written whole or not at all.
  if (plan.combined && (status != 0 || g_interrupt_signal != 0)) {
    for (std::vector<std::string>& lines : shared.rows) lines.clear();
    shared.finished = 0;
  }
  if (!plan.manifest.empty()) {
    try {
      // A resumed run lists every file anew.
      WriteManifest(plan.manifest, manifest_header, shared.rows, plan.force || plan.skip_existing,
                    io.out_fd);
    } catch (const ExportFailure& failure) {
      if (!IsInterruptStatus(failure.exit_status())) Say(io, kind.command, failure.what());
      if (status == 0) status = failure.exit_status();
    }
  }
  if (g_interrupt_signal != 0) {
    Say(io, kind.command,
        "interrupted; " + std::to_string(shared.finished) + " of " +
            std::to_string(plan.replicates) + " replicates were finished and are kept");
    return InterruptEnd(g_interrupt_signal).exit_status();
  }
  return status;
}

}  // namespace sparsim
