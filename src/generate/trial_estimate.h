// How many candidates a set will need, and the warning before hopeless sets.
//
// Acceptance sampling has no bound on its work: a set whose model value is
// tiny over most of the site can need billions of candidates, and then the
// running count does not move for hours. Before any draw of such a set the
// console gets one line saying so, and the set is generated as usual.
//
// The estimate is a lower bound on the expected number of candidates. A
// candidate is accepted with probability min(1, sum of the seeds' values),
// whose mean over the site is at most
//   bound = min(1, seed_count x I / area),
// I being one seed's model value integrated over the whole plane:
//   uniform pi R^2, hemisphere 2 pi R^2 / 3, conic pi R^2 / 3,
//   sinusoid at most pi R^2 (its value is at most 1 within R),
//   normal sqrt(2 pi) x R (R the standard deviation),
// with R the cluster radius. The points still to draw are point_count less
// the seeds used as points, and the estimate is their number over the bound.
//
// Example: a centred normal set of 1000 points on a circle of diameter 1e9
// (R = 5e8, area pi R^2) gives 1000 x pi R^2 / (sqrt(2 pi) R)
// = 1000 x 5e8 x sqrt(pi / 2) = 6.27e11 candidates, and the line
//   Warning: About 6.3E+11 Trial Points Needed - Press Ctrl-C to Stop

#ifndef SPARSIM_GENERATE_TRIAL_ESTIMATE_H_
#define SPARSIM_GENERATE_TRIAL_ESTIMATE_H_

#include <cstdint>
#include <string>

#include "dialogue/console.h"
#include "generate/generation_parameters.h"

namespace sparsim {

// Estimates above this many candidates get the warning.
constexpr long double kHopelessTrialCount = 1e10L;

// The estimate above, in extended precision (it can pass the range of a
// double for sub-normal radii). 0 when no candidate is to be drawn, and when
// the area or the cluster radius is 0 (the point-mass cases), where the
// bound says nothing.
long double EstimateTrialCount(const GenerationParameters& parameters, int32_t point_count);

// The estimate in two significant digits: one digit, a point, one decimal,
// "E", the sign and the exponent without padding. Rounded to nearest, a
// value exactly half-way going to the even last digit (as printf does):
//   2.54e12 -> "2.5E+12", 9.96e12 -> "1.0E+13", 2.25e12 -> "2.2E+12".
std::string FormatTrialCount(long double estimate);

// "Warning: About <estimate> Trial Points Needed - Press Ctrl-C to Stop"
// when the set's estimate passes kHopelessTrialCount; empty otherwise.
std::string HopelessWarning(const GenerationParameters& parameters, int32_t point_count);

// The random numbers the estimate's candidates and the seeds take: 3 for a
// rectangle's candidate (X, Y, acceptance) and 2 for a seed; on a circle
// attempts of 2 draws of which pi/4 fall inside, so 8/pi for a point and
// 1 + 8/pi for a candidate. 0 where EstimateTrialCount says nothing.
long double EstimateDrawCount(const GenerationParameters& parameters, int32_t point_count);

// "Warning: About <draws> Random Numbers Needed - Beyond the Cycle of 2^32,
// Set Will Stop Early" when EstimateDrawCount passes the LCG's cycle of 2^32
// draws, after which a set stops (generate/generate_set.h); empty otherwise.
// Example: 5 normal clusters of S.D. 2 with 10000 points on 3500 x 3500
// estimate 4.9e9 candidates, 1.5e10 draws: "Warning: About 1.5E+10 ...".
// The exponent has no padding, as in FormatTrialCount: "4.3E+9".
std::string CycleWarning(const GenerationParameters& parameters, int32_t point_count);

// Writes HopelessWarning's line, then CycleWarning's, each where it applies,
// and flushes the console when it wrote one; writes nothing otherwise.
// Draws nothing.
void WarnIfHopeless(Console& console, const GenerationParameters& parameters, int32_t point_count);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_TRIAL_ESTIMATE_H_
