// The fast engine behind FillPointStore.
//
// Each candidate's draws are taken from the generator's states directly: the
// states of a candidate's X, Y and acceptance draws follow from the state
// before it by one jump each, so they need not wait for one another. The
// candidate's cell in a SeedGrid comes cheaply from the states, in fixed
// point, and tells whether any seed can add to its sum. Most candidates of
// a clustered set lie far from every seed and are refused there and then:
// their sum is exactly 0, and no draw is below 0. The others are computed
// exactly as the reference engine computes them, with the seeds of their
// cell only. Every margin these shortcuts need is far wider than the
// roundings it covers, so no decision differs from the reference engine's.

#include <cmath>
#include <initializer_list>

#include "common/interrupt.h"
#include "generate/sampling.h"
#include "generate/seed_grid.h"
#include "numeric/random.h"

namespace sparsim {
namespace {

// How far a coordinate computed in double arithmetic may lie from the stored
// one, relative to the magnitudes involved: a few roundings of 2^-53 each,
// taken very generously. The absolute part covers subnormal lengths.
constexpr double kPositionSlack = 0x1p-48;
constexpr double kTinyLength = 0x1p-1000;

constexpr RandomJump kOneDraw = RandomJump::Steps(1);
constexpr RandomJump kTwoDraws = RandomJump::Steps(2);
constexpr RandomJump kThreeDraws = RandomJump::Steps(3);

// The scale that turns a generator state into a draw times length.
constexpr double kStateScale = 0x1p-32;

// Sizes the fast engine takes on: their squares and sums stay well inside
// the range of doubles. The dialogue keeps to 1e30.
constexpr double kLargestSize = 1e150;

bool Moderate(std::initializer_list<double> values) {
  for (double value : values) {
    if (!(std::fabs(value) <= kLargestSize)) return false;  // NaN too
  }
  return true;
}

// The fast engine needs a site with area and a positive cut-off, all of
// moderate size; point masses, sites without area and sizes near the limits
// of doubles are left to the reference engine.
bool FastEngineApplies(const GenerationParameters& p) {
  double cut_off = CutOffDistance(p);
  if (!(cut_off > 0) || !Moderate({cut_off}) || p.seed_count < 1) return false;
  if (p.shape == kCircle) {
    return p.site_radius > 0 && p.site_radius < kFarAway &&
           Moderate({p.centre_x, p.centre_y, p.site_radius});
  }
  return p.x_max > p.x_min && p.y_max > p.y_min &&
         Moderate({p.x_min, p.y_min, p.x_max, p.y_max});
}

// Stores an accepted candidate; the generator's state is written back first,
// as the console may fail while showing the count.
void Accept(Console& console, ProgramState& state, uint32_t rand_state, int32_t& accepted,
            double x, double y) {
  state.rand_seed = static_cast<int32_t>(rand_state);
  ++accepted;
  state.store.x[static_cast<size_t>(accepted)] = x;
  state.store.y[static_cast<size_t>(accepted)] = y;
  if (accepted % 10 == 0) ShowProgress(console, accepted);
}

// The exact decision for a candidate near some seed: kept out of line, as
// few candidates come this far, so that the loops keep their values in
// registers.
// The sum of the normal model over several seeds, estimated in double
// arithmetic with exp instead of expl, and a bound on its distance from the
// exact sum. The estimate is settled unless some seed lies so near the
// cut-off (10 in the exponent) that the exact computation might cut it
// differently.
struct SumEstimate {
  bool settled = false;
  double sum = 0;
  double bound = 0;
};

// Each term is within a relative 1e-14 of the stored value (the exponent
// is within 10 x 2^-49 of the exact one, and exp and the roundings add a few
// ulps), and each addition rounds by at most 2^-53 of the sum, in both
// computations; the bound is ten times larger than that.
constexpr double kTermSlack = 1e-13;
constexpr double kAdditionSlack = 1e-15;
constexpr double kCutOffBand = 1e-9;
constexpr double kNormalCutOff = 10;

SumEstimate EstimateNormalSum(const GenerationParameters& p, const ClusterSeeds& seeds,
                              std::span<const int16_t> near_seeds, double x, double y) {
  SumEstimate estimate;
  double sd = p.cluster_radius;
  // Far from these, squares and their reciprocals would leave the range of
  // doubles or lose precision as subnormals.
  if (!(sd >= 1e-100 && sd <= 1e100)) return estimate;
  double inverse_two_variances = 1 / (2 * (sd * sd));
  double peak = 1 / (sd * 2.5066282746310002);
  double sum = 0;
  for (int16_t i : near_seeds) {
    double dx = x - seeds.x[static_cast<size_t>(i)];
    double dy = y - seeds.y[static_cast<size_t>(i)];
    double exponent = (dx * dx + dy * dy) * inverse_two_variances;
    if (exponent > kNormalCutOff * (1 + kCutOffBand)) continue;
    if (exponent >= kNormalCutOff * (1 - kCutOffBand)) return estimate;
    sum += peak * std::exp(-exponent);
  }
  estimate.settled = true;
  estimate.sum = sum;
  estimate.bound =
      sum * (kTermSlack + kAdditionSlack * static_cast<double>(near_seeds.size())) + 1e-300;
  return estimate;
}

// Below this many seeds the exact sum is cheap enough.
constexpr size_t kSeedsWorthEstimating = 4;

[[gnu::noinline]] bool Accepts(const GenerationParameters& p, const ClusterSeeds& seeds,
                               std::span<const int16_t> near_seeds, double x, double y,
                               uint32_t draw_state) {
  long double draw = RandomValue(draw_state);
  // The normal model needs expl per seed; a draw clearly below or above
  // the estimated sum is decided without it. The exact sum stops growing
  // once it reaches 1, but a draw is always below 1, so the decision
  // against the full sum is the same.
  if (p.model == 'N' && near_seeds.size() >= kSeedsWorthEstimating) {
    SumEstimate estimate = EstimateNormalSum(p, seeds, near_seeds, x, y);
    if (estimate.settled) {
      if (draw < static_cast<long double>(estimate.sum) - estimate.bound) return true;
      if (draw >= static_cast<long double>(estimate.sum) + estimate.bound) return false;
    }
  }
  return draw < SeedSum(p, seeds, near_seeds, x, y);
}

// Where a quick loop stops: at a candidate near a seed, or (circles) at an
// attempt near the rim, with the states of its draws.
struct Stop {
  uint32_t x_state = 0;
  uint32_t y_state = 0;
  uint32_t rand_state = 0;  // the state after the last draw taken
  uint64_t column = 0;
  uint64_t row = 0;
  int64_t candidates = 0;  // drawn, the one stopped at included
  bool near_rim = false;
};

// A state's cell column, state x scale + offset in cell units, computed in
// fixed point with kFixedBits fractional bits: one integer multiply, add
// and shift. A grid has fewer than 2^16 columns and rows, so the scale
// (columns per 2^32 states) is below 2^-16 and state x scale x 2^kFixedBits
// stays below 2^62. Rounding scale and offset to fixed point moves a cell
// coordinate by less than 2^-15 of a cell, within the grid's kCellSlack.
constexpr int kFixedBits = 46;

struct FixedCell {
  uint64_t scale = 0;
  uint64_t offset = 0;

