#include "export/geojson_writer.h"

#include <cmath>
#include <vector>

#include "export/svg_writer.h"

namespace sparsim {
namespace {

// Built with += throughout: GCC 12 warns falsely (-Wrestrict) about
// "literal" + std::string when optimising hard.
std::string Position(const Point& point) {
  std::string text = "[";
  text += ShortestText(point.x);
  text += ',';
  text += ShortestText(point.y);
  text += ']';
  return text;
}

std::string Member(const std::string& key, const std::string& json_value) {
  return ",\"" + key + "\":" + json_value;
}

std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
}

std::string Corners(const HeaderFacts& facts) {
  std::string text = "[";
  text += Position(Point{facts.x_min, facts.y_min});
  text += ',';
  text += Position(Point{facts.x_max, facts.y_max});
  text += ']';
  return text;
}

// The header facts as properties; every text here is plain ASCII without
// quotes or backslashes, so it needs no escaping.
std::string FactMembers(const HeaderFacts& facts) {
  std::string members;
  if (facts.site == SiteShape::kCircle) {
    members +=
        Member("site", JsonString("circle")) + Member("diameter", ShortestText(facts.diameter));
  } else if (facts.site == SiteShape::kRectangle) {
    members += Member("site", JsonString("rectangle")) + Member("corners", Corners(facts));
  }
  if (facts.model != '\0') members += Member("model", JsonString(std::string(1, facts.model)));
  if (facts.density) members += Member("density", ShortestText(facts.density->value));
  if (facts.seed) members += Member("seed", std::to_string(*facts.seed));
  if (facts.cluster_radius) {
    members += Member("cluster_radius", ShortestText(facts.cluster_radius->value));
  }
  if (facts.cluster_seeds) members += Member("cluster_seeds", std::to_string(*facts.cluster_seeds));
  if (!facts.generator.empty()) members += Member("generator", JsonString(facts.generator));
  if (facts.replicate) members += Member("replicate", std::to_string(*facts.replicate));
  if (facts.csr) members += Member("csr", "true");
  if (facts.poisson_mean) members += Member("poisson_mean", std::to_string(*facts.poisson_mean));
  return members;
}

// properties go before the point's number: "\"replicate\":2,".
std::string PointFeatures(const CoordinateSet& set, const std::string& properties = "") {
  std::string text;
  for (std::size_t i = 0; i < set.points.size(); ++i) {
    if (i > 0) text += ",\n";
    text += "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":" +
            Position(set.points[i]) + "},\"properties\":{" + properties +
            "\"point\":" + std::to_string(i + 1) + "}}";
  }
  return text;
}

std::string MultiPointFeature(const CoordinateSet& set) {
  std::string text =
      "{\"type\":\"Feature\",\"geometry\":{\"type\":\"MultiPoint\",\"coordinates\":[\n";
  for (std::size_t i = 0; i < set.points.size(); ++i) {
    text += Position(set.points[i]) + (i + 1 < set.points.size() ? ",\n" : "\n");
  }
  text += "]},\"properties\":{\"points\":" + std::to_string(set.points.size()) +
          FactMembers(set.facts) + "}}";
  return text;
}

std::string Ring(const std::vector<Point>& vertices) {
  std::string text = "[[\n";
  for (const Point& vertex : vertices) text += Position(vertex) + ",";
  return text + Position(vertices.front()) + "\n]]";
}

// cos(2 pi k / 128) for k = 0 .. 32, each the double nearest the true value,
// written out so that every machine gets the same bits (the C library's
// sine and cosine differ in the last place from one system to another);
// the other vertices follow by symmetry. Checked against a computation at
// 60 digits, and against sinl and cosl, by the tests.
constexpr double kQuarterCosines[33] = {
    0x1.0000000000000p+0, 0x1.ff621e3796d7ep-1, 0x1.fd88da3d12526p-1,
    0x1.fa7557f08a517p-1, 0x1.f6297cff75cb0p-1, 0x1.f0a7efb9230d7p-1,
    0x1.e9f4156c62ddap-1, 0x1.e212104f686e5p-1, 0x1.d906bcf328d46p-1,
    0x1.ced7af43cc773p-1, 0x1.c38b2f180bdb1p-1, 0x1.b728345196e3ep-1,
    0x1.a9b66290ea1a3p-1, 0x1.9b3e047f38741p-1, 0x1.8bc806b151741p-1,
    0x1.7b5df226aafafp-1, 0x1.6a09e667f3bcdp-1, 0x1.57d69348ceca0p-1,
    0x1.44cf325091dd6p-1, 0x1.30ff7fce17035p-1, 0x1.1c73b39ae68c8p-1,
    0x1.073879922ffeep-1, 0x1.e2b5d3806f63bp-2, 0x1.b5d1009e15cc0p-2,
    0x1.87de2a6aea963p-2, 0x1.58f9a75ab1fddp-2, 0x1.294062ed59f06p-2,
    0x1.f19f97b215f1bp-3, 0x1.8f8b83c69a60bp-3, 0x1.2c8106e8e613ap-3,
    0x1.917a6bc29b42cp-4, 0x1.91f65f10dd814p-5, 0,
};
// 1 / cos(pi / 128), the nearest double.
constexpr double kSecant = 0x1.0013be8190891p+0;
static_assert(kCircleVertices == 4 * 32, "the table holds a quarter of the vertices");

std::vector<Point> CircleVertices(Point centre, double radius) {
  // Vertices on the circle of radius / cos(pi / n) put the middle of every
  // side on the site's circle. Double arithmetic only, without fused
  // operations: the same bits everywhere.
  const double reach = radius * kSecant;
  std::vector<Point> vertices;
  for (int k = 0; k < kCircleVertices; ++k) {
    const int quadrant = k / 32;
    const double c = kQuarterCosines[k % 32];
    const double s = kQuarterCosines[32 - k % 32];
    // cos and sin of the angle: a quarter turn maps (c, s) to (-s, c).
    const double cosine = quadrant == 0 ? c : quadrant == 1 ? -s : quadrant == 2 ? -c : s;
    const double sine = quadrant == 0 ? s : quadrant == 1 ? c : quadrant == 2 ? -s : -c;
    vertices.push_back({centre.x + reach * cosine, centre.y + reach * sine});
  }
  return vertices;
}

// The site as the last feature, or nothing when the file does not say
// where it lies.
std::string SiteFeature(const CoordinateSet& set, std::optional<Point> given_centre) {
  const HeaderFacts& facts = set.facts;
  std::vector<Point> ring;
  std::string properties;
  if (facts.site == SiteShape::kRectangle) {
    ring = {{facts.x_min, facts.y_min},
            {facts.x_max, facts.y_min},
            {facts.x_max, facts.y_max},
            {facts.x_min, facts.y_max}};
    properties = "\"site\":\"rectangle\"" + Member("corners", Corners(facts));
  } else if (facts.site == SiteShape::kCircle) {
    SvgOptions options;
    options.centre = given_centre;
    std::optional<Point> centre = CircleCentre(set, options);
    if (!centre) return "";
    double radius = facts.diameter / 2;
    ring = CircleVertices(*centre, radius);
    properties = "\"site\":\"circle\"" + Member("centre", Position(*centre)) +
                 Member("radius", ShortestText(radius));
  } else {
    return "";
  }
  return "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Polygon\",\"coordinates\":" + Ring(ring) +
         "},\"properties\":{" + properties + "}}";
}

}  // namespace

std::string GeoJsonText(const CoordinateSet& set, bool multipoint,
                        std::optional<Point> given_centre) {
  return GeoJsonCollection({multipoint ? MultiPointFeature(set) : PointFeatures(set)}, set,
                           given_centre);
}

std::string GeoJsonReplicateFeatures(const CoordinateSet& set, int32_t replicate, int32_t seed) {
  return PointFeatures(set, "\"replicate\":" + std::to_string(replicate) + ",\"seed\":" +
                                std::to_string(seed) + ",");
}

std::string GeoJsonCollection(const std::vector<std::string>& replicate_features,
                              const CoordinateSet& site_of, std::optional<Point> given_centre) {
  std::string features;
  for (const std::string& part : replicate_features) {
    if (part.empty()) continue;
    if (!features.empty()) features += ",\n";
    features += part;
  }
  std::string site = SiteFeature(site_of, given_centre);
  if (!site.empty()) features += (features.empty() ? "" : ",\n") + site;
  if (!features.empty()) features += "\n";
  return "{\"type\":\"FeatureCollection\",\"features\":[\n" + features + "]}\n";
}

}  // namespace sparsim
