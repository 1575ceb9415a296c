// The options of a run of replicates -- its seed, its generator, the number
// of replicates (or the one replicate to make) and the threads -- checked
// and converted alike for the command line (sparsim generate and sparsim
// walk) and the Python and R packages.
//
// Each value is the text given, absent when it was not given:
//   ReplicateOptions options;
//   options.seed = "12345";
//   options.replicates = "3";
//   ReplicatePlan plan = CheckReplicateOptions(options);
//   // plan.seeds == {12345, -10311948, -618558322} (numeric/replicate_seeds.h);
//   // plan.jobs: every hardware thread, at most 3; plan.sampling_threads 1
//   options.generator = "philox";
//   // plan.seeds == {12345, 12345, 12345}: every replicate records the run's
//   // seed and draws from the Philox key (12345, its number)
//   options.replicates = "0";
//   CheckReplicateOptions(options);  // throws CommandFailure(1,
//                                    //   "--replicates 0: must be 1 to 1000000")
// Without a seed, or with 0, the seed comes from the clock (seed_from_clock).
// --replicate K makes replicate K of the study alone, from the seed it has
// in a full run.

#ifndef SPARSIM_DIALOGUE_REPLICATE_OPTIONS_H_
#define SPARSIM_DIALOGUE_REPLICATE_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "numeric/generator.h"

namespace sparsim {

constexpr int32_t kMostReplicates = 1000000;
constexpr int32_t kMostJobs = 1024;

struct ReplicateOptions {
  std::optional<std::string> seed;
  std::optional<std::string> generator;   // lcg or philox
  std::optional<std::string> replicates;
  std::optional<std::string> replicate;   // that one alone
  std::optional<std::string> jobs;
};

struct ReplicatePlan {
  int32_t seed = 0;  // the run's seed S
  bool seed_from_clock = false;
  bool philox = false;  // --generator philox; the LCG otherwise
  int32_t replicates = 1;        // made by this run
  int32_t first_replicate = 1;   // the number of the run's first replicate
  int32_t study_replicates = 1;  // --replicates N (with --replicate K alone, K)
  std::vector<int32_t> seeds;    // recorded by each replicate of the run, from 1
  // Threads running replicates: never more than the replicates.
  int jobs = 1;
  // Threads that scan one set's candidates (ProgramState::sampling_threads):
  // replicates share the cores, a single one scans on every thread given.
  int sampling_threads = 0;

  // The replicate number of the run's k-th replicate.
  int32_t Number(int32_t k) const { return first_replicate + k - 1; }
};

// Throws CommandFailure (status 1) naming the option refused.
ReplicatePlan CheckReplicateOptions(const ReplicateOptions& options);

// The generator of the replicate numbered `number`, whose recorded seed is
// `seed`: the LCG from that seed, or Philox's stream (run_seed, number).
Generator ReplicateGenerator(bool philox, int32_t run_seed, int32_t number, int32_t seed);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_REPLICATE_OPTIONS_H_
