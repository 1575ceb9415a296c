#include "export/csv_writer.h"

namespace sparsim {

std::string CsvText(const std::vector<Point>& points) {
  std::string text = "x,y\n";
  for (const Point& point : points) {
    text += ShortestText(point.x) + "," + ShortestText(point.y) + "\n";
  }
  return text;
}

std::string CsvReplicateRows(const std::vector<Point>& points, int32_t replicate, int32_t seed) {
  const std::string start = std::to_string(replicate) + "," + std::to_string(seed) + ",";
  std::string text;
  for (const Point& point : points) {
    text += start + ShortestText(point.x) + "," + ShortestText(point.y) + "\n";
  }
  return text;
}

}  // namespace sparsim
