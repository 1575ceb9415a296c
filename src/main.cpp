// Sparsim: random point patterns in the plane, at the console; with
// arguments, its commands for scripted runs (shell/command_line.h).

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/interrupt.h"
#include "common/program_state.h"
#include "dialogue/console.h"
#include "generate/scan_kernels.h"
#include "common/text_input.h"
#include "common/text_output.h"
#include "shell/command_line.h"
#include "shell/program.h"

namespace {

// The banner's box is drawn in UTF-8 only on a terminal whose locale uses
// UTF-8; piped output gets the code page 437 bytes.
bool TerminalUsesUtf8() {
  if (!::isatty(STDOUT_FILENO)) return false;
  locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) return false;
  bool utf8 = std::strcmp(::nl_langinfo_l(CODESET, locale), "UTF-8") == 0;
  ::freelocale(locale);
  return utf8;
}

}  // namespace

int main(int argc, char** argv) {
  // Ctrl-C, SIGTERM and SIGHUP end the run cleanly, keeping what was
  // written; a closed pipe or the file-size limit is a failed write.
  sparsim::InstallInterruptHandlers();
  // A kernel forced by SPARSIM_KERNEL that this machine lacks, or a name
  // that is no kernel, stops the program before it does anything.
  std::string kernel_error;
  sparsim::KernelFromEnvironment(&kernel_error);
  if (!kernel_error.empty()) {
    std::fprintf(stderr, "sparsim: %s%s", kernel_error.c_str(), argc > 1 ? "\n" : "\r\n");
    return 1;
  }
  if (argc > 1) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return sparsim::RunCommandLine(
        args, sparsim::CommandIo{STDOUT_FILENO, STDERR_FILENO, ::isatty(STDERR_FILENO) == 1});
  }
  sparsim::TextInput keyboard(STDIN_FILENO, "standard input", false);
  sparsim::TextOutput screen(STDOUT_FILENO, "standard output", false);
  sparsim::Console console{keyboard, screen, TerminalUsesUtf8()};
  static sparsim::ProgramState state;
  sparsim::RunResult result = sparsim::RunProgram(console, state);
  // Like every line the program writes, the report ends with CR LF.
  if (!result.error_report.empty()) std::fprintf(stderr, "%s\r\n", result.error_report.c_str());
  return result.exit_status;
}
