// sparsim-export: coordinate files to CSV, GeoJSON and SVG (export/export_run.h).

#include <unistd.h>

#include <string>
#include <vector>

#include "common/interrupt.h"
#include "export/export_run.h"

int main(int argc, char** argv) {
  // Ctrl-C, SIGTERM and SIGHUP end an export cleanly, leaving no temporary
  // file; a closed pipe or the file-size limit is a failed write.
  sparsim::InstallInterruptHandlers();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  std::string diagnostics;
  int status = sparsim::RunExport(args, STDOUT_FILENO, diagnostics);
  if (!diagnostics.empty()) {
    // Nothing more can be done when standard error itself fails.
    [[maybe_unused]] ssize_t written =
        ::write(STDERR_FILENO, diagnostics.data(), diagnostics.size());
  }
  return status;
}
