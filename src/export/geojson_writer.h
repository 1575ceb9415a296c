// Points as GeoJSON (RFC 7946): a FeatureCollection with one Point feature
// per point, numbered in file order,
//   {"type":"FeatureCollection","features":[
//   {"type":"Feature","geometry":{"type":"Point","coordinates":[7.707,5.7871]},"properties":{"point":1}}
//   ]}
// or, as one MultiPoint, a FeatureCollection of a single feature whose
// properties hold the header facts that the file records:
//   {"type":"Feature","geometry":{"type":"MultiPoint","coordinates":[
//   [7.707,5.7871]
//   ]},"properties":{"points":1,"site":"circle","diameter":20,"model":"U",
//   "density":0.3183,"seed":12345}}
// Either way, when the file records its site, the collection ends with one
// more feature, the site as a Polygon (counter-clockwise, first position
// repeated at the end), so that GIS and R users get the window with the
// points:
//   {"type":"Feature","geometry":{"type":"Polygon","coordinates":[[
//   [-1,0],[10,0],[10,4.5],[-1,4.5],[-1,0]
//   ]]},"properties":{"site":"rectangle","corners":[[-1,0],[10,4.5]]}}
// A circle becomes a polygon of kCircleVertices vertices whose sides touch
// the circle, so that it holds the whole disc, and carries its centre and
// radius: "properties":{"site":"circle","centre":[10,10],"radius":10}. The
// file records only the circle's diameter: the centre is given_centre, or
// the program's default centre when the points fit it (CircleCentre in
// export/svg_writer.h); otherwise there is no site feature.
// Numbers are the shortest round-trip texts (export/point_text.h); lines end
// in LF. The coordinates are the file's plane X and Y, not longitude and
// latitude: the reader must treat them as a local projected system.
// Throws std::domain_error for a coordinate that is not finite.

#ifndef SPARSIM_EXPORT_GEOJSON_WRITER_H_
#define SPARSIM_EXPORT_GEOJSON_WRITER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/coordinate_reader.h"

namespace sparsim {

// As many as spatstat's disc(): the polygon's area exceeds the circle's by
// a factor of 1.0002.
constexpr int kCircleVertices = 128;

std::string GeoJsonText(const CoordinateSet& set, bool multipoint,
                        std::optional<Point> given_centre = std::nullopt);

// Several replicates in one collection: each replicate's Point features
// carry its number and seed,
//   {"type":"Feature","geometry":{"type":"Point","coordinates":[7.707,5.7871]},
//   "properties":{"replicate":2,"seed":-5,"point":1}}
// (on one line), and GeoJsonCollection puts the replicates' features, in
// order, into one FeatureCollection that ends with the site of site_of, as
// GeoJsonText does.
std::string GeoJsonReplicateFeatures(const CoordinateSet& set, int32_t replicate, int32_t seed);
std::string GeoJsonCollection(const std::vector<std::string>& replicate_features,
                              const CoordinateSet& site_of,
                              std::optional<Point> given_centre = std::nullopt);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_GEOJSON_WRITER_H_
