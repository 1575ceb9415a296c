#include "shell/output_files.h"

#include "export/atomic_output.h"
#include "export/coordinate_reader.h"
#include "export/csv_writer.h"
#include "export/geojson_writer.h"
#include "export/svg_writer.h"

namespace sparsim {

std::string RenderOutput(OutputFormat format, const std::string& native_text,
                         const std::string& name, std::optional<Point> centre) {
  if (format == OutputFormat::kNative) return native_text;
  CoordinateSet set = ReadCoordinates(native_text, name.empty() ? "(standard output)" : name);
  switch (format) {
    case OutputFormat::kCsv:
      return CsvText(set.points);
    case OutputFormat::kGeoJson:
      return GeoJsonText(set, false, centre);
    case OutputFormat::kSvg:
    case OutputFormat::kNative:
      break;
  }
  SvgOptions svg;
  svg.centre = centre;
  return SvgText(set, svg);
}

std::string RenderReplicatePart(OutputFormat format, const std::string& native_text,
                                const std::string& name, int32_t replicate, int32_t seed) {
  CoordinateSet set = ReadCoordinates(native_text, name.empty() ? "(standard output)" : name);
  if (format == OutputFormat::kGeoJson) return GeoJsonReplicateFeatures(set, replicate, seed);
  return CsvReplicateRows(set.points, replicate, seed);
}

std::string JoinReplicateParts(OutputFormat format, const std::vector<std::string>& parts,
                               const std::string& site_text, std::optional<Point> centre) {
  if (format == OutputFormat::kGeoJson) {
    return GeoJsonCollection(parts, ReadCoordinates(site_text, "(site)"), centre);
  }
  std::size_t size = sizeof kReplicateTableHeader;
  for (const std::string& part : parts) size += part.size();
  std::string table;
  table.reserve(size);
  table += kReplicateTableHeader;
  for (const std::string& part : parts) table += part;
  return table;
}

void WriteOutputFile(const std::string& name, const std::string& content, bool force) {
  WriteFileAtomically(name, content, force);
}

}  // namespace sparsim
