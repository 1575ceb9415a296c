#include "walk/walk_options.h"

#include "dialogue/option_values.h"

namespace sparsim {
namespace {

constexpr int32_t kMostPasses = 1000000;
constexpr int32_t kMostSteps = 2147483647;

}  // namespace

WalkSettings CheckWalkOptions(const WalkOptionTexts& options) {
  if (!options.max_step) RefuseOption("give the largest step with --max-step L");
  if (!options.steps) RefuseOption("give the number of steps with --steps N");
  WalkSettings walk;
  walk.max_step = RealOption("--max-step", *options.max_step, 0, 1e30, "from 0 to 1e30");
  walk.steps = IntegerOption("--steps", *options.steps, 0, kMostSteps);
  if (options.passes) walk.passes = IntegerOption("--passes", *options.passes, 1, kMostPasses);
  return walk;
}

}  // namespace sparsim
