// A picture of the points as SVG: the points as small round marks, drawn
// with equal X and Y scale inside a frame that takes in the points and the
// site, axes with tick labels (export/axis_ticks.h; at least two on each
// side), the site outline, and a caption with the file name, the number of
// points and the header facts:
//   SITE.ADF: 100 points
//   Circular site, diameter 20, centre (10, 10)
//   Model U (uniform), density 0.3183, seed 12345
//   Cluster radius 2.5000, 2 cluster seeds            (contagious sets)
// Y grows upwards, as on a map. The marks are semi-transparent (opacity,
// 0 < opacity <= 1), so that points that repeat show darker; their size
// shrinks as the points grow many. The frame's longer side is 600 units
// (pixels); a side is never less than a fifth of the other, so a line of
// points still gets a frame that can be seen.
//
// The header records a rectangle's corners but only a circle's diameter.
// CircleCentre gives the centre to draw a circle at: the one given, or the
// program's default centre (half the diameter from each axis) when every
// point lies within that circle (allowing for the rounding of the written
// numbers), or nothing, and then no circle is drawn.
//
// Throws std::domain_error for a coordinate that is not finite.

#ifndef SPARSIM_EXPORT_SVG_WRITER_H_
#define SPARSIM_EXPORT_SVG_WRITER_H_

#include <optional>
#include <string>

#include "export/coordinate_reader.h"

namespace sparsim {

constexpr double kDefaultMarkOpacity = 0.6;

struct SvgOptions {
  double opacity = kDefaultMarkOpacity;
  std::optional<Point> centre;  // of a circular site
};

std::optional<Point> CircleCentre(const CoordinateSet& set, const SvgOptions& options);

std::string SvgText(const CoordinateSet& set, const SvgOptions& options);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_SVG_WRITER_H_
