#include "common/text_input.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

#include "common/interrupt.h"
#include "common/program_end.h"

namespace sparsim {
namespace {

constexpr std::size_t kReadChunk = 65536;
constexpr int kCarriageReturn = 13;
constexpr int kLineFeed = 10;

}  // namespace

TextInput::TextInput(int fd, std::string name, bool owns_fd)
    : fd_(fd), owns_fd_(owns_fd), name_(std::move(name)) {}

TextInput::TextInput(std::string content, std::string name)
    : fd_(-1),
      owns_fd_(false),
      physical_end_(true),
      name_(std::move(name)),
      buffer_(std::move(content)) {}

TextInput::~TextInput() {
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
}

// Makes at least `needed` unread characters available if the source has them.
bool TextInput::Fill(std::size_t needed) {
  while (buffer_.size() - position_ < needed) {
    if (physical_end_ || fd_ < 0) return false;
    if (position_ > 0) {
      buffer_.erase(0, position_);
      position_ = 0;
    }
    // Ctrl-C at a question ends the program as interrupted, never as the
    // end of the answers or a failed read.
    WaitReadableOrInterrupted(fd_);
    char chunk[kReadChunk];
    ssize_t count = ::read(fd_, chunk, sizeof chunk);
    if (count < 0) {
      if (errno == EINTR) {
        ThrowIfInterrupted();
        continue;
      }
      throw IoFault(name_, errno);
    }
    if (count == 0) {
      physical_end_ = true;
      return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(count));
  }
  return true;
}

int TextInput::PeekAt(std::size_t offset) {
  // The end mark hides everything behind it, so every character up to the
  // one asked for must be looked at.
  for (std::size_t i = 0; i <= offset; ++i) {
    if (!Fill(i + 1)) {
      met_end_ = true;
      return kEndOfText;
    }
    int c = static_cast<unsigned char>(buffer_[position_ + i]);
    if (c == kEndOfFileMark) {
      met_end_ = true;
      return kEndOfText;
    }
  }
  return static_cast<unsigned char>(buffer_[position_ + offset]);
}

void TextInput::Advance() {
  int c = Peek();
  if (c == kEndOfText) return;
  if (c == kLineFeed) ++line_number_;
  ++position_;
}

std::string_view TextInput::Ahead() {
  if (!Fill(1)) return {};
  std::string_view ahead(buffer_.data() + position_, buffer_.size() - position_);
  return ahead.substr(0, ahead.find(static_cast<char>(kEndOfFileMark)));
}

void TextInput::Skip(std::size_t count) {
  const char* start = buffer_.data() + position_;
  line_number_ += static_cast<std::size_t>(std::count(start, start + count, '\n'));
  position_ += count;
}

void TextInput::Rewind() {
  if (fd_ >= 0) {
    if (::lseek(fd_, 0, SEEK_SET) < 0) throw IoFault(name_, errno);
    buffer_.clear();
    physical_end_ = false;
  }
  position_ = 0;
  line_number_ = 1;
  met_end_ = false;
}

void TextInput::Close() {
  if (owns_fd_ && fd_ >= 0) {
    int result = ::close(fd_);
    fd_ = -1;
    if (result != 0) throw IoFault(name_, errno);
  }
  fd_ = -1;
  buffer_.clear();
  position_ = 0;
  physical_end_ = true;
}

int ReadTextChar(TextInput& in) {
  int c = in.Peek();
  in.Advance();
  return c;
}

bool AtFileEnd(TextInput& in) { return in.Peek() == kEndOfText; }

bool AtLineEnd(TextInput& in) {
  int c = in.Peek();
  return c == kEndOfText || c == kCarriageReturn;
}

bool SkipBlanksToFileEnd(TextInput& in) {
  for (;;) {
    int c = in.Peek();
    if (c == kEndOfText) return true;
    if (c > ' ') return false;
    in.Advance();
  }
}

bool SkipBlanksToLineEnd(TextInput& in) {
  for (;;) {
    int c = in.Peek();
    if (c == kEndOfText || c == kCarriageReturn || c == kLineFeed) return true;
    if (c > ' ') return false;
    in.Advance();
  }
}

std::string ReadLineText(TextInput& in) {
  try {
    std::string line;
    for (;;) {
      // The characters up to the next CR or LF go in at once.
      std::string_view ahead = in.Ahead();
      std::size_t plain = std::min(ahead.find_first_of("\r\n"), ahead.size());
      line.append(ahead.substr(0, plain));
      in.Skip(plain);
      int c = in.Peek();
      if (c == kEndOfText || c == kLineFeed) break;
      if (c == kCarriageReturn) {
        if (in.PeekAt(1) == kLineFeed) break;
        in.Advance();  // a CR on its own is dropped
      }
    }
    return line;
  } catch (const std::bad_alloc&) {
    // The line is freed by now, so the report can be made.
    throw IoFault(in.name(), ENOMEM);
  }
}

void SkipToNextLine(TextInput& in) {
  for (;;) {
    int c = ReadTextChar(in);
    if (c == kEndOfText || c == kLineFeed) return;
  }
}

}  // namespace sparsim
