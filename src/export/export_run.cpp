#include "export/export_run.h"

#include <sys/stat.h>

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

// What goes to standard error, each line beginning with the command's name.
struct Diagnostics {
  std::string& text;
  const std::string& program;
  void AddLine(const std::string& line) { text += program + ": " + line + "\n"; }
};

std::string Render(const ExportArguments& args, const CoordinateSet& set,
                   Diagnostics& diagnostics) {
  switch (args.format) {
    case ExportFormat::kCsv:
      return CsvText(set.points);
    case ExportFormat::kGeoJson:
    case ExportFormat::kSvg:
    case ExportFormat::kNone:
      break;
  }
  const bool svg = args.format == ExportFormat::kSvg;
  if (set.facts.site == SiteShape::kCircle && !CircleCentre(set, args.svg)) {
    diagnostics.AddLine(set.name +
                        ": the file records the circle's diameter but not its centre, and "
                        "the points do not fit the default centre; " +
                        (svg ? "the site is not drawn" : "the site's polygon is left out") +
                        " (give --centre X,Y)");
  }
  if (!svg) return GeoJsonText(set, args.multipoint, args.svg.centre);
  return SvgText(set, args.svg);
}

// An existing file is replaced only with --force, as every command does.
void RefuseExistingOutput(const ExportArguments& args) {
  struct stat existing {};
  if (args.force || ::stat(args.output.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) {
    return;
  }
  throw ExportFailure(kExitBadArgument, args.output + " exists; give --force to replace it");
}

int Export(const ExportArguments& args, int out_fd, Diagnostics& diagnostics) {
  if (!args.output.empty()) RefuseInputAsOutput(args.input, args.output);
  CoordinateSet set = ReadCoordinateFile(args.input);
  for (const std::string& note : set.notes) diagnostics.AddLine(note);
  std::string content;
  try {
    content = Render(args, set, diagnostics);
  } catch (const std::domain_error& error) {
    throw ExportFailure(kExitBadFile, set.name + ": " + error.what());
  }
  // A signal that came while the file was read or the picture drawn ends
  // the export before anything is written.
  ThrowIfInterrupted();
  if (args.output.empty()) {
    WriteAll(out_fd, content, "(standard output)");
  } else {
    RefuseExistingOutput(args);
    WriteFileAtomically(args.output, content, args.force);
  }
  // A signal too late to stop the export still ends the run as interrupted.
  ThrowIfInterrupted();
  return kExportOk;
}

}  // namespace

int RunExport(const std::vector<std::string>& arguments, int out_fd, std::string& diagnostics) {
  return RunExport(arguments, out_fd, diagnostics, "sparsim-export");
}

int RunExport(const std::vector<std::string>& arguments, int out_fd, std::string& diagnostic_text,
              const std::string& program) {
  Diagnostics diagnostics{diagnostic_text, program};
  ArgumentParse parse = ParseExportArguments(arguments);
  if (!parse.error.empty()) {
    diagnostics.AddLine(parse.error);
    diagnostic_text += UsageText(program) + "Try '" + program + " --help' for more information.\n";
    return kExitBadArgument;
  }
  try {
    switch (parse.arguments.action) {
      case ExportAction::kHelp:
        WriteAll(out_fd, HelpText(program), "(standard output)");
        return kExportOk;
      case ExportAction::kVersion:
        WriteAll(out_fd, VersionText(program), "(standard output)");
        return kExportOk;
      case ExportAction::kExport:
        break;
    }
    return Export(parse.arguments, out_fd, diagnostics);
  } catch (const ExportFailure& failure) {
    diagnostics.AddLine(failure.what());
    if (failure.exit_status() == kExitBadArgument) {
      diagnostic_text += "Try '" + program + " --help' for more information.\n";
    }
    return failure.exit_status();
  } catch (const ProgramEnd& end) {  // an interrupt by signal
    diagnostics.AddLine(*end.report() != '\0' ? end.report() : "interrupted");
    return end.exit_status();
  } catch (const std::bad_alloc&) {
    diagnostics.AddLine("out of memory");
    return kExitBadFile;
  }
}

}  // namespace sparsim
