// Filling the point store by acceptance sampling.
//
// Candidates are drawn uniformly over the site; each is kept with the
// probability min(1, sum over the cluster seeds of the model value at its
// distance from the seed). Every random number comes from the generator the
// caller hands in (numeric/generator.h), in a fixed order, so a set is
// repeatable from its seed:
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
#include <span>

#include "common/program_state.h"
#include "dialogue/console.h"
#include "generate/generation_parameters.h"
#include "numeric/generator.h"

namespace sparsim {

constexpr int32_t kMaxSeeds = 500;

// Seed positions, indexed 1..kMaxSeeds.
struct ClusterSeeds {
  std::array<double, kMaxSeeds + 1> x{};
  std::array<double, kMaxSeeds + 1> y{};
};

// The distance between two points, computed in extended precision and
// stored: PointDistance(0, 0, 3, 4) == 5.
double PointDistance(double x1, double y1, double x2, double y2);

// One coordinate of a circle attempt from its draw random:
// (centre - radius) + random x 2 x radius, stored.
double CircleCoordinate(long double random, double centre, double radius);

// One coordinate of a rectangle point from its draw random:
// random x extent + low, stored.
double RectangleCoordinate(long double random, double extent, double low);

// The distance the circle sampler starts from: a radius of kFarAway or more
// (beyond any site the dialogue accepts) takes no attempt at all and leaves
// x and y as they were.
constexpr double kFarAway = 1e30;

// A point of the disc: attempts of two draws (X first) until the point lies
// within radius of the centre. A radius of 0 gives the centre.
void RandomPointInCircle(double& x, double& y, double centre_x, double centre_y, double radius,
                         Generator& generator);
// The same from the LCG's bare state.
void RandomPointInCircle(double& x, double& y, double centre_x, double centre_y, double radius,
                         int32_t& rand_seed);

// A point of the rectangle: exactly two draws, X first.
void RandomPointInRectangle(double& x, double& y, double x_min, double y_min, double x_max,
                            double y_max, Generator& generator);
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
                       ProgramState& state, Generator& generator);

// The sum of the model values of the seeds listed in ascending order (all
// seeds, or all but some that add exactly 0) for a candidate at (x, y),
// stopping once it reaches 1, since acceptance is then certain.
double SeedSum(const GenerationParameters& parameters, const ClusterSeeds& seeds,
               std::span<const int16_t> listed_seeds, double x, double y);

// Accepts candidates until point_count points are stored, showing every
// tenth accepted count on the console followed by a carriage return.
// Returns the number of candidates drawn. The generator must be the LCG.
//
// A candidate whose draws would take the fill past draw_budget draws is
// not drawn: the fill then stops there, lowers state.point_count to the
// points stored and leaves the generator after exactly draw_budget draws.
// Inside the budget nothing changes: the budget is only a limit.
//
// Candidates far from every seed are refused from their draws' generator
// states alone, only the seeds near a candidate enter its sum, and the
// candidates are scanned on state.sampling_threads threads (see
// generate/fast_fill.h), but every draw, point, decision and console byte is
// the same, bit for bit, as in FillPointStoreReference, whatever the number
// of threads. The calling thread alone writes to the console and to state.
int64_t FillPointStore(Console& console, const GenerationParameters& parameters,
                       const ClusterSeeds& seeds, ProgramState& state, Generator& generator,
                       int64_t draw_budget = kLcgCycleDraws);

// The same set computed straightforwardly: each candidate's coordinates and
// the sum over every seed in extended precision. Kept as the measure of the
// fast engine's exactness and speed. Draws from either generator (the
// direct sampler leaves sets without area to it).
int64_t FillPointStoreReference(Console& console, const GenerationParameters& parameters,
                                const ClusterSeeds& seeds, ProgramState& state,
                                Generator& generator, int64_t draw_budget = kLcgCycleDraws);

// FillPointStoreReference from the point after `accepted` points already
// stored, with draw_budget draws left: the fast engine finishes with it
// where the budget ends inside its next block.
int64_t FillPointStoreFrom(Console& console, const GenerationParameters& parameters,
                           const ClusterSeeds& seeds, ProgramState& state, Generator& generator,
                           int32_t accepted, int64_t draw_budget);

// Shows an accepted count on the console (every tenth one is shown).
void ShowProgress(Console& console, int32_t count);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_SAMPLING_H_
