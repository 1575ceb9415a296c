#include "numeric/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace sparsim {
namespace {

struct FixedCase {
  long double x;
  int width;
  int decimals;
  const char* text;
};

void CheckFixed(std::initializer_list<FixedCase> cases) {
  for (const FixedCase& c : cases) {
    EXPECT_EQ(FormatFixed(c.x, c.width, c.decimals), c.text)
        << "x=" << static_cast<double>(c.x) << " w=" << c.width << " d=" << c.decimals;
  }
}

const long double kTwoTo120 = std::ldexp(1.0L, 120);

TEST(FormatFixed, RightAlignsAndGrowsTheFieldWhenNeeded) {
  CheckFixed({
      {3.14159, 8, 2, "    3.14"},
      {-12.34567, 10, 4, "  -12.3457"},
      {1234.5678, 6, 2, "1234.57"},
      {10, 12, 2, "       10.00"},
      {0, 0, 4, "0.0000"},
      {42, 0, 0, "42"},
      {12.34567, 0, 4, "12.3457"},
  });
}

TEST(FormatFixed, RoundsHalfUpAtTheLastDecimal) {
  CheckFixed({
      {0.125, 0, 2, "0.13"},
      {2.5, 0, 0, "3"},
      {1.5, 0, 0, "2"},
      {-2.5, 0, 0, "-3"},
      {0.5, 0, 0, "1"},
      {9.999, 0, 2, "10.00"},
      {0.00005, 0, 4, "0.0001"},
      // The doubles nearest 1.005 and 2.675 lie just below the half.
      {1.005, 0, 2, "1.00"},
      {2.675, 0, 2, "2.67"},
  });
}

TEST(FormatFixed, WritesTheSignOfNegativeValuesThatRoundToZero) {
  CheckFixed({
      {-0.001, 8, 2, "   -0.00"},
      {-0.0L, 0, 4, "-0.0000"},
      {-0.4, 0, 0, "-0"},
  });
}

// The digits first come from the exact value rounded to 17 places (below 10)
// or to 18 significant digits, ties to even; only then is the text cut at
// the decimals asked for, half up.
TEST(FormatFixed, FirstRoundingIsToNearestWithTiesToEven) {
  const long double two_to_minus_18 = std::ldexp(1.0L, -18);  // 0.000003814697265625
  const long double two_to_minus_17 = std::ldexp(1.0L, -17);  // 0.00000762939453125
  CheckFixed({
      {two_to_minus_18, 0, 17, "0.00000381469726562"},
      {3 * two_to_minus_18, 0, 17, "0.00001144409179688"},
      {10 + two_to_minus_17, 0, 16, "10.0000076293945312"},
      {10 + 3 * two_to_minus_17, 0, 16, "10.0000228881835938"},
      {12345678901234567.25L, 0, 2, "12345678901234567.20"},
      {12345678901234567.5L, 0, 1, "12345678901234567.5"},
      {12345678901234567.5L, 0, 0, "12345678901234568"},
  });
}

TEST(FormatFixed, RoundsTwiceSoAValueJustBelowAHalfGoesUp) {
  // 0.5 - 2^-60 = 0.49999999999999999913...: 0.50000000000000000 at 17
  // places, then 1 with no decimals.
  const long double just_below_half = 0.5L - std::ldexp(1.0L, -60);
  CheckFixed({
      {just_below_half, 0, 0, "1"},
      {just_below_half, 0, 17, "0.50000000000000000"},
      {-just_below_half, 0, 0, "-1"},
  });
}

TEST(FormatFixed, KeepsEighteenSignificantDigitsOfLargeValuesThenZeros) {
  CheckFixed({
      {1e17L, 0, 0, "100000000000000000"},
      {1000000000000000005.0L, 0, 0, "1000000000000000000"},
      {1000000000000000015.0L, 0, 0, "1000000000000000020"},
      // 2^100 = 1267650600228229401496703205376
      {std::ldexp(1.0L, 100), 0, 2, "1267650600228229400000000000000.00"},
      // 1e32 as a double is 100000000000000005366162204393472.
      {1e32, 16, 4, "100000000000000005000000000000000.0000"},
      // The largest long double below 2^120 is still written in full.
      {kTwoTo120 - std::ldexp(1.0L, 56), 0, 0, "1329227995784915870000000000000000000"},
  });
}

TEST(FormatFixed, WritesHugeMagnitudesInScientificFormFittedToTheWidth) {
  // 2^120 = 1.329227995784915872903807...e36; max(2, min(18, w - 8)) digits.
  CheckFixed({
      {kTwoTo120, 0, 2, " 1.3E+0036"},
      {kTwoTo120, 12, 2, " 1.329E+0036"},
      {kTwoTo120, 14, 4, " 1.32923E+0036"},
      {kTwoTo120, 26, 4, " 1.32922799578491587E+0036"},
      {kTwoTo120, 30, 4, "     1.32922799578491587E+0036"},
      {-kTwoTo120, 12, 2, "-1.329E+0036"},
  });
}

TEST(FormatFixed, WritesInfinitiesAndNanRightAligned) {
  const long double inf = std::numeric_limits<long double>::infinity();
  CheckFixed({
      {inf, 8, 2, "     INF"},
      {-inf, 8, 2, "    -INF"},
      {std::numeric_limits<long double>::quiet_NaN(), 8, 4, "     NAN"},
      {inf, 0, 4, "INF"},
  });
}

TEST(FormatScientific, WritesFifteenDigitsInTwentyThreeCharacters) {
  struct Case {
    long double x;
    const char* text;
  };
  const Case cases[] = {
      {0, " 0.00000000000000E+0000"},
      {-0.0L, "-0.00000000000000E+0000"},
      {1.5, " 1.50000000000000E+0000"},
      {-1e30, "-1.00000000000000E+0030"},
      {0.1, " 1.00000000000000E-0001"},
      {12.3, " 1.23000000000000E+0001"},
      {0.00001, " 1.00000000000000E-0005"},
      {1e300, " 1.00000000000000E+0300"},
      {1e-300, " 1.00000000000000E-0300"},
      {-2147483647, "-2.14748364700000E+0009"},
      // The double below 10 is 9.99999999999999822...: the carry raises the
      // exponent.
      {std::nextafter(10.0, 0.0), " 1.00000000000000E+0001"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatScientific(c.x), c.text) << static_cast<double>(c.x);
  }
}

TEST(FormatScientific, RoundsHalfUpAtTheFifteenthDigitAfterTheFirstRounding) {
  // Exactly halfway at the 16th digit: half up, not to even.
  EXPECT_EQ(FormatScientific(1000000000000005.0L), " 1.00000000000001E+0015");
  EXPECT_EQ(FormatScientific(-1000000000000025.0L), "-1.00000000000003E+0015");
  // 1.0000000000000049995e19 is 1.00000000000000500 at 18 digits, and that
  // is rounded up at the 15th.
  EXPECT_EQ(FormatScientific(10000000000000049995.0L), " 1.00000000000001E+0019");
}

// FormatFixed's contract with printf doing the first rounding: 17 places
// below 10, 18 significant digits from 10 on, then half up at d decimals.
std::string PrintfFixed(long double x, int d) {
  long double magnitude = std::fabs(x);
  char text[80];
  std::string digits;
  std::size_t integer_digits = 0;
  if (magnitude < 10) {
    std::snprintf(text, sizeof text, "%.17Lf", magnitude);
    std::string s(text);
    integer_digits = s.find('.');
    digits = s.substr(0, integer_digits) + s.substr(integer_digits + 1);
  } else {
    std::snprintf(text, sizeof text, "%.17Le", magnitude);
    std::string s(text);
    digits = s.substr(0, 1) + s.substr(2, 17);
    integer_digits = static_cast<std::size_t>(std::atoi(s.c_str() + s.find('e') + 1)) + 1;
    if (digits.size() < integer_digits) digits.append(integer_digits - digits.size(), '0');
  }
  std::size_t keep = integer_digits + static_cast<std::size_t>(d);
  if (digits.size() < keep) digits.append(keep - digits.size(), '0');
  bool up = digits.size() > keep && digits[keep] >= '5';
  digits.resize(keep);
  for (std::size_t i = keep; up && i-- > 0;) {
    up = digits[i] == '9';
    digits[i] = up ? '0' : static_cast<char>(digits[i] + 1);
  }
  if (up) digits.insert(0, 1, '1');
  std::string integer = digits.substr(0, digits.size() - static_cast<std::size_t>(d));
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size() - 1));
  return (std::signbit(x) ? "-" : "") + integer +
         (d > 0 ? "." + digits.substr(digits.size() - static_cast<std::size_t>(d)) : "");
}

