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
// Each step is RandomStep (walk/walk_step.h): the length first, then the
// direction, measured from the positive Y axis.

#ifndef SPARSIM_WALK_RANDOM_WALK_H_
#define SPARSIM_WALK_RANDOM_WALK_H_

#include <cstdint>

#include "common/program_state.h"
#include "dialogue/console.h"
#include "walk/walk_step.h"

namespace sparsim {

void WalkPoints(Console& console, ProgramState& state);

}  // namespace sparsim

#endif  // SPARSIM_WALK_RANDOM_WALK_H_