  static bool Fits(double real_scale, double real_offset) {
    return real_scale >= 0 && real_scale < 0x1p-16 && real_offset >= 0 && real_offset < 4;
  }
  FixedCell(double real_scale, double real_offset)
      : scale(static_cast<uint64_t>(std::nearbyint(std::ldexp(real_scale, kFixedBits)))),
        offset(static_cast<uint64_t>(std::nearbyint(std::ldexp(real_offset, kFixedBits)))) {}

  uint64_t At(uint32_t state) const { return (state * scale + offset) >> kFixedBits; }
};

struct RectangleScan {
  FixedCell column;
  FixedCell row;
  SeedGrid::Refusals refusals;
};

// Draws candidates until one is not refused. Out of line and without calls,
// so that every value stays in a register.
[[gnu::noinline]] Stop ScanRectangle(const RectangleScan scan, uint32_t rand_state) {
  Stop stop;
  for (;;) {
    ThrowIfInterrupted();
    uint32_t x_state = kOneDraw.Apply(rand_state);
    uint32_t y_state = kTwoDraws.Apply(rand_state);
    rand_state = kThreeDraws.Apply(rand_state);
    ++stop.candidates;
    uint64_t column = scan.column.At(x_state);
    uint64_t row = scan.row.At(y_state);
    if (!scan.refusals.RefusesCellAt(column, row)) {
      stop.x_state = x_state;
      stop.y_state = y_state;
      stop.rand_state = rand_state;
      stop.column = column;
      stop.row = row;
      return stop;
    }
  }
}

// Candidates of a rectangle: exactly three draws each (X, Y, acceptance).
int64_t FillRectangle(Console& console, const GenerationParameters& p, const ClusterSeeds& seeds,
                      ProgramState& state, int32_t accepted) {
  // The stored extents, as the rectangle sampler computes them.
  auto width = static_cast<double>(static_cast<long double>(p.x_max) - p.x_min);
  auto height = static_cast<double>(static_cast<long double>(p.y_max) - p.y_min);
  double error =
      kPositionSlack * (std::fabs(p.x_min) + width + std::fabs(p.y_min) + height) + kTinyLength;
  SeedGrid grid(p, seeds, Box{p.x_min, p.y_min, p.x_max, p.y_max}, error);
  double inverse = grid.inverse_cell_size();
  double column_scale = width * kStateScale * inverse;
  double column_offset = (p.x_min - grid.x_origin()) * inverse;
  double row_scale = height * kStateScale * inverse;
  double row_offset = (p.y_min - grid.y_origin()) * inverse;
  if (!FixedCell::Fits(column_scale, column_offset) || !FixedCell::Fits(row_scale, row_offset)) {
    return FillPointStoreReference(console, p, seeds, state);
  }
  const RectangleScan scan{FixedCell(column_scale, column_offset),
                           FixedCell(row_scale, row_offset), grid.refusals()};
  auto rand_state = static_cast<uint32_t>(state.rand_seed);
  int64_t candidates = 0;
  while (accepted < state.point_count) {
    Stop stop = ScanRectangle(scan, rand_state);
    rand_state = stop.rand_state;
    candidates += stop.candidates;
    double x = RectangleCoordinate(RandomValue(stop.x_state), width, p.x_min);
    double y = RectangleCoordinate(RandomValue(stop.y_state), height, p.y_min);
    if (Accepts(p, seeds, grid.SeedsInCellAt(stop.column, stop.row), x, y, rand_state)) {
      Accept(console, state, rand_state, accepted, x, y);
    }
  }
  state.rand_seed = static_cast<int32_t>(rand_state);
  return candidates;
}

// The disc in generator states: an attempt from the states (a, b) lies at
// (2r / 2^32) x (a - 2^31, b - 2^31) from the centre, give or take the
// roundings, so whether it is inside is a matter of comparing
// (a - 2^31)^2 + (b - 2^31)^2, computed exactly in integers, with 2^62.
// Only attempts within band states of the rim need the exact coordinates.
struct StateDisc {
  static constexpr int64_t kCentre = int64_t{1} << 31;

