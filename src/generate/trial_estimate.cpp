#include "generate/trial_estimate.h"

#include <cstdio>
#include <cstdlib>

#include "numeric/extended_constants.h"

namespace sparsim {
namespace {

// One seed's model value integrated over the plane (an upper bound for the
// sinusoid, whose value never exceeds 1).
long double SeedIntegral(char model, long double radius) {
  switch (model) {
    case 'N':
      return kSqrtTwoPi * radius;
    case 'H':
      return 2 * kPi * radius * radius / 3;
    case 'C':
      return kPi * radius * radius / 3;
    default:  // 'U', 'S'
      return kPi * radius * radius;
  }
}

}  // namespace

long double EstimateTrialCount(const GenerationParameters& parameters, int32_t point_count) {
  int32_t seed_points = parameters.seeds_as_points ? parameters.seed_count : 0;
  long double to_draw = static_cast<long double>(point_count) - seed_points;
  if (to_draw <= 0 || parameters.area == 0 || parameters.cluster_radius == 0) return 0;
  long double bound = parameters.seed_count *
                      SeedIntegral(parameters.model, parameters.cluster_radius) / parameters.area;
  if (bound > 1) bound = 1;
  return to_draw / bound;
}

std::string FormatTrialCount(long double estimate) {
  // printf rounds the exact binary value to nearest, ties to even.
  char text[64];
  std::snprintf(text, sizeof text, "%.1Le", estimate);
  std::string digits(text);
  std::size_t e = digits.find('e');
  if (e == std::string::npos) return digits;  // "inf" or "nan": never an estimate
  int exponent = std::atoi(digits.c_str() + e + 1);
  return digits.substr(0, e) + (exponent < 0 ? "E-" : "E+") + std::to_string(std::abs(exponent));
}

std::string HopelessWarning(const GenerationParameters& parameters, int32_t point_count) {
  long double estimate = EstimateTrialCount(parameters, point_count);
  if (estimate <= kHopelessTrialCount) return "";
  return "Warning: About " + FormatTrialCount(estimate) +
         " Trial Points Needed - Press Ctrl-C to Stop";
}

long double EstimateDrawCount(const GenerationParameters& parameters, int32_t point_count) {
  long double candidates = EstimateTrialCount(parameters, point_count);
  if (candidates == 0) return 0;
  bool circle = parameters.shape == kCircle;
  long double point_draws = circle ? 8 / kPi : 2;
  long double seeds = parameters.contagious ? parameters.seed_count : 0;
  return seeds * point_draws + candidates * (point_draws + 1);
}

std::string CycleWarning(const GenerationParameters& parameters, int32_t point_count) {
  long double draws = EstimateDrawCount(parameters, point_count);
  if (draws <= 0x1p32L) return "";
  return "Warning: About " + FormatTrialCount(draws) +
         " Random Numbers Needed - Beyond the Cycle of 2^32, Set Will Stop Early";
}

void WarnIfHopeless(Console& console, const GenerationParameters& parameters, int32_t point_count) {
  std::string warning = HopelessWarning(parameters, point_count);
  std::string cycle = CycleWarning(parameters, point_count);
  if (warning.empty() && cycle.empty()) return;
  if (!warning.empty()) console.out.WriteLine(warning);
  if (!cycle.empty()) console.out.WriteLine(cycle);
  // The set may run for hours without another character: show it now.
  console.out.Flush();
}

}  // namespace sparsim
