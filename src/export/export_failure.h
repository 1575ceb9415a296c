// The one way an export fails: a message for standard error and the exit
// status the tool ends with. Reading and writing code throws it; RunExport
// catches it, writes "sparsim-export: " and the message, and returns the
// status. Nothing partial is left behind by the code that throws.
//
// Example:
//   throw ExportFailure(kExitBadFile, "SITE.ADF:5: \"12a4\" is not a number ...");

#ifndef SPARSIM_EXPORT_EXPORT_FAILURE_H_
#define SPARSIM_EXPORT_EXPORT_FAILURE_H_

#include <stdexcept>
#include <string>

namespace sparsim {

// Exit statuses of sparsim-export.
constexpr int kExportOk = 0;
constexpr int kExitBadArgument = 1;  // usage line on standard error
constexpr int kExitBadFile = 2;      // unreadable or unwritable file, bad number

class ExportFailure : public std::runtime_error {
 public:
  ExportFailure(int exit_status, const std::string& message)
      : std::runtime_error(message), exit_status_(exit_status) {}
  int exit_status() const { return exit_status_; }

 private:
  int exit_status_;
};

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_EXPORT_FAILURE_H_
