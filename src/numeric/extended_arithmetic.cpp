#include "numeric/extended_arithmetic.h"

#include <algorithm>

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
