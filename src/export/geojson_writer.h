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
// Numbers are the shortest round-trip texts (export/point_text.h); lines end
// in LF. The coordinates are the file's plane X and Y, not longitude and
// latitude: the reader must treat them as a local projected system.
// Throws std::domain_error for a coordinate that is not finite.

#ifndef SPARSIM_EXPORT_GEOJSON_WRITER_H_
#define SPARSIM_EXPORT_GEOJSON_WRITER_H_

#include <string>

#include "export/coordinate_reader.h"

namespace sparsim {

std::string GeoJsonText(const CoordinateSet& set, bool multipoint);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_GEOJSON_WRITER_H_
