#include "numeric/text_output.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

#include "common/program_end.h"

namespace sparsim {
namespace {

constexpr std::size_t kFlushThreshold = 65536;

}  // namespace

TextOutput::TextOutput(int fd, std::string name, bool owns_fd)
    : fd_(fd), owns_fd_(owns_fd), in_memory_(false), name_(std::move(name)) {}

TextOutput TextOutput::InMemory(std::string name) {
  TextOutput out(-1, std::move(name), false);
  out.in_memory_ = true;
  return out;
}

TextOutput::TextOutput(TextOutput&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      owns_fd_(std::exchange(other.owns_fd_, false)),
      in_memory_(other.in_memory_),
      name_(std::move(other.name_)),
      buffer_(std::move(other.buffer_)),
      memory_(std::move(other.memory_)),
      flush_count_(other.flush_count_) {}

TextOutput::~TextOutput() {
  // The normal path closes explicitly and reports failures; this only keeps
  // what was written when the program unwinds past an open file.
  try {
    if (fd_ >= 0) Flush();
  } catch (...) {
  }
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
}

void TextOutput::Write(std::string_view text) {
  if (in_memory_) {
    memory_.append(text);
    return;
  }
  if (fd_ < 0) return;
  buffer_.append(text);
  if (buffer_.size() >= kFlushThreshold) WriteOut(std::exchange(buffer_, {}));
}

void TextOutput::WriteChar(char c) { Write(std::string_view(&c, 1)); }

void TextOutput::WriteLine(std::string_view text) {
  if (in_memory_ || fd_ < 0) {
    Write(text);
    Write(kLineEnd);
    return;
  }
  // The line and its end go out together, so that a file cut short (by an
  // interrupt, a full disk or a killed process) never ends inside a line.
  buffer_.append(text);
  buffer_.append(kLineEnd);
  if (buffer_.size() >= kFlushThreshold) WriteOut(std::exchange(buffer_, {}));
}

void TextOutput::Flush() {
  ++flush_count_;
  if (!buffer_.empty()) WriteOut(std::exchange(buffer_, {}));
}

void TextOutput::WriteOut(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t count = ::write(fd_, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      throw IoFault(name_, errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
}

void TextOutput::Close() {
  if (fd_ >= 0) Flush();
  if (owns_fd_ && fd_ >= 0) {
    int result = ::close(fd_);
    fd_ = -1;
    if (result != 0) throw IoFault(name_, errno);
  }
  fd_ = -1;
}

}  // namespace sparsim
