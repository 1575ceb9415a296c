#include "common/text_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "common/interrupt.h"
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
      kind_(other.kind_),
      failed_(other.failed_),
      unterminated_(other.unterminated_),
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
  if (buffer_.size() >= kFlushThreshold) WriteBuffer();
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
  if (buffer_.size() >= kFlushThreshold) WriteBuffer();
}

void TextOutput::Flush() {
  ++flush_count_;
  if (!buffer_.empty()) WriteBuffer();
}

void TextOutput::WriteBuffer() {
  // Emptied whether or not the write succeeds, keeping its memory for the
  // next lines: a set's file fills it many times over.
  struct Empty {
    std::string& buffer;
    ~Empty() { buffer.clear(); }
  } empty{buffer_};
  WriteOut(buffer_);
}

void TextOutput::WriteOut(std::string_view bytes) {
  if (failed_) return;
  if (kind_ == Kind::kUnknown) {
    struct stat info {};
    bool file = ::fstat(fd_, &info) == 0 && (S_ISREG(info.st_mode) || S_ISBLK(info.st_mode));
    kind_ = file ? Kind::kFile : Kind::kStream;
  }
  while (!bytes.empty()) {
    std::size_t piece = bytes.size();
    if (kind_ == Kind::kStream) {
      // The wait happens where a signal can end it; a piece this small then
      // goes into a pipe without waiting again.
      WaitWritableOrInterrupted(fd_);
      piece = std::min(piece, kUnblockedWrite);
    }
    ssize_t count = ::write(fd_, bytes.data(), piece);
    if (count < 0) {
      if (errno == EINTR) continue;  // the wait above looks at the signal
      FailWrite(errno);
    }
    std::string_view written = bytes.substr(0, static_cast<std::size_t>(count));
    std::size_t line_end = written.rfind('\n');
    unterminated_ = line_end == std::string_view::npos ? unterminated_ + written.size()
                                                       : written.size() - line_end - 1;
    bytes.remove_prefix(written.size());
  }
}

void TextOutput::FailWrite(int error_number) {
  failed_ = true;
  if (owns_fd_ && kind_ == Kind::kFile && unterminated_ > 0) {
    // Nothing more is written, so the cut is where the file ends.
    off_t end = ::lseek(fd_, 0, SEEK_CUR);
    if (end >= static_cast<off_t>(unterminated_)) {
      [[maybe_unused]] int ignored = ::ftruncate(fd_, end - static_cast<off_t>(unterminated_));
    }
  }
  throw IoFault(name_, error_number);
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
