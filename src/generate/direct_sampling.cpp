#include "generate/direct_sampling.h"

#include <cmath>
#include <limits>

#include "common/interrupt.h"
#include "generate/seed_grid.h"
#include "numeric/extended_constants.h"

namespace sparsim {
namespace {

bool PointMassKernel(const GenerationParameters& p) {
  return p.cluster_radius == 0 || (p.model == 'S' && p.site_radius == 0);
}

bool InsideSite(const GenerationParameters& p, double x, double y) {
  if (p.shape == kCircle) return PointDistance(x, y, p.centre_x, p.centre_y) <= p.site_radius;
  return x >= p.x_min && x < p.x_max && y >= p.y_min && y < p.y_max;
}

// S(x): the model values of every seed, summed in extended precision and
// stored after each addition, as the dialogue sums them, without its stop
// at 1 (the ratio min(1, S) / S needs the whole sum). A seed farther than
// reach along either axis adds exactly 0 and is passed over.
double FullSum(const GenerationParameters& p, const ClusterSeeds& seeds, double x, double y,
               double reach) {
  double sum = 0;
  for (int32_t i = 1; i <= p.seed_count; ++i) {
    if (std::fabs(x - seeds.x[i]) > reach || std::fabs(y - seeds.y[i]) > reach) continue;
    double d = PointDistance(x, y, seeds.x[i], seeds.y[i]);
    double value = ModelValue(p.model, d, p.cluster_radius, p.site_radius);
    sum = static_cast<double>(static_cast<long double>(sum) + value);
  }
  return sum;
}

// Where the normal model is cut: d^2 / 2 sd^2 = 10.
constexpr long double kNormalCutExponent = 10;

}  // namespace

double KernelDistance(const GenerationParameters& p, Generator& generator) {
  if (PointMassKernel(p)) return 0;
  long double radius = p.cluster_radius;
  switch (p.model) {
    case 'U':
      return static_cast<double>(radius * sqrtl(generator.Next()));
    case 'H': {
      long double u = generator.Next();
      return static_cast<double>(radius * sqrtl(1 - powl(1 - u, 2.0L / 3)));
    }
    case 'C': {
      long double u = generator.Next();
      return static_cast<double>(radius * (0.5L + sinl(asinl(2 * u - 1) / 3)));
    }
    case 'S':
      for (;;) {
        long double r = radius * sqrtl(generator.Next());
        long double value = (cosl(kPi * r / p.site_radius) + 1) / 2;
        if (generator.Next() < value) return static_cast<double>(r);
      }
    default: {  // 'N'
      long double u = generator.Next();
      static const long double kept = 1 - expl(-kNormalCutExponent);
      return static_cast<double>(radius * sqrtl(-2 * log1pl(-u * kept)));
    }
  }
}

int64_t FillPointStoreDirect(Console& console, const GenerationParameters& parameters,
                             const ClusterSeeds& seeds, ProgramState& state, Generator& generator,
                             bool whole_site) {
  const GenerationParameters& p = parameters;
  int32_t accepted = p.contagious && p.seeds_as_points ? p.seed_count : 0;
  if (accepted >= state.point_count) return 0;
  if (!(p.area > 0) && !whole_site) {
    // A point or a line: no kernel lands on it; reject from the site.
    return FillPointStoreReference(console, p, seeds, state, generator,
                                   std::numeric_limits<int64_t>::max() / 4);
  }
  int64_t proposals = 0;
  // Far wider than the roundings of a difference and of the stored distance.
  const double reach = CutOffDistance(p) * (1 + 1e-9) + 1e-300;
  const int32_t seed_count = p.contagious ? p.seed_count : 1;
  while (accepted < state.point_count) {
    ThrowIfInterrupted();
    ++proposals;
    double x = 0;
    double y = 0;
    if (whole_site) {
      if (p.shape == kCircle) {
        RandomPointInCircle(x, y, p.centre_x, p.centre_y, p.site_radius, generator);
      } else {
        RandomPointInRectangle(x, y, p.x_min, p.y_min, p.x_max, p.y_max, generator);
      }
    } else {
      int32_t i = 1;
      if (seed_count > 1) {
        i += static_cast<int32_t>(generator.Next() * seed_count);
      }
      long double r = KernelDistance(p, generator);
      long double angle = generator.Next() * 2 * kPi;
      x = static_cast<double>(seeds.x[static_cast<size_t>(i)] + r * cosl(angle));
      y = static_cast<double>(seeds.y[static_cast<size_t>(i)] + r * sinl(angle));
      if (!InsideSite(p, x, y)) continue;
      double sum = FullSum(p, seeds, x, y, reach);
      if (!(sum > 0)) continue;  // a rounding put it just past the kernel's edge
      if (sum > 1 && generator.Next() * sum >= 1) continue;
    }
    ++accepted;
    state.store.x[static_cast<size_t>(accepted)] = x;
    state.store.y[static_cast<size_t>(accepted)] = y;
    if (accepted % 10 == 0) ShowProgress(console, accepted);
  }
  return proposals;
}

}  // namespace sparsim
