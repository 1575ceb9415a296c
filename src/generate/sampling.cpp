#include "generate/sampling.h"

#include <cmath>

#include "common/interrupt.h"
#include "numeric/extended_arithmetic.h"
#include "numeric/extended_constants.h"
#include "numeric/number_format.h"
#include "numeric/random.h"

namespace sparsim {
namespace {

constexpr double kNormalTailLimit = 10;

double PointMass(double d) { return d == 0 ? 1.0 : 0.0; }

long double Draw(int32_t& rand_seed) { return Random(rand_seed); }
long double Draw(Generator& generator) { return generator.Next(); }

template <typename Source>
void CirclePoint(double& x, double& y, double centre_x, double centre_y, double radius,
                 Source& source) {
  double distance = kFarAway;
  while (distance > radius) {
    x = CircleCoordinate(Draw(source), centre_x, radius);
    y = CircleCoordinate(Draw(source), centre_y, radius);
    distance = PointDistance(x, y, centre_x, centre_y);
  }
}

template <typename Source>
void RectanglePoint(double& x, double& y, double x_min, double y_min, double x_max, double y_max,
                    Source& source) {
  double width = static_cast<double>(ExtendedSubtract(x_max, x_min));
  double height = static_cast<double>(ExtendedSubtract(y_max, y_min));
  x = RectangleCoordinate(Draw(source), width, x_min);
  y = RectangleCoordinate(Draw(source), height, y_min);
}

void DrawSitePoint(const GenerationParameters& p, double& x, double& y, Generator& generator) {
  if (p.shape == kCircle) {
    CirclePoint(x, y, p.centre_x, p.centre_y, p.site_radius, generator);
  } else {
    RectanglePoint(x, y, p.x_min, p.y_min, p.x_max, p.y_max, generator);
  }
}

// The draws the next candidate takes, when they can be known before it is
// drawn: 3 for a rectangle; a circle's attempts are found one by one.
constexpr int64_t kRectangleCandidateDraws = 3;

// The sum over every seed, one by one: seeds 1, 2, ... until it reaches 1.
double SumOverEverySeed(const GenerationParameters& p, const ClusterSeeds& seeds, double x,
                        double y) {
  double sum = 0;
  for (int32_t i = 1; sum < 1 && i <= p.seed_count; ++i) {
    double d = PointDistance(x, y, seeds.x[i], seeds.y[i]);
    double value = ModelValue(p.model, d, p.cluster_radius, p.site_radius);
    sum = static_cast<double>(ExtendedAdd(sum, value));
  }
  return sum;
}

}  // namespace

double PointDistance(double x1, double y1, double x2, double y2) {
  long double dx = ExtendedSubtract(x1, x2);
  long double dy = ExtendedSubtract(y1, y2);
  return static_cast<double>(
      ExtendedSqrt(ExtendedAdd(ExtendedMultiply(dx, dx), ExtendedMultiply(dy, dy))));
}

double CircleCoordinate(long double random, double centre, double radius) {
  return static_cast<double>(
      ExtendedAdd(ExtendedSubtract(centre, radius), ExtendedMultiply(random * 2, radius)));
}

double RectangleCoordinate(long double random, double extent, double low) {
  return static_cast<double>(ExtendedAdd(ExtendedMultiply(random, extent), low));
}

double SeedSum(const GenerationParameters& parameters, const ClusterSeeds& seeds,
               std::span<const int16_t> listed_seeds, double x, double y) {
  double sum = 0;
  for (size_t k = 0; sum < 1 && k < listed_seeds.size(); ++k) {
    auto i = static_cast<size_t>(listed_seeds[k]);
    double d = PointDistance(x, y, seeds.x[i], seeds.y[i]);
    double value =
        ModelValue(parameters.model, d, parameters.cluster_radius, parameters.site_radius);
    sum = static_cast<double>(ExtendedAdd(sum, value));
  }
  return sum;
}

void ShowProgress(Console& console, int32_t count) {
  if (console.out.discards()) return;
  console.out.Write(FormatInteger(count, 3));
  console.out.WriteChar('\r');
  console.out.Flush();
}

void RandomPointInCircle(double& x, double& y, double centre_x, double centre_y, double radius,
                         Generator& generator) {
  CirclePoint(x, y, centre_x, centre_y, radius, generator);
}

void RandomPointInCircle(double& x, double& y, double centre_x, double centre_y, double radius,
                         int32_t& rand_seed) {
  CirclePoint(x, y, centre_x, centre_y, radius, rand_seed);
}

void RandomPointInRectangle(double& x, double& y, double x_min, double y_min, double x_max,
                            double y_max, Generator& generator) {
  RectanglePoint(x, y, x_min, y_min, x_max, y_max, generator);
}

void RandomPointInRectangle(double& x, double& y, double x_min, double y_min, double x_max,
                            double y_max, int32_t& rand_seed) {
  RectanglePoint(x, y, x_min, y_min, x_max, y_max, rand_seed);
}

double NormalDensity(double mean, double standard_deviation, double value) {
  if (standard_deviation == 0) return value == mean ? 1.0 : 0.0;
  long double offset = ExtendedSubtract(value, mean);
  long double sd = standard_deviation;
  // An exponent beyond the range of a double is stored as infinity: far tail.
  double e = static_cast<double>(
      ExtendedDivide(ExtendedMultiply(offset, offset), 2 * ExtendedMultiply(sd, sd)));
  if (e > kNormalTailLimit) return 0;
  long double peak = ExtendedDivide(1, ExtendedMultiply(sd, kSqrtTwoPi));
  return static_cast<double>(
      ExtendedMultiply(peak, RoundToExtended(expl(-static_cast<long double>(e)), 0)));
}

double ModelValue(char model, double d, double cluster_radius, double site_radius) {
  if (cluster_radius == 0) return PointMass(d);
  if (model == 'N') return NormalDensity(0, cluster_radius, d);
  if (d > cluster_radius) return 0;
  long double ld = d;
  long double radius = cluster_radius;
  switch (model) {
    case 'C':
      return static_cast<double>(ExtendedSubtract(1, ExtendedDivide(ld, radius)));
    case 'H':
      return static_cast<double>(ExtendedSqrt(ExtendedSubtract(
          1, ExtendedDivide(ExtendedMultiply(ld, ld), ExtendedMultiply(radius, radius)))));
    case 'S':
      if (site_radius == 0) return PointMass(d);
      return static_cast<double>(
          ExtendedAdd(RoundToExtended(cosl(ExtendedDivide(ExtendedMultiply(kPi, ld), site_radius)), 0),
                      1) /
          2);
    default:  // 'U'
      return 1;
  }
}

void PlaceClusterSeeds(const GenerationParameters& parameters, ClusterSeeds& seeds,
                       ProgramState& state, Generator& generator) {
  if (!parameters.contagious) {
    seeds.x[1] = parameters.centre_x;
    seeds.y[1] = parameters.centre_y;
    return;
  }
  for (int32_t i = 1; i <= parameters.seed_count; ++i) {
    DrawSitePoint(parameters, seeds.x[i], seeds.y[i], generator);
    if (parameters.seeds_as_points) {
      state.store.x[i] = seeds.x[i];
      state.store.y[i] = seeds.y[i];
    }
  }
}

int64_t FillPointStoreReference(Console& console, const GenerationParameters& parameters,
                                const ClusterSeeds& seeds, ProgramState& state,
                                Generator& generator, int64_t draw_budget) {
  int32_t accepted = parameters.seeds_as_points ? parameters.seed_count : 0;
  return FillPointStoreFrom(console, parameters, seeds, state, generator, accepted, draw_budget);
}

int64_t FillPointStoreFrom(Console& console, const GenerationParameters& parameters,
                           const ClusterSeeds& seeds, ProgramState& state, Generator& generator,
                           int32_t accepted, int64_t draw_budget) {
  int64_t candidates = 0;
  const int64_t end = generator.draws() + draw_budget;
  // A circle's attempts are drawn one by one on a copy, so that a candidate
  // that would pass the budget leaves the generator where it was.
  const bool circle = parameters.shape == kCircle;
  while (accepted < state.point_count) {
    ThrowIfInterrupted();
    double x = 0;
    double y = 0;
    if (!circle) {
      if (end - generator.draws() < kRectangleCandidateDraws) break;
      DrawSitePoint(parameters, x, y, generator);
    } else {
      Generator trial = generator;
      DrawSitePoint(parameters, x, y, trial);
      if (trial.draws() + 1 > end) break;
      generator = trial;
    }
    double sum = SumOverEverySeed(parameters, seeds, x, y);
    ++candidates;
    if (generator.Next() < sum) {
      ++accepted;
      state.store.x[accepted] = x;
      state.store.y[accepted] = y;
      if (accepted % 10 == 0) ShowProgress(console, accepted);
    }
  }
  if (accepted < state.point_count) {
    // Out of draws: the generator stands after exactly draw_budget of them.
    if (generator.is_lcg()) generator.SkipLcg(end - generator.draws());
    state.point_count = accepted;
  }
  return candidates;
}

}  // namespace sparsim
