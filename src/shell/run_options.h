// The options of sparsim generate and sparsim walk as the command line gave
// them, before they are checked: each value is the text typed, absent when
// the option was not given. shell/command_line.cpp fills them; the commands
// check them (shell/generate_command.h, shell/walk_command.h). The options of
// a generated set are generate/set_options.h's SetOptions.

#ifndef SPARSIM_SHELL_RUN_OPTIONS_H_
#define SPARSIM_SHELL_RUN_OPTIONS_H_

#include <optional>
#include <string>
#include <vector>

namespace sparsim {

// Where the command's output goes; how errors and progress are shown.
struct CommandIo {
  int out_fd = 1;
  int err_fd = 2;
  // Standard error is a terminal: the progress line is drawn there.
  bool err_is_terminal = false;
};

// The options both commands share.
struct RunOptions {
  std::optional<std::string> seed;
  std::optional<std::string> generator;  // lcg or philox
  std::optional<std::string> replicates;
  std::optional<std::string> replicate;  // --replicate K: that one alone
  std::optional<std::string> output;     // -o PATTERN
  std::optional<std::string> format;
  std::optional<std::string> jobs;
  std::optional<std::string> manifest;
  bool force = false;
  bool quiet = false;
  // sparsim generate only: keep the files already whole, make the others.
  bool skip_existing = false;
  // sparsim generate only: go on when the LCG's replicates would share draws.
  bool allow_shared_stream = false;
};

struct WalkOptions {
  RunOptions run;
  std::vector<std::string> inputs;
  std::optional<std::string> max_step;
  std::optional<std::string> steps;
  std::optional<std::string> passes;
};

}  // namespace sparsim

#endif  // SPARSIM_SHELL_RUN_OPTIONS_H_
