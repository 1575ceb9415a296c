#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "export/csv_writer.h"
#include "export/geojson_writer.h"
#include "export/point_text.h"

namespace sparsim {
namespace {

TEST(ShortestText, GivesTheShortestTextThatReadsBackExactly) {
  EXPECT_EQ(ShortestText(7.707), "7.707");
  EXPECT_EQ(ShortestText(-2), "-2");
  EXPECT_EQ(ShortestText(0), "0");
  EXPECT_EQ(ShortestText(0.1), "0.1");
  EXPECT_EQ(ShortestText(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(ShortestText(1e32), "1e+32");
  EXPECT_EQ(ShortestText(123456.7891), "123456.7891");
  // Every double comes back bit for bit, whatever its size.
  for (double value : {1.0 / 3, -2.0 / 7, 5e-324, 1.7976931348623157e308, 12.3456, -0.0001}) {
    std::string text = ShortestText(value);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
  }
}

TEST(ShortestText, RefusesNumbersThatAreNotFinite) {
  EXPECT_THROW(ShortestText(std::numeric_limits<double>::infinity()), std::domain_error);
  EXPECT_THROW(ShortestText(-std::numeric_limits<double>::infinity()), std::domain_error);
  EXPECT_THROW(ShortestText(std::numeric_limits<double>::quiet_NaN()), std::domain_error);
}

TEST(CsvText, WritesAHeaderAndOneLinePerPoint) {
  EXPECT_EQ(CsvText({}), "x,y\n");
  EXPECT_EQ(CsvText({{7.707, 5.7871}, {-2, 0.1}, {1e32, 0}}),
            "x,y\n7.707,5.7871\n-2,0.1\n1e+32,0\n");
  EXPECT_THROW(CsvText({{1, std::nan("")}}), std::domain_error);
}

CoordinateSet TwoPoints() {
  CoordinateSet set;
  set.points = {{7.707, 5.7871}, {-1.5, 1e-7}};
  return set;
}

TEST(GeoJsonText, WritesOnePointFeaturePerPoint) {
  EXPECT_EQ(
      GeoJsonText(TwoPoints(), false),
      "{\"type\":\"FeatureCollection\",\"features\":[\n"
      "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[7.707,5.7871]},"
      "\"properties\":{\"point\":1}},\n"
      "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[-1.5,1e-07]},"
      "\"properties\":{\"point\":2}}\n"
      "]}\n");
  EXPECT_EQ(GeoJsonText(CoordinateSet{}, false),
            "{\"type\":\"FeatureCollection\",\"features\":[\n]}\n");
}

TEST(GeoJsonText, WritesOneMultiPointWithTheHeaderFacts) {
  CoordinateSet set = TwoPoints();
  set.facts.site = SiteShape::kRectangle;
  set.facts.x_min = -1, set.facts.y_min = 0, set.facts.x_max = 10, set.facts.y_max = 4.5;
  set.facts.model = 'S';
  set.facts.density = RecordedNumber{0.0095, "0.0095"};
  set.facts.seed = -12;
  set.facts.cluster_radius = RecordedNumber{2.5, "2.5000"};
  set.facts.cluster_seeds = 0;
  EXPECT_EQ(GeoJsonText(set, true),
            "{\"type\":\"FeatureCollection\",\"features\":[\n"
            "{\"type\":\"Feature\",\"geometry\":{\"type\":\"MultiPoint\",\"coordinates\":[\n"
            "[7.707,5.7871],\n[-1.5,1e-07]\n"
            "]},\"properties\":{\"points\":2,\"site\":\"rectangle\",\"corners\":[[-1,0],[10,4.5]],"
            "\"model\":\"S\",\"density\":0.0095,\"seed\":-12,\"cluster_radius\":2.5,\"cluster_"
            "seeds\":0}},\n"
            "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Polygon\",\"coordinates\":[[\n"
            "[-1,0],[10,0],[10,4.5],[-1,4.5],[-1,0]\n"
            "]]},\"properties\":{\"site\":\"rectangle\",\"corners\":[[-1,0],[10,4.5]]}}\n"
            "]}\n");
  CoordinateSet circle;
  circle.facts.site = SiteShape::kCircle;
  circle.facts.diameter = 20;
  const std::string start =
      "{\"type\":\"FeatureCollection\",\"features\":[\n"
      "{\"type\":\"Feature\",\"geometry\":{\"type\":\"MultiPoint\",\"coordinates\":[\n"
      "]},\"properties\":{\"points\":0,\"site\":\"circle\",\"diameter\":20}},\n"
      "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Polygon\",\"coordinates\":[[\n";
  EXPECT_EQ(GeoJsonText(circle, true).substr(0, start.size()), start);
}

// The positions of the site's ring, read back with strtod.
std::vector<Point> SiteRing(const std::string& geojson) {
  std::vector<Point> ring;
  const std::string opening = "\"Polygon\",\"coordinates\":[[\n";
  std::size_t at = geojson.find(opening);
  if (at == std::string::npos) return ring;
  const char* text = geojson.c_str() + at + opening.size();
  while (*text == '[') {
    char* end = nullptr;
    double x = std::strtod(text + 1, &end);
    double y = std::strtod(end + 1, &end);
    ring.push_back({x, y});
    text = end + 1 + (end[1] == ',' ? 1 : 0);
  }
  return ring;
}

TEST(GeoJsonText, GivesACircularSiteAsAPolygonThatHoldsTheDisc) {
  struct Case {
    std::vector<Point> points;
    std::optional<Point> given_centre;
    std::optional<Point> centre;  // none: no site feature
    const char* properties;
  };
  const Case cases[] = {
      // The points fit the default centre, one radius from each axis.
      {{{10, 10}, {19.99, 10}}, {}, Point{10, 10}, "\"centre\":[10,10],\"radius\":10"},
      {{{25, 10}}, {}, {}, ""},
      {{{25, 10}}, Point{20, -3.5}, Point{20, -3.5}, "\"centre\":[20,-3.5],\"radius\":10"},
  };
  const double pi = std::acos(-1.0);
  for (const Case& c : cases) {
    CoordinateSet set;
    set.points = c.points;
    set.facts.site = SiteShape::kCircle;
    set.facts.diameter = 20;
    std::string text = GeoJsonText(set, false, c.given_centre);
    std::vector<Point> ring = SiteRing(text);
    if (!c.centre) {
      EXPECT_TRUE(ring.empty());
      EXPECT_EQ(text.find("Polygon"), std::string::npos);
      continue;
    }
    EXPECT_NE(text.find(std::string(",\n{\"type\":\"Feature\",\"geometry\":{\"type\":\"Polygon\"")),
              std::string::npos);
    EXPECT_NE(
        text.find(std::string("\"properties\":{\"site\":\"circle\",") + c.properties + "}}\n]}\n"),
        std::string::npos)
        << text.substr(text.size() - 120);
    ASSERT_EQ(ring.size(), kCircleVertices + 1u);
    EXPECT_EQ(ring.front().x, ring.back().x);
    EXPECT_EQ(ring.front().y, ring.back().y);
    // Every side touches the circle: the middle of each lies one radius from
    // the centre, so the polygon holds the disc; the ring turns
    // counter-clockwise, and its area is n tan(pi / n) r^2.
    double area = 0;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
      Point a = ring[i], b = ring[i + 1];
      double mid = std::hypot((a.x + b.x) / 2 - c.centre->x, (a.y + b.y) / 2 - c.centre->y);
      EXPECT_NEAR(mid, 10, 1e-12);
      // Each vertex within a rounding or two of the C library's cosl and
      // sinl at the vertex's angle.
      long double angle = 2 * std::acos(-1.0L) * static_cast<long double>(i) / kCircleVertices;
      long double reach = 10 / std::cos(std::acos(-1.0L) / kCircleVertices);
      EXPECT_NEAR(a.x, static_cast<double>(c.centre->x + reach * std::cos(angle)), 8e-15) << i;
      EXPECT_NEAR(a.y, static_cast<double>(c.centre->y + reach * std::sin(angle)), 8e-15) << i;
      area += (a.x - c.centre->x) * (b.y - c.centre->y) - (b.x - c.centre->x) * (a.y - c.centre->y);
    }
    EXPECT_NEAR(area / 2, kCircleVertices * std::tan(pi / kCircleVertices) * 100, 1e-9);
  }
}

TEST(GeoJsonText, RefusesNumbersThatAreNotFinite) {
  CoordinateSet set;
  set.points = {{std::numeric_limits<double>::infinity(), 0}};
  EXPECT_THROW(GeoJsonText(set, false), std::domain_error);
  EXPECT_THROW(GeoJsonText(set, true), std::domain_error);
}

}  // namespace
}  // namespace sparsim
