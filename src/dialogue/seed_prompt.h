// The question for the random seed, asked once at the start of each mode.
//
// AskSeed asks "Random Generator Seed (0 to set from clock) {0} ? " for an
// integer from -2147483647 to 2147483647 and sets rand_seed to it; 0 (also
// an empty answer) takes the seed from the clock instead. The caller then
// shows the seed in use, so that typing it again repeats the run.

#ifndef SPARSIM_DIALOGUE_SEED_PROMPT_H_
#define SPARSIM_DIALOGUE_SEED_PROMPT_H_

#include <cstdint>

#include "dialogue/console.h"

namespace sparsim {

void AskSeed(Console& console, int32_t& rand_seed);

// Writes "Random Seed: " and rand_seed, and ends the line.
void ShowSeed(Console& console, int32_t rand_seed);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_SEED_PROMPT_H_
