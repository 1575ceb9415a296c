#include "export/atomic_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "export/export_failure.h"

namespace sparsim {
namespace {

[[noreturn]] void Fail(const std::string& name, int error_number) {
  throw ExportFailure(kExitBadFile, name + ": " + std::strerror(error_number));
}

// The umask can only be read by setting it; it is put back at once.
mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

std::string TemporaryPattern(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + base + ".XXXXXX";
}

// A device or pipe (/dev/null, /dev/stdout) is written as it is: there is
// no file to replace, and its folder must not get a temporary file.
void WriteToDevice(const std::string& path, std::string_view content) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
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
  std::string temporary = TemporaryPattern(path);
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) Fail(path, errno);
  try {
    if (::fchmod(fd, NewFileMode()) != 0) Fail(path, errno);
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
  while (!content.empty()) {
    ssize_t count = ::write(fd, content.data(), content.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) Fail(name, errno);
    content.remove_prefix(static_cast<std::size_t>(count));
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
