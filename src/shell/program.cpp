#include "shell/program.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <new>

#include "common/interrupt.h"
#include "common/program_end.h"
#include "dialogue/choice_prompts.h"
#include "dialogue/closing.h"
#include "generate/generation_dialogue.h"
#include "shell/banner.h"
#include "walk/random_walk.h"

namespace sparsim {
namespace {

constexpr std::string_view kProgramName = "Sparsim";
constexpr std::string_view kVersion = "2.0";
constexpr std::string_view kTitle = "Random Point Distributions";

void RunModes(Console& console, ProgramState& state) {
  ShowBanner(console, kProgramName, kVersion, kTitle);
  char mode =
      AskChoice(console, "[G]enerate Random Points or Random [W]alk Existing Points", "GW", "G");
  if (mode == 'G') {
    GeneratePoints(console, state);
  } else {
    WalkPoints(console, state);
  }
  ConfirmClose(console);
  console.out.Flush();
}

// Runs one closing step; its failure becomes the result unless an earlier
// end (a fault, the end of the answers, an interrupt) is already the
// result: the first is the one reported.
void CloseQuietly(RunResult& result, const std::function<void()>& step) {
  try {
    step();
  } catch (const ProgramEnd& fault) {
    if (result.exit_status == kExitNormal) {
      result.exit_status = fault.exit_status();
      result.error_report = fault.report();
    }
  }
}

void WriteInterruptReport(TextOutput& out) {
  out.WriteLine();
  out.WriteLine("Interrupted - Program Aborting.");
}

}  // namespace

RunResult RunProgram(Console& console, ProgramState& state) {
  RunResult result;
  try {
    RunModes(console, state);
    // A signal that came too late for any loop or read still ends the run
    // as interrupted, so its status never claims a normal end.
    ThrowIfInterrupted();
    return result;
  } catch (const ProgramEnd& end) {
    result.exit_status = end.exit_status();
    result.error_report = end.report();
  } catch (const std::bad_alloc&) {
    // Under a memory limit: a report and the status of a failed operation,
    // with the files closed as after any other fault.
    result.exit_status = kExitIoFault;
    result.error_report = std::string("sparsim: ") + std::strerror(ENOMEM);
  }
  // The files come first: keeping what was written matters most.
  const bool interrupted = IsInterruptStatus(result.exit_status);
  CloseQuietly(result, [&] { state.output_file.Close(); });
  CloseQuietly(result, [&] { state.input_file.Close(); });
  if (interrupted) {
    CloseQuietly(result, [&] { WriteInterruptReport(console.out); });
  }
  CloseQuietly(result, [&] { console.out.Flush(); });
  return result;
}

}  // namespace sparsim
