#include "dialogue/replicate_options.h"

#include <algorithm>
#include <cctype>
#include <thread>

#include "dialogue/option_values.h"
#include "numeric/replicate_seeds.h"

namespace sparsim {
namespace {

constexpr int32_t kLargestSeed = 2147483647;

// true for philox, false for the LCG.
bool GeneratorNamed(const std::string& text) {
  std::string name = text;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (name == "philox") return true;
  if (name != "lcg") RefuseOption("--generator " + text + ": must be lcg or philox");
  return false;
}

}  // namespace

ReplicatePlan CheckReplicateOptions(const ReplicateOptions& options) {
  ReplicatePlan plan;
  if (options.generator) plan.philox = GeneratorNamed(*options.generator);
  int32_t seed = 0;
  if (options.seed) seed = IntegerOption("--seed", *options.seed, -kLargestSeed, kLargestSeed);
  plan.seed_from_clock = seed == 0;
  if (plan.seed_from_clock) seed = ClockSeed();
  plan.seed = seed;
  if (options.replicates) {
    plan.replicates = IntegerOption("--replicates", *options.replicates, 1, kMostReplicates);
  }
  plan.study_replicates = plan.replicates;
  if (options.replicate) {
    plan.first_replicate = IntegerOption("--replicate", *options.replicate, 1, kMostReplicates);
    if (!options.replicates) {
      plan.study_replicates = plan.first_replicate;
    } else if (plan.first_replicate > plan.replicates) {
      RefuseOption("--replicate " + *options.replicate + " is beyond --replicates " +
                   *options.replicates);
    }
    plan.replicates = 1;
  }
  for (int32_t k = 1; k <= plan.replicates; ++k) {
    plan.seeds.push_back(plan.philox ? seed : ReplicateSeed(seed, plan.Number(k)));
  }
  if (options.jobs) {
    plan.jobs = IntegerOption("--jobs", *options.jobs, 1, kMostJobs);
  } else {
    plan.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  }
  if (plan.replicates > 1) {
    plan.sampling_threads = 1;
  } else {
    plan.sampling_threads = options.jobs ? plan.jobs : 0;
  }
  plan.jobs = std::min(plan.jobs, plan.replicates);
  return plan;
}

Generator ReplicateGenerator(bool philox, int32_t run_seed, int32_t number, int32_t seed) {
  return philox ? Generator::Philox(run_seed, static_cast<uint64_t>(number)) : Generator::Lcg(seed);
}

}  // namespace sparsim
