#include "export/svg_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace sparsim {
namespace {

struct Mark {
  double x, y, r;
};

// The number in attribute name of element, or NaN when it has none.
double Attribute(const std::string& element, const std::string& name) {
  std::size_t at = element.find(" " + name + "=\"");
  return at == std::string::npos ? std::nan("") : std::stod(element.substr(at + name.size() + 3));
}

// Every element of the picture that starts with opening, e.g. "<circle ".
std::vector<std::string> Elements(const std::string& svg, const std::string& opening) {
  std::vector<std::string> elements;
  for (std::size_t at = svg.find(opening); at != std::string::npos;
       at = svg.find(opening, at + 1)) {
    elements.push_back(svg.substr(at, svg.find('>', at) - at + 1));
  }
  return elements;
}

bool IsOutline(const std::string& element) {
  return element.find("fill=\"none\" stroke=\"#1f6fb4\"") != std::string::npos;
}

// The point marks of a picture, in drawing order: the circles that are not
// the site outline.
std::vector<Mark> MarksOf(const std::string& svg) {
  std::vector<Mark> marks;
  for (const std::string& circle : Elements(svg, "<circle ")) {
    if (IsOutline(circle)) continue;
    marks.push_back({Attribute(circle, "cx"), Attribute(circle, "cy"), Attribute(circle, "r")});
  }
  return marks;
}

// The site outline's numbers: cx, cy, r of a circle or x, y, width, height
// of a rectangle; empty when none is drawn.
std::vector<double> OutlineOf(const std::string& svg) {
  for (const std::string& circle : Elements(svg, "<circle ")) {
    if (IsOutline(circle)) {
      return {Attribute(circle, "cx"), Attribute(circle, "cy"), Attribute(circle, "r")};
    }
  }
  for (const std::string& rect : Elements(svg, "<rect ")) {
    if (IsOutline(rect)) {
      return {Attribute(rect, "x"), Attribute(rect, "y"), Attribute(rect, "width"),
              Attribute(rect, "height")};
    }
  }
  return {};
}

double Distance(const Mark& a, const Mark& b) { return std::hypot(a.x - b.x, a.y - b.y); }

CoordinateSet Set(std::vector<Point> points) {
  CoordinateSet set;
  set.name = "SITE.ADF";
  set.points = std::move(points);
  return set;
}

CoordinateSet CircleSet(std::vector<Point> points) {
  CoordinateSet set = Set(std::move(points));
  set.facts.site = SiteShape::kCircle;
  set.facts.diameter = 20;
  return set;
}

TEST(SvgText, DrawsEveryPointWithEqualScaleAndYUpwards) {
  std::vector<Mark> marks = MarksOf(SvgText(Set({{0, 0}, {10, 0}, {0, 5}}), {}));
  ASSERT_EQ(marks.size(), 3u);
  // 10 units across take twice the pixels of 5 units up.
  EXPECT_NEAR(Distance(marks[0], marks[1]), 2 * Distance(marks[0], marks[2]), 0.02);
  EXPECT_NEAR(marks[0].y, marks[1].y, 0.005);
  EXPECT_LT(marks[2].y, marks[0].y);
  // The longer span fills most of the 600-unit frame, with a margin.
  EXPECT_GT(Distance(marks[0], marks[1]), 500);
  EXPECT_LT(Distance(marks[0], marks[1]), 600);
}

TEST(SvgText, MakesTheMarksSmallerAsThePointsGrowMany) {
  std::vector<Point> few(10, Point{1, 1});
  std::vector<Point> many;
  for (int i = 0; i < 5000; ++i) many.push_back({i * 0.01, (i % 7) * 1.0});
  double few_radius = MarksOf(SvgText(Set(few), {})).front().r;
  std::vector<Mark> many_marks = MarksOf(SvgText(Set(many), {}));
  ASSERT_EQ(many_marks.size(), 5000u);
  EXPECT_LT(many_marks.front().r, few_radius);
  EXPECT_LE(few_radius, 3);
}

TEST(SvgText, GivesTheMarksTheOpacityAsked) {
  EXPECT_NE(SvgText(Set({{1, 2}}), {}).find("fill-opacity=\"0.6\""), std::string::npos);
  SvgOptions options;
  options.opacity = 0.25;
  EXPECT_NE(SvgText(Set({{1, 2}}), options).find("fill-opacity=\"0.25\""), std::string::npos);
}

TEST(SvgText, DrawsARectangularSiteFromItsCorners) {
  CoordinateSet set = Set({{1, 1}});
  set.facts.site = SiteShape::kRectangle;
  set.facts.x_max = 30, set.facts.y_max = 10;
  std::string svg = SvgText(set, {});
  std::vector<double> rect = OutlineOf(svg);
  ASSERT_EQ(rect.size(), 4u);
  EXPECT_NEAR(rect[2], 3 * rect[3], 0.02);  // 30 by 10
  Mark mark = MarksOf(svg).front();
  // (1, 1) lies 1/30 of the width in from the left and 1/10 of the height up.
  EXPECT_NEAR(mark.x - rect[0], rect[2] / 30, 0.02);
  EXPECT_NEAR(rect[1] + rect[3] - mark.y, rect[3] / 10, 0.02);
  EXPECT_NE(svg.find("Rectangular site (0, 0) to (30, 10)"), std::string::npos);
}

TEST(SvgText, DrawsACircleAtTheDefaultCentreWhenThePointsFitIt) {
  CoordinateSet set = CircleSet({{10, 10}, {0.0001, 10}, {10, 19.9999}});
  EXPECT_EQ(CircleCentre(set, {})->x, 10);
  EXPECT_EQ(CircleCentre(set, {})->y, 10);
  std::string svg = SvgText(set, {});
  std::vector<double> circle = OutlineOf(svg);
  std::vector<Mark> marks = MarksOf(svg);
  ASSERT_EQ(circle.size(), 3u);
  EXPECT_NEAR(circle[0], marks[0].x, 0.01);  // centred on (10, 10)
  EXPECT_NEAR(circle[1], marks[0].y, 0.01);
  EXPECT_NEAR(circle[2], Distance(marks[0], marks[1]), 0.02);  // radius 10
  EXPECT_NE(svg.find("Circular site, diameter 20, centre (10, 10)"), std::string::npos);
}

TEST(CircleCentre, AllowsForPointsOnTheRimRoundedOutwardAtFourDecimals) {
  // Points of the rim of the default circle (radius 10 about (10, 10)) at
  // 45, 135, 30 and 225 degrees, whose 4 decimals round away from the
  // centre: 10.0000455 from it at most.
  const std::vector<Point> rim = {
      {17.0711, 17.0711}, {2.9289, 17.0711}, {18.6603, 15}, {2.9289, 2.9289}};
  for (const Point& point : rim) {
    std::optional<Point> centre = CircleCentre(CircleSet({{10, 10}, point}), {});
    ASSERT_TRUE(centre) << point.x << "," << point.y;
    EXPECT_EQ(centre->x, 10);
    EXPECT_EQ(centre->y, 10);
  }
  EXPECT_FALSE(CircleCentre(CircleSet({{10, 10}, {10, 20.03}}), {}));
}

TEST(SvgText, LeavesOutACircleWhoseCentreIsUnknown) {
  CoordinateSet set = CircleSet({{10, 10}, {25, 10}});  // 15 from the default centre
  EXPECT_FALSE(CircleCentre(set, {}));
  std::string svg = SvgText(set, {});
  EXPECT_TRUE(OutlineOf(svg).empty());
  EXPECT_NE(svg.find("(centre not recorded; not drawn)"), std::string::npos);

  SvgOptions options;
  options.centre = Point{17, 10};
  std::vector<double> circle = OutlineOf(SvgText(set, options));
  ASSERT_EQ(circle.size(), 3u);
  EXPECT_EQ(CircleCentre(set, options)->x, 17);
}

TEST(SvgText, CaptionsTheHeaderFacts) {
  CoordinateSet set = CircleSet({{10, 10}});
  set.facts.model = 'N';
  set.facts.density = RecordedNumber{0.3183, "0.3183"};
  set.facts.seed = 12345;
  set.facts.cluster_radius = RecordedNumber{2.5, "2.5000"};
  set.facts.cluster_seeds = 1;
  std::string svg = SvgText(set, {});
  EXPECT_NE(svg.find(">SITE.ADF: 1 point<"), std::string::npos);
  EXPECT_NE(svg.find(">Model N (normal), density 0.3183, seed 12345<"), std::string::npos);
  EXPECT_NE(svg.find(">Cluster S.D. 2.5000, 1 cluster seed<"), std::string::npos);
  set.facts.model = 'H';
  set.facts.cluster_seeds = 3;
  EXPECT_NE(SvgText(set, {}).find(">Cluster radius 2.5000, 3 cluster seeds<"), std::string::npos);
}

TEST(SvgText, LabelsTheAxesWithNiceTicks) {
  std::string svg = SvgText(CircleSet({{10, 10}}), {});
  for (const char* label : {">0<", ">5<", ">10<", ">15<", ">20<"}) {
    EXPECT_NE(svg.find(label), std::string::npos) << label;
  }
}

TEST(SvgText, PutsAtLeastTwoTicksOnTheShortSide) {
  // 1200 across and nothing up: the short side spans 240 units (a fifth),
  // where one tick per 90 pixels alone would give the single tick 0.
  std::string svg = SvgText(Set({{-200, 5}, {1000, 5}}), {});
  for (const char* label : {">-100<", ">0<", ">100<", ">500<", ">1000<"}) {
    EXPECT_NE(svg.find(label), std::string::npos) << label;
  }
}

TEST(SvgText, EscapesTheFileNameAndStaysFiniteForOddSets) {
  CoordinateSet set = Set({{3, 3}});
  set.name = "a&b<c>\"\x01\xc3\xa9.adf";
  std::string svg = SvgText(set, {});
  EXPECT_NE(svg.find(">a&amp;b&lt;c&gt;&quot;???.adf: 1 point<"), std::string::npos);
  // Degenerate extents, and extents tiny next to the coordinates' size.
  for (const CoordinateSet& odd :
       {Set({}), Set({{3, 3}}), Set({{0, 0}}), Set({{0, 0}, {0, 1e6}}),
        Set({{-1e300, 1e300}, {1e300, -1e300}}), Set({{1e9, 5}, {1e9, 5.00000001}}),
        Set({{-3e-8, 1e9}, {0, 1e9}}), Set({{1e300, 1}, {1e300, 1.5}}),
        Set({{1e-300, 0}, {1e-300, 1e-310}}), Set({{4.9e-324, 0}, {0, 4.9e-324}}),
        Set({{-2.2e-308, 1e-320}, {2.2e-308, 0}})}) {
    std::string text = SvgText(odd, {});
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    std::vector<Mark> marks = MarksOf(text);
    EXPECT_EQ(marks.size(), odd.points.size());
    std::vector<std::string> lines = Elements(text, "<line ");
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(std::adjacent_find(lines.begin(), lines.end()), lines.end()) << "a line twice";
    EXPECT_GE(lines.size(), 8u);  // at least two ticks a side: grid line and tick mark
  }
}

TEST(SvgText, RefusesPointsThatCannotBeDrawn) {
  EXPECT_THROW(SvgText(Set({{std::numeric_limits<double>::infinity(), 0}}), {}), std::domain_error);
  EXPECT_THROW(SvgText(Set({{-1.7e308, 0}, {1.7e308, 0}}), {}), std::domain_error);
}

}  // namespace
}  // namespace sparsim
