#include "shell/banner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_console.h"

namespace sparsim {
namespace {

// Code page 437 double-line box characters.
const std::string kTopLeft = "\xC9";
const std::string kTopRight = "\xBB";
const std::string kBottomLeft = "\xC8";
const std::string kBottomRight = "\xBC";
const std::string kBar = "\xBA";

std::string Blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
// n horizontal bars.
std::string Bars(int n) { return std::string(static_cast<std::size_t>(n), '\xCD'); }

TEST(ShowBanner, WritesTheCentredBoxBetweenEmptyLines) {
  TestConsole t("");
  ShowBanner(t.console, "Sparsim", "2.0", "Random Point Distributions");
  // The 26-character title is the longest measured line: the box is 28
  // wide and every box line begins with (77 - 28) div 2 = 24 blanks.
  const std::string margin = Blanks(24);
  auto row = [&](int left, const std::string& text, int right) {
    return margin + kBar + Blanks(left) + text + Blanks(right) + kBar + "\r\n";
  };
  // clang-format off
  const std::string expected =
      "\r\n\r\n\r\n\r\n" +
      margin + kTopLeft + Bars(28) + kTopRight + "\r\n" +
      row(8, "Sparsim V2.0", 8) +
      row(1, "Random Point Distributions", 1) +
      row(28, "", 0) +
      row(3, "Spatial point patterns", 3) +
      row(3, "for simulation studies", 3) +
      row(28, "", 0) +
      row(2, "Same seed, same points:", 3) +
      row(1, "every run can be repeated", 2) +
      margin + kBottomLeft + Bars(28) + kBottomRight + "\r\n" +
      "\r\n\r\n\r\n";
  // clang-format on
  EXPECT_EQ(t.output(), expected);
}

TEST(ShowBanner, MeasuresTheHeadingWhenItIsTheLongestLine) {
  TestConsole t("");
  ShowBanner(t.console, "A Much Longer Program Name", "10.25", "Short");
  // Heading "A Much Longer Program Name V10.25" has 33 characters: width 35,
  // margin (77 - 35) div 2 = 21.
  const std::string top = Blanks(21) + kTopLeft + Bars(35) + kTopRight + "\r\n";
  const std::string heading =
      Blanks(21) + kBar + " A Much Longer Program Name V10.25 " + kBar + "\r\n";
  EXPECT_EQ(t.output().substr(8, top.size() + heading.size()), top + heading);
}

TEST(WriteBoxEdge, CapsTheWidthAndCentresTheLine) {
  struct Case {
    int width;
    bool top;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {28, true, Blanks(24) + kTopLeft + Bars(28) + kTopRight},
      {28, false, Blanks(24) + kBottomLeft + Bars(28) + kBottomRight},
      {77, true, kTopLeft + Bars(77) + kTopRight},
      {100, false, kBottomLeft + Bars(77) + kBottomRight},
      {76, true, kTopLeft + Bars(76) + kTopRight},
      {11, true, Blanks(33) + kTopLeft + Bars(11) + kTopRight},
      {10, true, Blanks(33) + kTopLeft + Bars(10) + kTopRight},
      {0, false, Blanks(38) + kBottomLeft + kBottomRight},
  };
  for (const Case& c : cases) {
    TestConsole t("");
    WriteBoxEdge(t.console, c.width, c.top);
    EXPECT_EQ(t.output(), c.expected + "\r\n") << c.width << " " << c.top;
  }
}

TEST(WriteBoxLine, CentresTheTextWithTheOddBlankOnTheRight) {
  struct Case {
    int width;
    std::string text;
    std::string expected;
  };
  const std::string long_text(80, 'x');
  const std::vector<Case> cases = {
      {10, "abcd", Blanks(33) + kBar + "   abcd   " + kBar},
      {10, "abc", Blanks(33) + kBar + "   abc    " + kBar},
      {11, "abcd", Blanks(33) + kBar + "   abcd    " + kBar},
      {10, "", Blanks(33) + kBar + Blanks(10) + kBar},
      {77, "", kBar + Blanks(77) + kBar},
      {90, "x", kBar + Blanks(38) + "x" + Blanks(38) + kBar},
      // Longer than the box: written whole, no blanks added.
      {5, "abcdefgh", Blanks(36) + kBar + "abcdefgh" + kBar},
      {5, "abcdef", Blanks(36) + kBar + "abcdef" + kBar},
      {77, long_text, kBar + long_text + kBar},
      {3, "abc", Blanks(37) + kBar + "abc" + kBar},
  };
  for (const Case& c : cases) {
    TestConsole t("");
    WriteBoxLine(t.console, c.width, c.text);
    EXPECT_EQ(t.output(), c.expected + "\r\n") << c.width << " " << c.text;
  }
}

TEST(Banner, DrawsUtf8BoxCharactersWhenAsked) {
  TestConsole t("");
  t.console.utf8_box = true;
  WriteBoxEdge(t.console, 3, true);
  WriteBoxLine(t.console, 3, "ab");
  WriteBoxEdge(t.console, 3, false);
  const std::string margin = Blanks(37);
  EXPECT_EQ(t.output(), margin +
                            "\xE2\x95\x94\xE2\x95\x90\xE2\x95\x90\xE2\x95\x90\xE2\x95\x97\r\n" +
                            margin + "\xE2\x95\x91" + "ab \xE2\x95\x91\r\n" + margin +
                            "\xE2\x95\x9A\xE2\x95\x90\xE2\x95\x90\xE2\x95\x90\xE2\x95\x9D\r\n");
}

}  // namespace
}  // namespace sparsim
