// The conventions every command line of the program follows (sparsim
// generate, sparsim walk, sparsim export and sparsim-export), on the CLI11
// argument library, so that all of them read options and report mistakes
// alike.
//
// Options may come in any order; a value follows its option as the next
// argument or after '=' ("--seed=7", "-o out.adf", "-oout.adf"); "--" makes
// every later argument a plain argument; -h/--help and -V/--version stand
// alone and win over everything else. A mistake is one line without the
// program's name:
//   unknown option --frobnicate
//   option -o needs a value
//   option --csv takes no value
//   option --seed is given more than once
//
// Example:
//   CLI::App app;
//   std::string seed;
//   app.add_option("--seed", seed);
//   CommandLineParse parse = ParseCommandLine(app, {"--seed", "7"});
//   // parse.action kRun, parse.error "", seed "7"

#ifndef SPARSIM_COMMON_COMMAND_LINE_H_
#define SPARSIM_COMMON_COMMAND_LINE_H_

#include <stdexcept>
#include <string>
#include <vector>

namespace CLI {
class App;
}  // namespace CLI

namespace sparsim {

// Exit statuses of the commands, besides 0 and 128 plus a signal's number
// after an interrupt.
constexpr int kExitUsage = 1;  // a bad option, argument or output name; nothing was touched
constexpr int kExitFile = 2;   // a file could not be read or written, or holds a bad item

// The one way a command fails: a message for standard error (without the
// command's name) and the exit status.
class CommandFailure : public std::runtime_error {
 public:
  CommandFailure(int exit_status, const std::string& message)
      : std::runtime_error(message), exit_status_(exit_status) {}
  int exit_status() const { return exit_status_; }

 private:
  int exit_status_;
};

enum class CommandAction { kRun, kHelp, kVersion };

struct CommandLineParse {
  CommandAction action = CommandAction::kRun;
  std::string error;  // one line without its end; empty when all is well
};

// Parses args (without the program's name) into the options of app. An
// argument left over that is not an option is an error ("unexpected
// argument X") unless app takes plain arguments into a list.
CommandLineParse ParseCommandLine(CLI::App& app, const std::vector<std::string>& args);

// Gives app the program's help: the usage line (e.g. "Usage: sparsim walk
// INPUT --max-step L --steps N [options]"), the description, then the
// options, each with its value's name and its description. -h/--help and
// -V/--version (when version is not empty) are listed among them.
void SetUpHelp(CLI::App& app, const std::string& usage, const std::string& version);

// The help text of app, with its line ends.
std::string AppHelp(const CLI::App& app);

}  // namespace sparsim

#endif  // SPARSIM_COMMON_COMMAND_LINE_H_