TEST(FormatFixed, AgreesWithPrintfsRoundingOverManyValues) {
  std::mt19937_64 random(2024);
  auto uniform = [&](long double low, long double high) {
    return low + (high - low) * static_cast<long double>(random() >> 11) * 0x1p-53L;
  };
  std::vector<long double> values = {0.0L,
                                     -0.0L,
                                     9.99999999999999999L,
                                     10.0L,
                                     99.9999999999999999995L,
                                     1e17L,
                                     999999999999999999.0L,
                                     0.00005L,
                                     2.675L,
                                     -1.00005L};
  for (int i = 0; i < 20000; ++i) {
    values.push_back(static_cast<double>(uniform(0, 2000)));  // stored coordinates
    values.push_back(static_cast<double>(uniform(-1e7L, 1e7L)));
    // Every bit of the mantissa, from 2^-70 to 2^60.
    values.push_back(std::ldexp(static_cast<long double>(random() | (uint64_t{1} << 63)),
                                static_cast<int>(random() % 131) - 134));
    // Exact ties of the first rounding: j / 2^18 below 10 and j / 2^17
    // between 10 and 100; and ties at the fourth decimal, j / 2^5.
    values.push_back(std::ldexp(static_cast<long double>(random() % (10u << 18)), -18));
    values.push_back(
        std::ldexp(static_cast<long double>((10u << 17) + random() % (90u << 17)), -17));
    values.push_back(std::ldexp(static_cast<long double>(random() % 100000), -5) * 1e-3L);
    // Coordinates nearest a half at the fourth decimal: one in 25 or so
    // lies just below it, where rounding once would go the other way.
    values.push_back(static_cast<double>((static_cast<long double>(random() % 20000000) + 0.5L) /
                                         10000));
  }
  int short_texts = 0;
  for (long double x : values) {
    for (int d : {0, 4, 9}) {
      const std::string expected = PrintfFixed(x, d);
      ASSERT_EQ(FormatFixed(x, 0, d), expected)
          << std::hexfloat << x << " with " << d << " decimals";
      const auto as_double = static_cast<double>(x);
      if (static_cast<long double>(as_double) != x) continue;
      // The double forms, which write the files' coordinates.
      std::string appended = "#";
      AppendFixed(appended, as_double, 0, d);
      ASSERT_EQ(appended, "#" + expected) << std::hexfloat << x << " with " << d << " decimals";
      char buffer[kShortFixedChars + 1];
      char* end = buffer + sizeof buffer;
      if (char* start = FixedBefore(end, as_double, d); start != nullptr) {
        ASSERT_EQ(std::string(start, end), expected)
            << std::hexfloat << x << " with " << d << " decimals";
        ++short_texts;
      }
    }
  }
  EXPECT_GT(short_texts, static_cast<int>(values.size()));  // most take the short way
}

TEST(FormatInteger, RightAlignsTheDecimalDigits) {
  EXPECT_EQ(FormatInteger(5, 3), "  5");
  EXPECT_EQ(FormatInteger(1234, 3), "1234");
  EXPECT_EQ(FormatInteger(-7, 0), "-7");
  EXPECT_EQ(FormatInteger(-7, 4), "  -7");
  EXPECT_EQ(FormatInteger(0, 0), "0");
  EXPECT_EQ(FormatInteger(std::numeric_limits<int32_t>::min(), 0), "-2147483648");
  EXPECT_EQ(FormatInteger(std::numeric_limits<int32_t>::max(), 12), "  2147483647");
}

}  // namespace
}  // namespace sparsim
