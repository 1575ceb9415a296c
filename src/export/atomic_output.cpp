#include "export/atomic_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

}  // namespace

void WriteAll(int fd, std::string_view content, const std::string& name) {
  while (!content.empty()) {
    ssize_t count = ::write(fd, content.data(), content.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) Fail(name, errno);
    content.remove_prefix(static_cast<std::size_t>(count));
  }
}

void WriteFileAtomically(const std::string& path, std::string_view content) {
  if (path.empty() || path.back() == '/') Fail(path, EISDIR);
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
    if (::rename(temporary.c_str(), path.c_str()) != 0) Fail(path, errno);
  } catch (...) {
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.c_str());
    throw;
  }
}

}  // namespace sparsim
