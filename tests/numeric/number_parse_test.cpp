#include "numeric/number_parse.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace sparsim {
namespace {

TEST(ParseReal, AcceptsEveryFormOfTheGrammar) {
  struct Case {
    const char* text;
    long double value;
  };
  const Case cases[] = {
      {"5", 5},      {"5.", 5},     {".5", 0.5L},    {"-.5", -0.5L},     {"+3", 3},
      {"1e3", 1000}, {" 7", 7},     {"   -12", -12}, {".", 0},           {"E5", 0},
      {"1E+2", 100}, {"2.5e1", 25}, {"0", 0},        {"007.250", 7.25L}, {"1.5e+3", 1500},
  };
  for (const Case& c : cases) {
    RealParse r = ParseReal(c.text);
    EXPECT_EQ(r.error_position, 0u) << '"' << c.text << '"';
    EXPECT_EQ(r.value, c.value) << '"' << c.text << '"';
  }
}

TEST(ParseReal, GivesThePositionOfTheFirstCharacterThatDoesNotFit) {
  struct Case {
    const char* text;
    std::size_t position;
  };
  const Case cases[] = {
      {"", 1},     {"-", 2},    {"1e", 3},    {"1e+", 4},   {"1,5", 2}, {"7 ", 2},
      {"- 3", 2},  {"12x", 3},  {"1.2.3", 4}, {"\t5", 1},   {"  ", 3},  {"+", 2},
      {"5e+x", 4}, {"1e5.", 4}, {"e", 2},     {"1.5E-", 6}, {"3-", 2},  {"1e2 ", 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseReal(c.text).error_position, c.position) << '"' << c.text << '"';
  }
}

// The digits form one integer, which is then scaled once by a power of ten:
// each value below is a single correctly rounded extended-precision division
// or product.
TEST(ParseReal, ScalesTheDigitsAsOneIntegerByAPowerOfTen) {
  EXPECT_EQ(ParseReal("0.1").value, 1.0L / 10);
  EXPECT_EQ(ParseReal("1.5E-2").value, 15.0L / 1000);
  EXPECT_EQ(ParseReal("123.456").value, 123456.0L / 1000);
  EXPECT_EQ(ParseReal("123.456e2").value, 123456.0L / 10);
  EXPECT_EQ(ParseReal("-0.00001").value, -(1.0L / 100000));
  EXPECT_EQ(ParseReal("12e-1").value, 12.0L / 10);
  EXPECT_EQ(ParseReal("1e27").value, 1e27L);
  EXPECT_EQ(ParseReal("12345678901234567890").value, 12345678901234567890.0L);
}

TEST(ParseReal, KeepsTheSignOfZeroAndNeverGivesNan) {
  RealParse minus_zero = ParseReal("-0");
  EXPECT_EQ(minus_zero.error_position, 0u);
  EXPECT_EQ(minus_zero.value, 0);
  EXPECT_TRUE(std::signbit(minus_zero.value));

  EXPECT_FALSE(std::signbit(ParseReal("0e99999").value));
  EXPECT_EQ(ParseReal("0e99999").value, 0);
  EXPECT_EQ(ParseReal("0.000e-99999").value, 0);
  EXPECT_TRUE(std::signbit(ParseReal("-0e99999").value));
  EXPECT_EQ(ParseReal("-0e99999").value, 0);

  const long double inf = std::numeric_limits<long double>::infinity();
  EXPECT_EQ(ParseReal("1e99999").value, inf);
  EXPECT_EQ(ParseReal("-1e99999").value, -inf);
  EXPECT_EQ(ParseReal("1e-99999").value, 0);
  EXPECT_EQ(ParseReal("1e99999999999999999999").value, inf);
  EXPECT_EQ(ParseReal("1e-99999999999999999999").value, 0);
  // Within the extended range, beyond that of a double.
  EXPECT_EQ(ParseReal("1e400").error_position, 0u);
  EXPECT_TRUE(std::isinf(static_cast<double>(ParseReal("1e400").value)));

  // So many digits that the integer overflows before it is scaled.
  const std::string long_one = "1" + std::string(5000, '0') + "e-5000";
  RealParse r = ParseReal(long_one);
  EXPECT_EQ(r.error_position, 0u);
  EXPECT_FALSE(std::isnan(r.value));
}

// However long the text, the exponent counts exactly: the leading zeros of
// a mantissa it makes up for change nothing, and digits beyond the extended
// range count as powers of ten.
TEST(ParseReal, CountsTheExponentExactlyForAnyLengthOfText) {
  const std::string million_zeros(1000000, '0');
  // point + "1" is 10^-1000000.
  const std::string point = "0." + million_zeros.substr(1);
  struct Case {
    std::string text;
    long double value;
    long double tolerance;  // only where the digits overflow before scaling
  };
  const Case cases[] = {
      {point + "1e1000000", 1, 0},
      {"-" + point + "25e1000000", -2.5L, 0},
      {point + "1e999999", 0.1L, 0},
      {point + "1e+000000000001000005", 100000, 0},
      {"1" + million_zeros + "e-1000000", 1, 1e-12L},
      {"1" + std::string(4931, '0') + "e-4933", 0.01L, 1e-14L},
  };
  for (const Case& c : cases) {
    RealParse r = ParseReal(c.text);
    EXPECT_EQ(r.error_position, 0u) << c.text.size();
    EXPECT_LE(std::fabs(r.value - c.value), c.tolerance) << c.text.substr(c.text.size() - 12);
  }
}

// Where long double is narrower than the x87's, ParseReal's value comes
// from integer arithmetic; on an x87 machine that must store the very
// double the x87 does, for odd texts and for thousands of random ones.
TEST(ParseReal, StoresTheSameDoubleWithoutExtendedPrecision) {
  if (LDBL_MANT_DIG != 64) GTEST_SKIP() << "needs the x87's long double to compare with";
  std::vector<std::string> texts = {
      "0", "-0", "1", "4.9e-324", "2.4703282292062327e-324", "2.4703282292062328e-324",
      "2.2250738585072011e-308", "1e-320", "123456789012345678901234567890",
      "9007199254740993", "18446744073709551615", "18446744073709551616",
      "18446744073709551617", "36893488147419103231", "0.1", "1.7976931348623157e308",
      "1.7976931348623159e308", "1e309", "3.14159265358979323846264338327950288", "1e23",
      "1e4932", "1.18973149535723176502e4932", "1e4933", "1e-4932", "3e-4951", "1e-4960",
      "999999999999999999999999999999999e-4960", "5e-324", "2.5e-324", "7.4109846876186982e-323"};
  std::mt19937_64 pick(21);
  for (int k = 0; k < 3000; ++k) {
    std::string digits;
    auto length = 1 + static_cast<int>(pick() % 40);
    for (int i = 0; i < length; ++i) digits += static_cast<char>('0' + pick() % 10);
    if (pick() % 2 == 0) digits.insert(pick() % digits.size(), ".");
    auto exponent = static_cast<int64_t>(pick() % 800) - 400;
    if (k % 100 == 0) exponent = static_cast<int64_t>(pick() % 9900) - 4950;
    texts.push_back(digits + "e" + std::to_string(exponent));
  }
  for (const std::string& text : texts) {
    auto expected = static_cast<double>(ParseReal(text).value);
    double portable = ParseRealPortably(text);
    ASSERT_EQ(std::memcmp(&expected, &portable, sizeof expected), 0)
        << text << ": " << expected << " against " << portable;
  }
  EXPECT_EQ(ParseRealPortably("4.9e-324"), 0x1p-1074);
  EXPECT_EQ(ParseRealPortably("1,5"), 0);
}

TEST(ParseInteger, AcceptsDecimalAndHexadecimalForms) {
  struct Case {
    const char* text;
    int32_t value;
  };
  const Case cases[] = {
      {"007", 7},
      {"0", 0},
      {"  12", 12},
      {"+5", 5},
      {"-5", -5},
      {"00000000000012", 12},
      {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<int32_t>::min()},
      {"$FFFFFFFF", -1},
      {"$80000000", std::numeric_limits<int32_t>::min()},
      {"$7FFFFFFF", 2147483647},
      {"x10", 16},
      {"X10", 16},
      {"0x10", 16},
      {"0X1f", 31},
      {"$ff", 255},
      {"-$10", -16},
      {"+$10", 16},
      {"-$FFFFFFFF", 1},
      {"$000000001", 1},  // leading zeros are not significant
      {" -x7fffffff", -2147483647},
  };
  for (const Case& c : cases) {
    IntegerParse r = ParseInteger(c.text);
    EXPECT_EQ(r.error_position, 0u) << '"' << c.text << '"';
    EXPECT_EQ(r.value, c.value) << '"' << c.text << '"';
  }
}

TEST(ParseInteger, GivesThePositionOfTheFirstFault) {
  struct Case {
    const char* text;
    std::size_t position;
  };
  const Case cases[] = {
      {"", 1},
      {"12x", 3},
      {"1.0", 2},
      {"-", 2},
      {"  ", 3},
      {"- 5", 2},
      {"5 ", 2},
      {"$", 2},
      {"0x", 3},
      {"-X", 3},
      {"$G", 2},
      {"1e3", 2},
      // Range: a digit after an accumulated value above 214748364 fails at
      // its own position; leaving the range with the last digit fails at
      // length + 1.
      {"2147483648", 11},
      {"-2147483649", 12},
      {"99999999999", 10},
      {"2147483650", 10},
      {"21474836470", 11},
      {"4294967296", 10},
      // A ninth significant hexadecimal digit fails at its position.
      {"$FFFFFFFFF", 10},
      {"0x123456789", 11},
      {"-$100000000", 11},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseInteger(c.text).error_position, c.position) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace sparsim
