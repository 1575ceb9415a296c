#include "export/csv_writer.h"

namespace sparsim {

std::string CsvText(const std::vector<Point>& points) {
  std::string text = "x,y\n";
  for (const Point& point : points) {
    text += ShortestText(point.x) + "," + ShortestText(point.y) + "\n";
  }
  return text;
}

}  // namespace sparsim
