#include "export/export_arguments.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

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

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  ArgumentParse Run() {
    for (const std::string& arg : args_) {
      if (arg == "--help" || arg == "-h") return Action(ExportAction::kHelp);
      if (arg == "--version" || arg == "-V") return Action(ExportAction::kVersion);
      if (arg == "--") break;
    }
    while (next_ < args_.size() && result_.error.empty()) TakeArgument();
    if (result_.error.empty()) CheckWhole();
    return result_;
  }

 private:
  ArgumentParse Action(ExportAction action) {
    ArgumentParse parse;
    parse.arguments.action = action;
    return parse;
  }

  void Fail(const std::string& error) {
    if (result_.error.empty()) result_.error = error;
  }

  // The value of an option: after '=' in the same argument, or the next one.
  std::optional<std::string> Value(const std::string& option,
                                   const std::optional<std::string>& attached) {
    if (attached) return attached;
    if (next_ < args_.size()) return args_[next_++];
    Fail("option " + option + " needs a value");
    return std::nullopt;
  }

  void SetFormat(ExportFormat format, const std::string& option) {
    if (args().format != ExportFormat::kNone && args().format != format) {
      Fail("choose one format: --csv, --geojson or --svg (also got " + option + ")");
    }
    args().format = format;
  }

  void SetInput(const std::string& name) {
    if (!args().input.empty())
      Fail("more than one input file given (" + args().input + ", " + name + ")");
    if (name.empty()) Fail("the input file name is empty");
    args().input = name;
  }

  void TakeOption(const std::string& option, const std::optional<std::string>& attached) {
    if (option == "--csv" || option == "--geojson" || option == "--svg" ||
        option == "--multipoint") {
      if (attached) return Fail("option " + option + " takes no value");
      if (option == "--multipoint")
        args().multipoint = true;
      else
        SetFormat(option == "--csv"       ? ExportFormat::kCsv
                  : option == "--geojson" ? ExportFormat::kGeoJson
                                          : ExportFormat::kSvg,
                  option);
    } else if (option == "-o" || option == "--output") {
      std::optional<std::string> name = Value(option, attached);
      if (!name) return;
      if (output_given_) return Fail("more than one output file given");
      if (name->empty()) return Fail("the output file name is empty");
      output_given_ = true;
      args().output = *name == "-" ? "" : *name;
    } else if (option == "--opacity") {
      std::optional<std::string> text = Value(option, attached);
      if (!text) return;
      std::optional<double> opacity = ParseNumber(*text);
      if (!opacity || !(*opacity > 0 && *opacity <= 1)) {
        return Fail("--opacity needs a number above 0 and at most 1, not \"" + *text + "\"");
      }
      args().svg.opacity = *opacity;
      svg_option_ = option;
    } else if (option == "--centre" || option == "--center") {
      std::optional<std::string> text = Value(option, attached);
      if (!text) return;
      args().svg.centre = ParsePoint(*text);
      if (!args().svg.centre)
        return Fail(option + " needs X,Y (two numbers and a comma), not \"" + *text + "\"");
      centre_option_ = option;
    } else {
      Fail("unknown option " + option);
    }
  }

  void TakeArgument() {
    const std::string& arg = args_[next_++];
    if (options_ended_ || arg == "-" || arg.empty() || arg[0] != '-') return SetInput(arg);
    if (arg == "--") {
      options_ended_ = true;
      return;
    }
    std::size_t equals = arg.find('=');
    if (arg.starts_with("--") && equals != std::string::npos) {
      return TakeOption(arg.substr(0, equals), arg.substr(equals + 1));
    }
    if (arg.starts_with("-o") && arg.size() > 2 && !arg.starts_with("--")) {
      return TakeOption("-o", arg.substr(2));
    }
    TakeOption(arg, std::nullopt);
  }

  void CheckWhole() {
    if (args().format == ExportFormat::kNone)
      return Fail("choose a format: --csv, --geojson or --svg");
    if (args().input.empty()) return Fail("no input file given");
    if (args().multipoint && args().format != ExportFormat::kGeoJson) {
      return Fail("--multipoint goes with --geojson only");
    }
    if (!svg_option_.empty() && args().format != ExportFormat::kSvg) {
      return Fail(svg_option_ + " goes with --svg only");
    }
    if (!centre_option_.empty() && args().format != ExportFormat::kSvg &&
        args().format != ExportFormat::kGeoJson) {
      return Fail(centre_option_ + " goes with --svg or --geojson only");
    }
  }

  ExportArguments& args() { return result_.arguments; }

  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  bool options_ended_ = false;
  bool output_given_ = false;
  std::string svg_option_;
  std::string centre_option_;
  ArgumentParse result_;
};

}  // namespace

ArgumentParse ParseExportArguments(const std::vector<std::string>& args) {
  return Parser(args).Run();
}

std::string UsageText() {
  return "Usage: sparsim-export (--csv | --geojson [--multipoint] [--centre X,Y] | --svg "
         "[--opacity A] [--centre X,Y]) IN [-o OUT]\n";
}

std::string HelpText() {
  return UsageText() +
         "Export the points of a Sparsim coordinate file (.ADF, .OUT or a list of numbers).\n"
         "\n"
         "Formats (choose one):\n"
         "  --csv            CSV: a header line x,y and one line per point\n"
         "  --geojson        GeoJSON FeatureCollection of Point features, and the site\n"
         "                   as a Polygon feature when the file records it\n"
         "  --multipoint     with --geojson: one MultiPoint feature instead\n"
         "  --svg            SVG picture with axes, site outline and caption\n"
         "\n"
         "Options:\n"
         "  -o, --output OUT write to OUT (replaced only when all went well);\n"
         "                   standard output when absent or -\n"
         "  --opacity A      with --svg: opacity of the point marks, 0 < A <= 1 (default 0.6)\n"
         "  --centre X,Y     with --svg or --geojson: centre of a circular site (the file records\n"
         "                   only its diameter)\n"
         "  -h, --help       show this help\n"
         "  -V, --version    show the version\n"
         "\n"
         "IN may be - for standard input.\n"
         "Exit status: 0 done, 1 bad arguments, 2 unreadable file, bad number or write failure.\n";
}

std::string VersionText() { return std::string("sparsim-export ") + SPARSIM_VERSION + "\n"; }

}  // namespace sparsim
