#include "generate/direct_sampling.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "common/interrupt.h"
#include "generate/seed_grid.h"
#include "numeric/extended_arithmetic.h"
#include "numeric/portable_math.h"

namespace sparsim {
namespace {

bool PointMassKernel(const GenerationParameters& p) {
  return p.cluster_radius == 0 || (p.model == 'S' && p.site_radius == 0);
}

bool InsideSite(const GenerationParameters& p, double x, double y) {
  if (p.shape == kCircle) return PointDistance(x, y, p.centre_x, p.centre_y) <= p.site_radius;
  return x >= p.x_min && x < p.x_max && y >= p.y_min && y < p.y_max;
}

// A draw as a double (exact: Philox gives 53-bit multiples of 2^-53).
double Uniform(Generator& generator) { return generator.NextDouble(); }

// A point uniform in the open unit disc, from pairs uniform in the square:
// a and b are exact (2u - 1), s = a^2 + b^2 rounded, 0 < s < 1.
void DiscPoint(Generator& generator, double& a, double& b, double& s) {
  for (;;) {
    a = 2 * Uniform(generator) - 1;
    b = 2 * Uniform(generator) - 1;
    s = a * a + b * b;
    if (s < 1 && s > 0) return;
  }
}

// e^-10: the normal model is cut where d^2 / 2 sd^2 > 10, that is, in the
// polar method, where -ln s > 10.
constexpr double kNormalCutSquare = 4.5399929762484854e-05;
constexpr double kNormalCutExponent = 10;
// sqrt(20): the cut's distance in standard deviations.
constexpr double kNormalCutRadius = 4.47213595499957939282;

// The normal model's value at its seed, 1 / (sd sqrt(2 pi)), as ModelValue
// gives it.
double NormalPeak(const GenerationParameters& p) {
  return ModelValue('N', 0, p.cluster_radius, p.site_radius);
}

// S(x), the model values of every seed summed in extended precision and
// stored after each addition, as the dialogue sums them, without its stop
// at 1 (the ratio below needs the whole sum); and T(x), the same sum of
// each value capped at 1, the density of the proposals. A seed farther than
// reach along either axis adds exactly 0 and is passed over. Where no value
// passes 1, T is S, bit for bit.
struct Sums {
  double model = 0;   // S(x)
  double capped = 0;  // T(x)
};

Sums SeedSums(const GenerationParameters& p, const ClusterSeeds& seeds, double x, double y,
              double reach) {
  Sums sums;
  for (int32_t i = 1; i <= p.seed_count; ++i) {
    if (std::fabs(x - seeds.x[i]) > reach || std::fabs(y - seeds.y[i]) > reach) continue;
    double d = PointDistance(x, y, seeds.x[i], seeds.y[i]);
    double value = ModelValue(p.model, d, p.cluster_radius, p.site_radius);
    sums.model = static_cast<double>(ExtendedAdd(sums.model, value));
    sums.capped = static_cast<double>(ExtendedAdd(sums.capped, std::min(value, 1.0)));
  }
  return sums;
}

// When the sums need not be computed. For a proposal from seed i at the
// offset (dx, dy) that lands at (x, y):
//   - S(x) > 0 is certain when the offset is well inside the kernel's
//     reach L: dx^2 + dy^2 <= (L (1 - 2^-19))^2 and |x| + |y| <= L 2^31.
//     Then the stored point's distance from the seed, with every rounding
//     of the offset, of the sum and of PointDistance, is below
//     L (1 - 2^-20), where each model's value is positive.
//   - min(1, S(x)) = T(x) is certain near seed i when seed i is the only
//     seed within 3 reaches of it (then S is its one value v and T is
//     min(1, v)), or when the seeds there are n and n x peak <= 1 - 2^-30,
//     peak being the largest value a model gives (no value passes 1, and
//     each rounded sum stays below 1). Seeds farther than 3 reaches from
//     seed i are farther than reach from any such point along an axis, so
//     SeedSums would pass them over.
// When both hold, the proposal is kept without a draw, as the sums would
// decide.
struct Shortcut {
  bool usable = false;
  double inner_square = 0;
  double coordinate_limit = 0;
  std::vector<char> below_one;  // by seed index: min(1, S) = T near it
};

Shortcut PlanShortcut(const GenerationParameters& p, const ClusterSeeds& seeds, double reach,
                      int32_t seed_count) {
  Shortcut s;
  const double length = CutOffDistance(p);
  // Squares of lengths in this range neither overflow nor lose bits.
  if (!(length >= 1e-100 && length <= 1e100)) return s;
  double peak = 1;
  if (p.model == 'N') {
    peak = NormalPeak(p);
    // The value at the cut, peak e^-10, must not round to 0.
    if (!(peak >= 1e-290)) return s;
  }
  // The sinusoid's value nears 0 at the site radius: only a cluster radius
  // within half of it keeps every value at 1/2 or more.
  if (p.model == 'S' && !(p.cluster_radius <= p.site_radius / 2)) return s;
  double inner = length * (1 - 0x1p-19);
  s.inner_square = inner * inner;
  s.coordinate_limit = length * 0x1p31;
  s.below_one.assign(static_cast<size_t>(seed_count) + 1, 0);
  const double apart = 3 * reach;
  for (int32_t i = 1; i <= seed_count; ++i) {
    int32_t near = 0;
    for (int32_t j = 1; j <= seed_count; ++j) {
      if (std::fabs(seeds.x[i] - seeds.x[j]) <= apart &&
          std::fabs(seeds.y[i] - seeds.y[j]) <= apart) {
        ++near;
      }
    }
    s.below_one[static_cast<size_t>(i)] = near == 1 || near * peak <= 1 - 0x1p-30;
  }
  s.usable = true;
  return s;
}

// The polar method for the uncapped normal kernel, cut where the model is:
// the disc point's draws, and the factor that takes (a, b) to the offset in
// standard deviations.
void PolarDraws(Generator& generator, double& a, double& b, double& s) {
  do {
    DiscPoint(generator, a, b, s);
  } while (s < kNormalCutSquare);
}
double PolarScale(double s) { return std::sqrt(-2 * PortableLog(s) / s); }

// An offset, in standard deviations, from the normal kernel capped at 1:
// the density min(1, peak e^-E), E = d^2 / 2 cut at 10 as the model is. Up
// to E0 = ln peak (where peak > 1) it is flat, a disc of radius
// sqrt(2 E0), of mass 2 pi E0; beyond, the normal's tail down to the cut,
// of mass 2 pi (1 - peak e^-10). Either part is drawn after one draw that
// picks it by mass; the tail and the uncapped kernel by the polar method,
// the disc point's s giving E = E0 - ln s for s >= peak e^-10.
void NormalOffset(double peak, Generator& generator, double& a, double& b) {
  double s = 0;
  if (peak > 1) {
    const double flat = PortableLog(peak);  // E0
    if (!(flat < kNormalCutExponent)) {
      DiscPoint(generator, a, b, s);
      a *= kNormalCutRadius;
      b *= kNormalCutRadius;
      return;
    }
    const double tail = 1 - peak * kNormalCutSquare;
    if (Uniform(generator) * (flat + tail) < flat) {
      DiscPoint(generator, a, b, s);
      const double radius = std::sqrt(2 * flat);
      a *= radius;
      b *= radius;
      return;
    }
    do {
      DiscPoint(generator, a, b, s);
    } while (s < peak * kNormalCutSquare);
    const double scale = std::sqrt(2 * (flat - PortableLog(s)) / s);
    a *= scale;
    b *= scale;
    return;
  }
  PolarDraws(generator, a, b, s);
  const double scale = PolarScale(s);
  a *= scale;
  b *= scale;
}

// The offset from a seed of one proposal, drawn from the model's kernel as
// the header says; normal_peak is NormalPeak(p) for the normal model.
void KernelOffset(const GenerationParameters& p, double normal_peak, Generator& generator,
                  double& dx, double& dy) {
  dx = dy = 0;
  if (PointMassKernel(p)) return;
  const double radius = p.cluster_radius;
  double a = 0;
  double b = 0;
  double s = 0;
  switch (p.model) {
    case 'U':
      DiscPoint(generator, a, b, s);
      break;
    case 'H':
      // The plane's projection of a point uniform in the ball has the
      // density sqrt(1 - d^2), the hemisphere.
      for (;;) {
        a = 2 * Uniform(generator) - 1;
        b = 2 * Uniform(generator) - 1;
        double c = 2 * Uniform(generator) - 1;
        if (a * a + b * b + c * c < 1) break;
      }
      break;
    case 'C': {
      // The distance's law has the density 6t(1 - t) on [0, 1]: that of
      // the median of three uniforms; the direction is the disc point's.
      DiscPoint(generator, a, b, s);
      double u1 = Uniform(generator);
      double u2 = Uniform(generator);
      double u3 = Uniform(generator);
      double t = std::max(std::min(u1, u2), std::min(std::max(u1, u2), u3));
      double scale = t / std::sqrt(s);
      a *= scale;
      b *= scale;
      break;
    }
    case 'S':
      // A disc point kept with probability (cos(pi d / site radius) + 1) / 2.
      for (;;) {
        DiscPoint(generator, a, b, s);
        double value = (CosPi(radius * std::sqrt(s) / p.site_radius) + 1) / 2;
        if (!(Uniform(generator) >= value)) break;
      }
      break;
    default:  // 'N'
      NormalOffset(normal_peak, generator, a, b);
      break;
  }
  dx = radius * a;
  dy = radius * b;
}

// What the acceptance step makes of a proposal from seed i at the offset
// (dx, dy), landing at (x, y): dropped, kept, or left to the acceptance
// draw, dropped when u x capped >= target.
enum class Verdict { kDropped, kKept, kDraw };
struct Decision {
  Verdict verdict = Verdict::kDropped;
  double target = 0;
  double capped = 0;
};

struct Acceptance {
  const GenerationParameters& p;
  const ClusterSeeds& seeds;
  double reach;
  Shortcut shortcut;

