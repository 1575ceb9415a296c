#include "generate/seed_grid.h"

#include <algorithm>
#include <cmath>

namespace sparsim {
namespace {

// Bounds on the grid's memory: 2^18 cells, and lists of a few megabytes at
// most.
constexpr double kMaxCells = 1 << 18;
constexpr double kMaxColumns = 1 << 16;
constexpr double kMaxListEntries = 1 << 22;

// Relative slack on the cut-off and on every length the grid computes; far
// larger than any rounding of double or extended arithmetic (about 1e-16).
constexpr double kCutOffSlack = 0x1p-20;
constexpr double kLengthSlack = 0x1p-40;

// sqrt(20): the normal density is 0 once (d / sd)^2 / 2 exceeds 10.
constexpr double kNormalCutOffFactor = 4.47213595499957939282;

double Clamp(double value, double low, double high) { return std::min(std::max(value, low), high); }

}  // namespace

double CutOffDistance(const GenerationParameters& parameters) {
  if (parameters.model == 'N') return kNormalCutOffFactor * parameters.cluster_radius;
  return parameters.cluster_radius;
}

SeedGrid::SeedGrid(const GenerationParameters& parameters, const ClusterSeeds& seeds,
                   const Box& box, double position_error) {
  double width = box.x_high - box.x_low;
  double height = box.y_high - box.y_low;
  double cut_off = CutOffDistance(parameters);
  double magnitudes = std::fabs(box.x_low) + std::fabs(box.x_high) + std::fabs(box.y_low) +
                      std::fabs(box.y_high) + width + height + cut_off;
  // Every seed farther than reach from a cell adds exactly 0 anywhere in it.
  double reach = cut_off * (1 + kCutOffSlack) + 4 * position_error + kLengthSlack * magnitudes;
  ChooseCells(box, reach, parameters.seed_count);
  for (int16_t i = 1; i <= parameters.seed_count; ++i) all_seeds_.push_back(i);
  FillCells(seeds, parameters.seed_count, reach);
}

void SeedGrid::ChooseCells(const Box& box, double reach, int32_t seed_count) {
  double width = box.x_high - box.x_low;
  double height = box.y_high - box.y_low;
  // Cells of half the reach: a seed reaches about 25 of them, and few
  // candidates near a seed share a cell with none.
  double size = reach / 2;
  for (;;) {
    double columns = std::floor(width / size) + 3;
    double rows = std::floor(height / size) + 3;
    double span = std::floor(2 * reach / size) + 3;
    double entries = seed_count * std::min(columns, span) * std::min(rows, span);
    if (columns * rows <= kMaxCells && columns <= kMaxColumns && rows <= kMaxColumns &&
        entries <= kMaxListEntries) {
      columns_ = static_cast<int64_t>(columns);
      rows_ = static_cast<int64_t>(rows);
      columns_limit_ = columns;
      rows_limit_ = rows;
      break;
    }
    size *= 2;
  }
  cell_size_ = size;
  inverse_cell_size_ = 1 / size;
  // One spare cell on each side holds candidates a rounding outside the box.
  x0_ = box.x_low - size;
  y0_ = box.y_low - size;
}

void SeedGrid::FillCells(const ClusterSeeds& seeds, int32_t seed_count, double reach) {
  size_t cells = static_cast<size_t>(columns_ * rows_);
  std::vector<uint32_t> counts(cells + 1, 0);
  // Visits every cell that seed i reaches, as a (cell, seed) pair.
  auto for_each_reached_cell = [&](int32_t i, auto&& visit) {
    double sx = seeds.x[static_cast<size_t>(i)];
    double sy = seeds.y[static_cast<size_t>(i)];
    double last_column = static_cast<double>(columns_ - 1);
    double last_row = static_cast<double>(rows_ - 1);
    auto c_low = static_cast<int64_t>(
        Clamp(std::floor((sx - reach - x0_) * inverse_cell_size_) - 1, 0, last_column));
    auto c_high = static_cast<int64_t>(
        Clamp(std::floor((sx + reach - x0_) * inverse_cell_size_) + 1, 0, last_column));
    auto r_low = static_cast<int64_t>(
        Clamp(std::floor((sy - reach - y0_) * inverse_cell_size_) - 1, 0, last_row));
    auto r_high = static_cast<int64_t>(
        Clamp(std::floor((sy + reach - y0_) * inverse_cell_size_) + 1, 0, last_row));
    for (int64_t r = r_low; r <= r_high; ++r) {
      double low_y = y0_ + static_cast<double>(r) * cell_size_;
      double dy = std::max({0.0, low_y - sy, sy - (low_y + cell_size_)});
      for (int64_t c = c_low; c <= c_high; ++c) {
        double low_x = x0_ + static_cast<double>(c) * cell_size_;
        double dx = std::max({0.0, low_x - sx, sx - (low_x + cell_size_)});
        if (dx * dx + dy * dy <= reach * reach) visit(static_cast<size_t>(r * columns_ + c));
      }
    }
  };
  for (int32_t i = 1; i <= seed_count; ++i) {
    for_each_reached_cell(i, [&](size_t cell) { ++counts[cell + 1]; });
  }
  for (size_t cell = 0; cell < cells; ++cell) counts[cell + 1] += counts[cell];
  first_ = counts;
  seeds_.resize(first_[cells]);
  // Seeds in ascending order, so each cell's list is ascending too.
  for (int32_t i = 1; i <= seed_count; ++i) {
    for_each_reached_cell(i,
                          [&](size_t cell) { seeds_[counts[cell]++] = static_cast<int16_t>(i); });
  }
}

std::span<const int16_t> SeedGrid::SeedsNear(double x, double y) const {
  double column = (x - x0_) * inverse_cell_size_;
  double row = (y - y0_) * inverse_cell_size_;
  // Written so that NaN also counts as outside.
  if (!(column >= 0 && column < columns_limit_ && row >= 0 && row < rows_limit_)) {
    return all_seeds_;
  }
  auto c = static_cast<size_t>(static_cast<int64_t>(row) * columns_ + static_cast<int64_t>(column));
  return std::span<const int16_t>(seeds_).subspan(first_[c], first_[c + 1] - first_[c]);
}

}  // namespace sparsim
