#include "numeric/number_format.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "numeric/wide_integer.h"

namespace sparsim {
namespace {

// Digits kept by the first rounding of both real forms.
constexpr int kSignificantDigits = 18;
constexpr int kFixedPlacesBelowTen = 17;
constexpr int kScientificDigits = 15;
// From this magnitude on, FormatFixed writes the scientific form.
constexpr long double kFixedLimit = 0x1p120L;

std::string PadLeft(std::string text, int width) {
  if (width > 0 && text.size() < static_cast<std::size_t>(width)) {
    text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  }
  return text;
}

// The text of an infinity or NaN, or empty for a finite x.
std::string NonFiniteText(long double x) {
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
  return {};
}

// Adds one to the last digit of a string of decimal digits, carrying
// leftwards. Returns true when the carry ran out of the first digit (the
// digits are then all zeros and a leading 1 is missing).
bool IncrementDigits(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  return true;
}

// The magnitude as 18 significant digits (rounded to nearest) and the
// decimal exponent of the first one: value = d.ddd... x 10^exponent.
struct Expansion {
  std::string digits;
  int exponent = 0;
};

Expansion ExpandSignificant(long double magnitude) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*Le", kSignificantDigits - 1, magnitude);
  Expansion expansion;
  const char* p = text;
  for (; *p != 'e'; ++p) {
    if (*p != '.') expansion.digits.push_back(*p);
  }
  expansion.exponent = std::atoi(p + 1);
  return expansion;
}

// Scientific layout with n significant digits, n + 8 characters: sign or
// blank, d.ddd, 'E', exponent sign, four exponent digits.
std::string GeneralScientific(long double x, int n) {
  Expansion e = ExpandSignificant(std::fabs(x));
  std::string digits = e.digits.substr(0, static_cast<std::size_t>(n));
  if (n < kSignificantDigits && e.digits[static_cast<std::size_t>(n)] >= '5') {
    if (IncrementDigits(digits)) {
      digits.insert(0, 1, '1');
      digits.pop_back();
      ++e.exponent;
    }
  }
  if (digits.find_first_not_of('0') == std::string::npos) e.exponent = 0;
  char exponent[16];
  std::snprintf(exponent, sizeof exponent, "E%c%04d", e.exponent < 0 ? '-' : '+',
                std::abs(e.exponent));
  std::string text(1, std::signbit(x) ? '-' : ' ');
  text += digits[0];
  text += '.';
  text += digits.substr(1);
  text += exponent;
  return text;
}

// Integer and fraction digits of the magnitude after the first rounding.
struct FixedDigits {
  std::string integer;
  std::string fraction;
};

constexpr uint64_t kPowersOfTen[] = {1,
                                     10,
                                     100,
                                     1000,
                                     10000,
                                     100000,
                                     1000000,
                                     10000000,
                                     100000000,
                                     1000000000,
                                     10000000000,
                                     100000000000,
                                     1000000000000,
                                     10000000000000,
                                     100000000000000,
                                     1000000000000000,
                                     10000000000000000,
                                     100000000000000000,
                                     1000000000000000000};

constexpr int DecimalDigits(uint64_t n) {
  int digits = 1;
  while (digits < 19 && n >= kPowersOfTen[digits]) ++digits;
  return digits;
}

// A double's magnitude as m x 2^(binary_exponent - 64), m with its top bit
// set, read from its bits; false for 0, subnormals, infinities and NaN.
bool SplitDouble(double x, uint64_t& m, int& binary_exponent) {
  uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  if (biased == 0 || biased == 0x7ff) return false;
  m = ((bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52)) << 11;
  binary_exponent = biased - 1022;
  return true;
}

// The same for a long double magnitude below 10^18, by its bits where it is
// a double (as every coordinate is), else by frexpl. False where long double
// holds more than 64 bits of it.
bool SplitMagnitude(long double magnitude, uint64_t& m, int& binary_exponent) {
  auto as_double = static_cast<double>(magnitude);
  if (static_cast<long double>(as_double) == magnitude &&
      SplitDouble(as_double, m, binary_exponent)) {
    return true;
  }
  long double scaled = ldexpl(frexpl(magnitude, &binary_exponent), 64);
  if (!(scaled < 0x1p64L)) return false;
  m = static_cast<uint64_t>(scaled);
  // A long double of more than 64 bits of mantissa (binary128).
  return static_cast<long double>(m) == scaled;
}

// The first rounding with integers, as printf rounds (to nearest, ties to
// even, on the exact value), for magnitudes m x 2^(binary_exponent - 64)
// below 10^18: q = the value times 10^places, rounded, places being 17
// below 10 and 18 less the integer digits from 10 on. printf's long double
// conversion costs a microsecond a number, and a set's file writes 20000 of
// them. False where it does not apply (printf is asked then).
bool FirstRoundingOfBits(uint64_t m, int binary_exponent, uint64_t& q, int& places) {
  // magnitude = m x 2^-shift; below 2^60 the top bit of m makes shift >= 4.
  const int shift = 64 - binary_exponent;
  if (m != 0 && shift < 1) return false;
  const uint64_t integer = m == 0 || shift >= 64 ? 0 : m >> shift;
  if (integer >= kPowersOfTen[18]) return false;
  places = integer >= 10 ? kSignificantDigits - DecimalDigits(integer) : kFixedPlacesBelowTen;
  // Below 10^18 (a carry may reach it: 99.99...97 to 100.00...0, one zero
  // more after the point than printf's 18 digits, which changes no text).
  using Wide = Unsigned128;
  Wide product = static_cast<Wide>(m) * kPowersOfTen[places];
  q = 0;
  if (shift < 128 && m != 0) {
    Wide one = 1;
    q = static_cast<uint64_t>(product >> shift);
    Wide rest = product & ((one << shift) - 1);
    Wide half = one << (shift - 1);
    if (rest > half || (rest == half && (q & 1) != 0)) ++q;
  }
  return true;
}

bool IntegerFirstRounding(long double magnitude, uint64_t& q, int& places) {
  if (!(magnitude < 1e18L)) return false;
  int binary_exponent = 0;
  uint64_t m = 0;
  return SplitMagnitude(magnitude, m, binary_exponent) &&
         FirstRoundingOfBits(m, binary_exponent, q, places);
}

// value / 10^k, k in 0..18, each a division by a constant (a multiply).
uint64_t DivideByPowerOfTen(uint64_t value, int k) {
  switch (k) {
#define SPARSIM_POWER_CASE(n) \
  case n:                     \
    return value / kPowersOfTen[n];
    SPARSIM_POWER_CASE(0)
    SPARSIM_POWER_CASE(1)
    SPARSIM_POWER_CASE(2)
    SPARSIM_POWER_CASE(3)
    SPARSIM_POWER_CASE(4)
    SPARSIM_POWER_CASE(5)
    SPARSIM_POWER_CASE(6)
    SPARSIM_POWER_CASE(7)
    SPARSIM_POWER_CASE(8)
    SPARSIM_POWER_CASE(9)
    SPARSIM_POWER_CASE(10)
    SPARSIM_POWER_CASE(11)
    SPARSIM_POWER_CASE(12)
    SPARSIM_POWER_CASE(13)
    SPARSIM_POWER_CASE(14)
    SPARSIM_POWER_CASE(15)
    SPARSIM_POWER_CASE(16)
    SPARSIM_POWER_CASE(17)
    SPARSIM_POWER_CASE(18)
#undef SPARSIM_POWER_CASE
    default:
      return 0;  // 10^19 and beyond exceed any value here
  }
}

// The most decimal digits (at least 1) of an integer below 2^e, e = 0..64.
constexpr std::array<int, 65> kDigitsBelowPowerOfTwo = [] {
  std::array<int, 65> digits{};
  for (int e = 0; e <= 64; ++e) {
    const uint64_t largest = e == 64 ? ~uint64_t{0} : (uint64_t{1} << e) - 1;
    digits[static_cast<std::size_t>(e)] = DecimalDigits(largest);
  }
  return digits;
}();

// The magnitude m x 2^(binary_exponent - 64) rounded half up at d
// decimals straight from its exact value, as the integer `kept` (the text's
// digits without the point), where that cannot differ from rounding twice
// as FormatFixed does; false where it could, or where it does not apply.
//
// Why the one rounding is the same: write the value times 10^d as k + f,
// k an integer and 0 <= f < 1, and let t = places - d >= 1 (places as in
// FirstRoundingOfBits). The first rounding gives k 10^t + r with
// r = round(f 10^t), and the second adds 1 to k exactly when r >= 10^t / 2.
// For f >= 1/2 that holds, as it does for rounding once. For f < 1/2 it
// can hold only when f 10^t >= 10^t / 2 - 1/2, that is (1/2 - f) 2 10^t <= 1,
// and then the answer is left to the two roundings. Any t' <= t widens that
// band and keeps the argument: t' here comes from the most integer digits
// the binary exponent allows, with no division. A coordinate's f falls in
// the band about once in 10^9.
bool RoundOnce(uint64_t m, int binary_exponent, int d, uint64_t& kept) {
  using Wide = Unsigned128;
  const int shift = 64 - binary_exponent;
  if (d > 18 || shift < 1 || shift > 127) return false;
  const int integer_digits =
      binary_exponent <= 0 ? 1 : kDigitsBelowPowerOfTwo[static_cast<std::size_t>(binary_exponent)];
  // t >= 1 also bounds the value times 10^d below 10^17.
  const int t = kSignificantDigits - integer_digits - d;
  // (1/2 - f) 2^shift < 2^(shift - 1) and 2 10^t < 2^(4t): their product
  // below stays under 2^128.
  if (t < 1 || shift + 4 * t > 127) return false;
  const Wide product = static_cast<Wide>(m) * kPowersOfTen[d];
  const Wide one = 1;
  const Wide fraction = product & ((one << shift) - 1);
  const Wide half = one << (shift - 1);
  // Without a branch on f >= 1/2, which goes either way half the time: a
  // mask clears the distance to the half where f is above it.
  const uint64_t up = fraction >= half ? 1 : 0;
  const uint64_t mask = up - 1;
  const Wide below_half = (half - fraction) & ((static_cast<Wide>(mask) << 64) | mask);
  const bool near = (up == 0) & (below_half * (2 * kPowersOfTen[t]) <= (one << shift));
  if (near) return false;
  kept = static_cast<uint64_t>(product >> shift) + up;
  return true;
}

// RoundOnce at 4 decimals, the files' coordinates, in 64-bit words: with
// m = M 2^11 (M the 53-bit mantissa) and 10^4 = 625 x 2^4, the value
// times 10^4 is M 625 2^-s, s = 49 - binary_exponent, and M 625 < 2^63.
// The band test (1/2 - f) 2 10^t <= 1 becomes a comparison with
// floor(2^s / (2 10^t)), one per exponent. For |x| from 2^-15 to 2^43.
constexpr int kFourDecimalsLeast = -14;  // binary exponents, as SplitDouble's
constexpr int kFourDecimalsMost = 43;
struct FourDecimalsBand {
  bool usable = false;
  uint64_t widest = 0;  // floor(2^s / (2 10^t)): f's distance below 1/2 in the band
};
constexpr std::array<FourDecimalsBand, kFourDecimalsMost - kFourDecimalsLeast + 1>
    kFourDecimalsBands = [] {
      std::array<FourDecimalsBand, kFourDecimalsMost - kFourDecimalsLeast + 1> bands{};
      for (int e = kFourDecimalsLeast; e <= kFourDecimalsMost; ++e) {
        const int digits = e <= 0 ? 1 : kDigitsBelowPowerOfTwo[static_cast<std::size_t>(e)];
        const int t = kSignificantDigits - digits - 4;
        if (t < 1) continue;
        const int s = 49 - e;
        bands[static_cast<std::size_t>(e - kFourDecimalsLeast)] = {
            true, (uint64_t{1} << s) / (2 * kPowersOfTen[t])};
      }
      return bands;
    }();

bool RoundOnceAtFourDecimals(uint64_t m, int binary_exponent, uint64_t& kept) {
  if (binary_exponent < kFourDecimalsLeast || binary_exponent > kFourDecimalsMost) return false;
  const FourDecimalsBand& band =
      kFourDecimalsBands[static_cast<std::size_t>(binary_exponent - kFourDecimalsLeast)];
  if (!band.usable) return false;
  const int s = 49 - binary_exponent;  // 6 to 63
  const uint64_t q = (m >> 11) * 625;
  const uint64_t fraction = q & ((uint64_t{1} << s) - 1);
  const uint64_t half = uint64_t{1} << (s - 1);
  const uint64_t up = fraction >= half ? 1 : 0;
  const bool near = (up == 0) & (half - fraction <= band.widest);
  if (near) return false;
  kept = (q >> s) + up;
  return true;
}

// "00" to "99": two digits a step.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The text of kept (digits without the point) with d decimals, written so
// that it ends just before end; returns where it starts. It takes at most
// kShortFixedChars bytes.
char* DigitsBefore(char* end, bool negative, uint64_t kept, int d) {
  char* p = end;
  auto put_pair = [&p](uint64_t pair) {
    p -= 2;
    std::memcpy(p, kDigitPairs + 2 * pair, 2);
  };
  if (d == 4) {
    // The files' case: the two halves are written side by side, as the
    // divisions of one no longer wait for the other's.
    const uint64_t fraction = kept % 10000;
    kept /= 10000;
    put_pair(fraction % 100);
    put_pair(fraction / 100);
  } else {
    int i = 0;
    for (; i + 2 <= d; i += 2) {
      put_pair(kept % 100);
      kept /= 100;
    }
    if (i < d) {
      *--p = static_cast<char>('0' + kept % 10);
      kept /= 10;
    }
  }
  if (d > 0) *--p = '.';
  while (kept >= 100) {
    put_pair(kept % 100);
    kept /= 100;
  }
  if (kept >= 10) {
    put_pair(kept);
  } else {
    *--p = static_cast<char>('0' + kept);
  }
  if (negative) *--p = '-';
  return p;
}

// The text from start to end, right-aligned in width, appended to text.
void AppendPadded(const char* start, const char* end, int width, std::string& text) {
  const auto length = static_cast<int>(end - start);
  if (width > length) text.append(static_cast<std::size_t>(width - length), ' ');
  text.append(start, end);
}

// DigitsBefore's text right-aligned in width, appended to text.
void AppendDigits(bool negative, uint64_t kept, int d, int width, std::string& text) {
  char buffer[kShortFixedChars];
  char* end = buffer + sizeof buffer;
  AppendPadded(DigitsBefore(end, negative, kept, d), end, width, text);
}

// The text of a first rounding q at places, rounded half up at d <= places
// decimals, right-aligned in width, appended to text.
void AppendRounded(bool negative, uint64_t q, int places, int d, int width, std::string& text) {
  uint64_t kept = q;
  if (places > d) {
    const uint64_t with_next_digit = DivideByPowerOfTen(q, places - d - 1);
    kept = with_next_digit / 10 + (with_next_digit % 10 >= 5 ? 1 : 0);
  }
  AppendDigits(negative, kept, d, width, text);
}

// FormatFixed from IntegerFirstRounding; false where that does not apply,
// or where the decimals go past the first rounding's.
bool IntegerFixed(long double x, int width, int decimals, std::string& text) {
  uint64_t q = 0;
  int places = 0;
  const int d = std::max(decimals, 0);
  // signbit without the x87's status word: -0 is the only negative not < 0.
  const bool negative = x < 0 || (x == 0 && std::signbit(x));
  if (!IntegerFirstRounding(std::fabs(x), q, places) || d > places) return false;
  text.clear();
  AppendRounded(negative, q, places, d, width, text);
  return true;
}

FixedDigits FirstRounding(long double magnitude) {
  FixedDigits out;
  if (magnitude < 10) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*Lf", kFixedPlacesBelowTen, magnitude);
    std::string s(text);
    std::size_t point = s.find('.');
    out.integer = s.substr(0, point);
    out.fraction = s.substr(point + 1);
    return out;
  }
  Expansion e = ExpandSignificant(magnitude);
  std::size_t integer_digits = static_cast<std::size_t>(e.exponent) + 1;
  if (integer_digits >= e.digits.size()) {
    out.integer = e.digits + std::string(integer_digits - e.digits.size(), '0');
  } else {
    out.integer = e.digits.substr(0, integer_digits);
    out.fraction = e.digits.substr(integer_digits);
  }
  return out;
}

}  // namespace

