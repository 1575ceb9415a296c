#include "dialogue/replicate_options.h"

#include <algorithm>
#include <thread>

#include "dialogue/option_values.h"
#include "numeric/replicate_seeds.h"

namespace sparsim {
namespace {

constexpr int32_t kLargestSeed = 2147483647;

}  // namespace

ReplicatePlan CheckReplicateOptions(const ReplicateOptions& options) {
  ReplicatePlan plan;
  int32_t seed = 0;
  if (options.seed) seed = IntegerOption("--seed", *options.seed, -kLargestSeed, kLargestSeed);
  plan.seed_from_clock = seed == 0;
  if (plan.seed_from_clock) seed = ClockSeed();
  if (options.replicates) {
    plan.replicates = IntegerOption("--replicates", *options.replicates, 1, kMostReplicates);
  }
  for (int32_t k = 1; k <= plan.replicates; ++k) plan.seeds.push_back(ReplicateSeed(seed, k));
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

}  // namespace sparsim
