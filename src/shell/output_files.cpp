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

void WriteOutputFile(const std::string& name, const std::string& content, bool force) {
  WriteFileAtomically(name, content, force);
}

}  // namespace sparsim
