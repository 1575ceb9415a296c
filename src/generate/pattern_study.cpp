#include "generate/pattern_study.h"

#include <memory>

#include "common/program_state.h"
#include "dialogue/console.h"
#include "generate/coordinate_file.h"
#include "generate/generation_dialogue.h"
#include "generate/trial_estimate.h"
#include "numeric/text_input.h"
#include "numeric/text_output.h"

namespace sparsim {

PatternPlan PlanPatterns(const PatternRequest& request) {
  PatternPlan plan;
  plan.set = CheckSetOptions(request.set);
  plan.run = CheckReplicateOptions(request.run);
  plan.warning = HopelessWarning(plan.set.parameters, plan.set.point_count);
  return plan;
}

std::vector<int64_t> GeneratePatterns(const PatternPlan& plan,
                                      const PatternDestination& destination,
                                      const PoolPoll& poll) {
  std::vector<int64_t> candidates(static_cast<std::size_t>(plan.run.replicates));
  auto work = [&](int32_t k) {
    auto state = std::make_unique<ProgramState>();
    state->rand_seed = plan.run.seeds[static_cast<std::size_t>(k - 1)];
    state->point_count = plan.set.point_count;
    state->sampling_threads = plan.run.sampling_threads;
    // The running count of the dialogue goes nowhere.
    TextInput no_answers{std::string()};
    TextOutput no_screen(-1, "(running count)", false);
    Console console{no_answers, no_screen};
    auto seeds = std::make_unique<ClusterSeeds>();
    candidates[static_cast<std::size_t>(k - 1)] =
        GenerateSet(console, plan.set.parameters, *seeds, *state);
    PointSpan to = destination(k);
    for (int32_t i = 0; i < plan.set.point_count; ++i) {
      to.X(i) = state->store.x[static_cast<std::size_t>(i + 1)];
      to.Y(i) = state->store.y[static_cast<std::size_t>(i + 1)];
    }
  };
  RunOnPool(plan.run.replicates, plan.run.jobs, work, poll);
  return candidates;
}

std::string CoordinateText(const CheckedSet& set, int32_t seed, ConstPointSpan points) {
  auto state = std::make_unique<ProgramState>();
  state->point_count = set.point_count;
  for (int32_t i = 0; i < set.point_count && i < points.count; ++i) {
    state->store.x[static_cast<std::size_t>(i + 1)] = points.X(i);
    state->store.y[static_cast<std::size_t>(i + 1)] = points.Y(i);
  }
  TextOutput text = TextOutput::InMemory();
  WriteCoordinateLines(text, *state, set.parameters, seed);
  return text.contents();
}

}  // namespace sparsim
