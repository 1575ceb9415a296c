// Reading text at the level of characters and lines.
//
// A TextInput is a byte source read sequentially from a current position:
// standard input, an opened file, or an in-memory string. Its content ends at
// the physical end or at the first character 26 (Ctrl-Z), whichever comes
// first; nothing after a 26 is ever read. On input a line ends at LF or CR LF.
//
// The seven reading operations below are free functions over a TextInput.
// Example, for the content "abc\r\ndef":
//   ReadLineText(in)  gives "abc" and leaves the CR LF unread;
//   SkipToNextLine(in) then leaves the input at the 'd';
//   ReadTextChar(in)  gives 'd'.
// At the end of the content ReadTextChar gives kEndOfText again and again.
//
// Reading never reports the end as a failure; a failed read of the underlying
// file throws the IoFault of common/program_end.h. A read from a file
// descriptor that SIGINT or SIGTERM interrupts (or that would start after
// one) throws the interrupt's ProgramEnd of common/interrupt.h.

#ifndef SPARSIM_COMMON_TEXT_INPUT_H_
#define SPARSIM_COMMON_TEXT_INPUT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace sparsim {

// The end indication of ReadTextChar and the peeking functions.
constexpr int kEndOfText = -1;
// The character that ends the content of a text input.
constexpr int kEndOfFileMark = 26;

class TextInput {
 public:
  // Reads the file descriptor fd; closes it on Close or destruction only when
  // owns_fd. name is used in error reports.
  TextInput(int fd, std::string name, bool owns_fd);
  // Reads an in-memory text.
  explicit TextInput(std::string content, std::string name = "(text)");
  ~TextInput();
  TextInput(const TextInput&) = delete;
  TextInput& operator=(const TextInput&) = delete;

  // The character offset characters ahead of the current position (0 is the
  // next one), or kEndOfText when the content ends before it.
  int PeekAt(std::size_t offset);
  int Peek() { return PeekAt(0); }
  // Moves past the next character; does nothing at the end of the content.
  void Advance();
  // The unread characters at hand, up to the end mark: those already taken
  // from the source, or else the next ones it gives. Empty only at the end
  // of the content. Lets a reader take a long run of characters at once.
  std::string_view Ahead();
  // Moves past the first count characters of Ahead().
  void Skip(std::size_t count);

  // The line of the next character: 1 at the start, plus one for every LF
  // moved past. "a\r\nb" is at line 2 once the LF is behind it.
  std::size_t line_number() const { return line_number_; }

  // True once any read has met the end of the content. A line read whole,
  // with its line end, has not met it even if nothing follows.
  bool MetEnd() const { return met_end_; }

  // Goes back to the first character of the content (line 1).
  void Rewind();
  // Closes an owned file descriptor. Further reads see the end.
  void Close();

  const std::string& name() const { return name_; }
  // The file descriptor read, or -1 for an in-memory text.
  int fd() const { return fd_; }

 private:
  bool Fill(std::size_t needed);

  int fd_;
  bool owns_fd_;
  bool physical_end_ = false;
  bool met_end_ = false;
  std::string name_;
  std::string buffer_;
  std::size_t position_ = 0;
  std::size_t line_number_ = 1;
};

// Gives the next character and moves past it, or kEndOfText at the end.
int ReadTextChar(TextInput& in);
// True when the next ReadTextChar would give kEndOfText. Consumes nothing.
bool AtFileEnd(TextInput& in);
// True when the next character is CR or the content has ended (a lone LF is
// not a line end for this test). Consumes nothing.
bool AtLineEnd(TextInput& in);
// Reads past every character of code 32 or below. True when the content
// ends; otherwise false, with the first character above 32 left unread.
bool SkipBlanksToFileEnd(TextInput& in);
// Reads past characters of code 32 or below other than CR and LF. True at CR
// or LF (left unread) or at the end; false at a character above 32.
bool SkipBlanksToLineEnd(TextInput& in);
// The rest of the current line without its line end, which stays unread. A CR
// that is not followed by LF is dropped from the text. The line is kept
// whole, however long; one too long for the memory the program may use
// throws the IoFault "NAME: Cannot allocate memory".
std::string ReadLineText(TextInput& in);
// Reads up to and including the next LF (or CR LF), or to the end.
void SkipToNextLine(TextInput& in);

}  // namespace sparsim

#endif  // SPARSIM_COMMON_TEXT_INPUT_H_
