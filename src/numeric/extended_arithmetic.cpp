#include "numeric/extended_arithmetic.h"

#include <algorithm>
#include <vector>

#include "numeric/wide_integer.h"

namespace sparsim {

long double RoundToExtended(long double value, long double error) {
  if constexpr (!kEmulatedExtended) {
    (void)error;
    return value;
  } else {
    if (value == 0 || !std::isfinite(value)) return value;
    int exponent = 0;
    long double fraction = std::frexp(value, &exponent);  // 0.5 <= |fraction| < 1
    // The x87's smallest normal number is 2^-16382: below it, fewer bits.
    constexpr int kLowestExponent = -16381;
    int bits = exponent >= kLowestExponent ? 64 : std::max(0, 64 - (kLowestExponent - exponent));
    long double scaled = std::ldexp(fraction, bits);  // |scaled| < 2^64
    long double whole = std::trunc(scaled);
    long double rest = std::fabs(scaled - whole);  // exact
    long double away = whole + (scaled < 0 ? -1 : 1);
    bool round_away = false;
    if (rest > 0.5L) {
      round_away = true;
    } else if (rest == 0.5L) {
      bool exact_beyond = error != 0 && ((error > 0) == (value > 0));
      bool exact_within = error != 0 && !exact_beyond;
      round_away = exact_beyond || (!exact_within && std::fmod(whole, 2.0L) != 0);
    }
    return std::ldexp(round_away ? away : whole, exponent - bits);
  }
}

}  // namespace sparsim

namespace sparsim {
namespace {

using Wide = Unsigned128;

constexpr int kLargestExponent = 16383;  // the x87's values are below 2^16384

int BitLength(Wide value) {
  auto high = static_cast<uint64_t>(value >> 64);
  if (high != 0) return 128 - __builtin_clzll(high);
  auto low = static_cast<uint64_t>(value);
  return low == 0 ? 0 : 64 - __builtin_clzll(low);
}

// value x 2^exponent, plus a little more when sticky, rounded to 64 bits.
SoftExtended Round(Wide value, int exponent, bool sticky) {
  SoftExtended result;
  int bits = BitLength(value);
  if (bits == 0) return result;
  if (bits <= 64) {
    result.significand = static_cast<uint64_t>(value << (64 - bits));
    result.exponent = exponent - (64 - bits);
    // A sticky rest lies below half of the last place: no rounding.
  } else {
    int shift = bits - 64;
    auto kept = static_cast<uint64_t>(value >> shift);
    Wide rest = value & ((Wide{1} << shift) - 1);
    Wide half = Wide{1} << (shift - 1);
    bool up = rest > half || (rest == half && (sticky || (kept & 1) != 0));
    result.exponent = exponent + shift;
    if (up && ++kept == 0) {
      kept = uint64_t{1} << 63;
      ++result.exponent;
    }
    result.significand = kept;
  }
  if (result.exponent + 63 > kLargestExponent) {
    result = SoftExtended{};
    result.infinite = true;
  }
  return result;
}

SoftExtended Infinite() {
  SoftExtended result;
  result.infinite = true;
  return result;
}

}  // namespace

SoftExtended SoftExtended::Integer(uint64_t value) { return Round(value, 0, false); }

SoftExtended SoftExtended::PowerOfTen(int64_t k) {
  if (k > 4940) return Infinite();
  // 10^k = 5^k x 2^k: 5^k in 32-bit words, least significant first.
  std::vector<uint32_t> words = {1};
  for (int64_t i = 0; i < k; ++i) {
    uint64_t carry = 0;
    for (uint32_t& word : words) {
      uint64_t product = uint64_t{word} * 5 + carry;
      word = static_cast<uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) words.push_back(static_cast<uint32_t>(carry));
  }
  // The top 96 bits or fewer, and whether any bit below them is set.
  size_t n = words.size();
  Wide top = 0;
  size_t taken = std::min<size_t>(n, 3);
  for (size_t i = 0; i < taken; ++i) top = (top << 32) | words[n - 1 - i];
  bool sticky = false;
  for (size_t i = taken; i < n; ++i) sticky = sticky || words[n - 1 - i] != 0;
  int low_bits = static_cast<int>(32 * (n - taken));
  return Round(top, static_cast<int>(k) + low_bits, sticky);
}

SoftExtended SoftExtended::Times(SoftExtended other) const {
  if (infinite || other.infinite) return IsZero() || other.IsZero() ? SoftExtended{} : Infinite();
  if (IsZero() || other.IsZero()) return SoftExtended{};
  return Round(Wide{significand} * other.significand, exponent + other.exponent, false);
}

SoftExtended SoftExtended::DividedBy(SoftExtended other) const {
  if (other.infinite || IsZero()) return SoftExtended{};
  if (infinite || other.IsZero()) return Infinite();
  Wide numerator = Wide{significand} << 64;
  Wide quotient = numerator / other.significand;
  Wide remainder = numerator % other.significand;
  int result_exponent = exponent - 64 - other.exponent;
  if (BitLength(quotient) > 64) return Round(quotient, result_exponent, remainder != 0);
  // 64 bits exactly: the remainder against half the divisor rounds.
  Wide twice = remainder * 2;
  if (twice > other.significand || (twice == other.significand && (quotient & 1) != 0)) {
    ++quotient;  // 2^64 at most, which Round takes
  }
  return Round(quotient, result_exponent, false);
}

SoftExtended SoftExtended::Plus(SoftExtended other) const {
  if (infinite || other.infinite) return Infinite();
  if (other.IsZero()) return *this;
  if (IsZero()) return other;
  const SoftExtended& big = exponent >= other.exponent ? *this : other;
  const SoftExtended& small = exponent >= other.exponent ? other : *this;
  // The larger at the top of 127 bits, the smaller shifted into place.
  Wide sum = Wide{big.significand} << 63;
  int base = big.exponent - 63;
  int shift = base - small.exponent;  // > 0: bits of the smaller fall below
  bool sticky = false;
  if (shift <= 0) {
    sum += Wide{small.significand} << -shift;
  } else if (shift < 64) {
    sum += small.significand >> shift;
    sticky = (small.significand & ((uint64_t{1} << shift) - 1)) != 0;
  } else {
    sticky = true;
  }
  return Round(sum, base, sticky);
}

double SoftExtended::ToDouble() const {
  if (infinite) return HUGE_VAL;
  if (significand == 0) return 0;
  int top = exponent + 63;  // the exponent of the leading bit
  if (top > 1023) return HUGE_VAL;
  int shift = top >= -1022 ? 11 : 11 + (-1022 - top);
  if (shift > 65) return 0;
  Wide value = significand;
  Wide kept = value >> shift;
  Wide rest = value & ((Wide{1} << shift) - 1);
  Wide half = Wide{1} << (shift - 1);
  if (rest > half || (rest == half && (kept & 1) != 0)) ++kept;
  return std::ldexp(static_cast<double>(static_cast<uint64_t>(kept)), exponent + shift);
}

}  // namespace sparsim
