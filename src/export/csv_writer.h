// Points as CSV: a header line "x,y", then one line "X,Y" per point, each
// number in its shortest round-trip text (export/point_text.h), LF line
// ends (what CSV readers in R, Python and spreadsheets expect on Unix):
//   {(7.707, 5.7871), (-2, 0.1)}  gives  "x,y\n7.707,5.7871\n-2,0.1\n"
// No number text needs quoting. Throws std::domain_error for a coordinate
// that is not finite.
//
// Several replicates go into one table of the long form, a line a point
// with its replicate and seed, which R's read.csv and NumPy read at once:
//   kReplicateTableHeader + CsvReplicateRows({(7.707, 5.7871)}, 2, -5)
//   gives "replicate,seed,x,y\n2,-5,7.707,5.7871\n"

#ifndef SPARSIM_EXPORT_CSV_WRITER_H_
#define SPARSIM_EXPORT_CSV_WRITER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "export/point_text.h"

namespace sparsim {

std::string CsvText(const std::vector<Point>& points);

constexpr char kReplicateTableHeader[] = "replicate,seed,x,y\n";
std::string CsvReplicateRows(const std::vector<Point>& points, int32_t replicate, int32_t seed);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_CSV_WRITER_H_
