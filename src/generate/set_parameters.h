// What follows from the answers of one generated set, without a console: the
// dialogue asks its questions and the command line reads its options, and
// both derive the set's parameters with these functions, so that the same
// answers give the very same doubles and points.
//
// Example: a circle of diameter 20 gives site_radius 10 and the centre
// default "10.00"; with the centre (10, 10) the area is 100 pi = 314.159...,
// and density 1.0 then gives PointCountForDensity 314 (nearest, ties to even).
// A rectangle from (0, 0) to (10, 4) gives centre (5, 2), site_radius 5 and
// area 40; 100 points on it give the density 2.5.

#ifndef SPARSIM_GENERATE_SET_PARAMETERS_H_
#define SPARSIM_GENERATE_SET_PARAMETERS_H_

#include <cstdint>
#include <string>

#include "generate/generation_parameters.h"

namespace sparsim {

// The largest size, centre coordinate, density or radius a set may have.
constexpr double kLargestValue = 1e30;

// A circular site of the given diameter: the shape and the site radius.
void SetCircleDiameter(GenerationParameters& p, double diameter);

// The default answer for each coordinate of the circle's centre: the site
// radius with 2 decimals, at most 12 characters, without blanks.
std::string CircleCentreDefault(const GenerationParameters& p);

// The centre of the circle, and its area (radius squared times pi).
void SetCircleCentre(GenerationParameters& p, double centre_x, double centre_y);

// A rectangular site: corners, centre, site radius (half the longer side)
// and area. The caller ensures x_max >= x_min and y_max >= y_min.
void SetRectangle(GenerationParameters& p, double x_min, double y_min, double x_max, double y_max);

// Density mode: the number of points that p.density gives on the site, the
// nearest integer with halves to the even one. It may exceed kMaxPoints, in
// which case the density is refused.
long double PointCountForDensity(const GenerationParameters& p);

// Number mode: the density of point_count points on the site (infinite on a
// site of no area).
void SetDensityForCount(GenerationParameters& p, int32_t point_count);

// Centred: one seed, the site's centre, with the site radius as its spread.
void SetCentred(GenerationParameters& p);

// The fewest cluster seeds a contagious set of point_count points takes:
// without a seed no candidate could ever be accepted.
int32_t FewestClusterSeeds(int32_t point_count);

// True when a contagious set with these seeds must draw candidates, so that
// its cluster radius must be greater than 0.
bool NeedsClusterRadius(int32_t seed_count, bool seeds_as_points, int32_t point_count);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_SET_PARAMETERS_H_
