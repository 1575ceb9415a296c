// Writing text: bytes out, CR LF line ends, explicit flushes.
//
// A TextOutput writes to a file descriptor (standard output or a created
// file) or to an in-memory string. Text is buffered until Flush, Close, or
// until the buffer grows large; every line end it writes is CR LF. A
// WriteLine puts its text and line end into the buffer together, so a file
// written line by line holds only whole lines whenever it is flushed.
//
// Example:
//   TextOutput out = TextOutput::InMemory();
//   out.Write("Random Seed: ");
//   out.WriteLine("12345");
//   out.contents() == "Random Seed: 12345\r\n"
//
// A failed write or close throws the IoFault of common/program_end.h. A file
// the output owns is then cut back to the end of its last whole line, so
// that a full disk or the file-size limit never leaves half a point line
// ("1058.0000,10") to be read back as a point; the output takes nothing
// more. A write to a pipe or a terminal that waits for its reader ends with
// the interrupt's ProgramEnd when a signal comes (common/interrupt.h).

#ifndef SPARSIM_COMMON_TEXT_OUTPUT_H_
#define SPARSIM_COMMON_TEXT_OUTPUT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace sparsim {

constexpr std::string_view kLineEnd = "\r\n";

class TextOutput {
 public:
  // Writes to the file descriptor fd, closing it on Close only when owns_fd.
  TextOutput(int fd, std::string name, bool owns_fd);
  static TextOutput InMemory(std::string name = "(memory)");
  ~TextOutput();
  TextOutput(TextOutput&& other) noexcept;
  TextOutput& operator=(TextOutput&&) = delete;
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  void Write(std::string_view text);
  void WriteChar(char c);
  // Writes text and a CR LF line end.
  void WriteLine(std::string_view text = {});
  void Flush();
  // Flushes and closes an owned descriptor; the output takes nothing more.
  void Close();

  const std::string& name() const { return name_; }
  // Whether what is written goes nowhere (no descriptor, not in memory), so
  // that a caller may skip making it.
  bool discards() const { return !in_memory_ && fd_ < 0; }
  // Everything written to an in-memory output so far.
  const std::string& contents() const { return memory_; }
  // How many times Flush has been called; lets tests see what is flushed.
  std::size_t flush_count() const { return flush_count_; }

 private:
  void WriteBuffer();
  void WriteOut(std::string_view bytes);
  [[noreturn]] void FailWrite(int error_number);

  int fd_;
  bool owns_fd_;
  bool in_memory_;
  // Whether a write to fd_ can wait for a reader (a pipe, a terminal), as a
  // write to a regular file cannot; looked up at the first write.
  enum class Kind { kUnknown, kFile, kStream } kind_ = Kind::kUnknown;
  bool failed_ = false;
  // Bytes handed to fd_ since the last line end handed to it.
  std::size_t unterminated_ = 0;
  std::string name_;
  std::string buffer_;
  std::string memory_;
  std::size_t flush_count_ = 0;
};

}  // namespace sparsim

#endif  // SPARSIM_COMMON_TEXT_OUTPUT_H_