std::string FormatFixed(long double x, int width, int decimals) {
  std::string special = NonFiniteText(x);
  if (!special.empty()) return PadLeft(special, width);
  long double magnitude = std::fabs(x);
  if (magnitude >= kFixedLimit) {
    int n = std::max(2, std::min(kSignificantDigits, width - 8));
    return PadLeft(GeneralScientific(x, n), width);
  }
  std::string fast;
  if (IntegerFixed(x, width, decimals, fast)) return fast;
  FixedDigits first = FirstRounding(magnitude);
  std::size_t d = static_cast<std::size_t>(std::max(decimals, 0));
  std::string fraction = first.fraction;
  bool round_up = false;
  if (fraction.size() > d) {
    round_up = fraction[d] >= '5';
    fraction.resize(d);
  } else {
    fraction.append(d - fraction.size(), '0');
  }
  std::string digits = first.integer + fraction;
  if (round_up && IncrementDigits(digits)) digits.insert(0, 1, '1');
  std::string integer = digits.substr(0, digits.size() - d);
  std::size_t first_nonzero = integer.find_first_not_of('0');
  integer = first_nonzero == std::string::npos ? "0" : integer.substr(first_nonzero);

  std::string text = std::signbit(x) ? "-" : "";
  text += integer;
  if (d > 0) {
    text += '.';
    text += digits.substr(digits.size() - d);
  }
  return PadLeft(text, width);
}

