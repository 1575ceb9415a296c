#include "common/interrupt.h"

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

#include "generate/sampling.h"
#include "numeric/text_input.h"
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
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    ClearInterrupt();
  }
};

TEST_F(Interrupts, SignalIsRecordedAndEndsTheProgramWithItsStatus) {
  ThrowIfInterrupted();  // nothing recorded: returns
  std::raise(SIGINT);
  EXPECT_EQ(g_interrupt_signal, SIGINT);
  EXPECT_EQ(EndStatus([] { ThrowIfInterrupted(); }), 130);
  ClearInterrupt();
  std::raise(SIGTERM);
  EXPECT_EQ(EndStatus([] { ThrowIfInterrupted(); }), 143);
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

// Runs read on this thread while another one sends signal to it (none for
// 0) after a short pause, then, after write_after, writes "late" into the
// pipe: a read that does not end at the signal returns that line instead
// of hanging the tests.
template <typename Read>
void ReadWhileSignalled(QuietPipe& pipe, int signal, std::chrono::milliseconds write_after,
                        Read read) {
  std::mutex mutex;
  std::condition_variable done_changed;
  bool done = false;
  pthread_t reader = ::pthread_self();
  std::thread sender([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (done_changed.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; })) return;
    if (signal != 0) ::pthread_kill(reader, signal);
    if (done_changed.wait_for(lock, write_after, [&] { return done; })) return;
    if (::write(pipe.fds[1], "late\n", 5) != 5) ADD_FAILURE() << "write failed";
  });
  read();
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  done_changed.notify_all();
  sender.join();
}

constexpr std::chrono::seconds kNeverNeeded(5);

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
  ReadWhileSignalled(pipe, 0, kNeverNeeded, [&] { status = EndStatus([&] { ReadTextChar(in); }); });
  EXPECT_EQ(status, 143);
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
  state->rand_seed = 1;
  state->point_count = 5;
  ClusterSeeds seeds;
  TestConsole t("");
  std::raise(SIGINT);
  EXPECT_EQ(EndStatus([&] { FillPointStore(t.console, p, seeds, *state); }), 130);
  EXPECT_EQ(state->rand_seed, 1);
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
