#include "common/interrupt.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "generate/sampling.h"
#include "common/text_input.h"
#include "common/text_output.h"
#include "shell/program.h"
#include "support/temp_dir.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

const std::string kInterruptReport = "\r\nInterrupted - Program Aborting.\r\n";

// Installs the program's handlers for one test and puts back the defaults.
class Interrupts : public ::testing::Test {
 protected:
  void SetUp() override { InstallInterruptHandlers(); }
  void TearDown() override {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ}) std::signal(signal, SIG_DFL);
    ClearInterrupt();
  }
};

TEST_F(Interrupts, SignalIsRecordedAndEndsTheProgramWithItsStatus) {
  ThrowIfInterrupted();  // nothing recorded: returns
  const std::pair<int, int> cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
  for (auto [signal, status] : cases) {
    std::raise(signal);
    EXPECT_EQ(g_interrupt_signal, signal);
    EXPECT_EQ(EndStatus([] { ThrowIfInterrupted(); }), status) << signal;
    ClearInterrupt();
  }
  // A closed pipe and the file-size limit make writes fail instead.
  std::raise(SIGPIPE);
  std::raise(SIGXFSZ);
  EXPECT_EQ(g_interrupt_signal, 0);
}

// A pipe with nothing in it; a read from it waits until something is
// written or a signal comes.
struct QuietPipe {
  QuietPipe() {
    if (::pipe(fds) != 0) ADD_FAILURE() << "no pipe";
  }
  ~QuietPipe() {
    ::close(fds[0]);
    ::close(fds[1]);
  }
  int fds[2] = {-1, -1};
};

// Runs action on this thread while another one sends signal to it (none
// for 0) after a short pause, then, after rescue_after, calls rescue, which
// lets an action that did not end at the signal end instead of hanging the
// tests. Gives the time the action took.
template <typename Rescue, typename Action>
std::chrono::duration<double> RunWhileSignalled(int signal, std::chrono::milliseconds rescue_after,
                                                Rescue rescue, Action action) {
  std::mutex mutex;
  std::condition_variable done_changed;
  bool done = false;
  pthread_t runner = ::pthread_self();
  std::thread sender([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (done_changed.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; })) return;
    if (signal != 0) ::pthread_kill(runner, signal);
    if (done_changed.wait_for(lock, rescue_after, [&] { return done; })) return;
    rescue();
  });
  auto start = std::chrono::steady_clock::now();
  action();
  auto took = std::chrono::steady_clock::now() - start;
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  done_changed.notify_all();
  sender.join();
  return took;
}

// A read from the pipe while signalled; the rescue writes "late" into it.
template <typename Read>
std::chrono::duration<double> ReadWhileSignalled(QuietPipe& pipe, int signal,
                                                 std::chrono::milliseconds write_after, Read read) {
  auto late = [&] {
    if (::write(pipe.fds[1], "late\n", 5) != 5) ADD_FAILURE() << "write failed";
  };
  return RunWhileSignalled(signal, write_after, late, read);
}

constexpr std::chrono::seconds kNeverNeeded(5);
// Far below kNeverNeeded, far above what a read or write that does not
// wait takes on a loaded machine.
constexpr std::chrono::seconds kNoWait(1);

TEST_F(Interrupts, CtrlCDuringAWaitingReadEndsAsInterruptedNotAsEndOrFault) {
  QuietPipe pipe;
  TextInput in(pipe.fds[0], "standard input", false);
  int status = -1;
  ReadWhileSignalled(pipe, SIGINT, kNeverNeeded,
                     [&] { status = EndStatus([&] { ReadTextChar(in); }); });
  EXPECT_EQ(status, 130);
  EXPECT_FALSE(in.MetEnd());
}

TEST_F(Interrupts, SignalRecordedBeforeTheReadEndsItWithoutWaiting) {
  QuietPipe pipe;
  TextInput in(pipe.fds[0], "standard input", false);
  std::raise(SIGTERM);
  int status = -1;
  auto took = ReadWhileSignalled(pipe, 0, kNeverNeeded,
                                 [&] { status = EndStatus([&] { ReadTextChar(in); }); });
  EXPECT_EQ(status, 143);
  EXPECT_LT(took, kNoWait);
}

