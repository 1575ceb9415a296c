// The program's command line. Without arguments the program runs the
// dialogue (shell/program.h); with them, one of its commands:
//   sparsim generate ...   sets of random points into files (shell/generate_command.h)
//   sparsim walk ...       random walks of a coordinate file (shell/walk_command.h)
//   sparsim export ...     what sparsim-export does (export/export_run.h)
//   sparsim --help, sparsim --version, sparsim COMMAND --help
// Options are read with the conventions of common/command_line.h. A bad
// command line gives its reason and a pointer to the help on standard error
// and the status 1; see each command for the others.
//
// Example: RunCommandLine({"generate", "--rect", "0,0,10,4", "--points", "3",
// "--centred", "--model", "u", "--seed", "5"}, io) writes the three points'
// ".ADF" bytes to io.out_fd and returns 0.

#ifndef SPARSIM_SHELL_COMMAND_LINE_H_
#define SPARSIM_SHELL_COMMAND_LINE_H_

#include <string>
#include <vector>

#include "shell/run_options.h"

namespace sparsim {

// args excludes the program's name and is not empty.
int RunCommandLine(const std::vector<std::string>& args, const CommandIo& io);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_COMMAND_LINE_H_
