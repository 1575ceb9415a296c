// The one way an export fails: a message for standard error and the exit
// status the tool ends with. Reading and writing code throws it; RunExport
// catches it, writes "sparsim-export: " and the message, and returns the
// status. Nothing partial is left behind by the code that throws.
//
// Example:
//   throw ExportFailure(kExitBadFile, "SITE.ADF:5: \"12a4\" is not a number ...");

#ifndef SPARSIM_EXPORT_EXPORT_FAILURE_H_
#define SPARSIM_EXPORT_EXPORT_FAILURE_H_

#include "common/command_line.h"

namespace sparsim {

// Exit statuses of sparsim-export: those of every command.
constexpr int kExportOk = 0;
constexpr int kExitBadArgument = kExitUsage;  // usage line on standard error
constexpr int kExitBadFile = kExitFile;       // unreadable or unwritable file, bad number

// An export fails as every command does.
using ExportFailure = CommandFailure;

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_EXPORT_FAILURE_H_
