#include "shell/existing_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/command_line.h"

namespace sparsim {
namespace {

const std::string kCountTail = " #Points# 2 #Coordinates#\r\n";

}  // namespace

ExistingFile CheckSetFileContent(const std::string& content, const std::string& header,
                                 int32_t points, bool any_count) {
  ExistingFile file;
  file.exists = true;
  std::size_t digits = 0;
  while (digits < content.size() && digits < 6 && content[digits] >= '0' &&
         content[digits] <= '9') {
    ++digits;
  }
  if (digits == 0 || (digits > 1 && content[0] == '0')) return file;
  int32_t count = std::stoi(content.substr(0, digits));
  if (any_count ? count > points : count != points) return file;
  std::size_t at = digits;
  if (content.compare(at, kCountTail.size(), kCountTail) != 0) return file;
  at += kCountTail.size();
  if (content.compare(at, header.size(), header) != 0) return file;
  at += header.size();
  // Point lines: text without a line end of its own, then CR LF.
  for (int32_t i = 0; i < count; ++i) {
    std::size_t end = content.find("\r\n", at);
    if (end == std::string::npos || end == at || content.find_first_of("\r\n", at) != end) {
      return file;
    }
    at = end + 2;
  }
  file.whole = at == content.size();
  if (file.whole) file.points = count;
  return file;
}

ExistingFile CheckExistingSetFile(const std::string& name, const std::string& header,
                                  int32_t points, bool any_count) {
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return ExistingFile{};
    throw CommandFailure(kExitFile, name + ": " + std::strerror(errno));
  }
  std::string content;
  char chunk[65536];
  for (;;) {
    ssize_t count = ::read(fd, chunk, sizeof chunk);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      int error = errno;
      ::close(fd);
      throw CommandFailure(kExitFile, name + ": " + std::strerror(error));
    }
    if (count == 0) break;
    content.append(chunk, static_cast<std::size_t>(count));
    // Far longer than any set's file: not one of them.
    if (content.size() > (std::size_t{1} << 24)) break;
  }
  ::close(fd);
  return CheckSetFileContent(content, header, points, any_count);
}

}  // namespace sparsim
