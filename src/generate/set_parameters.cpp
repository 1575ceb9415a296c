#include "generate/set_parameters.h"

#include <cmath>
#include <limits>

#include "dialogue/choice_prompts.h"
#include "numeric/extended_constants.h"
#include "numeric/number_format.h"

namespace sparsim {

void SetCircleDiameter(GenerationParameters& p, double diameter) {
  p.shape = kCircle;
  p.site_radius = static_cast<double>(static_cast<long double>(diameter) / 2);
}

std::string CircleCentreDefault(const GenerationParameters& p) {
  // The default centre puts the circle one radius from each axis.
  return TrimSpaces(FormatFixed(p.site_radius, 12, 2).substr(0, 12));
}

void SetCircleCentre(GenerationParameters& p, double centre_x, double centre_y) {
  p.centre_x = centre_x;
  p.centre_y = centre_y;
  p.area = static_cast<double>(static_cast<long double>(p.site_radius) * p.site_radius * kPi);
}

void SetRectangle(GenerationParameters& p, double x_min, double y_min, double x_max, double y_max) {
  p.shape = kRectangle;
  p.x_min = x_min;
  p.y_min = y_min;
  p.x_max = x_max;
  p.y_max = y_max;
  long double width = static_cast<long double>(x_max) - x_min;
  long double height = static_cast<long double>(y_max) - y_min;
  p.centre_x = static_cast<double>(width / 2 + x_min);
  p.centre_y = static_cast<double>(height / 2 + y_min);
  p.site_radius = static_cast<double>((width > height ? width : height) / 2);
  p.area = static_cast<double>(width * height);
}

long double PointCountForDensity(const GenerationParameters& p) {
  // The expected number of points, from the stored doubles.
  long double expected =
      p.shape == kCircle
          ? static_cast<long double>(p.site_radius) * p.site_radius * (kPi * p.density)
          : (static_cast<long double>(p.x_max) - p.x_min) * p.density *
                (static_cast<long double>(p.y_max) - p.y_min);
  // Nearest integer, halves to the even neighbour.
  return nearbyintl(expected);
}

void SetDensityForCount(GenerationParameters& p, int32_t point_count) {
  // A site of no area holds any number of points at infinite density.
  p.density = p.area == 0 ? std::numeric_limits<double>::infinity()
                          : static_cast<double>(static_cast<long double>(point_count) / p.area);
}

void SetCentred(GenerationParameters& p) {
  p.contagious = false;
  p.seed_count = 1;
  p.seeds_as_points = false;
  p.cluster_radius = p.site_radius;
}

int32_t FewestClusterSeeds(int32_t point_count) { return point_count > 0 ? 1 : 0; }

bool NeedsClusterRadius(int32_t seed_count, bool seeds_as_points, int32_t point_count) {
  int32_t seed_points = seeds_as_points ? seed_count : 0;
  return point_count > seed_points;
}

}  // namespace sparsim
