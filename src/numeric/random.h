// The program's one random generator: a linear congruential generator whose
// whole state is the signed 32-bit seed.
//
//   state := state * 134775813 + 1  (mod 2^32)
//   Random = (state as unsigned) * 2^-32
//
// Example: from the seed 1 the first three results are
//   134775814 * 2^-32 = 0.031379939522594213,
//   3698175007 * 2^-32 = 0.8610484672244638,
//   870078620 * 2^-32 = 0.20258096512407064,
// and after the second step the seed reads -596792289.

#ifndef SPARSIM_NUMERIC_RANDOM_H_
#define SPARSIM_NUMERIC_RANDOM_H_

#include <cstdint>

namespace sparsim {

// Advances rand_seed by one step and returns a real in [0, 1), exact in
// extended precision.
long double Random(int32_t& rand_seed);

// Sets rand_seed from the clock: the low 32 bits of a nanosecond monotonic
// clock, read as signed. Draws nothing.
void Randomize(int32_t& rand_seed);

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_RANDOM_H_
