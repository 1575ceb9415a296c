// One generated set from its parameters, a generator and the set's options:
// what the dialogue and the command line both call.
//
// With the LCG (Generator::Lcg) the set is the dialogue's: the cluster seeds
// by the site sampler, then candidates by rejection from the whole site
// (generate/sampling.h), every draw in the dialogue's order. With Philox
// (Generator::Philox) the same seeds are placed with Philox draws and the
// points are sampled directly around them (generate/direct_sampling.h).
//
// The draws of a set are counted from its first draw, the Poisson count and
// the seeds included. An LCG set may take at most options.draw_limit draws
// (2^32, its whole cycle, unless a test asks for fewer): a candidate whose
// draws would pass the limit is not taken, and the set stops with the points
// it has, none repeated. state.point_count then holds the points placed, so
// the file's count line says what is written, and the outcome says
// exhausted; the dialogue shows CycleExhaustedLine. A set that stays inside
// the limit is the very same as before, byte for byte.
//
// Options:
//   csr      points uniform over the whole site: the guide's recipe (one
//            seed not used as a point, the uniform model, a radius covering
//            the whole site), given by CsrParameters, which the caller
//            applies to the parameters it generates and writes. With the
//            LCG the bytes are those of the recipe; with Philox the points
//            are drawn from the site itself.
//   poisson  the set's point count is drawn, by the set's first draw, from
//            a Poisson law whose mean is state.point_count (less the seeds
//            used as points, which are always there); see PoissonCount.
//            The caller refuses means above kLargestPoissonMean before any
//            work; GenerateSet throws std::invalid_argument for them.
//
// Example (the command line's replicate k of seed S with Philox):
//   GenerationParameters p = ...;          // generate/set_parameters.h
//   state.point_count = 10000;
//   Generator g = Generator::Philox(S, k);
//   ClusterSeeds seeds;
//   SetOutcome o = GenerateSet(console, p, SetOptions{}, seeds, state, g);
//   // o.points == state.point_count == 10000, o.exhausted == false,
//   // o.draws the Philox draws taken.
// With Generator::Lcg(s) instead, o.first_state == s, and
//   CycleStretch{CyclePosition(o.first_state), o.draws}   (numeric/random.h)
// is the stretch of the cycle the set drew; OverlappingPairs over the
// replicates' stretches counts the pairs that share a state. Before a run,
// EstimateDrawCount (generate/trial_estimate.h) times the replicates tells
// whether they may go round the cycle.

#ifndef SPARSIM_GENERATE_GENERATE_SET_H_
#define SPARSIM_GENERATE_GENERATE_SET_H_

#include <cstdint>
#include <string>

#include "common/program_state.h"
#include "dialogue/console.h"
#include "generate/generation_parameters.h"
#include "generate/sampling.h"
#include "generate/set_options.h"
#include "numeric/generator.h"

namespace sparsim {

// options: generate/set_options.h's SetOptions (csr, poisson, draw_limit);
// the text of the site, count and spread is not read here.

struct SetOutcome {
  int32_t points = 0;        // points in the store: the final state.point_count
  int32_t asked = 0;         // points the set was to have (the Poisson count, if drawn)
  int64_t candidates = 0;    // candidates drawn (direct sampling: proposals)
  int64_t draws = 0;         // draws taken by the set, from its first
  bool exhausted = false;    // stopped at draw_limit short of asked
  uint32_t first_state = 0;  // LCG: the state before the set's first draw
};

// Generates the set as above into state.store, showing the running count
// on the console; state.point_count is the number of points asked on entry
// (the Poisson mean with options.poisson) and the number placed on return.
SetOutcome GenerateSet(Console& console, const GenerationParameters& parameters,
                       const SetOptions& options, ClusterSeeds& seeds, ProgramState& state,
                       Generator& generator);

// " Random Cycle Exhausted - 8789 Points Placed": the line the dialogue
// writes (in place of the running count) after an exhausted set.
std::string CycleExhaustedLine(int32_t points);

// The guide's recipe for points uniform over the whole site: the site of
// site (its shape, corners or centre and radius, area and density) with one
// contagious seed not used as a point, the uniform model and the cluster
// radius ceil(D x (1 + 2^-30)), D the site's diagonal (rectangle) or
// diameter (circle): no candidate lies farther than D from a seed inside the
// site, and the margin covers the roundings. A 100 x 100 square gives 142.
GenerationParameters CsrParameters(const GenerationParameters& site);

// The largest mean PoissonCount takes: a count above kMaxPoints then has a
// probability below 1e-12 (the upper tail at 9300 is 3.6e-13).
constexpr double kLargestPoissonMean = 9300;

// A count from the Poisson law of mean mean (0 <= mean <= kLargestPoissonMean)
// by inversion of one draw u: the smallest k with u < P(K <= k), the
// probabilities summed from P(K = 0) = exp(-mean) by P(K = k) = P(K = k - 1)
// x mean / k in extended precision (exp(-9300) = 1e-4039 is a normal long
// double). The search stops at kMaxPoints, which the tail makes negligible.
// Example: mean 2 and u = 0.5 give 2 (P(K <= 1) = 0.406, P(K <= 2) = 0.677).
int32_t PoissonCount(double mean, long double u);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_GENERATE_SET_H_
