// One run of sparsim-export: the arguments in, the export out, and the exit
// status. Everything meant for standard error (the usage line after a bad
// argument, notes about the file, the reason of a failure), each line
// starting "sparsim-export: ", is added to diagnostics; the export itself,
// the help and the version go to out_fd unless an output file is named.
//
// Example: {"--csv", "SITE.OUT"} on a file "2,2\r\n1,2\r\n3.5,4\r\n" writes
//   x,y
//   1,2
//   3.5,4
// to out_fd and returns 0; {"--csv", "MISSING.ADF"} writes nothing, adds
//   sparsim-export: MISSING.ADF: No such file or directory
// and returns 2. Nothing is written to out_fd, and no output file is made or
// changed, unless the whole export succeeded.

#ifndef SPARSIM_EXPORT_EXPORT_RUN_H_
#define SPARSIM_EXPORT_EXPORT_RUN_H_

#include <string>
#include <vector>

namespace sparsim {

// args excludes the program name.
int RunExport(const std::vector<std::string>& args, int out_fd, std::string& diagnostics);

// The same command under another name ("sparsim export"), which begins every
// line of diagnostics and appears in the usage line and the help.
int RunExport(const std::vector<std::string>& args, int out_fd, std::string& diagnostics,
              const std::string& program);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_EXPORT_RUN_H_
