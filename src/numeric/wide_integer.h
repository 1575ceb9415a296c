// Unsigned 128-bit integers, for the exact integer arithmetic of number
// reading and writing and of the Philox generator. Unsigned128 is the
// compiler's unsigned __int128 where it has one (x86-64, aarch64); on a
// 32-bit machine (armhf), which has none, it is Uint128 below: the same
// operations, wrapping modulo 2^128, with the same results.
//
// Example, with either type:
//   Unsigned128 product = Unsigned128{0xffffffffffffffff} * 0xffffffffffffffff;
//   static_cast<uint64_t>(product >> 64) == 0xfffffffffffffffe
//   static_cast<uint64_t>(product) == 1

#ifndef SPARSIM_NUMERIC_WIDE_INTEGER_H_
#define SPARSIM_NUMERIC_WIDE_INTEGER_H_

#include <compare>
#include <cstdint>

namespace sparsim {

// Two 64-bit words; shifts take counts from 0 to 127, division a non-zero
// divisor.
struct Uint128 {
  uint64_t high = 0;  // first, so that the default comparison orders values
  uint64_t low = 0;

  constexpr Uint128() = default;
  // Implicit, as an integer converts to unsigned __int128.
  constexpr Uint128(uint64_t value) : low(value) {}  // NOLINT(google-explicit-constructor)
  constexpr Uint128(uint64_t high_word, uint64_t low_word) : high(high_word), low(low_word) {}
  explicit constexpr operator uint64_t() const { return low; }

  friend constexpr bool operator==(const Uint128&, const Uint128&) = default;
  friend constexpr std::strong_ordering operator<=>(const Uint128&, const Uint128&) = default;

  // The full product of two 64-bit words, from their 32-bit halves.
  static constexpr Uint128 Product(uint64_t a, uint64_t b) {
    constexpr uint64_t kHalf = 0xffffffffu;
    uint64_t low_low = (a & kHalf) * (b & kHalf);
    uint64_t low_high = (a & kHalf) * (b >> 32);
    uint64_t high_low = (a >> 32) * (b & kHalf);
    uint64_t high_high = (a >> 32) * (b >> 32);
    uint64_t middle = (low_low >> 32) + (low_high & kHalf) + (high_low & kHalf);  // < 3 x 2^32
    return {high_high + (low_high >> 32) + (high_low >> 32) + (middle >> 32),
            (middle << 32) | (low_low & kHalf)};
  }

  friend constexpr Uint128 operator+(Uint128 a, Uint128 b) {
    uint64_t sum_low = a.low + b.low;
    return {a.high + b.high + (sum_low < a.low ? 1 : 0), sum_low};
  }
  friend constexpr Uint128 operator-(Uint128 a, Uint128 b) {
    return {a.high - b.high - (a.low < b.low ? 1 : 0), a.low - b.low};
  }
  friend constexpr Uint128 operator*(Uint128 a, Uint128 b) {
    Uint128 result = Product(a.low, b.low);
    result.high += a.high * b.low + a.low * b.high;
    return result;
  }
  friend constexpr Uint128 operator<<(Uint128 a, int n) {
    if (n == 0) return a;
    if (n >= 64) return {a.low << (n - 64), 0};
    return {(a.high << n) | (a.low >> (64 - n)), a.low << n};
  }
  friend constexpr Uint128 operator>>(Uint128 a, int n) {
    if (n == 0) return a;
    if (n >= 64) return {0, a.high >> (n - 64)};
    return {a.high >> n, (a.low >> n) | (a.high << (64 - n))};
  }
  friend constexpr Uint128 operator&(Uint128 a, Uint128 b) {
    return {a.high & b.high, a.low & b.low};
  }
  friend constexpr Uint128 operator|(Uint128 a, Uint128 b) {
    return {a.high | b.high, a.low | b.low};
  }

  // Quotient and remainder, a bit at a time: only number reading divides,
  // and only on machines without unsigned __int128.
  static constexpr void Divide(Uint128 a, Uint128 b, Uint128& quotient, Uint128& remainder) {
    quotient = 0;
    remainder = 0;
    for (int bit = 127; bit >= 0; --bit) {
      bool carry = (remainder.high >> 63) != 0;  // the shifted remainder's 129th bit
      remainder = (remainder << 1) | ((a >> bit).low & 1);
      if (carry || remainder >= b) {
        remainder = remainder - b;  // below b: the wrapped difference is exact
        quotient = quotient | (Uint128{1} << bit);
      }
    }
  }
  friend constexpr Uint128 operator/(Uint128 a, Uint128 b) {
    Uint128 quotient, remainder;
    Divide(a, b, quotient, remainder);
    return quotient;
  }
  friend constexpr Uint128 operator%(Uint128 a, Uint128 b) {
    Uint128 quotient, remainder;
    Divide(a, b, quotient, remainder);
    return remainder;
  }

  constexpr Uint128& operator+=(Uint128 other) { return *this = *this + other; }
  constexpr Uint128& operator++() { return *this = *this + 1; }
};

#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Unsigned128;
#else
using Unsigned128 = Uint128;
#endif

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_WIDE_INTEGER_H_
