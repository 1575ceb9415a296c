#include "dialogue/option_values.h"

#include <charconv>
#include <cmath>

#include "common/command_line.h"
#include "dialogue/choice_prompts.h"
#include "dialogue/numeric_prompts.h"
#include "numeric/number_parse.h"

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
  const std::string range = "from " + std::to_string(low) + " to " + std::to_string(high);
  if (parsed.error_position != 0) {
    // A number all the same (3000000000, 2.5) is out of range, not "not a number".
    RealParse real = ParseReal(trimmed);
    if (real.error_position == 0) {
      bool whole = real.value == std::trunc(real.value);
      RefuseOption(option + " " + text + ": must be " + (whole ? "" : "a whole number ") + range);
    }
    RefuseOption(option + " " + text + ": " + NotANumberReason(parsed.error_position, trimmed));
  }
  if (parsed.value < low || parsed.value > high) {
    RefuseOption(option + " " + text + ": must be " + range);
  }
  return parsed.value;
}

}  // namespace sparsim
