#include "shell/program.h"

#include <functional>

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
// failure is already being reported.
void CloseQuietly(RunResult& result, const std::function<void()>& step) {
  try {
    step();
  } catch (const ProgramEnd& fault) {
    if (result.error_report.empty()) {
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
