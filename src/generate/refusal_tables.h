// Which generator states can give a candidate that some seed reaches.
//
// A candidate's X comes from the state of its X draw, and X grows with that
// state; so the states that share their top bits give X within a known
// range, and likewise for Y. The tables below mark, by the top bits of the
// X and Y draws' states, where some seed lies within the cut-off distance,
// widened by a margin far larger than any rounding. Every candidate outside
// the marked buckets lies beyond the cut-off of every seed: each seed adds
// exactly 0 to its sum, and it is refused whatever its acceptance draw.
//
//   columns: bit b set when X draws whose state has the top 10 bits b can
//            lie near a seed's X (1024 buckets);
//   rows:    the same for Y draws;
//   blocks:  bit (r << 5) + c set when a candidate whose X state has the
//            top 5 bits c and whose Y state the top 5 bits r can lie near a
//            seed (32 x 32 blocks of cells);
//   cells:   the same with the top 9 bits (512 x 512 cells).
// The first three are small enough for a vector loop to keep in registers.
//
// Example: on the rectangle (0, 0)-(1024, 1024) with one seed at (100, 900)
// and cluster radius 2, X state buckets are one unit wide; the columns mark
// the buckets 97 to 102, the rows 897 to 902, and the cells the few around
// (50, 450); the blocks mark the one block (3, 28).

#ifndef SPARSIM_GENERATE_REFUSAL_TABLES_H_
#define SPARSIM_GENERATE_REFUSAL_TABLES_H_

#include <array>
#include <cstdint>
#include <vector>

#include "generate/generation_parameters.h"
#include "generate/sampling.h"
#include "numeric/extended_arithmetic.h"

namespace sparsim {

// The coordinate one draw gives, from the generator's state after it: the
// site sampler's arithmetic for X or Y, without its loop.
struct StateAxis {
  bool circle = false;
  double low = 0;     // rectangle: the low edge; circle: the centre
  double extent = 0;  // rectangle: the stored width or height; circle: the radius

  // RectangleCoordinate or CircleCoordinate of the state's draw, the same
  // operations in the same order, written out so that loops need no call.
  double At(uint32_t state) const {
    long double random = static_cast<long double>(state) * 0x1p-32L;
    if (circle) {
      return static_cast<double>(
          ExtendedAdd(ExtendedSubtract(low, extent), ExtendedMultiply(random * 2, extent)));
    }
    return static_cast<double>(ExtendedAdd(ExtendedMultiply(random, extent), low));
  }
};

// The X and Y axes of a site.
StateAxis XAxis(const GenerationParameters& parameters);
StateAxis YAxis(const GenerationParameters& parameters);

constexpr int kLineBits = 10;
constexpr int kBlockBits = 5;
constexpr int kCellBits = 9;

struct RefusalTables {
  std::array<uint32_t, (1 << kLineBits) / 32> columns{};
  std::array<uint32_t, (1 << kLineBits) / 32> rows{};
  std::array<uint32_t, (1 << (2 * kBlockBits)) / 32> blocks{};  // word r, bit c
  std::vector<uint32_t> cells = std::vector<uint32_t>((1 << (2 * kCellBits)) / 32);

  // Whether the tables leave a candidate from these X and Y draw states to
  // the exact computation.
  bool Passes(uint32_t x_state, uint32_t y_state) const {
    // The cells first: they refuse nearly everything the others would, so
    // that scalar code branches the same way almost every time.
    return CellPasses(x_state, y_state) && ColumnPasses(x_state) && RowPasses(y_state) &&
           BlockPasses(x_state, y_state);
  }
  bool ColumnPasses(uint32_t x_state) const { return LineBit(columns.data(), x_state); }
  bool RowPasses(uint32_t y_state) const { return LineBit(rows.data(), y_state); }
  bool BlockPasses(uint32_t x_state, uint32_t y_state) const {
    return ((blocks[y_state >> (32 - kBlockBits)] >> (x_state >> (32 - kBlockBits))) & 1) != 0;
  }
  bool CellPasses(uint32_t x_state, uint32_t y_state) const {
    uint32_t cell = (y_state >> (32 - kCellBits) << kCellBits) | (x_state >> (32 - kCellBits));
    return ((cells[cell >> 5] >> (cell & 31)) & 1) != 0;
  }

 private:
  static bool LineBit(const uint32_t* words, uint32_t state) {
    uint32_t bucket = state >> (32 - kLineBits);
    return ((words[bucket >> 5] >> (bucket & 31)) & 1) != 0;
  }
};

// The tables for the seeds 1..seed_count of a set whose model adds exactly
// 0 beyond cut_off (positive and finite), on a site with area. Costs about
// one pass over the rows each seed reaches.
RefusalTables BuildRefusalTables(const StateAxis& x_axis, const StateAxis& y_axis,
                                 const ClusterSeeds& seeds, int32_t seed_count, double cut_off);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_REFUSAL_TABLES_H_
