#include "generate/refusal_tables.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

#include "numeric/random.h"
#include "support/sites.h"

namespace sparsim {
namespace {

int CountBits(const uint32_t* words, size_t count) {
  int bits = 0;
  for (size_t i = 0; i < count; ++i) bits += std::popcount(words[i]);
  return bits;
}

bool Bit(const uint32_t* words, uint32_t b) { return ((words[b >> 5] >> (b & 31)) & 1) != 0; }

TEST(RefusalTables, MarkTheBucketsWithinReachOfASeed) {
  // X and Y buckets of the 10-bit tables are one unit wide, those of the
  // cells two units, the blocks 32 units. The seed (100, 900) with radius 2
  // reaches X from 98 to 102 and Y from 898 to 902: the buckets 97 (which
  // ends just below 98) to 102, the block (3, 28), and the 4 x 4 cells
  // 48..51 by 448..451 but for the four corners, whose nearest points lie
  // 2 sqrt(2) away.
  GenerationParameters p = Clustered(RectangleSite(0, 0, 1024, 1024), 1, false, 2, 'U');
  ClusterSeeds seeds;
  seeds.x[1] = 100;
  seeds.y[1] = 900;
  RefusalTables t = BuildRefusalTables(XAxis(p), YAxis(p), seeds, 1, 2);
  EXPECT_EQ(CountBits(t.columns.data(), t.columns.size()), 6);
  EXPECT_TRUE(Bit(t.columns.data(), 97) && Bit(t.columns.data(), 102));
  EXPECT_EQ(CountBits(t.rows.data(), t.rows.size()), 6);
  EXPECT_TRUE(Bit(t.rows.data(), 897) && Bit(t.rows.data(), 902));
  EXPECT_EQ(CountBits(t.blocks.data(), t.blocks.size()), 1);
  EXPECT_TRUE(Bit(t.blocks.data(), (28 << 5) + 3));
  EXPECT_EQ(CountBits(t.cells.data(), t.cells.size()), 12);
  EXPECT_TRUE(Bit(t.cells.data(), (449 << 9) + 48));
  EXPECT_FALSE(Bit(t.cells.data(), (448 << 9) + 48));
  EXPECT_FALSE(Bit(t.cells.data(), (451 << 9) + 51));
  // A candidate at (100.5, 899.5) passes, one at (500, 500) does not.
  EXPECT_TRUE(
      t.Passes(static_cast<uint32_t>(100.5 * 0x1p22), static_cast<uint32_t>(899.5 * 0x1p22)));
  EXPECT_FALSE(t.Passes(500u << 22, 500u << 22));
}

// The state a coordinate comes from, near enough: the inverse of the axis.
uint32_t StateNear(const StateAxis& axis, double coordinate) {
  double low = axis.circle ? axis.low - axis.extent : axis.low;
  double size = axis.circle ? 2 * axis.extent : axis.extent;
  double state = std::floor((coordinate - low) / size * 0x1p32);
  return static_cast<uint32_t>(std::clamp(state, 0.0, 0x1p32 - 1));
}

// Candidates at the cut-off of a seed and just inside it, on sites of every
// scale and far from the origin: the tables must pass each one whose stored
// distance from some seed is within the cut-off.
TEST(RefusalTables, PassEveryCandidateWithinTheCutOff) {
  std::mt19937_64 pick(99);
  auto uniform = [&](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(pick);
  };
  const double offsets[] = {0, -3.5, 1e6, -1e9, 7.25e12};
  const double scales[] = {1e-6, 1, 1000, 4e7};
  int checked = 0;
  for (int site = 0; site < 200; ++site) {
    double scale = scales[pick() % 4];
    double offset = offsets[pick() % 5];
    GenerationParameters p = pick() % 2 == 0
                                 ? CircleSite(offset, -offset, scale)
                                 : RectangleSite(offset, -offset, offset + scale * uniform(0.1, 1),
                                                 -offset + scale * uniform(0.1, 1));
    int32_t count = 1 + static_cast<int32_t>(pick() % 20);
    double cut_off = scale * std::pow(10.0, uniform(-4, -0.5));
    StateAxis x_axis = XAxis(p);
    StateAxis y_axis = YAxis(p);
    ClusterSeeds seeds;
    for (size_t i = 1; i <= static_cast<size_t>(count); ++i) {
      seeds.x[i] = x_axis.At(static_cast<uint32_t>(pick()));
      seeds.y[i] = y_axis.At(static_cast<uint32_t>(pick()));
    }
    RefusalTables t = BuildRefusalTables(x_axis, y_axis, seeds, count, cut_off);
    for (int k = 0; k < 200; ++k) {
      auto i = static_cast<size_t>(1 + pick() % static_cast<uint64_t>(count));
      double angle = uniform(0, 6.283185307179586);
      double r = cut_off * (k % 2 == 0 ? 1 : uniform(0, 1));
      uint32_t x_state = StateNear(x_axis, seeds.x[i] + r * std::sin(angle));
      uint32_t y_state = StateNear(y_axis, seeds.y[i] + r * std::cos(angle));
      // Neighbouring states as well: one of them is the last within reach.
      for (uint32_t dx : {0u, 1u, ~0u}) {
        for (uint32_t dy : {0u, 1u, ~0u}) {
          double x = x_axis.At(x_state + dx);
          double y = y_axis.At(y_state + dy);
          if (PointDistance(x, y, seeds.x[i], seeds.y[i]) > cut_off) continue;
          ++checked;
          ASSERT_TRUE(t.Passes(x_state + dx, y_state + dy))
              << "site " << site << " seed " << i << " at " << x << ", " << y;
        }
      }
    }
  }
  EXPECT_GT(checked, 100000);
}

}  // namespace
}  // namespace sparsim
