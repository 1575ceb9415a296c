#include "export/atomic_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/interrupt.h"
#include "export/export_failure.h"

namespace sparsim {
namespace {

constexpr char kInterrupted[] = "interrupted";

[[noreturn]] void Fail(const std::string& name, int error_number) {
  throw ExportFailure(kExitBadFile, name + ": " + std::strerror(error_number));
}

// The umask can only be read by setting it; it is put back at once.
mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// The permission bits the file at path gets: those of the file it replaces,
// or those of a new file. A file the user could not write is not replaced.
mode_t ReplacementMode(const std::string& path) {
  struct stat existing {};
  if (::stat(path.c_str(), &existing) != 0) return NewFileMode();
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) Fail(path, errno);
  return static_cast<mode_t>(existing.st_mode & 0777);
}

// ".NAME.XXXXXX" beside path; NAME is cut short where the whole would be
// longer than the folder's longest name, so that the temporary name fits
// whenever the final one does.
std::string TemporaryPattern(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  long longest = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  if (longest <= 0) longest = 255;
  constexpr std::size_t kAdded = 8;  // "." and ".XXXXXX"
  std::size_t room = static_cast<std::size_t>(longest) > kAdded
                         ? static_cast<std::size_t>(longest) - kAdded
                         : 1;
  return folder + "." + base.substr(0, room) + ".XXXXXX";
}

// A device or pipe (/dev/null, /dev/stdout) is written as it is: there is
// no file to replace, and its folder must not get a temporary file.
void WriteToDevice(const std::string& path, std::string_view content) {
  int fd = -1;
  try {
    // A signal ends the wait for a FIFO's reader.
    fd = OpenOrInterrupted(path.c_str(), O_WRONLY | O_CLOEXEC);
  } catch (const ProgramEnd& interrupt) {
    throw ExportFailure(interrupt.exit_status(), kInterrupted);
  }
  if (fd < 0) Fail(path, errno);
  try {
    WriteAll(fd, content, path);
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0) Fail(path, errno);
}

// The file that a symbolic link at path finally names, so that the link
// itself stays a link; path itself otherwise.
std::string LinkTarget(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> target(::realpath(path.c_str(), nullptr), &std::free);
  if (!target) Fail(path, errno);
  return target.get();
}

// Puts the temporary file in place of path; without replace, only where no
// file is (a file that appeared meanwhile is kept).
int RenameInPlace(const std::string& temporary, const std::string& path, bool replace) {
  if (replace) return ::rename(temporary.c_str(), path.c_str());
  return ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
}

void ReplaceFile(const std::string& path, std::string_view content, bool replace) {
  mode_t mode = ReplacementMode(path);
  std::string temporary = TemporaryPattern(path);
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) Fail(path, errno);
  try {
    if (::fchmod(fd, mode) != 0) Fail(path, errno);
    WriteAll(fd, content, path);
    if (::fsync(fd) != 0) Fail(path, errno);
    int result = ::close(fd);
    fd = -1;
    if (result != 0) Fail(path, errno);
    if (RenameInPlace(temporary, path, replace) != 0) Fail(path, errno);
  } catch (...) {
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.c_str());
    throw;
  }
}

}  // namespace

void WriteAll(int fd, std::string_view content, const std::string& name) {
  struct stat info {};
  // A write to a pipe or a terminal can wait for its reader; the wait
  // happens where a signal ends it, and a piece this small then goes in.
  const bool stream = ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode);
  while (!content.empty()) {
    std::size_t piece = content.size();
    if (stream) {
      try {
        WaitWritableOrInterrupted(fd);
      } catch (const ProgramEnd& interrupt) {
        throw ExportFailure(interrupt.exit_status(), kInterrupted);
      }
      piece = std::min(piece, kUnblockedWrite);
    }
    ssize_t count = ::write(fd, content.data(), piece);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) Fail(name, errno);
    content.remove_prefix(static_cast<std::size_t>(count));
  }
}

void RefuseInputAsOutput(const std::string& input, const std::string& output) {
  struct stat input_file {};
  struct stat output_file {};
  bool input_known = input == "-" ? ::fstat(STDIN_FILENO, &input_file) == 0
                                  : ::stat(input.c_str(), &input_file) == 0;
  if (!input_known || !S_ISREG(input_file.st_mode)) return;
  if (::stat(output.c_str(), &output_file) != 0) return;
  if (input_file.st_dev == output_file.st_dev && input_file.st_ino == output_file.st_ino) {
    throw ExportFailure(kExitBadFile, output + ": the output file must differ from the input file");
  }
}

void WriteFileAtomically(const std::string& path, std::string_view content, bool replace) {
  if (path.empty() || path.back() == '/') Fail(path, EISDIR);
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) Fail(path, EISDIR);
    if (!S_ISREG(existing.st_mode)) return WriteToDevice(path, content);
    if (!replace) Fail(path, EEXIST);
    return ReplaceFile(LinkTarget(path), content, replace);
  }
  ReplaceFile(path, content, replace);
}

}  // namespace sparsim
