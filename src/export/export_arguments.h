// The command line of sparsim-export (and of sparsim export, the same
// command), read with the conventions of common/command_line.h:
//   sparsim-export (--csv | --geojson [--multipoint] | --svg [--opacity A]
//                  [--centre X,Y]) IN [-o OUT [--force]]
// One format, one input file ("-" for standard input), and at most one
// output file ("-" or none for standard output). Options may come in any
// order; a value may follow its option as the next argument or after '='
// ("--output=pic.svg", "--opacity=0.3"); "--" makes every later argument an
// input name. --help and --version stand alone and win over everything else.
//
// Example: {"--svg", "SITE.ADF", "-o", "site.svg"} gives format kSvg, input
// "SITE.ADF", output "site.svg"; {"--csv"} gives the error
// "no input file given".

#ifndef SPARSIM_EXPORT_EXPORT_ARGUMENTS_H_
#define SPARSIM_EXPORT_EXPORT_ARGUMENTS_H_

#include <string>
#include <vector>

#include "export/svg_writer.h"

namespace sparsim {

enum class ExportFormat { kNone, kCsv, kGeoJson, kSvg };
enum class ExportAction { kExport, kHelp, kVersion };

struct ExportArguments {
  ExportAction action = ExportAction::kExport;
  ExportFormat format = ExportFormat::kNone;
  std::string input;
  std::string output;  // empty: standard output
  bool multipoint = false;
  bool force = false;  // replace an existing output file
  SvgOptions svg;
};

// Either arguments, or an error (one line, no line end) saying what is wrong.
struct ArgumentParse {
  ExportArguments arguments;
  std::string error;
};

// args excludes the program name.
ArgumentParse ParseExportArguments(const std::vector<std::string>& args);

// "Usage: sparsim-export ..." with its line end; program is the command's
// name as shown ("sparsim export" for the subcommand).
std::string UsageText(const std::string& program = "sparsim-export");
// The usage line and a description of every option.
std::string HelpText(const std::string& program = "sparsim-export");
// "sparsim-export 2.0" and a line end.
std::string VersionText(const std::string& program = "sparsim-export");

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_EXPORT_ARGUMENTS_H_
