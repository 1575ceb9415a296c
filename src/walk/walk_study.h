// The random walk of points held in memory, for the Python and R packages
// (sparsim.walk, sparsim_walk): the very points sparsim walk writes when it
// walks a file holding the same doubles (an .ADF that read_adf read, say).
//
// As there, every pass walks the input points afresh, point after point with
// WalkPoint (walk/random_walk.h), and the generator runs on from one pass to
// the next; the options are checked by the command line's rules
// (walk/walk_options.h, dialogue/replicate_options.h for the seed, the
// generator and the replicate). The walk is replicate 1 of the run, or with
// replicate "K" replicate K alone (--replicate K), from the generator
// ReplicateGenerator gives it: the LCG from the replicate's seed, or with
// generator "philox" the stream (seed, K), every pass drawing on from it.
//
// Example:
//   WalkRequest request;
//   request.walk.max_step = "0.5";
//   request.walk.steps = "10";
//   request.walk.passes = "3";
//   request.seed = "7";
//   WalkPlan plan = PlanWalk(request);
//   WalkInMemory(plan, input, [&](int32_t pass) { return output[pass - 1]; },
//                [](int32_t) { return true; });
//   // output[p - 1] holds pass p of
//   //   sparsim walk SITE.ADF --max-step 0.5 --steps 10 --passes 3 --seed 7
//   // when input holds the points of SITE.ADF; WalkedText(output[p - 1]) is
//   // that pass's file, byte for byte. With request.generator = "philox"
//   // and request.replicate = "2", those of
//   //   sparsim walk SITE.ADF ... --seed 7 --generator philox --replicate 2

#ifndef SPARSIM_WALK_WALK_STUDY_H_
#define SPARSIM_WALK_WALK_STUDY_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/point_span.h"
#include "common/replicate_pool.h"
#include "dialogue/replicate_options.h"
#include "walk/walk_options.h"

namespace sparsim {

struct WalkRequest {
  WalkOptionTexts walk;
  std::optional<std::string> seed;       // absent or "0": from the clock
  std::optional<std::string> generator;  // absent: lcg
  std::optional<std::string> replicate;  // absent: 1
};

struct WalkPlan {
  WalkSettings walk;
  int32_t seed = 0;  // the walk's recorded seed: the run's, or its replicate's
  bool seed_from_clock = false;
  ReplicatePlan run;  // one replicate: run.Number(1) is its number
};

// Throws CommandFailure (status 1) as sparsim walk refuses the options.
WalkPlan PlanWalk(const WalkRequest& request);

// Refuses (CommandFailure, status 1) input a file could not hold: more than
// 2147483647 points, or a coordinate that is not a finite number, named as
// the walk names its items: "points: the Y of point 3 is nan; the walk needs
// finite numbers".
void CheckWalkInput(ConstPointSpan points);

// Walks every pass on a worker thread while the calling thread polls
// (common/replicate_pool.h); pass p (from 1) goes to destination(p), which
// has room for points.count points and is called on that thread.
void WalkInMemory(const WalkPlan& plan, ConstPointSpan points,
                  const std::function<PointSpan(int32_t pass)>& destination, const PoolPoll& poll);

// The walk's output file (.OUT) of these points.
std::string WalkedText(ConstPointSpan points);

}  // namespace sparsim

#endif  // SPARSIM_WALK_WALK_STUDY_H_
