// The options of sparsim generate and sparsim walk as the command line gave
// them, before they are checked: each value is the text typed, absent when
// the option was not given. shell/command_line.cpp fills them; the commands
// check them (shell/generate_command.h, shell/walk_command.h).

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
  std::optional<std::string> replicates;
  std::optional<std::string> output;  // -o PATTERN
  std::optional<std::string> format;
  std::optional<std::string> jobs;
  std::optional<std::string> manifest;
  bool force = false;
  bool quiet = false;
};

struct GenerateOptions {
  RunOptions run;
  std::optional<std::string> circle;  // diameter
  std::optional<std::string> centre;  // X,Y
  std::optional<std::string> rect;    // XMIN,YMIN,XMAX,YMAX
  std::optional<std::string> points;
  std::optional<std::string> density;
  bool centred = false;
  std::optional<std::string> clusters;
  std::optional<std::string> radius;
  bool seeds_as_points = false;
  bool no_seeds_as_points = false;
  std::optional<std::string> model;
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
