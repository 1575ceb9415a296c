// The outputs of sparsim generate and sparsim walk: checking the options
// they share and working out the name of every file before any is written.
//
// Output names come from the -o pattern: {n} is the replicate's number,
// zero-padded to the width of the number of replicates, {seed} its seed, and
// (sparsim walk) {pass} the pass's number, zero-padded likewise. With 20
// replicates, "sim{n}.adf" gives sim01.adf ... sim20.adf. Without -o (or with
// -o -) the one file goes to standard output.
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
  int32_t replicates = 1;
  int32_t passes = 1;
  std::vector<int32_t> seeds;  // of each replicate, from 1
  bool seed_from_clock = false;
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
