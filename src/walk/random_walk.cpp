#include "walk/random_walk.h"

#include <string>

#include "common/interrupt.h"
#include "dialogue/choice_prompts.h"
#include "dialogue/file_names.h"
#include "dialogue/file_prompts.h"
#include "dialogue/numeric_prompts.h"
#include "dialogue/seed_prompt.h"
#include "numeric/data_reader.h"
#include "numeric/number_format.h"
#include "plot/plot.h"
#include "shell/closing.h"

namespace sparsim {
namespace {

constexpr double kHuge = 1e30;

std::string WalkedPointLine(double x, double y) {
  return FormatFixed(x, 0, 4) + "," + FormatFixed(y, 0, 4);
}

// Reads, walks and writes the points of one pass; returns how many.
int32_t WalkAnnouncedPoints(Console& console, ProgramState& state, int32_t announced,
                            double max_step, int32_t step_count) {
  TextOutput& out = state.output_file.text();
  state.point_count = 0;
  // Separators after the last point (a comma, a comment) are not a point.
  while (state.point_count < announced && !SkipSeparatorsToDataEnd(state.input_file.text())) {
    ThrowIfInterrupted();
    ++state.point_count;
    double x = ReadRealItem(console, state.input_file);
    double y = ReadRealItem(console, state.input_file);
    // A point cut short is not written: the file keeps whole points only.
    for (int32_t step = 0; step < step_count; ++step) {
      ThrowIfInterrupted();
      RandomStep(x, y, max_step, state.rand_seed);
    }
    if (state.point_count <= kMaxPoints) {
      state.store.x[state.point_count] = x;
      state.store.y[state.point_count] = y;
    }
    out.WriteLine(WalkedPointLine(x, y));
  }
  return state.point_count;
}

void WalkOnePass(Console& console, ProgramState& state) {
  AskOutputFile(console, state.working_directory, "Output file of Random Walked Point Coordinates",
                state.output_file, state.output_name, &state.input_file);
  console.out.WriteLine("Steplength is uniformly distributed between 0 and maximum specified");
  double max_step = AskReal(console, "Maximum Step Length", "1.0", 0, kHuge);
  int32_t step_count = AskInteger(console, "Number of Random Walk Steps", 0, 2147483647, "1");
  int32_t announced = ReadIntegerItem(console, state.input_file);
  int32_t dimensions = ReadIntegerItem(console, state.input_file);
  if (dimensions != 2) FatalError(console, "Fatal Error-Dimensions<>2");
  state.output_file.text().WriteLine(FormatInteger(announced, 0) + ",2");
  int32_t processed = WalkAnnouncedPoints(console, state, announced, max_step, step_count);
  // Closing first means a write that fails at the last flush ends the
  // program before the count is shown: the count never claims a pass whose
  // file is incomplete. The console bytes of a sound pass are the same.
  state.output_file.Close();
  console.out.WriteLine(FormatInteger(processed, 0) + " Points Processed");
  if (announced != processed) {
    console.out.WriteLine("Likely Input Error Not Enough Coordinates");
  }
  console.out.WriteLine();
  if (AskYesNo(console, "Plot on Screen", kDefaultYes)) PlotPoints(console, state);
  state.input_file.Rewind();
}

}  // namespace

void WalkPoints(Console& console, ProgramState& state) {
  state.input_name = ".ADF";
  console.out.WriteLine("Input file may have any number of pairs of X, Y coordinates");
  AskInputFile(console, state.working_directory, "Input File of Original Point Coordinates",
               state.input_file, state.input_name);
  state.output_name = StripExtension(state.input_name) + ".OUT";
  AskSeed(console, state.rand_seed);
  ShowSeed(console, state.rand_seed);
  do {
    WalkOnePass(console, state);
  } while (AskYesNo(console, "Re-walk Input Points", kDefaultNo));
  state.input_file.Close();
}

}  // namespace sparsim
