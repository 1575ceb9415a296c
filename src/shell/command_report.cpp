#include "shell/command_report.h"

#include <exception>
#include <new>

#include "common/command_line.h"
#include "common/interrupt.h"
#include "common/program_end.h"
#include "export/atomic_output.h"
#include "export/export_failure.h"

namespace sparsim {

void Say(const CommandIo& io, const std::string& command, const std::string& line) {
  try {
    WriteAll(io.err_fd, command + ": " + line + "\n", "(standard error)");
  } catch (const ExportFailure&) {
    // Nothing more can be done when standard error itself fails.
  }
}

void SayTryHelp(const CommandIo& io, const std::string& command) {
  try {
    WriteAll(io.err_fd, "Try '" + command + " --help' for more information.\n", "(standard error)");
  } catch (const ExportFailure&) {
  }
}

int ReportFailure(const CommandIo& io, const std::string& command) {
  try {
    throw;
  } catch (const CommandFailure& failure) {
    Say(io, command, failure.what());
    if (failure.exit_status() == kExitUsage) SayTryHelp(io, command);
    return failure.exit_status();
  } catch (const ProgramEnd& end) {
    // Interrupted while the options or the input were checked.
    Say(io, command,
        IsInterruptStatus(end.exit_status()) ? "interrupted before any file was written"
                                             : std::string(end.report()));
    return end.exit_status();
  } catch (const std::bad_alloc&) {
    Say(io, command, "out of memory");
    return kExitFile;
  } catch (const std::exception& error) {
    // No working folder to resolve names in, and the like.
    Say(io, command, error.what());
    return kExitFile;
  }
}

}  // namespace sparsim