  Decision Decide(int32_t i, double dx, double dy, double x, double y) const {
    if (!InsideSite(p, x, y)) return {};
    const bool settled = shortcut.usable && shortcut.below_one[static_cast<size_t>(i)] &&
                         dx * dx + dy * dy <= shortcut.inner_square &&
                         std::fabs(x) + std::fabs(y) <= shortcut.coordinate_limit;
    if (settled) return {Verdict::kKept};
    const Sums sums = SeedSums(p, seeds, x, y, reach);
    if (!(sums.model > 0)) return {};  // a rounding put it just past the kernel's edge
    const double target = std::min(sums.model, 1.0);
    if (!(target < sums.capped)) return {Verdict::kKept};
    return {Verdict::kDraw, target, sums.capped};
  }
};

// The points of an uncapped normal kernel in batches, with the draws and
// the decisions of the one-at-a-time loop below. A batch takes the draws of
// up to kMostAhead proposals (seed and disc point each), then computes their
// offsets side by side, where the logarithm of one no longer waits for the
// one before, then decides them in order. A proposal whose decision needs
// the acceptance draw takes that draw from where its own draws ended (the
// generator goes back there), and the batch ends with it; so does the set's
// last point. A batch that ends early halves the next one, as where the
// sums are often needed the draws ahead are mostly taken back.
class PolarBatches {
 public:
  PolarBatches(const GenerationParameters& p, const ClusterSeeds& seeds, int32_t seed_count)
      : p_(p), seeds_(seeds), seed_count_(seed_count) {}

