#include "export/geojson_writer.h"

#include <cmath>
#include <vector>

#include "export/svg_writer.h"
#include "numeric/extended_constants.h"

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

std::string PointFeatures(const CoordinateSet& set) {
  std::string text;
  for (std::size_t i = 0; i < set.points.size(); ++i) {
    if (i > 0) text += ",\n";
    text += "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":" +
            Position(set.points[i]) + "},\"properties\":{\"point\":" + std::to_string(i + 1) + "}}";
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

std::vector<Point> CircleVertices(Point centre, double radius) {
  // Vertices on the circle of radius / cos(pi / n) put the middle of every
  // side on the site's circle.
  const long double reach = radius / std::cos(kPi / kCircleVertices);
  std::vector<Point> vertices;
  for (int k = 0; k < kCircleVertices; ++k) {
    const long double angle = 2 * kPi * k / kCircleVertices;
    vertices.push_back({static_cast<double>(centre.x + reach * std::cos(angle)),
                        static_cast<double>(centre.y + reach * std::sin(angle))});
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
  std::string features = multipoint ? MultiPointFeature(set) : PointFeatures(set);
  std::string site = SiteFeature(set, given_centre);
  if (!site.empty()) features += (features.empty() ? "" : ",\n") + site;
  if (!features.empty()) features += "\n";
  return "{\"type\":\"FeatureCollection\",\"features\":[\n" + features + "]}\n";
}

}  // namespace sparsim
