#include "dialogue/numeric_prompts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "common/program_end.h"
#include "dialogue/seed_prompt.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

constexpr int32_t kHighest = 2147483647;
constexpr double kFree = 1e30;

std::string BadInteger(const std::string& shown) {
  return "Invalid Character in Integer: \"" + shown + "\"\r\n";
}
std::string BadReal(const std::string& shown) {
  return "Invalid Character in Real: \"" + shown + "\"\r\n";
}

struct IntegerCase {
  std::string answers;
  int32_t low;
  int32_t high;
  std::string default_text;
  int32_t expected;
  std::string output;
};

TEST(AskInteger, AcceptsValidAnswersAndExplainsRefusals) {
  const std::string q = "N ? ";
  const std::vector<IntegerCase> cases = {
      {"0\r\n10000\r\n", 1, 10000, "", 10000, q + "Value Out of Range (1,10000)\r\n" + q},
      {"1\r\n", 1, 10000, "", 1, q},
      {"-2147483648\r\n-2147483647\r\n", -kHighest, kHighest, "", -kHighest,
       q + "Value Out of Range (-2147483647,2147483647)\r\n" + q},
      {"12a\r\n7\r\n", 1, 10, "", 7, q + BadInteger("a") + q},
      {"   42  \r\n", 1, 100, "", 42, q},
      {"4 2\r\n42\r\n", 1, 100, "", 42, q + BadInteger(" ") + q},
      {"1.0\r\n1\r\n", 1, 100, "", 1, q + BadInteger(".") + q},
      {"$FF\r\n", 0, 1000, "", 255, q},
      {"0x10\r\n", 0, 1000, "", 16, q},
      {"X1f\r\n", 0, 1000, "", 31, q},
      {"-$10\r\n", -100, 100, "", -16, q},
      {"$FFFFFFFF\r\n", -100, 100, "", -1, q},
      {"007\r\n", 0, 100, "", 7, q},
      // Beyond 32 bits: the digit that cannot fit, or nothing when only the
      // last digit leaves the range.
      {"99999999999\r\n5\r\n", -kHighest, kHighest, "", 5, q + BadInteger("9") + q},
      {"2147483648\r\n5\r\n", -kHighest, kHighest, "", 5, q + BadInteger("") + q},
      // A sign or a prefix with nothing after it.
      {"-\r\n5\r\n", 0, 10, "", 5, q + BadInteger("") + q},
      {"$\r\n5\r\n", 0, 10, "", 5, q + BadInteger("") + q},
      {"\r\n   \r\n3\r\n", 0, 10, "", 3, q + q + q},
      {"\r\n", 0, 10, "5", 5, "N {5} ? "},
      {"  \r\n", 0, 10, "5", 5, "N {5} ? "},
      {"7\r\n", 0, 10, "5", 7, "N {5} ? "},
      // A default that is not a valid answer is refused each time.
      {"\r\n\r\n4\r\n", 0, 10, "abc", 4,
       "N {abc} ? " + BadInteger("a") + "N {abc} ? " + BadInteger("a") + "N {abc} ? "},
      {"\r\n4\r\n", 1, 10, "0", 4, "N {0} ? Value Out of Range (1,10)\r\nN {0} ? "},
      // Refused last answer with a line end: asked once more, default taken.
      {"99\r\n", 0, 10, "5", 5, "N {5} ? Value Out of Range (0,10)\r\nN {5} ? "},
  };
  for (const IntegerCase& c : cases) {
    TestConsole t(c.answers);
    EXPECT_EQ(AskInteger(t.console, "N", c.low, c.high, c.default_text), c.expected) << c.answers;
    EXPECT_EQ(t.output(), c.output) << c.answers;
  }
}

