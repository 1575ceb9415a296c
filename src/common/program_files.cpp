#include "common/program_files.h"

#include <utility>

namespace sparsim {

void InputFile::Open(std::unique_ptr<TextInput> file) {
  Close();
  owned_ = std::move(file);
  active_ = owned_.get();
}

void InputFile::BindConsole(TextInput& console_input) {
  Close();
  active_ = &console_input;
}

void InputFile::Rewind() {
  if (owned_) owned_->Rewind();
}

void InputFile::Close() {
  std::unique_ptr<TextInput> file = std::move(owned_);
  active_ = nullptr;
  if (file) file->Close();
}

void OutputFile::Open(std::unique_ptr<TextOutput> file) {
  Close();
  owned_ = std::move(file);
  active_ = owned_.get();
}

void OutputFile::BindConsole(TextOutput& console_output) {
  Close();
  active_ = &console_output;
}

void OutputFile::Close() {
  TextOutput* active = std::exchange(active_, nullptr);
  std::unique_ptr<TextOutput> file = std::move(owned_);
  if (file) {
    file->Close();
  } else if (active) {
    active->Flush();
  }
}

}  // namespace sparsim
