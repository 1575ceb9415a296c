// The seeds of the replicates of a scripted run.
//
// Replicate 1 uses the run's seed S itself, so that a single replicate is
// the very set the dialogue gives for S. Replicate k (k >= 2) uses the first
// output of SplitMix64 started from the 64-bit state (S as unsigned 32 bits)
// x 2^32 + k, mapped onto the seeds the dialogue accepts other than 0
// (-2147483647 .. -1 and 1 .. 2147483647): with v that output modulo
// 4294967294, the seed is v - 2147483647 when that is negative, and
// v - 2147483646 otherwise. Every replicate's seed can thus be typed into the
// dialogue to give that replicate alone.
//
// Why not S + k: the first draws from the seeds s and s + 1 always differ by
// 134775813 / 2^32 (mod 1), so consecutive seeds would lay the replicates'
// first points on a lattice.
//
// Example: ReplicateSeed(12345, 1) == 12345, ReplicateSeed(12345, 2) ==
// -10311948, ReplicateSeed(12345, 3) == -618558322.

#ifndef SPARSIM_NUMERIC_REPLICATE_SEEDS_H_
#define SPARSIM_NUMERIC_REPLICATE_SEEDS_H_

#include <cstdint>

namespace sparsim {

int32_t ReplicateSeed(int32_t seed, int32_t replicate);

// A seed from the clock (generate/Randomize), never 0 or -2147483648, which
// the dialogue's seed question cannot take back: those become 1.
int32_t ClockSeed();

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_REPLICATE_SEEDS_H_