TEST(AskInteger, EndsTheProgramWhenTheAnswersRunOutWithoutAValue) {
  const std::vector<IntegerCase> cases = {
      {"", 0, 10, "", 0, "N ? "},
      {"\r\n", 0, 10, "", 0, "N ? N ? "},
      {"11", 0, 10, "", 0, "N ? Value Out of Range (0,10)\r\n"},
      {"11\r\n", 0, 10, "", 0, "N ? Value Out of Range (0,10)\r\nN ? "},
      {"q", 0, 10, "5", 0, "N {5} ? " + BadInteger("q")},
      {"", 0, 10, "abc", 0, "N {abc} ? " + BadInteger("a")},
      {"", 1, 10, "0", 0, "N {0} ? Value Out of Range (1,10)\r\n"},
  };
  for (const IntegerCase& c : cases) {
    TestConsole t(c.answers);
    EXPECT_EQ(EndStatus([&] { AskInteger(t.console, "N", c.low, c.high, c.default_text); }),
              kExitEndOfInput)
        << c.answers;
    EXPECT_EQ(t.output(), c.output + kEndOfInputReport) << c.answers;
  }
}

struct RealCase {
  std::string answers;
  std::string default_text;
  double low;
  double high;
  double expected;
  std::string output;
};

TEST(AskReal, AcceptsValidAnswersAndExplainsRefusals) {
  const std::string q = "R ? ";
  const std::string positive_range =
      "Value Out of Range ( 0.00000000000000E+0000, 1.00000000000000E+0030)\r\n";
  const std::string free_range =
      "Value Out of Range (-1.00000000000000E+0030, 1.00000000000000E+0030)\r\n";
  constexpr double kMax = std::numeric_limits<double>::max();
  const std::string widest_range =
      "Value Out of Range (-1.79769313486232E+0308, 1.79769313486232E+0308)\r\n";
  const std::vector<RealCase> cases = {
      {".5\r\n", "", -kFree, kFree, 0.5, q},
      {"-.25\r\n", "", -kFree, kFree, -0.25, q},
      {"+.5\r\n", "", -kFree, kFree, 0.5, q},
      {".\r\n", "", -kFree, kFree, 0.0, q},
      {"  2.5  \r\n", "", -kFree, kFree, 2.5, q},
      {"25E-2\r\n", "", -kFree, kFree, 0.25, q},
      {"3,5\r\n1\r\n", "", -kFree, kFree, 1.0, q + BadReal(",") + q},
      {"1.5x\r\n1\r\n", "", -kFree, kFree, 1.0, q + BadReal("x") + q},
      {"1 5\r\n1\r\n", "", -kFree, kFree, 1.0, q + BadReal(" ") + q},
      {"1..5\r\n1\r\n", "", -kFree, kFree, 1.0, q + BadReal(".") + q},
      // An error just past the end of the answer shows nothing.
      {"1e\r\n1\r\n", "", -kFree, kFree, 1.0, q + BadReal("") + q},
      {"1e+\r\n1\r\n", "", -kFree, kFree, 1.0, q + BadReal("") + q},
      {"-\r\n1\r\n", "", -kFree, kFree, 1.0, q + BadReal("") + q},
      {"-1\r\n0\r\n", "", 0.0, kFree, 0.0, q + positive_range + q},
      {"1e30\r\n", "", 0.0, kFree, 1e30, q},
      {"2e30\r\n-1e30\r\n", "", -kFree, kFree, -1e30, q + free_range + q},
      // Bounds hold after the answer is rounded to the nearest double.
      {"0.3\r\n", "", 0.1, 0.3, 0.3, q},
      {"0.30000000000000001\r\n", "", 0.1, 0.3, 0.3, q},
      {"0.1\r\n", "", 0.1, 0.3, 0.1, q},
      {"0.31\r\n0.2\r\n", "", 0.1, 0.3, 0.2,
       q + "Value Out of Range ( 1.00000000000000E-0001, 3.00000000000000E-0001)\r\n" + q},
      // Too large for a double: refused with the range message.
      {"1e400\r\n-1e400\r\n2\r\n", "", -kMax, kMax, 2.0, q + widest_range + q + widest_range + q},
      {"\r\n", "20.0", 0.0, kFree, 20.0, "R {20.0} ? "},
      {"\r\n\r\n4\r\n", "", 0.0, kFree, 4.0, q + q + q},
      {"\r\n1\r\n", "x", 0.0, kFree, 1.0, "R {x} ? " + BadReal("x") + "R {x} ? "},
      {"\r\n1\r\n", "-5", 0.0, kFree, 1.0, "R {-5} ? " + positive_range + "R {-5} ? "},
  };
  for (const RealCase& c : cases) {
    TestConsole t(c.answers);
    EXPECT_EQ(AskReal(t.console, "R", c.default_text, c.low, c.high), c.expected) << c.answers;
    EXPECT_EQ(t.output(), c.output) << c.answers;
  }
}

