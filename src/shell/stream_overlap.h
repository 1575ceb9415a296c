// Replicates of the LCG that drew from the same stretch of its cycle.
//
// The LCG's 2^32 states form one cycle, and every state has a position on
// it (CyclePosition, numeric/random.h). A set that starts from the state at
// position p and takes m draws uses the states at p + 1 .. p + m, modulo
// 2^32; two replicates whose stretches meet share those draws, and so
// points. The count of such pairs is what sparsim generate reports after a
// run of replicates (the refusal of a run whose replicates would share
// stretches, before any work, is generate/pattern_study.h's
// CheckSharedStream, the same for every front end).
//
// Example, on a cycle of 100 positions for brevity:
//   CountOverlappingPairs({{10, 20}, {25, 10}, {90, 15}, {3, 4}}, 100) == 2
// {10, 20} uses 11..30 and meets {25, 10} (26..35); {90, 15} wraps round,
// using 91..99 and 0..5, and meets {3, 4} (4..7).

#ifndef SPARSIM_SHELL_STREAM_OVERLAP_H_
#define SPARSIM_SHELL_STREAM_OVERLAP_H_

#include <cstdint>
#include <string>
#include <vector>

#include "numeric/generator.h"
#include "numeric/random.h"

namespace sparsim {

// A replicate's stretch is numeric/random.h's CycleStretch: its first
// state's position (below the cycle's length) and its number of draws. A
// stretch of 0 draws meets nothing; one of a whole cycle or more meets every
// other.

// The number of pairs of stretches that share a position, wrap-around
// included, in O(n log n), where comparing every pair (OverlappingPairs)
// takes 5 x 10^11 comparisons for a million replicates: sorted by start,
// each stretch is met by the earlier ones that reach past its start, and by
// those whose start lies in the part of it that wraps past the end of the
// cycle.
int64_t CountOverlappingPairs(std::vector<CycleStretch> stretches,
                              uint64_t cycle = static_cast<uint64_t>(kLcgCycleDraws));

// The line after a run of the LCG's replicates:
//   OverlapReport(17, 99) == "17 pairs of the 99 replicates used overlapping
//   stretches of the generator's cycle, and may share points; --generator
//   philox makes independent replicates"
//   OverlapReport(0, 7) == "no two of the 7 replicates used overlapping
//   stretches of the generator's cycle"
std::string OverlapReport(int64_t pairs, int32_t replicates);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_STREAM_OVERLAP_H_
