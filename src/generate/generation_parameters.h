// The answers of one generated set and what follows from them.
//
// Example: a circle of diameter 20 with the default centre gives
//   shape 'C', centre (10, 10), site_radius 10, area 100 pi = 314.159...;
// a rectangle from (0, 0) to (10, 4) gives centre (5, 2), site_radius 5
// (half the longer side) and area 40.

#ifndef SPARSIM_GENERATE_GENERATION_PARAMETERS_H_
#define SPARSIM_GENERATE_GENERATION_PARAMETERS_H_

#include <cstdint>

namespace sparsim {

constexpr char kCircle = 'C';
constexpr char kRectangle = 'R';

struct GenerationParameters {
  char shape = kRectangle;  // kCircle or kRectangle
  double centre_x = 0;
  double centre_y = 0;
  // Circle: half the diameter; rectangle: half the longer side.
  double site_radius = 0;
  double x_min = 0;
  double y_min = 0;
  double x_max = 0;
  double y_max = 0;
  double area = 0;
  // Points per square unit: asked, or the point count over the area.
  double density = 0;
  bool contagious = false;
  int32_t seed_count = 1;
  // The cluster seeds are themselves the first points of the set.
  bool seeds_as_points = false;
  // Radius, or standard deviation for the normal model, of each cluster.
  double cluster_radius = 0;
  // 'U'niform, 'H'emisphere, 'C'onic, 'S'inusoid or 'N'ormal.
  char model = 'N';
};

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_GENERATION_PARAMETERS_H_
