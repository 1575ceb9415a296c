// Which cluster seeds can matter to a candidate point.
//
// A seed adds exactly 0 to a candidate's sum when the candidate lies farther
// from it than the cut-off distance: the cluster radius, or the square root
// of 20 standard deviations for the normal model, whose density is cut off
// there. The grid covers the box that holds every candidate with square
// cells and keeps, for each cell, the seeds (in ascending order) whose
// cut-off disc, widened by a safety margin, reaches the cell. So:
//   - a candidate whose position falls in a cell without seeds is certainly
//     refused, and no extended-precision work is needed to know it;
//   - any other candidate needs only its cell's seeds: leaving out seeds
//     that add exactly 0 does not change a single bit of the sum.
// Positions may be looked up as computed cheaply in double arithmetic: the
// margin covers position_error, the most such a position may differ from
// the stored coordinates, and every rounding in the grid's own arithmetic;
// cell coordinates may also be off by kCellSlack of a cell.
//
// Example: seeds 1 at (10, 10) and 2 at (90, 90), uniform model, cluster
// radius 2, box (0, 0)-(100, 100): SeedsNear(50, 50) is empty, and
// SeedsNear(10.5, 11) is {1}.

#ifndef SPARSIM_GENERATE_SEED_GRID_H_
#define SPARSIM_GENERATE_SEED_GRID_H_

#include <cstdint>
#include <span>
#include <vector>

#include "generate/generation_parameters.h"
#include "generate/sampling.h"

namespace sparsim {

// The distance beyond which one seed adds exactly 0: the cluster radius, or
// sqrt(20) x the standard deviation for the normal model.
double CutOffDistance(const GenerationParameters& parameters);

// The rectangle x_low..x_high by y_low..y_high.
struct Box {
  double x_low = 0;
  double y_low = 0;
  double x_high = 0;
  double y_high = 0;
};

// How far off a cell coordinate may be, in cells, for the grid still to
// refuse only what it must.
constexpr double kCellSlack = 0x1p-14;

class SeedGrid {
 public:
  // box holds every candidate's position to within position_error in each
  // coordinate. The parameters must have a positive, finite cut-off.
  SeedGrid(const GenerationParameters& parameters, const ClusterSeeds& seeds, const Box& box,
           double position_error);

  // True when no seed can add anything to a candidate at about (x, y).
  bool Refuses(double x, double y) const { return RefusesCell(ColumnOf(x), RowOf(y)); }

  // The seeds, ascending, that may add something at about (x, y); every
  // seed when the position lies outside the grid.
  std::span<const int16_t> SeedsNear(double x, double y) const {
    return SeedsInCell(ColumnOf(x), RowOf(y));
  }

  // The same in cell units, for loops that compute them directly:
  // column = (x - x_origin) x inverse_cell_size, likewise row from y.
  double ColumnOf(double x) const { return (x - x0_) * inverse_cell_size_; }
  double RowOf(double y) const { return (y - y0_) * inverse_cell_size_; }
  double x_origin() const { return x0_; }
  double y_origin() const { return y0_; }
  double inverse_cell_size() const { return inverse_cell_size_; }

  bool RefusesCell(double column, double row) const { return refusals().Refuses(column, row); }

  // The refusal bits alone, small enough for a sampling loop to keep in
  // registers. A column or row just below 0 truncates into the grid's outer
  // ring of spare cells, which never refuses, so the truncation cannot
  // refuse a candidate wrongly.
  struct Refusals {
    const uint64_t* bits;
    uint64_t columns;
    uint64_t rows;
    int stride_shift;

    // The same for whole cell coordinates, which must be below 2^32.
    bool RefusesCellAt(uint64_t c, uint64_t r) const {
      if (c >= columns || r >= rows) return false;
      uint64_t bit = (r << stride_shift) + c;
      return ((bits[bit >> 6] >> (bit & 63)) & 1) != 0;
    }

    bool Refuses(double column, double row) const {
      auto c = static_cast<uint64_t>(static_cast<int64_t>(column));
      auto r = static_cast<uint64_t>(static_cast<int64_t>(row));
      // NaN and huge values convert to a huge number: outside.
      if (c >= columns || r >= rows) return false;
      uint64_t bit = (r << stride_shift) + c;
      return ((bits[bit >> 6] >> (bit & 63)) & 1) != 0;
    }
  };
  Refusals refusals() const {
    return Refusals{refusals_.data(), static_cast<uint64_t>(columns_), static_cast<uint64_t>(rows_),
                    stride_shift_};
  }

  std::span<const int16_t> SeedsInCell(double column, double row) const;
  std::span<const int16_t> SeedsInCellAt(uint64_t column, uint64_t row) const;

  int64_t cell_count() const { return columns_ * rows_; }

 private:
  // The cell at (column, row), or -1 outside the grid.
  int64_t CellAt(double column, double row) const {
    // Written so that NaN also counts as outside.
    if (!(column >= 0 && column < columns_limit_ && row >= 0 && row < rows_limit_)) return -1;
    return static_cast<int64_t>(row) * columns_ + static_cast<int64_t>(column);
  }

  void ChooseCells(const Box& box, double reach, int32_t seed_count);
  void FillCells(const ClusterSeeds& seeds, int32_t seed_count, double reach);

  double x0_ = 0;
  double y0_ = 0;
  double cell_size_ = 0;
  double inverse_cell_size_ = 0;
  int64_t columns_ = 0;
  int64_t rows_ = 0;
  double columns_limit_ = 0;
  double rows_limit_ = 0;
  std::vector<uint32_t> first_;  // cell c's seeds are seeds_[first_[c]..first_[c+1])
  std::vector<int16_t> seeds_;
  std::vector<int16_t> all_seeds_;
  // A bit per cell, rows 2^stride_shift_ bits apart: no seed reaches it.
  std::vector<uint64_t> refusals_;
  int stride_shift_ = 0;
};

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_SEED_GRID_H_
