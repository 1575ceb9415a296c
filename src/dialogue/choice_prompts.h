// The one form of every question, and the prompts that take one letter.
//
// PromptLine writes the question, then " {default} ? " when there is a
// default or " ? " when there is none, and flushes; the answer is typed on
// the same line. Letter answers count by their first character only,
// upper-cased (ASCII letters only).
//
// Example: AskChoice(console, "[G]enerate ... Points", "GW", "G") writes
//   "[G]enerate ... Points {G} ? "
// and returns 'G' for an empty answer, 'W' for "walk"; for "x" it writes the
// bell (character 7) and asks again. AskYesNo(console, "Plot on Screen", 'T')
// writes "Plot on Screen {Y} ? " and asks again silently after "maybe".

#ifndef SPARSIM_DIALOGUE_CHOICE_PROMPTS_H_
#define SPARSIM_DIALOGUE_CHOICE_PROMPTS_H_

#include <string>
#include <string_view>

#include "dialogue/console.h"

namespace sparsim {

// Default letters of AskYesNo: 'T' means yes, 'F' no, anything else none.
constexpr char kDefaultYes = 'T';
constexpr char kDefaultNo = 'F';
constexpr char kNoDefault = ' ';

void PromptLine(Console& console, std::string_view question, std::string_view default_text);

// The first character of the next answer line exactly as typed (0..255), or
// 13 when the line is empty.
int ReadKeyboardLine(Console& console);

// text without blanks (code 32 only) at either end.
std::string TrimSpaces(std::string_view text);

// ASCII upper case of one character code; other codes are unchanged.
int UpperCaseLetter(int c);

// An upper-case letter from `letters`; the first character of default_text
// answers an empty line (no default when default_text is empty).
char AskChoice(Console& console, std::string_view question, std::string_view letters,
               std::string_view default_text);

// true for an answer beginning with Y or y, false for N or n.
bool AskYesNo(Console& console, std::string_view question, char default_letter);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_CHOICE_PROMPTS_H_
