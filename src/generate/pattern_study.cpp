#include "generate/pattern_study.h"

#include <memory>

#include "common/program_state.h"
#include "dialogue/option_values.h"
#include "dialogue/console.h"
#include "generate/trial_estimate.h"
#include "common/text_input.h"
#include "common/text_output.h"

namespace sparsim {

void CheckSharedStream(const CheckedSet& set, bool philox, int32_t study_replicates) {
  if (philox) return;
  long double each = EstimateDrawCount(set.parameters, set.point_count);
  if (study_replicates * each <= static_cast<long double>(kLcgCycleDraws)) return;
  std::string what =
      study_replicates == 1
          ? "the set needs about " + FormatTrialCount(each) +
                " draws, more than the generator's cycle of 2^32 (4.3E+9): it would stop short"
          : std::to_string(study_replicates) + " replicates of about " + FormatTrialCount(each) +
                " draws each pass the generator's cycle of 2^32 (4.3E+9) draws: replicates "
                "would share stretches of it, and so points";
  RefuseOption(what + "; use --generator philox (or --allow-shared-stream to go on)");
}

PatternPlan PlanPatterns(const PatternRequest& request) {
  PatternPlan plan;
  plan.options = request.set;
  plan.set = CheckSetOptions(request.set);
  plan.run = CheckReplicateOptions(request.run);
  if (!request.allow_shared_stream) {
    CheckSharedStream(plan.set, plan.run.philox, plan.run.study_replicates);
  }
  // Direct sampling does not scan the site.
  if (!plan.run.philox) plan.warning = HopelessWarning(plan.set.parameters, plan.set.point_count);
  return plan;
}

std::vector<SetOutcome> GeneratePatterns(const PatternPlan& plan,
                                         const PatternDestination& destination,
                                         const PoolPoll& poll) {
  std::vector<SetOutcome> outcomes(static_cast<std::size_t>(plan.run.replicates));
  auto work = [&](int32_t k) {
    const int32_t seed = plan.run.seeds[static_cast<std::size_t>(k - 1)];
    Generator generator = ReplicateGenerator(plan.run.philox, plan.run.seed, plan.run.Number(k), seed);
    auto state = std::make_unique<ProgramState>();
    state->point_count = plan.set.point_count;
    state->sampling_threads = plan.run.sampling_threads;
    // The running count of the dialogue goes nowhere.
    TextInput no_answers{std::string()};
    TextOutput no_screen(-1, "(running count)", false);
    Console console{no_answers, no_screen};
    auto seeds = std::make_unique<ClusterSeeds>();
    const SetOutcome outcome =
        GenerateSet(console, plan.set.parameters, plan.options, *seeds, *state, generator);
    outcomes[static_cast<std::size_t>(k - 1)] = outcome;
    PointSpan to = destination(k, outcome.points);
    for (int32_t i = 0; i < outcome.points; ++i) {
      to.X(i) = state->store.x[static_cast<std::size_t>(i + 1)];
      to.Y(i) = state->store.y[static_cast<std::size_t>(i + 1)];
    }
  };
  RunOnPool(plan.run.replicates, plan.run.jobs, work, poll);
  return outcomes;
}

std::string ExhaustedMessage(int32_t number, const SetOutcome& outcome) {
  return "replicate " + std::to_string(number) +
         ": the generator's cycle of 2^32 draws ran out after " + std::to_string(outcome.points) +
         " of " + std::to_string(outcome.asked) + " points; use --generator philox";
}

void CheckPatternCount(const PatternPlan& plan, int64_t count) {
  if (plan.options.poisson) {
    if (count <= kMaxPoints) return;
    RefuseOption("points: " + std::to_string(count) + " points, where a count drawn with poisson "
                 "is at most " + std::to_string(kMaxPoints));
  }
  if (count == plan.set.point_count) return;
  RefuseOption("points: " + std::to_string(count) + " points, where the options give " +
               std::to_string(plan.set.point_count));
}

SetRecord SetRecordOf(const SetOptions& options, const CheckedSet& set, bool philox,
                      int32_t number) {
  SetRecord record;
  record.philox = philox;
  if (philox) record.replicate = number;
  record.csr = options.csr;
  if (options.poisson) record.poisson_mean = set.point_count;
  return record;
}

std::string CoordinateText(const PatternPlan& plan, int32_t k, ConstPointSpan points) {
  auto state = std::make_unique<ProgramState>();
  state->point_count = static_cast<int32_t>(points.count);
  for (int32_t i = 0; i < state->point_count && i < kMaxPoints; ++i) {
    state->store.x[static_cast<std::size_t>(i + 1)] = points.X(i);
    state->store.y[static_cast<std::size_t>(i + 1)] = points.Y(i);
  }
  TextOutput text = TextOutput::InMemory();
  WriteCoordinateLines(text, *state, plan.set.parameters,
                       plan.run.seeds[static_cast<std::size_t>(k - 1)],
                       SetRecordOf(plan.options, plan.set, plan.run.philox, plan.run.Number(k)));
  return text.contents();
}

}  // namespace sparsim
