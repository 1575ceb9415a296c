#include "walk/walk_study.h"

#include <cmath>

#include "dialogue/option_values.h"
#include "dialogue/replicate_options.h"
#include "common/text_output.h"
#include "walk/random_walk.h"

namespace sparsim {

WalkPlan PlanWalk(const WalkRequest& request) {
  WalkPlan plan;
  plan.walk = CheckWalkOptions(request.walk);
  plan.run = CheckReplicateOptions(
      {request.seed, request.generator, std::nullopt, request.replicate, std::nullopt});
  plan.seed = plan.run.seeds[0];
  plan.seed_from_clock = plan.run.seed_from_clock;
  return plan;
}

void CheckWalkInput(ConstPointSpan points) {
  if (points.count > 2147483647) {
    RefuseOption("points: " + std::to_string(points.count) +
                 " points; a walk takes at most 2147483647");
  }
  for (int64_t i = 0; i < points.count; ++i) {
    for (bool is_y : {false, true}) {
      double value = is_y ? points.Y(i) : points.X(i);
      if (std::isfinite(value)) continue;
      RefuseOption("points: " +
                   DescribeWalkItem({is_y ? WalkItem::kY : WalkItem::kX,
                                     static_cast<int32_t>(i + 1)}) +
                   " is " + OptionText(value) + "; the walk needs finite numbers");
    }
  }
}

void WalkInMemory(const WalkPlan& plan, ConstPointSpan points,
                  const std::function<PointSpan(int32_t pass)>& destination, const PoolPoll& poll) {
  CheckWalkInput(points);
  auto work = [&](int32_t) {
    Generator generator =
        ReplicateGenerator(plan.run.philox, plan.run.seed, plan.run.Number(1), plan.seed);
    for (int32_t pass = 1; pass <= plan.walk.passes; ++pass) {
      PointSpan to = destination(pass);
      for (int64_t i = 0; i < points.count; ++i) {
        double x = points.X(i);
        double y = points.Y(i);
        WalkPoint(x, y, plan.walk.max_step, plan.walk.steps, generator);
        to.X(i) = x;
        to.Y(i) = y;
      }
    }
  };
  RunOnPool(1, 1, work, poll);
}

std::string WalkedText(ConstPointSpan points) {
  TextOutput out = TextOutput::InMemory();
  out.WriteLine(WalkedCountLine(static_cast<int32_t>(points.count)));
  for (int64_t i = 0; i < points.count; ++i) out.WriteLine(WalkedPointLine(points.X(i), points.Y(i)));
  return out.contents();
}

}  // namespace sparsim
