#include "export/export_run.h"

#include <new>
#include <stdexcept>

#include "common/interrupt.h"
#include "common/program_end.h"
#include "export/atomic_output.h"
#include "export/coordinate_reader.h"
#include "export/csv_writer.h"
#include "export/export_arguments.h"
#include "export/export_failure.h"
#include "export/geojson_writer.h"
#include "export/svg_writer.h"

namespace sparsim {
namespace {

constexpr char kPrefix[] = "sparsim-export: ";

void AddLine(std::string& diagnostics, const std::string& line) {
  diagnostics += kPrefix + line + "\n";
}

std::string Render(const ExportArguments& args, const CoordinateSet& set,
                   std::string& diagnostics) {
  switch (args.format) {
    case ExportFormat::kCsv:
      return CsvText(set.points);
    case ExportFormat::kGeoJson:
      return GeoJsonText(set, args.multipoint);
    case ExportFormat::kSvg:
    case ExportFormat::kNone:
      break;
  }
  if (set.facts.site == SiteShape::kCircle && !CircleCentre(set, args.svg)) {
    AddLine(diagnostics, set.name +
                             ": the file records the circle's diameter but not its centre, and "
                             "the points do not fit the default centre; the site is not drawn "
                             "(give --centre X,Y)");
  }
  return SvgText(set, args.svg);
}

int Export(const ExportArguments& args, int out_fd, std::string& diagnostics) {
  if (!args.output.empty()) RefuseInputAsOutput(args.input, args.output);
  CoordinateSet set = ReadCoordinateFile(args.input);
  for (const std::string& note : set.notes) AddLine(diagnostics, note);
  std::string content;
  try {
    content = Render(args, set, diagnostics);
  } catch (const std::domain_error& error) {
    throw ExportFailure(kExitBadFile, set.name + ": " + error.what());
  }
  if (args.output.empty()) {
    WriteAll(out_fd, content, "(standard output)");
  } else {
    WriteFileAtomically(args.output, content);
  }
  // A signal too late to stop the export still ends the run as interrupted.
  ThrowIfInterrupted();
  return kExportOk;
}

}  // namespace

int RunExport(const std::vector<std::string>& arguments, int out_fd, std::string& diagnostics) {
  ArgumentParse parse = ParseExportArguments(arguments);
  if (!parse.error.empty()) {
    AddLine(diagnostics, parse.error);
    diagnostics += UsageText() + "Try 'sparsim-export --help' for more information.\n";
    return kExitBadArgument;
  }
  try {
    switch (parse.arguments.action) {
      case ExportAction::kHelp:
        WriteAll(out_fd, HelpText(), "(standard output)");
        return kExportOk;
      case ExportAction::kVersion:
        WriteAll(out_fd, VersionText(), "(standard output)");
        return kExportOk;
      case ExportAction::kExport:
        break;
    }
    return Export(parse.arguments, out_fd, diagnostics);
  } catch (const ExportFailure& failure) {
    AddLine(diagnostics, failure.what());
    return failure.exit_status();
  } catch (const ProgramEnd& interrupt) {
    AddLine(diagnostics, "interrupted");
    return interrupt.exit_status();
  } catch (const std::bad_alloc&) {
    AddLine(diagnostics, "out of memory");
    return kExitBadFile;
  }
}

}  // namespace sparsim
