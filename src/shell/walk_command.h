// sparsim walk: the passes of the walk mode from options.
//
//   sparsim walk SITE.ADF --max-step 0.5 --steps 10 --passes 3 --seed 7 -o "walk{pass}.out"
// writes walk1.out, walk2.out and walk3.out, exactly the ".OUT" bytes of the
// dialogue's three passes over SITE.ADF with seed 7, maximum step 0.5 and 10
// steps, through the dialogue's own pass (WalkInputPoints). Without -o the
// one pass goes to standard output; "-" as INPUT reads standard input.
//
// The input is read and checked whole before anything is written. An item
// the dialogue would ask "Quit Now" about, and a number of coordinates other
// than 2, end the command with status 2 and the file, line and token:
//   sparsim walk: SITE.ADF:5: "12a4" is not a number (bad character "a"); it should be the X of
//   point 3
// What the dialogue walks on without a question is walked the same way and
// noted on standard error: a "?" item or a coordinate missing at the end of
// the file (walked from 1e32, as in the dialogue), fewer points than the file
// announces, and numbers after the announced points (not walked).

#ifndef SPARSIM_SHELL_WALK_COMMAND_H_
#define SPARSIM_SHELL_WALK_COMMAND_H_

#include "shell/run_options.h"

namespace sparsim {

// The whole command; returns its exit status, its messages written to
// io.err_fd.
int RunWalk(const WalkOptions& options, const CommandIo& io);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_WALK_COMMAND_H_