  explicit StateDisc(double band_in_states) {
    // A band too wide for the integers decides every attempt exactly.
    double band = std::ceil(band_in_states) + 2;
    if (band >= static_cast<double>(kCentre)) return;
    auto b = static_cast<uint64_t>(band);
    auto radius = static_cast<uint64_t>(kCentre);
    inside_limit = (radius - b) * (radius - b);
    outside_limit = (radius + b) * (radius + b);
  }

  static uint64_t SquareFromCentre(uint32_t a, uint32_t b) {
    int64_t dx = static_cast<int64_t>(a) - kCentre;
    int64_t dy = static_cast<int64_t>(b) - kCentre;
    return static_cast<uint64_t>(dx * dx) + static_cast<uint64_t>(dy * dy);
  }

  // Squares below inside_limit are surely inside, above outside_limit
  // surely outside.
  uint64_t inside_limit = 0;
  uint64_t outside_limit = ~uint64_t{0};
};

struct CircleScan {
  FixedCell column;
  FixedCell row;
  StateDisc disc;
  SeedGrid::Refusals refusals;
};

// Draws attempts and candidates until an attempt lies near the rim or a
// candidate is not refused. Out of line and without calls, like
// ScanRectangle.
[[gnu::noinline]] Stop ScanCircle(const CircleScan scan, uint32_t rand_state) {
  Stop stop;
  for (;;) {
    ThrowIfInterrupted();
    uint32_t x_state = kOneDraw.Apply(rand_state);
    uint32_t y_state = kTwoDraws.Apply(rand_state);
    rand_state = y_state;
    uint64_t square = StateDisc::SquareFromCentre(x_state, y_state);
    if (square > scan.disc.outside_limit) continue;
    stop.x_state = x_state;
    stop.y_state = y_state;
    if (square >= scan.disc.inside_limit) {
      stop.near_rim = true;
      stop.rand_state = rand_state;
      return stop;
    }
    rand_state = kOneDraw.Apply(rand_state);
    ++stop.candidates;
    uint64_t column = scan.column.At(x_state);
    uint64_t row = scan.row.At(y_state);
    if (!scan.refusals.RefusesCellAt(column, row)) {
      stop.rand_state = rand_state;
      stop.column = column;
      stop.row = row;
      return stop;
    }
  }
}

// Candidates of a circle: attempts of two draws until one lies inside, then
// the acceptance draw.
int64_t FillCircle(Console& console, const GenerationParameters& p, const ClusterSeeds& seeds,
                   ProgramState& state, int32_t accepted) {
  double r = p.site_radius;
  double error =
      kPositionSlack * (std::fabs(p.centre_x) + std::fabs(p.centre_y) + 4 * r) + kTinyLength;
  Box box{p.centre_x - r, p.centre_y - r, p.centre_x + r, p.centre_y + r};
  SeedGrid grid(p, seeds, box, error);
  double inverse = grid.inverse_cell_size();
  double scale = 2 * r * kStateScale * inverse;
  double column_offset = (box.x_low - grid.x_origin()) * inverse;
  double row_offset = (box.y_low - grid.y_origin()) * inverse;
  if (!FixedCell::Fits(scale, column_offset) || !FixedCell::Fits(scale, row_offset)) {
    return FillPointStoreReference(console, p, seeds, state);
  }
  // A stored distance from the centre differs from the one in states, scaled
  // by r / 2^31, by less than 4 x error.
  const CircleScan scan{FixedCell(scale, column_offset), FixedCell(scale, row_offset),
                        StateDisc(4 * error / r * 0x1p31), grid.refusals()};
  auto rand_state = static_cast<uint32_t>(state.rand_seed);
  int64_t candidates = 0;
  while (accepted < state.point_count) {
    Stop stop = ScanCircle(scan, rand_state);
    rand_state = stop.rand_state;
    candidates += stop.candidates;
    double x = CircleCoordinate(RandomValue(stop.x_state), p.centre_x, r);
    double y = CircleCoordinate(RandomValue(stop.y_state), p.centre_y, r);
    if (stop.near_rim) {
      if (PointDistance(x, y, p.centre_x, p.centre_y) > r) continue;  // the next attempt
      rand_state = kOneDraw.Apply(rand_state);
      ++candidates;
      stop.column = scan.column.At(stop.x_state);
      stop.row = scan.row.At(stop.y_state);
      if (scan.refusals.RefusesCellAt(stop.column, stop.row)) continue;
    }
    if (Accepts(p, seeds, grid.SeedsInCellAt(stop.column, stop.row), x, y, rand_state)) {
      Accept(console, state, rand_state, accepted, x, y);
    }
  }
  state.rand_seed = static_cast<int32_t>(rand_state);
  return candidates;
}

}  // namespace

int64_t FillPointStore(Console& console, const GenerationParameters& parameters,
                       const ClusterSeeds& seeds, ProgramState& state) {
  int32_t accepted = parameters.seeds_as_points ? parameters.seed_count : 0;
  if (accepted >= state.point_count) return 0;
  if (!FastEngineApplies(parameters)) {
    return FillPointStoreReference(console, parameters, seeds, state);
  }
  if (parameters.shape == kCircle) return FillCircle(console, parameters, seeds, state, accepted);
  return FillRectangle(console, parameters, seeds, state, accepted);
}

}  // namespace sparsim
