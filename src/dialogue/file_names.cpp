#include "dialogue/file_names.h"

#include <array>

namespace sparsim {
namespace {

constexpr std::array<std::string_view, 7> kRefusedDeviceNames = {"PRN",  "NUL",  "COM1", "COM2",
                                                                 "LPT1", "LPT2", "LPT3"};
constexpr std::string_view kRefusedCharacters = "/*?\"<>|";

}  // namespace

std::string UpperCaseText(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool IsValidFileName(std::string& name) {
  name = UpperCaseText(name);
  if (name.empty()) return false;
  for (std::string_view device : kRefusedDeviceNames) {
    if (name == device) return false;
  }
  for (char c : name) {
    auto code = static_cast<unsigned char>(c);
    if (code < 32 || code > 126) return false;
    if (kRefusedCharacters.find(c) != std::string_view::npos) return false;
  }
  return true;
}

std::string StripExtension(std::string_view name) {
  // Looks at the last four characters from the end; the first '.' wins.
  std::size_t length = name.size();
  std::size_t i = length;  // 1-based position
  while (i > 1 && name[i - 1] != '.' && i + 3 > length) --i;
  if (i > 0 && name[i - 1] == '.') return std::string(name.substr(0, i - 1));
  return std::string(name);
}

bool IsDefaultExtension(std::string_view file_default) {
  return !file_default.empty() && file_default.front() == '.';
}

bool IsDefaultName(std::string_view file_default) {
  return !file_default.empty() && file_default.front() != '.';
}

}  // namespace sparsim
