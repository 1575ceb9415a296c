#include "plot/plot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/test_console.h"

namespace sparsim {
namespace {

constexpr int kLines = 24;
constexpr int kWidth = 79;

struct Mark {
  int line;    // 1..24, from the top
  int column;  // 1..79, from the left
  char mark;
};

// The printed window with the given marks, every line ended by CR LF.
std::string Window(const std::vector<Mark>& marks) {
  std::vector<std::string> lines(kLines, std::string(kWidth, ' '));
  for (const Mark& m : marks) lines[m.line - 1][m.column - 1] = m.mark;
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string Plot(const std::vector<std::pair<double, double>>& points) {
  auto state = std::make_unique<ProgramState>();
  int32_t i = 0;
  for (const auto& [x, y] : points) {
    ++i;
    state->store.x[i] = x;
    state->store.y[i] = y;
  }
  state->point_count = i;
  TestConsole t("");
  PlotPoints(t.console, *state);
  return t.output();
}

TEST(PlotPoints, WritesTwentyFourLinesOfSeventyNineFlushingEveryCharacter) {
  auto state = std::make_unique<ProgramState>();
  state->point_count = 2;
  state->store.x[2] = state->store.y[2] = 1;
  TestConsole t("");
  PlotPoints(t.console, *state);
  const std::string& out = t.output();
  ASSERT_EQ(out.size(), 24u * 81u);
  for (int line = 0; line < kLines; ++line) {
    EXPECT_EQ(out.substr(line * 81 + 79, 2), "\r\n") << "line " << line + 1;
    EXPECT_EQ(out.substr(line * 81, 79).find_first_of("\r\n"), std::string::npos);
  }
  EXPECT_EQ(t.out.flush_count(), 1896u);
}

TEST(PlotPoints, AspectOfExactlyTwoAndAQuarterFillsBothDirections) {
  // (4.5, 2): u = 0.499, column trunc(0.499 * 80) + 1 = 40; row
  // 25 - trunc(0.499 * 25) = 13. (9, 4) maps to column 80, drawn in 79;
  // (0, 0) to row 25, drawn in line 24.
  EXPECT_EQ(Plot({{0, 0}, {9, 4}, {4.5, 2}}), Window({{13, 40, '+'}, {1, 79, '+'}, {24, 1, '+'}}));
}

TEST(PlotPoints, UnitSquareIsCompressedInWidth) {
  // Aspect 1: XScale 1 / 2.25, so X = 1 maps to trunc(0.999 * 35.56) + 1 = 36.
  EXPECT_EQ(Plot({{0, 0}, {1, 0}, {0, 1}, {1, 1}}),
            Window({{1, 1, '+'}, {1, 36, '+'}, {24, 1, '+'}, {24, 36, '+'}}));
}

TEST(PlotPoints, TwoPointsInOneCellShowAsAStar) {
  EXPECT_EQ(Plot({{0, 1}, {0.001, 1}, {1, 0}, {1, 1}}),
            Window({{1, 1, '*'}, {1, 36, '+'}, {24, 36, '+'}}));
  // A third point in the cell leaves it a star.
  EXPECT_EQ(Plot({{0, 1}, {0.001, 1}, {0, 1}, {1, 0}}), Window({{1, 1, '*'}, {24, 36, '+'}}));
}

TEST(PlotPoints, VeryWideSetLiesOnTheLastLine) {
  // Aspect 100: YScale 0.0225, so every point falls in row 25; X = 100 in
  // column 80. Both are brought into the window.
  EXPECT_EQ(Plot({{0, 0}, {100, 1}}), Window({{24, 1, '+'}, {24, 79, '+'}}));
}

TEST(PlotPoints, ZeroRangesAndNoPoints) {
  EXPECT_EQ(Plot({{5, 0}, {5, 10}}), Window({{1, 1, '+'}, {24, 1, '+'}}));    // X all equal
  EXPECT_EQ(Plot({{0, 3}, {10, 3}}), Window({{24, 1, '+'}, {24, 79, '+'}}));  // Y all equal
  EXPECT_EQ(Plot({{7, -7}}), Window({{24, 1, '+'}}));                         // one point
  EXPECT_EQ(Plot({}), Window({}));
}

TEST(PlotPoints, UsesOnlyTheFirstTenThousandPoints) {
  // A walk of 12000 points stores the first 10000; the extent comes from
  // those: (0, 0) and (9, 4) at the ends, all others at (4.5, 2).
  auto state = std::make_unique<ProgramState>();
  for (int32_t i = 1; i <= kMaxPoints; ++i) {
    state->store.x[i] = 4.5;
    state->store.y[i] = 2;
  }
  state->store.x[1] = state->store.y[1] = 0;
  state->store.x[kMaxPoints] = 9;
  state->store.y[kMaxPoints] = 4;
  state->point_count = 12000;
  TestConsole t("");
  PlotPoints(t.console, *state);
  EXPECT_EQ(t.output(), Window({{13, 40, '*'}, {1, 79, '+'}, {24, 1, '+'}}));
}

}  // namespace
}  // namespace sparsim
