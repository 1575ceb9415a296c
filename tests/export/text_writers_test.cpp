#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
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
            "seeds\":0}}\n"
            "]}\n");
  CoordinateSet circle;
  circle.facts.site = SiteShape::kCircle;
  circle.facts.diameter = 20;
  EXPECT_EQ(GeoJsonText(circle, true),
            "{\"type\":\"FeatureCollection\",\"features\":[\n"
            "{\"type\":\"Feature\",\"geometry\":{\"type\":\"MultiPoint\",\"coordinates\":[\n"
            "]},\"properties\":{\"points\":0,\"site\":\"circle\",\"diameter\":20}}\n"
            "]}\n");
}

TEST(GeoJsonText, RefusesNumbersThatAreNotFinite) {
  CoordinateSet set;
  set.points = {{std::numeric_limits<double>::infinity(), 0}};
  EXPECT_THROW(GeoJsonText(set, false), std::domain_error);
  EXPECT_THROW(GeoJsonText(set, true), std::domain_error);
}

}  // namespace
}  // namespace sparsim
