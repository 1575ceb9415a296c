// sparsim generate: the sets of the generation mode from options, replicate
// after replicate.
//
// Every answer of a set is an option, checked against the dialogue's rule
// for that answer, and the set is derived, generated and written by the
// dialogue's own code (generate/set_options.h, GenerateSet,
// WriteCoordinateLines), so that
//   sparsim generate --circle 20 --points 100 --centred --model U --seed 12345
// writes on standard output exactly the ".ADF" bytes that the dialogue
// writes for seed 12345 and the answers c, 20, (centre 10, 10), n, 100, c, u.
//
// Defaults are the dialogue's: the centre of a circle is one radius from
// each axis (to 2 decimals), the cluster seeds are points of the set, the
// model is normal. A seed of 0, or none, is taken from the clock and reported
// on standard error. Replicates: see numeric/replicate_seeds.h,
// shell/output_plan.h and shell/replicate_runner.h.

#ifndef SPARSIM_SHELL_GENERATE_COMMAND_H_
#define SPARSIM_SHELL_GENERATE_COMMAND_H_

#include <cstdint>

#include "generate/set_options.h"
#include "shell/run_options.h"

namespace sparsim {

// The set's options and the run's.
struct GenerateOptions : SetOptions {
  RunOptions run;
};

// The whole command; returns its exit status, its messages written to
// io.err_fd.
int RunGenerate(const GenerateOptions& options, const CommandIo& io);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_GENERATE_COMMAND_H_
