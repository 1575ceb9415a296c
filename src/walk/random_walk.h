// The walk mode: every point of a coordinate file moved by random steps.
//
// WalkPoints asks for the input file (default extension .ADF), derives the
// output name (SITE.ADF gives SITE.OUT), asks the seed once and shows it,
// and then walks pass after pass: each pass asks the output file, the
// maximum step and the number of steps, reads the announced count and the
// dimensions (which must be 2), walks and writes point after point, reports
// "<n> Points Processed", offers the plot, rewinds the input and asks
// "Re-walk Input Points". The output file holds the line "<count>,2" and then
// one line "X,Y" per point, 4 decimals, e.g. 12.3457,-7.0000. An interrupt
// (common/interrupt.h) stops the walk between two steps: the point in
// progress is dropped and the lines of the points before it are kept.
//
// WalkInputPoints is the reading and walking of one pass, usable without a
// console: the command line (sparsim walk) runs it too, with a reader that
// stops with an error on a bad item where the dialogue asks "Quit Now".
//
// Each step is RandomStep (walk/walk_step.h): the length first, then the
// direction, measured from the positive Y axis.

#ifndef SPARSIM_WALK_RANDOM_WALK_H_
#define SPARSIM_WALK_RANDOM_WALK_H_

#include <cstdint>
#include <string>

#include "common/program_state.h"
#include "dialogue/console.h"
#include "numeric/generator.h"
#include "walk/walk_step.h"

namespace sparsim {

void WalkPoints(Console& console, ProgramState& state);

// An item of the walk's input: the point count, the number of coordinates,
// or the X or Y of a point (numbered from 1).
struct WalkItem {
  enum Kind { kCount, kDimensions, kX, kY };
  Kind kind = kCount;
  int32_t point = 0;
};

// "the point count", "the number of coordinates", "the Y of point 3".
std::string DescribeWalkItem(WalkItem item);

// How a pass reads the items of its input file, and what it does about a bad
// one or about a number of coordinates other than 2.
class WalkReader {
 public:
  virtual ~WalkReader() = default;
  virtual int32_t Integer(InputFile& file, WalkItem item) = 0;
  virtual double Real(InputFile& file, WalkItem item) = 0;
  [[noreturn]] virtual void RefuseDimensions(int32_t dimensions) = 0;
};

struct WalkPassCount {
  int32_t announced = 0;  // the count the file announces
  int32_t processed = 0;  // the points walked and written
};

// One pass over state.input_file, from its current position: reads the count
// and the dimensions, writes "<count>,2" to out, then walks and writes each
// point with max_step and step_count, storing the first kMaxPoints in the
// point store and counting them in state.point_count. Draws only through
// RandomStep, from generator (the dialogue's is the LCG of the seed it
// asks; the command line may hand a Philox one). Neither rewinds the input
// nor closes out.
WalkPassCount WalkInputPoints(WalkReader& reader, TextOutput& out, ProgramState& state,
                              double max_step, int32_t step_count, Generator& generator);

// The walk of one point: step_count steps of RandomStep, each after a look
// for an interrupt. Every pass walks its points with it, point after point.
void WalkPoint(double& x, double& y, double max_step, int32_t step_count, Generator& generator);

// The first line of the output file, without its line end: "100,2".
std::string WalkedCountLine(int32_t count);

// The line of one walked point in the output file, without its line end:
// "12.3457,-7.0000".
std::string WalkedPointLine(double x, double y);

}  // namespace sparsim

#endif  // SPARSIM_WALK_RANDOM_WALK_H_
