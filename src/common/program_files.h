// The program-wide text files: the walk's input, and the output file that
// both modes write. Each is either a file the program opened, or bound to
// the console (the name CON), in which case closing it finishes only this
// binding: the console itself stays open for the dialogue.
//
// Example:
//   OutputFile out;
//   out.BindConsole(console_output);   // the user answered CON
//   out.text().WriteLine("3,2");       // shows on the console
//   out.Close();                       // flushes; the console stays usable

#ifndef SPARSIM_COMMON_PROGRAM_FILES_H_
#define SPARSIM_COMMON_PROGRAM_FILES_H_

#include <memory>

#include "common/text_input.h"
#include "common/text_output.h"

namespace sparsim {

class InputFile {
 public:
  void Open(std::unique_ptr<TextInput> file);
  void BindConsole(TextInput& console_input);
  bool IsOpen() const { return active_ != nullptr; }
  bool IsConsole() const { return IsOpen() && !owned_; }
  TextInput& text() { return *active_; }
  const TextInput& text() const { return *active_; }
  // Back to the first character. Console input cannot go back: reading goes
  // on from what is typed next.
  void Rewind();
  void Close();

 private:
  std::unique_ptr<TextInput> owned_;
  TextInput* active_ = nullptr;
};

class OutputFile {
 public:
  void Open(std::unique_ptr<TextOutput> file);
  void BindConsole(TextOutput& console_output);
  bool IsOpen() const { return active_ != nullptr; }
  bool IsConsole() const { return IsOpen() && !owned_; }
  TextOutput& text() { return *active_; }
  // Flushes; closes the file unless it is the console.
  void Close();

 private:
  std::unique_ptr<TextOutput> owned_;
  TextOutput* active_ = nullptr;
};

}  // namespace sparsim

#endif  // SPARSIM_COMMON_PROGRAM_FILES_H_
