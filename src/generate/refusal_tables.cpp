#include "generate/refusal_tables.h"

#include <algorithm>
#include <cmath>

#include "numeric/random.h"

namespace sparsim {
namespace {

// Relative widening of the cut-off: a candidate farther than this from a
// seed in X (or in the plane) is farther than the cut-off in its stored
// distance too, since the distance's roundings are near 2^-52 of it.
constexpr long double kReachSlack = 0x1p-20L;
// Widening of the half-width of a row's reach, which comes from a square
// root of rounded values.
constexpr long double kWidthSlack = 0x1p-30L;

// The lowest and highest coordinate of each of 2^bits state buckets.
struct Buckets {
  std::vector<double> low;
  std::vector<double> high;

  Buckets(const StateAxis& axis, int bits) {
    uint32_t count = 1u << bits;
    int shift = 32 - bits;
    low.resize(count);
    high.resize(count);
    for (uint32_t b = 0; b < count; ++b) {
      low[b] = axis.At(b << shift);
      high[b] = axis.At(((b + 1) << shift) - 1);  // wraps to 2^32 - 1 for the last
    }
  }
  uint32_t size() const { return static_cast<uint32_t>(low.size()); }

  // The buckets whose range comes within reach of s: a run, since both ends
  // grow with the bucket. Empty when first > last.
  void Reached(long double s, long double reach, uint32_t& first, uint32_t& last) const {
    // First bucket whose high end is not below s - reach.
    auto below =
        std::partition_point(high.begin(), high.end(), [&](double h) { return s - h > reach; });
    // One past the last bucket whose low end is not above s + reach.
    auto above =
        std::partition_point(low.begin(), low.end(), [&](double l) { return !(l - s > reach); });
    first = static_cast<uint32_t>(below - high.begin());
    last = static_cast<uint32_t>(above - low.begin()) - 1;  // wraps when none
  }

  // The distance from s to bucket b's range, 0 inside it.
  long double Distance(uint32_t b, long double s) const {
    if (s < low[b]) return low[b] - s;
    if (s > high[b]) return s - high[b];
    return 0;
  }
};

// Sets bits first..last, a word at a time.
void SetBits(uint32_t* words, uint32_t first, uint32_t last) {
  uint32_t first_word = first >> 5;
  uint32_t last_word = last >> 5;
  uint32_t head = ~0u << (first & 31);
  uint32_t tail = ~0u >> (31 - (last & 31));
  if (first_word == last_word) {
    words[first_word] |= head & tail;
    return;
  }
  words[first_word] |= head;
  for (uint32_t w = first_word + 1; w < last_word; ++w) words[w] = ~0u;
  words[last_word] |= tail;
}

}  // namespace

StateAxis XAxis(const GenerationParameters& p) {
  if (p.shape == kCircle) return StateAxis{true, p.centre_x, p.site_radius};
  return StateAxis{false, p.x_min,
                   static_cast<double>(static_cast<long double>(p.x_max) - p.x_min)};
}

StateAxis YAxis(const GenerationParameters& p) {
  if (p.shape == kCircle) return StateAxis{true, p.centre_y, p.site_radius};
  return StateAxis{false, p.y_min,
                   static_cast<double>(static_cast<long double>(p.y_max) - p.y_min)};
}

RefusalTables BuildRefusalTables(const StateAxis& x_axis, const StateAxis& y_axis,
                                 const ClusterSeeds& seeds, int32_t seed_count, double cut_off) {
  RefusalTables tables;
  long double reach = cut_off * (1 + kReachSlack);
  // Seeds whose reach together covers half the site or more leave too
  // little to refuse: every candidate goes to the exact computation.
  long double reached_area = 3.2L * reach * reach * seed_count;
  long double x_size = 2 * static_cast<long double>(x_axis.extent);  // a circle's diameter
  long double y_size = 2 * static_cast<long double>(y_axis.extent);
  if (!x_axis.circle) x_size = x_axis.extent;
  if (!y_axis.circle) y_size = y_axis.extent;
  if (reached_area >= x_size * y_size / 2) {
    tables.columns.fill(~0u);
    tables.rows.fill(~0u);
    tables.blocks.fill(~0u);
    std::fill(tables.cells.begin(), tables.cells.end(), ~0u);
    return tables;
  }
  Buckets x_lines(x_axis, kLineBits);
  Buckets y_lines(y_axis, kLineBits);
  Buckets x_blocks(x_axis, kBlockBits);
  Buckets y_blocks(y_axis, kBlockBits);
  Buckets x_cells(x_axis, kCellBits);
  Buckets y_cells(y_axis, kCellBits);
  // The cells (or blocks) of rows within reach of a seed, row after row.
  auto mark_disc = [&](const Buckets& xs, const Buckets& ys, int bits, uint32_t* words,
                       long double sx, long double sy) {
    uint32_t first_row = 0;
    uint32_t last_row = 0;
    ys.Reached(sy, reach, first_row, last_row);
    for (uint32_t r = first_row; r <= last_row && r < ys.size(); ++r) {
      long double dy = ys.Distance(r, sy);
      if (dy > reach) continue;
      long double width = sqrtl(reach * reach - dy * dy) * (1 + kWidthSlack);
      uint32_t first = 0;
      uint32_t last = 0;
      xs.Reached(sx, width, first, last);
      if (first > last || last >= xs.size()) continue;
      SetBits(words, (r << bits) + first, (r << bits) + last);
    }
  };
  for (int32_t i = 1; i <= seed_count; ++i) {
    long double sx = seeds.x[static_cast<size_t>(i)];
    long double sy = seeds.y[static_cast<size_t>(i)];
    uint32_t first = 0;
    uint32_t last = 0;
    x_lines.Reached(sx, reach, first, last);
    if (first <= last && last < x_lines.size()) SetBits(tables.columns.data(), first, last);
    y_lines.Reached(sy, reach, first, last);
    if (first <= last && last < y_lines.size()) SetBits(tables.rows.data(), first, last);
    mark_disc(x_blocks, y_blocks, kBlockBits, tables.blocks.data(), sx, sy);
    mark_disc(x_cells, y_cells, kCellBits, tables.cells.data(), sx, sy);
  }
  return tables;
}

}  // namespace sparsim
