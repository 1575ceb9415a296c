// The options of a run of replicates -- its seed, the number of replicates
// and the threads -- checked and converted alike for the command line
// (sparsim generate and sparsim walk) and the Python and R packages.
//
// Each value is the text given, absent when it was not given:
//   ReplicateOptions options;
//   options.seed = "12345";
//   options.replicates = "3";
//   ReplicatePlan plan = CheckReplicateOptions(options);
//   // plan.seeds == {12345, -10311948, -618558322} (numeric/replicate_seeds.h);
//   // plan.jobs: every hardware thread, at most 3; plan.sampling_threads 1
//   options.replicates = "0";
//   CheckReplicateOptions(options);  // throws CommandFailure(1,
//                                    //   "--replicates 0: must be 1 to 1000000")
// Without a seed, or with 0, the seed comes from the clock (seed_from_clock).

#ifndef SPARSIM_DIALOGUE_REPLICATE_OPTIONS_H_
#define SPARSIM_DIALOGUE_REPLICATE_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sparsim {

constexpr int32_t kMostReplicates = 1000000;
constexpr int32_t kMostJobs = 1024;

struct ReplicateOptions {
  std::optional<std::string> seed;
  std::optional<std::string> replicates;
  std::optional<std::string> jobs;
};

struct ReplicatePlan {
  int32_t replicates = 1;
  std::vector<int32_t> seeds;  // of each replicate, from 1
  bool seed_from_clock = false;
  // Threads running replicates: never more than the replicates.
  int jobs = 1;
  // Threads that scan one set's candidates (ProgramState::sampling_threads):
  // replicates share the cores, a single one scans on every thread given.
  int sampling_threads = 0;
};

// Throws CommandFailure (status 1) naming the option refused.
ReplicatePlan CheckReplicateOptions(const ReplicateOptions& options);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_REPLICATE_OPTIONS_H_
