// Filling the point store by acceptance sampling.
//
// Candidates are drawn uniformly over the site; each is kept with the
// probability min(1, sum over the cluster seeds of the model value at its
// distance from the seed). Every random number comes from Random, in a fixed
// order, so a set is repeatable from its seed:
//   contagious sets first place every seed with the site sampler;
//   then each candidate takes the site sampler's draws and one acceptance
//   draw, also when the sum has already reached 1.
// A rectangle candidate takes exactly three draws (X, Y, acceptance); a
// circle candidate two per attempt until inside, plus one.
//
// Values are computed in extended precision and stored as doubles where the
// comments below say "stored"; the acceptance decisions depend on it.

#ifndef SPARSIM_GENERATE_SAMPLING_H_
#define SPARSIM_GENERATE_SAMPLING_H_

#include <array>
#include <cstdint>

#include "common/program_state.h"
#include "dialogue/console.h"
#include "generate/generation_parameters.h"

namespace sparsim {

constexpr int32_t kMaxSeeds = 500;

// Seed positions, indexed 1..kMaxSeeds.
struct ClusterSeeds {
  std::array<double, kMaxSeeds + 1> x{};
  std::array<double, kMaxSeeds + 1> y{};
};

// A point of the disc: attempts of two draws (X first) until the point lies
// within radius of the centre. A radius of 0 gives the centre.
void RandomPointInCircle(double& x, double& y, double centre_x, double centre_y, double radius,
                         int32_t& rand_seed);

// A point of the rectangle: exactly two draws, X first.
void RandomPointInRectangle(double& x, double& y, double x_min, double y_min, double x_max,
                            double y_max, int32_t& rand_seed);

// The normal density at value, or 0 where (value - mean)^2 / (2 sd^2) > 10.
// NormalDensity(0, 1, 0) == 0.3989...
double NormalDensity(double mean, double standard_deviation, double value);

// The value of one seed for a candidate at distance d. Every model is 0
// beyond cluster_radius except the normal one, which has no cut. A radius of
// 0 (and, in the sinusoid, a site radius of 0) is a point mass: 1 at
// distance 0 and 0 elsewhere.
double ModelValue(char model, double d, double cluster_radius, double site_radius);

// Centred sets: the one seed is the site centre. Contagious sets: each seed
// drawn with the site sampler, and copied into the store as a point at once
// when the seeds are used as points.
void PlaceClusterSeeds(const GenerationParameters& parameters, ClusterSeeds& seeds,
                       ProgramState& state);

// Accepts candidates until point_count points are stored, showing every
// tenth accepted count on the console followed by a carriage return.
void FillPointStore(Console& console, const GenerationParameters& parameters,
                    const ClusterSeeds& seeds, ProgramState& state);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_SAMPLING_H_
