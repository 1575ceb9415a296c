#include "numeric/wide_integer.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace sparsim {
namespace {

// Uint128 is what a 32-bit machine computes with; here it is checked
// against the compiler's unsigned __int128 on operands that reach every
// carry, borrow and shift boundary.
#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Native;

Native ToNative(Uint128 value) { return (Native{value.high} << 64) | value.low; }

TEST(Uint128, AgreesWithTheCompilersType) {
  const uint64_t ones = ~uint64_t{0};
  const Uint128 values[] = {
      {0, 0},
      {0, 1},
      {0, 2},
      {0, 10},
      {0, 0xffffffffu},
      {0, 0x100000000u},
      {0, ones},
      {1, 0},
      {1, ones},
      {0x8000000000000000u, 0},
      {0x7fffffffffffffffu, ones},
      {ones, ones},
      {ones, 0},
      {0x0123456789abcdefu, 0xfedcba9876543210u},
      {0, 0xde0b6b3a76400000u},  // 10^18 shifted into the top bits
      {0x9e3779b97f4a7c15u, 0xd2e7470ee14c6c93u},
  };
  for (Uint128 a : values) {
    Native x = ToNative(a);
    for (int n : {0, 1, 31, 32, 33, 63, 64, 65, 100, 127}) {
      EXPECT_EQ(ToNative(a << n), x << n) << n;
      EXPECT_EQ(ToNative(a >> n), x >> n) << n;
    }
    for (Uint128 b : values) {
      Native y = ToNative(b);
      EXPECT_EQ(ToNative(a + b), x + y);
      EXPECT_EQ(ToNative(a - b), x - y);
      EXPECT_EQ(ToNative(a * b), x * y);
      EXPECT_EQ(ToNative(a & b), x & y);
      EXPECT_EQ(ToNative(a | b), x | y);
      EXPECT_EQ(a < b, x < y);
      EXPECT_EQ(a == b, x == y);
      if (y != 0) {
        EXPECT_EQ(ToNative(a / b), x / y);
        EXPECT_EQ(ToNative(a % b), x % y);
      }
    }
    EXPECT_EQ(ToNative(Uint128::Product(a.low, a.high)), Native{a.low} * a.high);
  }
}
#endif

}  // namespace
}  // namespace sparsim
