#include "export/axis_ticks.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace sparsim {
namespace {

// A quotient such as 0.2 / 0.1 comes out a hair above 2: the comparisons
// allow for that much.
constexpr double kSlack = 1e-9;
constexpr int kMostTicks = 1000;
// Beyond these the plain form grows too long for an axis label.
constexpr double kLargestFixed = 1e7;
constexpr double kSmallestFixedStep = 1e-6;

}  // namespace

double NiceStep(double raw) {
  double power = std::pow(10.0, std::floor(std::log10(raw)));
  double fraction = raw / power;
  for (double nice : {1.0, 2.0, 5.0}) {
    if (fraction <= nice * (1 + kSlack)) return nice * power;
  }
  return 10 * power;
}

AxisTicks ChooseTicks(double low, double high, int target) {
  AxisTicks ticks;
  ticks.step = NiceStep((high - low) / target);
  double first = std::ceil(low / ticks.step - kSlack);
  for (int i = 0; i < kMostTicks; ++i) {
    // Each tick from its index, so that errors do not add up along the axis.
    double value = (first + i) * ticks.step;
    if (value > high + ticks.step * kSlack) break;
    ticks.values.push_back(value);
  }
  return ticks;
}

std::string TickLabel(double value, double step) {
  if (value == 0) value = 0;  // -0 becomes 0
  int step_power = static_cast<int>(std::floor(std::log10(step) + kSlack));
  char text[64];
  std::to_chars_result result;
  if (std::fabs(value) < kLargestFixed && step >= kSmallestFixedStep) {
    result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                           std::max(0, -step_power));
  } else {
    int value_power =
        value == 0 ? step_power : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    int digits = std::max(1, value_power - step_power + 1);
    result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, digits - 1);
  }
  std::string label(text, result.ptr);
  // A value a hair below zero would show as "-0" or "-0.0".
  if (label.find_first_not_of("-0.") == std::string::npos && label[0] == '-') label.erase(0, 1);
  return label;
}

}  // namespace sparsim