// A pipe filled to the brim that nobody reads: a write to it waits.
struct FullPipe : QuietPipe {
  FullPipe() {
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
    while (::write(fds[1], kChunk, sizeof kChunk) > 0) {
    }
    ::fcntl(fds[1], F_SETFL, 0);
  }
  // Reads what the pipe holds.
  void Empty() {
    while (::read(fds[0], buffer, sizeof buffer) > 0) {
    }
  }
  // Keeps reading for a while, so that a waiting write can end.
  void Drain() {
    for (int i = 0; i < 100; ++i) {
      Empty();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  static constexpr char kChunk[512] = {};
  char buffer[65536];
};

TEST_F(Interrupts, SignalDuringAWriteToAFullPipeEndsItAtOnce) {
  for (int signal : {SIGINT, SIGHUP}) {
    FullPipe pipe;
    TextOutput out(pipe.fds[1], "standard output", false);
    int status = -1;
    auto took = RunWhileSignalled(
        signal, kNeverNeeded, [&] { pipe.Drain(); },
        [&] {
          status = EndStatus([&] {
            out.WriteLine("Walked");
            out.Flush();
          });
        });
    EXPECT_EQ(status, 128 + signal);
    EXPECT_LT(took, kNoWait);
    // On the way out, with the signal recorded, a write waits for nothing:
    // it fails while the pipe is full and goes through once there is room.
    out.WriteLine("Interrupted");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(EndStatus([&] { out.Flush(); }), 128 + signal);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kNoWait);
    pipe.Empty();
    out.WriteLine("Interrupted");
    EXPECT_EQ(EndStatus([&] { out.Flush(); }), -1);
    ClearInterrupt();
  }
}

extern "C" void IgnoreSignal(int) {}

TEST_F(Interrupts, OtherSignalsDoNotBreakARead) {
  // SIGUSR1 without SA_RESTART also breaks the wait; the read goes on.
  struct sigaction action {};
  action.sa_handler = IgnoreSignal;
  sigemptyset(&action.sa_mask);
  struct sigaction previous {};
  ::sigaction(SIGUSR1, &action, &previous);
  QuietPipe pipe;
  TextInput in(pipe.fds[0], "standard input", false);
  std::string line;
  ReadWhileSignalled(pipe, SIGUSR1, std::chrono::milliseconds(20),
                     [&] { line = ReadLineText(in); });
  ::sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(line, "late");
}

TEST_F(Interrupts, CandidateLoopStopsBeforeItsNextDraw) {
  GenerationParameters p;
  p.x_max = 10;
  p.y_max = 10;
  p.area = 100;
  p.cluster_radius = 5;
  auto state = std::make_unique<ProgramState>();
  Generator generator = Generator::Lcg(1);
  state->point_count = 5;
  ClusterSeeds seeds;
  TestConsole t("");
  std::raise(SIGINT);
  EXPECT_EQ(EndStatus([&] { FillPointStore(t.console, p, seeds, *state, generator); }), 130);
  EXPECT_EQ(generator.lcg_state(), 1);
  EXPECT_EQ(generator.draws(), 0);
}

class InterruptedProgram : public ::testing::Test {
 protected:
  void TearDown() override { ClearInterrupt(); }
  RunResult Run(TestConsole& t) {
    state->working_directory = dir.path();
    return RunProgram(t.console, *state);
  }
  static bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
  }
  TempDir dir;
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
};

// A walk whose points are typed at the console after its questions: w,
// input CON, seed 7, output WALKED.OUT, default step, 3 steps, then the data.
std::string WalkAnswers(const std::string& data) {
  return "w\r\ncon\r\n7\r\nwalked.out\r\n\r\n3\r\n" + data + "n\r\nn\r\n\r\n";
}
const std::string kLastWalkQuestion = "Number of Random Walk Steps {1} ? ";

TEST_F(InterruptedProgram, WalkKeepsTheLinesWrittenAndReportsTheInterrupt) {
  TestConsole t(WalkAnswers("3 2\r\n1,1\r\n2,2\r\n3,3\r\n"));
  g_interrupt_signal = SIGINT;  // Ctrl-C came during the questions
  RunResult result = Run(t);
  EXPECT_EQ(result.exit_status, 130);
  EXPECT_EQ(result.error_report, "");
  EXPECT_TRUE(EndsWith(t.output(), kLastWalkQuestion + kInterruptReport)) << t.output();
  // Closed and flushed on the way out: the header line, no point.
  EXPECT_EQ(dir.Read("WALKED.OUT"), "3,2\r\n");
  EXPECT_FALSE(state->output_file.IsOpen());
}

TEST_F(InterruptedProgram, SignalAfterTheLastLoopStillEndsAsInterrupted) {
  // A walk of no points has no loop that looks at the signal; the run goes
  // to its end and then reports it.
  TestConsole t(WalkAnswers("0 2\r\n"));
  g_interrupt_signal = SIGTERM;
  RunResult result = Run(t);
  EXPECT_EQ(result.exit_status, 143);
  EXPECT_TRUE(EndsWith(t.output(), "OK to Close Program Window {Y} ? " + kInterruptReport))
      << t.output();
  EXPECT_EQ(dir.Read("WALKED.OUT"), "0,2\r\n");
}

TEST_F(InterruptedProgram, DataFileReadEndsAsInterrupted) {
  dir.Write("in.adf", "2 2\r\n1,1\r\n2,2\r\n");
  TestConsole t("w\r\nin.adf\r\n7\r\n\r\n\r\n3\r\nn\r\nn\r\n\r\n");
  g_interrupt_signal = SIGINT;
  RunResult result = Run(t);
  EXPECT_EQ(result.exit_status, 130);
  EXPECT_TRUE(EndsWith(t.output(), kLastWalkQuestion + kInterruptReport)) << t.output();
  EXPECT_EQ(dir.Read("IN.OUT"), "");
  EXPECT_EQ(dir.Read("in.adf"), "2 2\r\n1,1\r\n2,2\r\n");
}

TEST_F(InterruptedProgram, NoSignalNoReport) {
  TestConsole t(WalkAnswers("1 2\r\n1,1\r\n"));
  RunResult result = Run(t);
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(t.output().find("Interrupted"), std::string::npos);
  EXPECT_EQ(dir.Read("WALKED.OUT").substr(0, 5), "1,2\r\n");
}

}  // namespace
}  // namespace sparsim
