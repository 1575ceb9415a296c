// Writing a finished export so that nobody ever sees part of it.
//
// WriteFileAtomically(path, content) writes content to a new temporary file
// in the same folder as path (".NAME.XXXXXX", so that the rename stays on
// one file system), flushes it to disk and renames it to path, replacing
// any earlier file of that name in one step. A new file gets the usual
// permissions (0666 less the umask: 0644 under umask 022, 0600 under 077);
// a file it replaces keeps its permission bits, and one the user could not
// write (a read-only file, for anyone but root) is refused:
// "out/pic.svg: Permission denied". On any failure the temporary file is
// removed, an earlier file at path is left as it was, and ExportFailure
// (status 2) says why: "out/pic.svg: No such file or directory".
// A symbolic link stays a link: the file it names is the one replaced. An
// existing device or pipe, such as /dev/null, is written directly.
//
// WriteAll(fd, content, name) writes all of content to an open descriptor,
// such as standard output, or fails the same way.
//
// A write to a pipe or a terminal that waits for its reader ends when a
// signal comes (common/interrupt.h) with ExportFailure "interrupted" and the
// signal's status; once a signal is recorded, such a write goes on only as
// far as the descriptor takes bytes at once. A signal does not stop
// WriteFileAtomically (a run's manifest is written after an interrupt); as
// the program only records signals, it never leaves its temporary file.
//
// RefuseInputAsOutput(input, output) fails with status 2 when output names
// the very file that input does ("-" is standard input), by the same name,
// through a link, or as a hard link, since replacing it would lose the
// input: "SITE.ADF: the output file must differ from the input file".

#ifndef SPARSIM_EXPORT_ATOMIC_OUTPUT_H_
#define SPARSIM_EXPORT_ATOMIC_OUTPUT_H_

#include <string>
#include <string_view>

namespace sparsim {

// With replace false an existing regular file is kept and the write fails
// ("SIM01.ADF: File exists"), also when the file appears while it is made.
void WriteFileAtomically(const std::string& path, std::string_view content, bool replace = true);
void WriteAll(int fd, std::string_view content, const std::string& name);
void RefuseInputAsOutput(const std::string& input, const std::string& output);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_ATOMIC_OUTPUT_H_
