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
// The margin covers position_error, the most a looked-up position may
// differ from the stored coordinates, and every rounding in the grid's own
// arithmetic.
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

class SeedGrid {
 public:
  // box holds every candidate's position to within position_error in each
  // coordinate. The parameters must have a positive, finite cut-off.
  SeedGrid(const GenerationParameters& parameters, const ClusterSeeds& seeds, const Box& box,
           double position_error);

  // True when no seed can add anything to a candidate at about (x, y).
  bool Refuses(double x, double y) const { return SeedsNear(x, y).empty(); }

  // The seeds, ascending, that may add something at about (x, y); every
  // seed when the position lies outside the grid.
  std::span<const int16_t> SeedsNear(double x, double y) const;

  int64_t cell_count() const { return columns_ * rows_; }

 private:
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
};

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_SEED_GRID_H_
