#include "export/point_text.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace sparsim {

std::string ShortestText(double value) {
  if (!std::isfinite(value)) throw std::domain_error("a coordinate is not a finite number");
  char text[32];
  // Without a precision, to_chars gives the shortest text that round-trips.
  std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace sparsim
