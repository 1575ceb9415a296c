#include "common/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <utility>

namespace sparsim {
namespace {

constexpr std::size_t kOptionColumn = 28;

// The usage line first, then the description, the plain arguments, the
// groups of options ("Options" last) and the footer.
class HelpFormatter : public CLI::Formatter {
 public:
  explicit HelpFormatter(std::string usage) : usage_(std::move(usage)) {
    column_width(kOptionColumn);
  }
  std::string make_usage(const CLI::App*, std::string) const override { return usage_ + "\n"; }
  std::string make_option_opts(const CLI::Option* option) const override {
    return option->get_positional() ? "" : CLI::Formatter::make_option_opts(option);
  }
  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode) const override {
    std::string help = make_usage(app, name) + make_description(app);
    std::vector<const CLI::Option*> plain =
        app->get_options([](const CLI::Option* option) { return option->get_positional(); });
    if (!plain.empty()) help += make_group("Arguments", true, plain);
    std::vector<std::string> groups = app->get_groups();
    std::stable_partition(groups.begin(), groups.end(),
                          [](const std::string& group) { return group != "Options"; });
    for (const std::string& group : groups) {
      std::vector<const CLI::Option*> options = app->get_options([&](const CLI::Option* option) {
        return option->get_group() == group && option->nonpositional();
      });
      if (!options.empty()) help += make_group(group, false, options);
    }
    return help + (app->get_footer().empty() ? "" : "\n" + app->get_footer());
  }

 private:
  std::string usage_;
};

bool IsHelp(const std::string& arg) { return arg == "-h" || arg == "--help"; }
bool IsVersion(const std::string& arg) { return arg == "-V" || arg == "--version"; }

// How the user spelled the option named in a message of the library
// ("--output: 1 required TEXT missing"): the last argument that names it.
std::string Spelling(const CLI::App& app, const std::vector<std::string>& args,
                     const std::string& name) {
  const CLI::Option* option = app.get_option_no_throw(name);
  if (option == nullptr) return name;
  std::string spelled = name;
  for (const std::string& arg : args) {
    if (arg == "--") break;
    for (const std::string& long_name : option->get_lnames()) {
      if (arg == "--" + long_name || arg.starts_with("--" + long_name + "=")) {
        spelled = "--" + long_name;
      }
    }
    for (const std::string& short_name : option->get_snames()) {
      if (arg.starts_with("-" + short_name)) spelled = "-" + short_name;
    }
  }
  return spelled;
}

std::string DescribeMismatch(const CLI::App& app, const std::vector<std::string>& args,
                             const std::string& message) {
  std::size_t colon = message.find(':');
  if (colon == std::string::npos) return message;
  std::string option = Spelling(app, args, message.substr(0, colon));
  if (message.find("missing") != std::string::npos) return "option " + option + " needs a value";
  if (message.find("At Most") != std::string::npos) {
    return "option " + option + " is given more than once";
  }
  return "option " + option + message.substr(colon);
}

}  // namespace

void SetUpHelp(CLI::App& app, const std::string& usage, const std::string& version) {
  app.formatter(std::make_shared<HelpFormatter>(usage));
  app.set_help_flag("-h,--help", "show this help and end");
  if (!version.empty()) app.set_version_flag("-V,--version", version, "show the version and end");
}

std::string AppHelp(const CLI::App& app) { return app.help(); }

CommandLineParse ParseCommandLine(CLI::App& app, const std::vector<std::string>& args) {
  CommandLineParse result;
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (IsHelp(arg)) {
      result.action = CommandAction::kHelp;
      return result;
    }
    if (IsVersion(arg) && app.get_option_no_throw("--version") != nullptr) {
      result.action = CommandAction::kVersion;
      return result;
    }
  }
  // "--name=" gives the value "" (the library would take the next argument);
  // a flag takes no value at all.
  std::vector<std::string> prepared;
  bool plain = false;
  for (const std::string& arg : args) {
    if (arg == "--") plain = true;
    std::size_t equals = arg.find('=');
    if (!plain && arg.starts_with("--") && equals != std::string::npos) {
      std::string name = arg.substr(0, equals);
      const CLI::Option* option = app.get_option_no_throw(name);
      if (option != nullptr && option->get_expected_max() == 0) {
        result.error = "option " + name + " takes no value";
        return result;
      }
      if (option != nullptr && equals + 1 == arg.size()) {
        prepared.push_back(name);
        prepared.emplace_back();
        continue;
      }
    }
    prepared.push_back(arg);
  }
  // An option followed by another option has no value (the library would
  // take "--points" as the value of "--circle --points 3").
  for (std::size_t i = 0; i + 1 < prepared.size(); ++i) {
    if (prepared[i] == "--") break;
    const CLI::Option* option =
        prepared[i].starts_with("-") ? app.get_option_no_throw(prepared[i]) : nullptr;
    if (option == nullptr || option->get_expected_max() == 0) continue;
    const std::string& next = prepared[i + 1];
    if (next.starts_with("-") && next.size() > 1 && app.get_option_no_throw(next) != nullptr) {
      result.error = "option " + prepared[i] + " needs a value";
      return result;
    }
    ++i;  // the value
  }
  app.allow_extras(true);
  // The library takes the arguments last first.
  std::vector<std::string> reversed(prepared.rbegin(), prepared.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ArgumentMismatch& mismatch) {
    result.error = DescribeMismatch(app, args, mismatch.what());
    return result;
  } catch (const CLI::ParseError& error) {
    result.error = error.what();
    return result;
  }
  bool after_options = false;
  for (const std::string& rest : app.remaining()) {
    if (rest == "--" && !after_options) {
      after_options = true;
      continue;
    }
    bool option = !after_options && rest.size() > 1 && rest[0] == '-';
    result.error = (option ? "unknown option " : "unexpected argument ") + rest;
    break;
  }
  return result;
}

}  // namespace sparsim
