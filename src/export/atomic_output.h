// Writing a finished export so that nobody ever sees part of it.
//
// WriteFileAtomically(path, content) writes content to a new temporary file
// in the same folder as path (".NAME.XXXXXX", so that the rename stays on
// one file system), flushes it to disk and renames it to path, replacing
// any earlier file of that name in one step. The new file gets the usual
// permissions (0666 less the umask). On any failure the temporary file is
// removed, an earlier file at path is left as it was, and ExportFailure
// (status 2) says why: "out/pic.svg: No such file or directory".
// A symbolic link stays a link: the file it names is the one replaced. An
// existing device or pipe, such as /dev/null, is written directly.
//
// WriteAll(fd, content, name) writes all of content to an open descriptor,
// such as standard output, or fails the same way.

#ifndef SPARSIM_EXPORT_ATOMIC_OUTPUT_H_
#define SPARSIM_EXPORT_ATOMIC_OUTPUT_H_

#include <string>
#include <string_view>

namespace sparsim {

// With replace false an existing regular file is kept and the write fails
// ("SIM01.ADF: File exists"), also when the file appears while it is made.
void WriteFileAtomically(const std::string& path, std::string_view content, bool replace = true);
void WriteAll(int fd, std::string_view content, const std::string& name);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_ATOMIC_OUTPUT_H_
