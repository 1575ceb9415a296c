#include "export/export_arguments.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "common/command_line.h"

#ifndef SPARSIM_VERSION
#define SPARSIM_VERSION "unknown"
#endif

namespace sparsim {
namespace {

std::optional<double> ParseNumber(std::string_view text) {
  double value = 0;
  std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<Point> ParsePoint(std::string_view text) {
  std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  std::optional<double> x = ParseNumber(text.substr(0, comma));
  std::optional<double> y = ParseNumber(text.substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return Point{*x, *y};
}

// The options as given, before they are checked against each other.
struct GivenOptions {
  bool csv = false;
  bool geojson = false;
  bool svg = false;
  bool multipoint = false;
  bool force = false;
  std::vector<std::string> inputs;
  std::vector<std::string> outputs;
  std::vector<std::string> opacity;
  std::vector<std::string> centre;
};

void DefineOptions(CLI::App& app, GivenOptions& given, const std::string& program) {
  SetUpHelp(app, UsageText(program).substr(0, UsageText(program).size() - 1),
            program + " " + SPARSIM_VERSION);
  app.description(
      "Export the points of a Sparsim coordinate file (.ADF, .OUT, a list of numbers, or a\n"
      "CSV table x,y or replicate,seed,x,y of one replicate).");
  app.add_flag("--csv", given.csv, "CSV: a header line x,y and one line per point")
      ->group("Formats (choose one)");
  app.add_flag("--geojson", given.geojson,
               "GeoJSON FeatureCollection of Point features, and the site\n"
               "as a Polygon feature when the file records it")
      ->group("Formats (choose one)");
  app.add_flag("--multipoint", given.multipoint, "with --geojson: one MultiPoint feature instead")
      ->group("Formats (choose one)");
  app.add_flag("--svg", given.svg, "SVG picture with axes, site outline and caption")
      ->group("Formats (choose one)");
  // Lists, so that an option given twice can be named in the message.
  auto single = [](CLI::Option* option) {
    option->expected(1)->allow_extra_args(false)->multi_option_policy(
        CLI::MultiOptionPolicy::TakeAll);
  };
  single(app.add_option("-o,--output", given.outputs,
                        "write to OUT, whole or not at all (an existing OUT only\n"
                        "with --force); standard output when absent or -")
             ->type_name("OUT"));
  app.add_flag("--force", given.force, "replace OUT when it exists");
  single(app.add_option("--opacity", given.opacity,
                        "with --svg: opacity of the point marks,\n0 < A <= 1 (default 0.6)")
             ->type_name("A"));
  single(app.add_option("--centre,--center", given.centre,
                        "with --svg or --geojson: centre of a circular site\n"
                        "(the file records only its diameter)")
             ->type_name("X,Y"));
  app.add_option("IN", given.inputs, "the coordinate file; - for standard input")->type_name("");
  app.footer(
      "Exit status: 0 done, 1 bad arguments, 2 unreadable file, bad number or write failure.\n");
}

// The spelling of --centre the user chose, for messages.
std::string CentreSpelling(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--center" || arg.starts_with("--center=")) return "--center";
  }
  return "--centre";
}

// Checks the options against each other; the first fault found is the error.
std::string Check(const GivenOptions& given, const std::vector<std::string>& args,
                  ExportArguments& out) {
  int formats = int{given.csv} + int{given.geojson} + int{given.svg};
  if (formats > 1) {
    return std::string("choose one format: --csv, --geojson or --svg (also got ") +
           (given.svg ? "--svg" : "--geojson") + ")";
  }
  out.format = given.csv       ? ExportFormat::kCsv
               : given.geojson ? ExportFormat::kGeoJson
               : given.svg     ? ExportFormat::kSvg
                               : ExportFormat::kNone;
  if (given.inputs.size() > 1) {
    return "more than one input file given (" + given.inputs[0] + ", " + given.inputs[1] + ")";
  }
  if (given.inputs.size() == 1) {
    if (given.inputs[0].empty()) return "the input file name is empty";
    out.input = given.inputs[0];
  }
  if (given.outputs.size() > 1) return "more than one output file given";
  if (given.outputs.size() == 1) {
    if (given.outputs[0].empty()) return "the output file name is empty";
    out.output = given.outputs[0] == "-" ? "" : given.outputs[0];
  }
  if (given.opacity.size() > 1) return "option --opacity is given more than once";
  if (given.centre.size() > 1) return "option " + CentreSpelling(args) + " is given more than once";
  bool opacity_given = !given.opacity.empty();
  if (opacity_given) {
    std::optional<double> opacity = ParseNumber(given.opacity[0]);
    if (!opacity || !(*opacity > 0 && *opacity <= 1)) {
      return "--opacity needs a number above 0 and at most 1, not \"" + given.opacity[0] + "\"";
    }
    out.svg.opacity = *opacity;
  }
  if (!given.centre.empty()) {
    out.svg.centre = ParsePoint(given.centre[0]);
    if (!out.svg.centre) {
      return CentreSpelling(args) + " needs X,Y (two numbers and a comma), not \"" +
             given.centre[0] + "\"";
    }
  }
  out.multipoint = given.multipoint;
  out.force = given.force;
  if (out.format == ExportFormat::kNone) return "choose a format: --csv, --geojson or --svg";
  if (out.input.empty()) return "no input file given";
  if (out.multipoint && out.format != ExportFormat::kGeoJson) {
    return "--multipoint goes with --geojson only";
  }
  if (opacity_given && out.format != ExportFormat::kSvg) return "--opacity goes with --svg only";
  if (!given.centre.empty() && out.format != ExportFormat::kSvg &&
      out.format != ExportFormat::kGeoJson) {
    return CentreSpelling(args) + " goes with --svg or --geojson only";
  }
  return "";
}

}  // namespace

ArgumentParse ParseExportArguments(const std::vector<std::string>& args) {
  CLI::App app;
  GivenOptions given;
  DefineOptions(app, given, "sparsim-export");
  ArgumentParse parse;
  CommandLineParse command = ParseCommandLine(app, args);
  if (command.action == CommandAction::kHelp) {
    parse.arguments.action = ExportAction::kHelp;
  } else if (command.action == CommandAction::kVersion) {
    parse.arguments.action = ExportAction::kVersion;
  } else if (!command.error.empty()) {
    parse.error = command.error;
  } else {
    parse.error = Check(given, args, parse.arguments);
  }
  return parse;
}

std::string UsageText(const std::string& program) {
  return "Usage: " + program +
         " (--csv | --geojson [--multipoint] [--centre X,Y] | --svg [--opacity A] [--centre "
         "X,Y]) IN [-o OUT [--force]]\n";
}

std::string HelpText(const std::string& program) {
  CLI::App app;
  GivenOptions given;
  DefineOptions(app, given, program);
  return AppHelp(app);
}

std::string VersionText(const std::string& program) {
  return program + " " + SPARSIM_VERSION + "\n";
}

}  // namespace sparsim
