// The fast engine behind FillPointStore, with its choices open to tests and
// benchmarks.
//
// The generator's sequence is cut into consecutive blocks of draws. A block
// is scanned on its own, from the generator state at its start: the scan
// kernels (generate/scan_kernels.h) point out the few candidates that some
// seed may reach, and those are decided exactly as the reference engine
// decides them; the block keeps the accepted ones in order. One thread, the
// deciding thread, takes the blocks in order, stores the accepted points,
// shows the running count and stops at the last point needed, so the points,
// the running count, the candidate count and the final seed are the same
// whatever the number of threads that scan.
//
// A circle's attempts take two draws, or three for a candidate, so where an
// attempt starts in a block depends on the blocks before it: it is one of
// the block's first three draws. A block scanned ahead of time follows all
// three starts; they soon meet, and from then on are followed once.
//
// Example:
//   FillOptions options;
//   options.kernel = ScanKernel::kPortable;
//   FillReport report;
//   FillPointStoreWith(console, parameters, seeds, state, generator, options, &report);
//   // the same points as FillPointStore; report.threads_started scanning
//   // threads, report.exact_candidates decided exactly

#ifndef SPARSIM_GENERATE_FAST_FILL_H_
#define SPARSIM_GENERATE_FAST_FILL_H_

#include <cstdint>

#include "common/program_state.h"
#include "dialogue/console.h"
#include "generate/generation_parameters.h"
#include "generate/sampling.h"
#include "generate/scan_kernels.h"

namespace sparsim {

struct FillOptions {
  ScanKernel kernel = ScanKernel::kAuto;
  // Threads that scan: 0 takes ProgramState::sampling_threads (where 0 is
  // every processor this process may run on).
  int threads = 0;
  // Draws in the deciding thread's first block; each next one is twice as
  // long, up to last_block_draws. The blocks the other threads scan take
  // about a millisecond each, within the same bounds. Both are rounded to a
  // multiple of 192.
  int64_t first_block_draws = int64_t{3} << 12;
  int64_t last_block_draws = int64_t{3} << 20;
  // The deciding thread scans alone for this long (and at least one block)
  // before it starts the other threads, which small sets never need.
  double solo_seconds = 0.002;
};

struct FillReport {
  bool fast_engine = false;  // false: the set went to the reference engine
  ScanKernel kernel = ScanKernel::kPortable;
  int threads_started = 0;  // scanning threads besides the deciding thread
  int64_t blocks = 0;       // blocks taken by the deciding thread
  int64_t candidates = 0;
  // Candidates (and circle attempts near the rim) computed exactly, in the
  // blocks taken, whatever the start followed.
  int64_t exact_candidates = 0;
};

// FillPointStore with explicit choices; report may be null. Where
// draw_budget ends within reach of the next block, the rest of the set is
// decided one candidate after another as the reference engine does, so both
// engines stop at the same candidate.
int64_t FillPointStoreWith(Console& console, const GenerationParameters& parameters,
                           const ClusterSeeds& seeds, ProgramState& state, Generator& generator,
                           const FillOptions& options, FillReport* report,
                           int64_t draw_budget = kLcgCycleDraws);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_FAST_FILL_H_
