#include "dialogue/option_values.h"

#include <charconv>
#include <cmath>

#include "common/command_line.h"
#include "dialogue/choice_prompts.h"
#include "dialogue/numeric_prompts.h"

namespace sparsim {

void RefuseOption(const std::string& message) { throw CommandFailure(kExitUsage, message); }

std::string NotANumberReason(std::size_t error_position, const std::string& converted) {
  if (error_position > converted.size()) return "not a number (it stops short)";
  return "not a number (bad character \"" + converted.substr(error_position - 1, 1) + "\")";
}

std::string OptionText(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

double RealOption(const std::string& option, const std::string& text, double low, double high,
                  const std::string& rule) {
  RealAnswer read = ReadRealAnswer(text);
  if (read.text.empty()) RefuseOption(option + ": needs a number");
  if (read.parsed.error_position != 0) {
    RefuseOption(option + " " + text + ": " +
                 NotANumberReason(read.parsed.error_position, read.text));
  }
  if (std::isinf(read.value) || read.value < low || read.value > high) {
    RefuseOption(option + " " + text + ": must be " + rule);
  }
  return read.value;
}

int32_t IntegerOption(const std::string& option, const std::string& text, int32_t low,
                      int32_t high) {
  std::string trimmed = TrimSpaces(text);
  if (trimmed.empty()) RefuseOption(option + ": needs a whole number");
  IntegerParse parsed = ReadIntegerAnswer(trimmed);
  if (parsed.error_position != 0) {
    RefuseOption(option + " " + text + ": " + NotANumberReason(parsed.error_position, trimmed));
  }
  if (parsed.value < low || parsed.value > high) {
    RefuseOption(option + " " + text + ": must be " + std::to_string(low) + " to " +
                 std::to_string(high));
  }
  return parsed.value;
}

}  // namespace sparsim
