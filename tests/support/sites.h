// Sites for tests, with the derived values filled in as the generation
// dialogue fills them: a centred set on the whole site by default.
//
//   GenerationParameters p = RectangleSite(0, 0, 10, 4, 'U');
//   // centre (5, 2), site_radius 5, area 40, one seed, cluster_radius 5
//   p = Clustered(p, 3, false, 0.5, 'N');  // three normal clusters, sd 0.5

#ifndef SPARSIM_TESTS_SUPPORT_SITES_H_
#define SPARSIM_TESTS_SUPPORT_SITES_H_

#include <algorithm>
#include <cstdint>

#include "generate/generation_parameters.h"
#include "numeric/extended_constants.h"

namespace sparsim {

inline GenerationParameters CircleSite(double centre_x, double centre_y, double radius,
                                       char model = 'N') {
  GenerationParameters p;
  p.shape = kCircle;
  p.centre_x = centre_x;
  p.centre_y = centre_y;
  p.site_radius = radius;
  p.area = static_cast<double>(static_cast<long double>(radius) * radius * kPi);
  p.cluster_radius = radius;
  p.model = model;
  return p;
}

inline GenerationParameters RectangleSite(double x_min, double y_min, double x_max, double y_max,
                                          char model = 'N') {
  GenerationParameters p;
  p.shape = kRectangle;
  p.x_min = x_min;
  p.y_min = y_min;
  p.x_max = x_max;
  p.y_max = y_max;
  p.centre_x = (x_max - x_min) / 2 + x_min;
  p.centre_y = (y_max - y_min) / 2 + y_min;
  p.site_radius = std::max(x_max - x_min, y_max - y_min) / 2;
  p.area = (x_max - x_min) * (y_max - y_min);
  p.cluster_radius = p.site_radius;
  p.model = model;
  return p;
}

// The same site with contagious clusters around seeds.
inline GenerationParameters Clustered(GenerationParameters p, int32_t seeds, bool as_points,
                                      double radius, char model) {
  p.contagious = true;
  p.seed_count = seeds;
  p.seeds_as_points = as_points;
  p.cluster_radius = radius;
  p.model = model;
  return p;
}

}  // namespace sparsim

#endif  // SPARSIM_TESTS_SUPPORT_SITES_H_
