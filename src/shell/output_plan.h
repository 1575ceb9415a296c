// The outputs of sparsim generate and sparsim walk: checking the options
// they share and working out the name of every file before any is written.
//
// Output names come from the -o pattern: {n} is the replicate's number,
// zero-padded to the width of the number of replicates, {seed} its seed, and
// (sparsim walk) {pass} the pass's number, zero-padded likewise. With 20
// replicates, "sim{n}.adf" gives sim01.adf ... sim20.adf. Without -o (or with
// -o -) the one file goes to standard output.
//
// --replicate K makes replicate K alone, under the name and from the seed it
// has in a full run: {n} is padded to the width of --replicates N when that
// is given too (--replicate 7 --replicates 20: sim07.adf), and not padded
// otherwise (sim7.adf). The run's replicates are numbered from 1 in the plan;
// Number gives their replicate numbers.
//
// Seeds: with the LCG, replicate k uses ReplicateSeed(S, k)
// (numeric/replicate_seeds.h); with --generator philox every replicate
// records the run's seed S, replicate k drawing from the key (S, k).
//
// Mistakes (a bad value, two replicates given one name, an existing file
// without --force, an output that is the input) end the command with status
// 1 before any file is touched; a folder that is not there, status 2.

#ifndef SPARSIM_SHELL_OUTPUT_PLAN_H_
#define SPARSIM_SHELL_OUTPUT_PLAN_H_

#include <cstdint>
#include <string>
#include <vector>

#include "shell/run_options.h"

namespace sparsim {

enum class OutputFormat { kNative, kCsv, kGeoJson, kSvg };

// What kind of run the outputs are for.
struct RunKind {
  std::string command;      // "sparsim generate", for messages
  std::string native_name;  // the name of the program's own format: "adf" or "out"
  bool has_passes = false;  // names may hold {pass}
};

// The checked options of a run and the names of its files.
struct OutputPlan {
  int32_t replicates = 1;        // made by this run
  int32_t first_replicate = 1;   // the number of the run's first replicate
  int32_t study_replicates = 1;  // --replicates N (with --replicate K alone, K)
  int32_t passes = 1;
  int32_t seed = 0;            // the run's seed S
  std::vector<int32_t> seeds;  // of each replicate of the run, from 1
  bool seed_from_clock = false;
  bool philox = false;  // --generator philox; the LCG otherwise
  int jobs = 1;
  // Threads that scan one set's candidates (ProgramState::sampling_threads).
  int sampling_threads = 0;
  OutputFormat format = OutputFormat::kNative;
  // Index (replicate - 1) x passes + (pass - 1); empty: standard output.
  std::vector<std::string> names;
  // All replicates in one file a pass: names holds one name a pass.
  bool combined = false;
  std::string manifest;  // empty: none; "-": standard output
  bool force = false;
  bool quiet = false;
  // Existing files are left for the command to keep or, with force, replace.
  bool skip_existing = false;

  // The replicate number of the run's k-th replicate.
  int32_t Number(int32_t k) const { return first_replicate + k - 1; }
  const std::string& Name(int32_t replicate, int32_t pass) const {
    if (combined) return names[static_cast<std::size_t>(pass - 1)];
    return names[static_cast<std::size_t>((replicate - 1) * passes + (pass - 1))];
  }
};

// Checks the shared options of a run of `passes` passes per replicate and
// works out every file name. input (sparsim walk) is a file no output may
// be. Throws CommandFailure.
OutputPlan PlanOutputs(const RunOptions& options, const RunKind& kind, int32_t passes,
                       const std::string& input = "");

// The file name a pattern gives; the pattern has been checked.
std::string ExpandPattern(const std::string& pattern, int32_t replicate, int32_t replicates,
                          int32_t seed, int32_t pass, int32_t passes);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_OUTPUT_PLAN_H_
