// Extended precision, in one place: which operations need it, and what the
// program does on a machine without the x87's 80-bit long double.
//
// Every number the program stores is a double, but many are computed in
// extended precision (a 64-bit significand) and rounded once at the end,
// as the program always has; the same answers must give the same bytes on
// every machine. The operations that need it:
//   - number reading (numeric/number_parse.h): the digits' integer, times
//     or divided by a power of ten;
//   - the coordinates of candidates and circle attempts from their draws
//     (generate/sampling.h, generate/refusal_tables.h: StateAxis);
//   - distances (the square root of a sum of squares) and the running sum
//     of the models' values over the seeds;
//   - the models' values themselves (expl), and the walk's steps (sinl,
//     cosl, or the x87's fsincos): these take the C library's functions,
//     whose last bits differ from one library to another.
// Elsewhere (the dialogue's areas, densities and estimates, the plot's
// scaling) long double arithmetic is plain, as written.
//
// On x86-64 long double is the x87 format and the functions below are the
// plain operations. Where long double is wider (binary128, as on aarch64
// Linux) each function computes the exact result's rounding to 64
// significant bits, ties to even, as the x87 does: the wide result is
// rounded again, and a tie that its own rounding made is broken by the sign
// of its exact error (two-sum, or a fused multiply-add). So the values
// above, apart from those from expl, sinl and cosl, are the same bits as on
// x86-64. Where long double is double (32-bit ARM, macOS on arm64, Windows)
// number reading takes SoftExtended below, the x87's roundings in integers,
// and gives the same doubles; the other operations round to double instead,
// and a stored value may differ in its last bits from x86-64's (measured on
// 32-bit ARM Linux: docs/portability.md).
//
// Example: on every machine with an x87 or binary128 long double,
//   ExtendedAdd(1, 0x1p-64L) == 1 (a tie, to even), and
//   ExtendedAdd(1, 0x1p-64L + 0x1p-100L) == 1 + 0x1p-63L.

#ifndef SPARSIM_NUMERIC_EXTENDED_ARITHMETIC_H_
#define SPARSIM_NUMERIC_EXTENDED_ARITHMETIC_H_

#include <cfloat>
#include <cmath>
#include <cstdint>

namespace sparsim {

// True where long double is wider than the x87 format and the functions
// below round their results to it.
constexpr bool kEmulatedExtended = LDBL_MANT_DIG > 64;

// value rounded to 64 significant bits (fewer in the x87's subnormal
// range), ties to even unless error, the sign of the exact result minus
// value, says which way the exact result lies.
long double RoundToExtended(long double value, long double error);

inline long double ExtendedAdd(long double a, long double b) {
  if constexpr (!kEmulatedExtended) {
    return a + b;
  } else {
    long double sum = a + b;
    long double b_part = sum - a;
    long double error = (a - (sum - b_part)) + (b - b_part);
    return RoundToExtended(sum, error);
  }
}

inline long double ExtendedSubtract(long double a, long double b) { return ExtendedAdd(a, -b); }

inline long double ExtendedMultiply(long double a, long double b) {
  if constexpr (!kEmulatedExtended) {
    return a * b;
  } else {
    long double product = a * b;
    return RoundToExtended(product, std::fma(a, b, -product));
  }
}

inline long double ExtendedDivide(long double a, long double b) {
  if constexpr (!kEmulatedExtended) {
    return a / b;
  } else {
    long double quotient = a / b;
    if (!std::isfinite(quotient) || b == 0) return quotient;
    long double remainder = std::fma(-quotient, b, a);  // exact
    return RoundToExtended(quotient, b > 0 ? remainder : -remainder);
  }
}

inline long double ExtendedSqrt(long double a) {
  if constexpr (!kEmulatedExtended) {
    return sqrtl(a);
  } else {
    long double root = sqrtl(a);
    if (!(root > 0) || !std::isfinite(root)) return root;
    return RoundToExtended(root, std::fma(-root, root, a));
  }
}

// The x87's arithmetic in integers, for machines whose long double is
// narrower (number reading uses it there): a non-negative value
// significand x 2^exponent with the significand's top bit set (or 0, or
// infinite), each operation's exact result rounded to 64 bits, ties to
// even. Values below the x87's normal range (2^-16382) keep 64 bits here.
//   SoftExtended::Integer(3).Times(SoftExtended::Integer(5)).ToDouble() == 15
struct SoftExtended {
  uint64_t significand = 0;
  int exponent = 0;
  bool infinite = false;

  static SoftExtended Integer(uint64_t value);
  // 10^k for k >= 0, correctly rounded (infinite beyond the x87's range).
  static SoftExtended PowerOfTen(int64_t k);
  SoftExtended Times(SoftExtended other) const;
  SoftExtended DividedBy(SoftExtended other) const;
  SoftExtended Plus(SoftExtended other) const;
  bool IsZero() const { return significand == 0 && !infinite; }
  // Rounded to double once, ties to even, as the x87's store rounds.
  double ToDouble() const;
};

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_EXTENDED_ARITHMETIC_H_
