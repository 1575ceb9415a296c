#include "numeric/philox.h"

#include "numeric/wide_integer.h"

namespace sparsim {
namespace {

constexpr uint64_t kMultiplier0 = 0xD2E7470EE14C6C93u;
constexpr uint64_t kMultiplier1 = 0xCA5A826395121157u;
constexpr uint64_t kWeyl0 = 0x9E3779B97F4A7C15u;
constexpr uint64_t kWeyl1 = 0xBB67AE8584CAA73Bu;
constexpr int kRounds = 10;

struct Product {
  uint64_t high;
  uint64_t low;
};

Product MultiplyWide(uint64_t a, uint64_t b) {
  Unsigned128 product = static_cast<Unsigned128>(a) * b;
  return {static_cast<uint64_t>(product >> 64), static_cast<uint64_t>(product)};
}

}  // namespace

PhiloxCounter PhiloxBlock(PhiloxCounter c, PhiloxKey key) {
  for (int round = 0; round < kRounds; ++round) {
    if (round > 0) {
      key[0] += kWeyl0;
      key[1] += kWeyl1;
    }
    Product p0 = MultiplyWide(kMultiplier0, c[0]);
    Product p1 = MultiplyWide(kMultiplier1, c[2]);
    c = {p1.high ^ c[1] ^ key[0], p1.low, p0.high ^ c[3] ^ key[1], p0.low};
  }
  return c;
}

void PhiloxStream::Refill() {
  // The counter is 256 bits wide: the carry runs up through every word.
  for (uint64_t& word : counter_) {
    if (++word != 0) break;
  }
  words_ = PhiloxBlock(counter_, key_);
  used_ = 0;
}

}  // namespace sparsim
