#include "walk/random_walk.h"

#include <string>

#include "common/interrupt.h"
#include "dialogue/choice_prompts.h"
#include "dialogue/closing.h"
#include "dialogue/data_items.h"
#include "dialogue/file_names.h"
#include "dialogue/file_prompts.h"
#include "dialogue/numeric_prompts.h"
#include "dialogue/seed_prompt.h"
#include "numeric/number_format.h"
#include "plot/plot.h"

namespace sparsim {
namespace {

constexpr double kHuge = 1e30;

// The dialogue's reading: a bad item is shown and "Quit Now" asked; other
// dimensions than 2 end the program through FatalError.
class DialogueWalkReader : public WalkReader {
 public:
  explicit DialogueWalkReader(Console& console) : console_(console) {}
  int32_t Integer(InputFile& file, WalkItem) override { return ReadIntegerItem(console_, file); }
  double Real(InputFile& file, WalkItem) override { return ReadRealItem(console_, file); }
  [[noreturn]] void RefuseDimensions(int32_t) override {
    FatalError(console_, "Fatal Error-Dimensions<>2");
  }

 private:
  Console& console_;
};

void WalkOnePass(Console& console, ProgramState& state, Generator& generator) {
  AskOutputFile(console, state.working_directory, "Output file of Random Walked Point Coordinates",
                state.output_file, state.output_name, &state.input_file);
  console.out.WriteLine("Steplength is uniformly distributed between 0 and maximum specified");
  double max_step = AskReal(console, "Maximum Step Length", "1.0", 0, kHuge);
  int32_t step_count = AskInteger(console, "Number of Random Walk Steps", 0, 2147483647, "1");
  DialogueWalkReader reader(console);
  WalkPassCount count =
      WalkInputPoints(reader, state.output_file.text(), state, max_step, step_count, generator);
  // Closing first means a write that fails at the last flush ends the
  // program before the count is shown: the count never claims a pass whose
  // file is incomplete. The console bytes of a sound pass are the same.
  state.output_file.Close();
  console.out.WriteLine(FormatInteger(count.processed, 0) + " Points Processed");
  if (count.announced != count.processed) {
    console.out.WriteLine("Likely Input Error Not Enough Coordinates");
  }
  console.out.WriteLine();
  if (AskYesNo(console, "Plot on Screen", kDefaultYes)) PlotPoints(console, state);
  state.input_file.Rewind();
}

}  // namespace

std::string WalkedCountLine(int32_t count) { return FormatInteger(count, 0) + ",2"; }

std::string WalkedPointLine(double x, double y) {
  std::string line;
  AppendFixed(line, x, 0, 4);
  line += ',';
  AppendFixed(line, y, 0, 4);
  return line;
}

void WalkPoint(double& x, double& y, double max_step, int32_t step_count, Generator& generator) {
  for (int32_t step = 0; step < step_count; ++step) {
    ThrowIfInterrupted();
    RandomStep(x, y, max_step, generator);
  }
}

std::string DescribeWalkItem(WalkItem item) {
  switch (item.kind) {
    case WalkItem::kCount:
      return "the point count";
    case WalkItem::kDimensions:
      return "the number of coordinates";
    case WalkItem::kX:
      return "the X of point " + std::to_string(item.point);
    case WalkItem::kY:
      break;
  }
  return "the Y of point " + std::to_string(item.point);
}

WalkPassCount WalkInputPoints(WalkReader& reader, TextOutput& out, ProgramState& state,
                              double max_step, int32_t step_count, Generator& generator) {
  InputFile& in = state.input_file;
  WalkPassCount count;
  count.announced = reader.Integer(in, {WalkItem::kCount, 0});
  int32_t dimensions = reader.Integer(in, {WalkItem::kDimensions, 0});
  if (dimensions != 2) reader.RefuseDimensions(dimensions);
  out.WriteLine(WalkedCountLine(count.announced));
  state.point_count = 0;
  // Separators after the last point (a comma, a comment) are not a point.
  while (state.point_count < count.announced && !SkipSeparatorsToDataEnd(in.text())) {
    ThrowIfInterrupted();
    int32_t point = ++state.point_count;
    double x = reader.Real(in, {WalkItem::kX, point});
    double y = reader.Real(in, {WalkItem::kY, point});
    // A point cut short is not written: the file keeps whole points only.
    WalkPoint(x, y, max_step, step_count, generator);
    if (point <= kMaxPoints) {
      state.store.x[point] = x;
      state.store.y[point] = y;
    }
    out.WriteLine(WalkedPointLine(x, y));
  }
  count.processed = state.point_count;
  return count;
}

void WalkPoints(Console& console, ProgramState& state) {
  state.input_name = ".ADF";
  console.out.WriteLine("Input file may have any number of pairs of X, Y coordinates");
  AskInputFile(console, state.working_directory, "Input File of Original Point Coordinates",
               state.input_file, state.input_name);
  state.output_name = StripExtension(state.input_name) + ".OUT";
  int32_t seed = 0;
  AskSeed(console, seed);
  ShowSeed(console, seed);
  Generator generator = Generator::Lcg(seed);
  do {
    WalkOnePass(console, state, generator);
  } while (AskYesNo(console, "Re-walk Input Points", kDefaultNo));
  state.input_file.Close();
}

}  // namespace sparsim
