// The points of an export and the text of their coordinates.
//
// ShortestText gives the shortest decimal text that reads back to exactly
// the same double, in the plain form where that is shortest and the
// exponent form otherwise, '.' as decimal point whatever the locale:
//   ShortestText(7.707)   == "7.707"
//   ShortestText(-2)      == "-2"
//   ShortestText(0.1)     == "0.1"      (not 0.1000000000000000055...)
//   ShortestText(1e32)    == "1e+32"
// Infinities and NaN have no such text in CSV or JSON: ShortestText throws
// std::domain_error for them.

#ifndef SPARSIM_EXPORT_POINT_TEXT_H_
#define SPARSIM_EXPORT_POINT_TEXT_H_

#include <string>

namespace sparsim {

struct Point {
  double x = 0;
  double y = 0;
};

std::string ShortestText(double value);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_POINT_TEXT_H_