  // Adds points from accepted + 1 to the store until it holds point_count,
  // counting every proposal decided; returns the new count.
  int32_t Fill(Console& console, const Acceptance& acceptance, ProgramState& state,
               Generator& generator, int32_t accepted, int64_t& proposals) {
    int ahead = kMostAhead;
    while (accepted < state.point_count) {
      for (int j = 0; j < ahead; ++j) {
        seed_[j] = 1;
        if (seed_count_ > 1) seed_[j] += static_cast<int32_t>(Uniform(generator) * seed_count_);
        PolarDraws(generator, a_[j], b_[j], s_[j]);
        draws_[j] = generator.draws();
      }
      const double radius = p_.cluster_radius;
      for (int j = 0; j < ahead; ++j) {
        const double scale = PolarScale(s_[j]);
        a_[j] = radius * (a_[j] * scale);
        b_[j] = radius * (b_[j] * scale);
      }
      int j = 0;
      bool ended = false;
      for (; j < ahead && !ended; ++j) {
        ThrowIfInterrupted();
        ++proposals;
        const double x = seeds_.x[static_cast<size_t>(seed_[j])] + a_[j];
        const double y = seeds_.y[static_cast<size_t>(seed_[j])] + b_[j];
        const Decision decision = acceptance.Decide(seed_[j], a_[j], b_[j], x, y);
        bool kept = decision.verdict == Verdict::kKept;
        if (decision.verdict == Verdict::kDraw) {
          generator.SeekPhilox(draws_[j]);
          kept = !(Uniform(generator) * decision.capped >= decision.target);
          ended = true;
        }
        if (!kept) continue;
        ++accepted;
        state.store.x[static_cast<size_t>(accepted)] = x;
        state.store.y[static_cast<size_t>(accepted)] = y;
        if (accepted % 10 == 0) ShowProgress(console, accepted);
        if (accepted == state.point_count && !ended) {
          generator.SeekPhilox(draws_[j]);
          ended = true;
        }
      }
      ahead = j < ahead ? std::max(ahead / 2, 1) : std::min(ahead * 2, kMostAhead);
    }
    return accepted;
  }

