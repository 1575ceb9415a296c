// sparsim-export: coordinate files to CSV, GeoJSON and SVG (export/export_run.h).

#include <unistd.h>

#include <string>
#include <vector>

#include "export/export_run.h"

int main(int argc, char** argv) {
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
