#include "plot/plot.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sparsim {
namespace {

constexpr int kColumns = 80;
constexpr int kRows = 25;
constexpr int kShownColumns = 79;
constexpr int kShownRows = 24;
constexpr long double kFrameAspect = 2.25L;
// Keeps the points at the high end of each range inside the grid.
constexpr long double kEdgeOffset = 0.001L;

struct Extent {
  double low_x, high_x, low_y, high_y;
};

Extent FindExtent(const ProgramState& state, int32_t count) {
  Extent e{state.store.x[1], state.store.x[1], state.store.y[1], state.store.y[1]};
  for (int32_t i = 1; i <= count; ++i) {
    if (state.store.x[i] < e.low_x) e.low_x = state.store.x[i];
    if (state.store.x[i] > e.high_x) e.high_x = state.store.x[i];
    if (state.store.y[i] < e.low_y) e.low_y = state.store.y[i];
    if (state.store.y[i] > e.high_y) e.high_y = state.store.y[i];
  }
  return e;
}

// Whole cells from the low end of a range: trunc(u * (scale * cells)) with
// u = (value - low) / (high - low) - 0.001. A zero range gives 0.
long long CellOffset(double value, double low, double high, double scale, int cells) {
  long double range = static_cast<long double>(high) - low;
  if (range == 0) return 0;
  long double u = (static_cast<long double>(value) - low) / range - kEdgeOffset;
  return static_cast<long long>(truncl(u * (static_cast<long double>(scale) * cells)));
}

}  // namespace

void PlotPoints(Console& console, const ProgramState& state) {
  const int32_t count = StoredPointCount(state);
  std::array<std::array<char, kColumns + 1>, kRows + 1> grid;
  for (auto& row : grid) row.fill(' ');

  if (count > 0) {
    Extent e = FindExtent(state, count);
    long double x_range = static_cast<long double>(e.high_x) - e.low_x;
    long double y_range = static_cast<long double>(e.high_y) - e.low_y;
    double x_scale = 1;
    double y_scale = 1;
    // Aspect = X range / Y range; a zero Y range counts as infinitely wide.
    if (y_range == 0) {
      if (x_range > 0) y_scale = 0;
    } else {
      double aspect = static_cast<double>(x_range / y_range);
      if (aspect > kFrameAspect) {
        y_scale = static_cast<double>(kFrameAspect / aspect);
      } else {
        x_scale = static_cast<double>(aspect / kFrameAspect);
      }
    }
    for (int32_t i = 1; i <= count; ++i) {
      long long column = CellOffset(state.store.x[i], e.low_x, e.high_x, x_scale, kColumns) + 1;
      long long row = kRows - CellOffset(state.store.y[i], e.low_y, e.high_y, y_scale, kRows);
      column = std::clamp(column, 1LL, static_cast<long long>(kShownColumns));
      row = std::clamp(row, 1LL, static_cast<long long>(kShownRows));
      char& cell = grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
      cell = cell == ' ' ? '+' : '*';
    }
  }

  for (int row = 1; row <= kShownRows; ++row) {
    for (int column = 1; column <= kShownColumns; ++column) {
      console.out.WriteChar(grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
      console.out.Flush();
    }
    console.out.WriteLine();
  }
}

}  // namespace sparsim