void AppendFixed(std::string& text, double x, int width, int decimals) {
  char buffer[kShortFixedChars];
  char* end = buffer + sizeof buffer;
  if (const char* start = FixedBefore(end, x, decimals); start != nullptr) {
    AppendPadded(start, end, width, text);
    return;
  }
  uint64_t m = 0;
  int binary_exponent = 0;
  uint64_t q = 0;
  int places = 0;
  const int d = std::max(decimals, 0);
  if (SplitDouble(x, m, binary_exponent) && FirstRoundingOfBits(m, binary_exponent, q, places) &&
      d <= places) {
    AppendRounded(std::signbit(x), q, places, d, width, text);
  } else {
    text += FormatFixed(x, width, decimals);
  }
}

char* FixedBefore(char* end, double x, int decimals) {
  uint64_t m = 0;
  int binary_exponent = 0;
  uint64_t kept = 0;
  const int d = std::max(decimals, 0);
  if (d > kShortFixedDecimals || !SplitDouble(x, m, binary_exponent)) return nullptr;
  if (!(d == 4 && RoundOnceAtFourDecimals(m, binary_exponent, kept)) &&
      !RoundOnce(m, binary_exponent, d, kept)) {
    return nullptr;
  }
  return DigitsBefore(end, std::signbit(x), kept, d);
}

std::string FormatScientific(long double x) {
  constexpr int kWidth = kScientificDigits + 8;
  std::string special = NonFiniteText(x);
  if (!special.empty()) return PadLeft(special, kWidth);
  return GeneralScientific(x, kScientificDigits);
}

std::string FormatInteger(int32_t n, int width) {
  int64_t value = n;
  std::string text = value < 0 ? "-" : "";
  text += std::to_string(value < 0 ? -value : value);
  return PadLeft(text, width);
}

}  // namespace sparsim
