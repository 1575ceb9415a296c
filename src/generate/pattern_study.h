// Sets of points for the Python and R packages (sparsim.generate,
// sparsim_generate): the very sets sparsim generate writes for the same
// options, with no file in between.
//
// The options are SetOptions and ReplicateOptions texts, checked by the
// command line's own rules, so a refusal is its CommandFailure with its
// message. The packages give each number as OptionText (dialogue/
// option_values.h) -- the shortest decimal that reads back to the double --
// so that a value means what the same text typed after the command line's
// option means.
//
// Example, in C++ (the packages do the same through their own arrays):
//   PatternRequest request;
//   request.set.circle = "20";
//   request.set.points = "100";
//   request.set.centred = true;
//   request.set.model = "uniform";
//   request.run.seed = "12345";
//   request.run.replicates = "2";
//   PatternPlan plan = PlanPatterns(request);
//   std::vector<double> xy(2 * 2 * 100);  // (replicate, point, x or y)
//   std::vector<SetOutcome> made = GeneratePatterns(
//       plan,
//       [&](int32_t k, int32_t points) {  // points == 100
//         double* at = xy.data() + (k - 1) * 200;
//         return PointSpan{at, at + 1, 2, points};
//       },
//       [](int32_t) { return true; });
//   // xy[0..199] hold the points of
//   //   sparsim generate --circle 20 --points 100 --centred --model uniform
//   //       --seed 12345
//   // as doubles (its SITE.ADF shows them to 4 decimals); xy[200..399]
//   // those of its second replicate (seed -10311948), and
//   // CoordinateText(plan, 2, {xy.data() + 200, xy.data() + 201, 2, 100})
//   // is the second file of --replicates 2, byte for byte.
// With request.run.generator = "philox" the sets are those of
// --generator philox, whose files record the generator and the replicate.
// With request.run.replicate = "5" the one set made is replicate 5 of the
// run of seed 12345 (--replicate 5): plan.run.Number(1) == 5.
// With request.set.poisson each set's count is drawn (--poisson), so the
// destination is asked for room for that many points, which may differ
// from replicate to replicate.

#ifndef SPARSIM_GENERATE_PATTERN_STUDY_H_
#define SPARSIM_GENERATE_PATTERN_STUDY_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/point_span.h"
#include "common/replicate_pool.h"
#include "dialogue/replicate_options.h"
#include "generate/coordinate_file.h"
#include "generate/generate_set.h"
#include "generate/set_options.h"

namespace sparsim {

struct PatternRequest {
  SetOptions set;
  ReplicateOptions run;
  // Goes on where CheckSharedStream would refuse (--allow-shared-stream).
  bool allow_shared_stream = false;
};

struct PatternPlan {
  SetOptions options;
  CheckedSet set;
  ReplicatePlan run;
  // The command line's warning of an LCG set that needs more than 1e10
  // candidates (generate/trial_estimate.h), or empty.
  std::string warning;
};

// Refuses (CommandFailure, status 1), before any work, LCG replicates whose
// estimated draws together pass the generator's cycle of 2^32, so that they
// would share stretches of it (one set alone: it would stop short):
//   "7 replicates of about 1.2E+9 draws each pass the generator's cycle of
//   2^32 (4.3E+9) draws: replicates would share stretches of it, and so
//   points; use --generator philox (or --allow-shared-stream to go on)"
void CheckSharedStream(const CheckedSet& set, bool philox, int32_t study_replicates);

// Checks the request: throws CommandFailure (status 1) as sparsim generate
// refuses the same options.
PatternPlan PlanPatterns(const PatternRequest& request);

// Where replicate k (from 1) puts its points, once it has made them: room
// for `points` of them -- plan.set.point_count, or with poisson the count
// drawn (at most kMaxPoints); fewer for a set that ran out of its cycle.
// Called on a worker thread: it may only work out addresses, or size a
// buffer of its own replicate's.
using PatternDestination = std::function<PointSpan(int32_t k, int32_t points)>;

// Generates every replicate on plan.run.jobs threads, replicate k from
// ReplicateGenerator (dialogue/replicate_options.h), as the command line
// does (common/replicate_pool.h: poll on the calling thread, a false from
// it stops the run with the interrupt's ProgramEnd). Returns each
// replicate's outcome; an LCG set that ran out of its cycle holds the
// points it placed (outcome.points) and the caller reports it
// (ExhaustedMessage).
std::vector<SetOutcome> GeneratePatterns(const PatternPlan& plan,
                                         const PatternDestination& destination,
                                         const PoolPoll& poll);

// "replicate 3: the generator's cycle of 2^32 draws ran out after 812 of
// 1000 points; use --generator philox".
std::string ExhaustedMessage(int32_t number, const SetOutcome& outcome);

// What the header of the replicate numbered `number` records beyond the
// dialogue's lines: the generator and replicate for Philox, CSR, the
// Poisson mean. An LCG replicate records none unless an option asks, so
// that its file is the dialogue's.
SetRecord SetRecordOf(const SetOptions& options, const CheckedSet& set, bool philox,
                      int32_t number);

// Refuses (CommandFailure, status 1) points a set of the plan cannot hold,
// before they are written as its file: a count other than the options
// give, or with poisson more than kMaxPoints (a count drawn may be any up
// to that):
//   "points: 99 points, where the options give 100"
void CheckPatternCount(const PatternPlan& plan, int64_t count);

// The coordinate file (.ADF) of the plan's k-th replicate holding points,
// written by the program's writer (generate/coordinate_file.h).
std::string CoordinateText(const PatternPlan& plan, int32_t k, ConstPointSpan points);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_PATTERN_STUDY_H_
