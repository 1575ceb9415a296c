#include "numeric/philox.h"

#include <array>
#include <cstddef>

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

// One round on the words c0..c3 of a block.
inline void Round(uint64_t& c0, uint64_t& c1, uint64_t& c2, uint64_t& c3, uint64_t key0,
                  uint64_t key1) {
  const Product p0 = MultiplyWide(kMultiplier0, c0);
  const Product p1 = MultiplyWide(kMultiplier1, c2);
  c0 = p1.high ^ c1 ^ key0;
  c1 = p1.low;
  c2 = p0.high ^ c3 ^ key1;
  c3 = p0.low;
}

// Adds 1 to a 256-bit counter: the carry runs up through every word.
void Increment(PhiloxCounter& counter) {
  for (uint64_t& word : counter) {
    if (++word != 0) break;
  }
}

}  // namespace

PhiloxCounter PhiloxBlock(PhiloxCounter c, PhiloxKey key) {
  for (int round = 0; round < kRounds; ++round) {
    if (round > 0) {
      key[0] += kWeyl0;
      key[1] += kWeyl1;
    }
    Round(c[0], c[1], c[2], c[3], key[0], key[1]);
  }
  return c;
}

void PhiloxStream::Refill() {
  // Two blocks side by side: the multiplications of one fill the waits of
  // the other's.
  Increment(counter_);
  uint64_t a0 = counter_[0], a1 = counter_[1], a2 = counter_[2], a3 = counter_[3];
  Increment(counter_);
  uint64_t b0 = counter_[0], b1 = counter_[1], b2 = counter_[2], b3 = counter_[3];
  uint64_t key0 = key_[0];
  uint64_t key1 = key_[1];
#pragma GCC unroll 10
  for (int round = 0; round < kRounds; ++round) {
    if (round > 0) {
      key0 += kWeyl0;
      key1 += kWeyl1;
    }
    Round(a0, a1, a2, a3, key0, key1);
    Round(b0, b1, b2, b3, key0, key1);
  }
  words_ = {a0, a1, a2, a3, b0, b1, b2, b3};
  used_ = 0;
}

void PhiloxStream::Seek(uint64_t position) {
  // After n words the counter holds the last block made, 2 ceil(n / 8), and
  // n mod 8 words of that pair of blocks are used (all 8 when n is a
  // multiple of 8).
  const uint64_t pair = position / kWords;
  const auto rest = static_cast<int>(position % kWords);
  if (rest == 0) {
    counter_ = {2 * pair, 0, 0, 0};
    used_ = kWords;
    return;
  }
  if (counter_ != PhiloxCounter{2 * pair + 2, 0, 0, 0}) {
    counter_ = {2 * pair, 0, 0, 0};
    Refill();
  }
  used_ = rest;
}

}  // namespace sparsim
