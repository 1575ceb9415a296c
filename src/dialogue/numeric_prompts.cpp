#include "dialogue/numeric_prompts.h"

#include <cmath>
#include <string>

#include "dialogue/choice_prompts.h"
#include "numeric/number_format.h"

namespace sparsim {
namespace {

// Asks until an answer or the default gives a non-empty text.
std::string AskNumberText(Console& console, std::string_view question,
                          std::string_view default_text) {
  for (;;) {
    PromptLine(console, question, default_text);
    std::string answer = TrimSpaces(ReadAnswerLine(console));
    if (!answer.empty()) return answer;
    if (!default_text.empty()) return std::string(default_text);
    EndIfAnswersExhausted(console);
  }
}

// The message for a character that does not belong to a number. An error
// just past the end of the answer has no character to show.
void WriteInvalidCharacter(Console& console, std::string_view label, const std::string& answer,
                           std::size_t position) {
  console.out.Write(label);
  console.out.Write("\"");
  if (position <= answer.size()) console.out.WriteChar(answer[position - 1]);
  console.out.WriteLine("\"");
}

void WriteOutOfRange(Console& console, const std::string& low, const std::string& high) {
  console.out.WriteLine("Value Out of Range (" + low + "," + high + ")");
}

}  // namespace

RealAnswer ReadRealAnswer(std::string_view answer) {
  RealAnswer read;
  read.text = TrimSpaces(answer);
  // A leading point reads as "0." whatever the parser makes of it.
  if (read.text.starts_with('.')) {
    read.text = "0" + read.text;
  } else if (read.text.starts_with("-.")) {
    read.text = "-0" + read.text.substr(1);
  }
  read.parsed = ParseReal(read.text);
  read.value = static_cast<double>(read.parsed.value);
  return read;
}

IntegerParse ReadIntegerAnswer(std::string_view answer) { return ParseInteger(TrimSpaces(answer)); }

int32_t AskInteger(Console& console, std::string_view question, int32_t low, int32_t high,
                   std::string_view default_text) {
  for (;;) {
    std::string answer = AskNumberText(console, question, default_text);
    IntegerParse parsed = ReadIntegerAnswer(answer);
    if (parsed.error_position != 0) {
      WriteInvalidCharacter(console, "Invalid Character in Integer: ", answer,
                            parsed.error_position);
    } else if (parsed.value < low || parsed.value > high) {
      WriteOutOfRange(console, FormatInteger(low, 0), FormatInteger(high, 0));
    } else {
      return parsed.value;
    }
    EndIfAnswersExhausted(console);
  }
}

double AskReal(Console& console, std::string_view question, std::string_view default_text,
               double low, double high) {
  for (;;) {
    RealAnswer read = ReadRealAnswer(AskNumberText(console, question, default_text));
    const RealParse& parsed = read.parsed;
    double value = read.value;
    // A value beyond the range of a double has no stored form: refused.
    bool in_range = !std::isinf(value) && value >= low && value <= high;
    if (parsed.error_position != 0) {
      WriteInvalidCharacter(console, "Invalid Character in Real: ", read.text,
                            parsed.error_position);
    } else if (!in_range) {
      WriteOutOfRange(console, FormatScientific(low), FormatScientific(high));
    } else {
      return value;
    }
    EndIfAnswersExhausted(console);
  }
}

}  // namespace sparsim