TEST(AskReal, KeepsTheSignOfANegativeZero) {
  TestConsole t("-0\r\n");
  EXPECT_TRUE(std::signbit(AskReal(t.console, "R", "", -1.0, 1.0)));
}

TEST(AskReal, EndsTheProgramWhenTheAnswersRunOutWithoutAValue) {
  const std::string positive_range =
      "Value Out of Range ( 0.00000000000000E+0000, 1.00000000000000E+0030)\r\n";
  const std::vector<RealCase> cases = {
      {"", "", 0.0, kFree, 0.0, "R ? "},
      {"-1", "", 0.0, kFree, 0.0, "R ? " + positive_range},
      {"-1\r\n", "", 0.0, kFree, 0.0, "R ? " + positive_range + "R ? "},
      {"", "1.5x", 0.0, kFree, 0.0, "R {1.5x} ? " + BadReal("x")},
  };
  for (const RealCase& c : cases) {
    TestConsole t(c.answers);
    EXPECT_EQ(EndStatus([&] { AskReal(t.console, "R", c.default_text, c.low, c.high); }),
              kExitEndOfInput)
        << c.answers;
    EXPECT_EQ(t.output(), c.output + kEndOfInputReport) << c.answers;
  }
}

const std::string kSeedQuestion = "Random Generator Seed (0 to set from clock) {0} ? ";

TEST(AskSeed, SetsTheSeedFromTheAnswer) {
  struct Case {
    std::string answers;
    int32_t expected;
    std::string output;
  };
  const std::vector<Case> cases = {
      {"12345\r\n", 12345, kSeedQuestion},
      {"-1\r\n", -1, kSeedQuestion},
      {"2147483647\r\n", 2147483647, kSeedQuestion},
      {"-2147483648\r\n-2147483647\r\n", -2147483647,
       kSeedQuestion + "Value Out of Range (-2147483647,2147483647)\r\n" + kSeedQuestion},
  };
  for (const Case& c : cases) {
    TestConsole t(c.answers);
    int32_t seed = 99;
    AskSeed(t.console, seed);
    EXPECT_EQ(seed, c.expected) << c.answers;
    EXPECT_EQ(t.output(), c.output) << c.answers;
  }
}

TEST(AskSeed, ZeroOrAnEmptyAnswerTakesANonZeroSeedFromTheClock) {
  for (const char* answers : {"0\r\n", "\r\n", " 0 \r\n", "-0\r\n"}) {
    TestConsole t(answers);
    int32_t seed = 0;
    AskSeed(t.console, seed);
    EXPECT_NE(seed, 0) << answers;
    EXPECT_EQ(t.output(), kSeedQuestion) << answers;
  }
}

TEST(ShowSeed, WritesTheSeedInPlainDecimal) {
  TestConsole t("");
  ShowSeed(t.console, 12345);
  ShowSeed(t.console, -2147483647 - 1);
  ShowSeed(t.console, 0);
  EXPECT_EQ(t.output(), "Random Seed: 12345\r\nRandom Seed: -2147483648\r\nRandom Seed: 0\r\n");
}

}  // namespace
}  // namespace sparsim
