// The generation mode: the seed, then set after set of points.
//
// GeneratePoints asks the seed once and shows "Random Seed: " with the seed
// in use. Each set then asks the site (circle: diameter and centre;
// rectangle: its corners), the number of points or their density, centred
// or contagious (cluster seeds, seeds as points, cluster radius) and the
// density model; warns when the set would need more than 1e10 candidates
// (generate/trial_estimate.h); generates the points; and offers "Write Coordinates",
// "Plot on Screen" and "Generate Another Set of Points". Later sets go on
// with the generator where the last one stopped and record the same seed.
//
// Example: taking every default for a circle gives diameter 20.0, centre
// (10.00, 10.00), site radius 10 and area 100 pi; in density mode with
// density 1.0 the line "314 Point Locations will be Generated" follows.
// What follows from the answers is derived in generate/set_parameters.h.

#ifndef SPARSIM_GENERATE_GENERATION_DIALOGUE_H_
#define SPARSIM_GENERATE_GENERATION_DIALOGUE_H_

#include <cstdint>

#include "common/program_state.h"
#include "dialogue/console.h"
#include "generate/generation_parameters.h"
#include "generate/sampling.h"

namespace sparsim {

void GeneratePoints(Console& console, ProgramState& state);

// The questions of one set, from the site shape to the density model; sets
// state.point_count. Draws no random number.
GenerationParameters AskSetParameters(Console& console, ProgramState& state);

// Generates a set whose questions are answered: places the cluster seeds and
// fills the point store up to state.point_count from state.rand_seed, showing
// the running count on the console. Returns the number of candidates drawn.
// The command line generates its replicates with it too.
int64_t GenerateSet(Console& console, const GenerationParameters& parameters, ClusterSeeds& seeds,
                    ProgramState& state);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_GENERATION_DIALOGUE_H_
