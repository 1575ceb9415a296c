// A picture of the stored points, made of characters.
//
// The points are scaled to their extent, X and Y in proportion within a
// frame 2.25 times as wide as it is high, onto a grid of 80 columns by 25
// rows; a cell holding one point shows "+", two or more "*". The window
// printed is rows 1..24 and columns 1..79, each character flushed as it is
// written, each row ended with CR LF. Points that map to row 25 or column
// 80 are drawn in row 24 or column 79 so that every point shows.
//
// Example: the corners of the unit square give Aspect 1; the top corners
// show on the first line at characters 1 and 36, nothing to the right.
// A zero range of X puts every point in column 1; a zero range of Y in the
// bottom row; no points at all give 24 lines of 79 blanks.

#ifndef SPARSIM_PLOT_PLOT_H_
#define SPARSIM_PLOT_PLOT_H_

#include "common/program_state.h"
#include "dialogue/console.h"

namespace sparsim {

void PlotPoints(Console& console, const ProgramState& state);

}  // namespace sparsim

#endif  // SPARSIM_PLOT_PLOT_H_
