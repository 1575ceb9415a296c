// One step of the walk: a length, then a direction, from two draws.
//
//   length = Random x max_step, stored;
//   angle = Random x 2 x pi, stored;
//   x = x + sin(angle) x length, y = y + cos(angle) x length, each stored.
//
// The direction is measured from the positive Y axis: X moves by the sine.
// Example: from the seed 1 with max_step 2, the point (0, 0) moves to
// (-0.048092731320770347, 0.040322346309148188).
//
// sinl and cosl of the C library define the result. RandomStep reaches the
// same bits faster: the x87 instruction fsincos gives both values at once,
// within kSineCosineBound of the library's (checked over every angle the
// generator can produce by tools/sine_cosine_check.cpp). Every operation
// after the sine is monotone in it (a product with the length, a sum with
// the coordinate, a rounding to double), so when the sine's lower and upper
// bounds give the same stored coordinate, so does the library's sine. Only
// when they differ (a few coordinates in ten thousand) is sinl (or cosl)
// called.

#ifndef SPARSIM_WALK_WALK_STEP_H_
#define SPARSIM_WALK_WALK_STEP_H_

#include <cstdint>

#include "numeric/generator.h"

namespace sparsim {

// One step of (x, y); draws exactly twice.
void RandomStep(double& x, double& y, double max_step, int32_t& rand_seed);

// The same from a generator. The fast path's check covers only the LCG's
// 2^32 angles, so a Philox step is always RandomStepReference's.
void RandomStep(double& x, double& y, double max_step, Generator& generator);

// The same step computed straightforwardly with sinl and cosl.
void RandomStepReference(double& x, double& y, double max_step, int32_t& rand_seed);

// The same step as RandomStep; returns how many of sinl and cosl it had to
// call (0, 1 or 2), which shows how often the fast path settles a step.
int RandomStepCountingCalls(double& x, double& y, double max_step, int32_t& rand_seed);

// The direction of a step whose second draw is random: random x 2 x pi,
// stored.
double StepAngle(long double random);

// Bound on the distance of FastSineCosine's values from sinl's and cosl's,
// for every angle StepAngle gives: 16 times the largest distance found (one
// unit in the last place, 2^-64, for both, over all 2^32 angles, on an AMD
// EPYC processor with glibc 2.36).
constexpr long double kSineCosineBound = 0x1p-60L;

struct SineCosine {
  long double sine = 0;
  long double cosine = 0;
};

// True where fsincos exists and agrees with sinl and cosl within the bound
// on a set of test angles (checked once); RandomStep uses the library
// alone elsewhere.
bool FastSineCosineAvailable();

// Both values from fsincos; only where FastSineCosineAvailable().
SineCosine FastSineCosine(double angle);

// The stored coordinate + t x length, where t is the library's sine or
// cosine and estimate lies within kSineCosineBound of it: true and moved
// set when the two ends of that range give the same non-zero double.
//
// Example: MoveSettled(10, 0.5, 2, moved) gives true and moved == 11.
bool MoveSettled(double coordinate, long double estimate, double length, double& moved);

}  // namespace sparsim

#endif  // SPARSIM_WALK_WALK_STEP_H_
