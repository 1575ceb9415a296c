// Points as CSV: a header line "x,y", then one line "X,Y" per point, each
// number in its shortest round-trip text (export/point_text.h), LF line
// ends (what CSV readers in R, Python and spreadsheets expect on Unix):
//   {(7.707, 5.7871), (-2, 0.1)}  gives  "x,y\n7.707,5.7871\n-2,0.1\n"
// No number text needs quoting. Throws std::domain_error for a coordinate
// that is not finite.

#ifndef SPARSIM_EXPORT_CSV_WRITER_H_
#define SPARSIM_EXPORT_CSV_WRITER_H_

#include <string>
#include <vector>

#include "export/point_text.h"

namespace sparsim {

std::string CsvText(const std::vector<Point>& points);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_CSV_WRITER_H_