 private:
  static constexpr int kMostAhead = 16;
  const GenerationParameters& p_;
  const ClusterSeeds& seeds_;
  int32_t seed_count_;
  int32_t seed_[kMostAhead] = {};
  double a_[kMostAhead] = {};
  double b_[kMostAhead] = {};
  double s_[kMostAhead] = {};
  int64_t draws_[kMostAhead] = {};
};

}  // namespace

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
  const double normal_peak = p.model == 'N' ? NormalPeak(p) : 0;
  const Acceptance acceptance{
      p, seeds, reach, whole_site ? Shortcut{} : PlanShortcut(p, seeds, reach, seed_count)};
  if (!whole_site && p.model == 'N' && !PointMassKernel(p) && !(normal_peak > 1) &&
      !generator.is_lcg()) {
    PolarBatches(p, seeds, seed_count).Fill(console, acceptance, state, generator, accepted,
                                             proposals);
    return proposals;
  }
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
      if (seed_count > 1) i += static_cast<int32_t>(Uniform(generator) * seed_count);
      double dx = 0;
      double dy = 0;
      KernelOffset(p, normal_peak, generator, dx, dy);
      x = seeds.x[static_cast<size_t>(i)] + dx;
      y = seeds.y[static_cast<size_t>(i)] + dy;
      const Decision decision = acceptance.Decide(i, dx, dy, x, y);
      if (decision.verdict == Verdict::kDropped) continue;
      if (decision.verdict == Verdict::kDraw &&
          Uniform(generator) * decision.capped >= decision.target) {
        continue;
      }
    }
    ++accepted;
    state.store.x[static_cast<size_t>(accepted)] = x;
    state.store.y[static_cast<size_t>(accepted)] = y;
    if (accepted % 10 == 0) ShowProgress(console, accepted);
  }
  return proposals;
}

}  // namespace sparsim
