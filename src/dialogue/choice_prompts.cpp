#include "dialogue/choice_prompts.h"

namespace sparsim {
namespace {

constexpr int kEmptyAnswer = 13;
constexpr int kLineFeed = 10;
// A letter that never occurs in a set of letters.
constexpr int kNoLetter = 255;
constexpr char kBell = 7;

bool IsEmptyAnswer(int letter) { return letter == kEmptyAnswer || letter == kLineFeed; }

}  // namespace

void PromptLine(Console& console, std::string_view question, std::string_view default_text) {
  console.out.Write(question);
  if (default_text.empty()) {
    console.out.Write(" ? ");
  } else {
    console.out.Write(" {");
    console.out.Write(default_text);
    console.out.Write("} ? ");
  }
  console.out.Flush();
}

int ReadKeyboardLine(Console& console) {
  std::string line = ReadAnswerLine(console);
  if (line.empty()) return kEmptyAnswer;
  return static_cast<unsigned char>(line[0]);
}

std::string TrimSpaces(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return std::string(text);
}

int UpperCaseLetter(int c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

char AskChoice(Console& console, std::string_view question, std::string_view letters,
               std::string_view default_text) {
  for (;;) {
    PromptLine(console, question, default_text);
    int letter = ReadKeyboardLine(console);
    if (IsEmptyAnswer(letter)) {
      letter = default_text.empty() ? kNoLetter : static_cast<unsigned char>(default_text[0]);
    }
    letter = UpperCaseLetter(letter);
    if (letters.find(static_cast<char>(letter)) != std::string_view::npos) {
      return static_cast<char>(letter);
    }
    console.out.WriteChar(kBell);
    console.out.Flush();
    EndIfAnswersExhausted(console);
  }
}

bool AskYesNo(Console& console, std::string_view question, char default_letter) {
  char shown = default_letter == kDefaultYes  ? 'Y'
               : default_letter == kDefaultNo ? 'N'
                                              : kNoDefault;
  for (;;) {
    PromptLine(console, question,
               shown == kNoDefault ? std::string_view() : std::string_view(&shown, 1));
    int letter = ReadKeyboardLine(console);
    if (IsEmptyAnswer(letter)) letter = shown;
    letter = UpperCaseLetter(letter);
    if (letter == 'N') return false;
    if (letter == 'Y') return true;
    EndIfAnswersExhausted(console);
  }
}

}  // namespace sparsim
