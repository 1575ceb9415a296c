// Prompts for one number within inclusive bounds.
//
// The answer is trimmed of blanks; an empty answer takes the default text
// (none when it is empty: the question is asked again silently). A bad
// number or one out of range gets a one-line message and the question again:
//   Invalid Character in Integer: "a"        (answer 12a)
//   Invalid Character in Real: ","           (answer 3,5)
//   Value Out of Range (1,10000)             (AskInteger, answer 0)
//   Value Out of Range ( 0.00000000000000E+0000, 1.00000000000000E+0030)
// AskReal reads ".5" and "-.25" as if a 0 stood before the point, and refuses
// a value beyond the range of a double with the range message.
//
// Note the order of the arguments: AskInteger takes the default after the
// bounds, AskReal before them.

#ifndef SPARSIM_DIALOGUE_NUMERIC_PROMPTS_H_
#define SPARSIM_DIALOGUE_NUMERIC_PROMPTS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "dialogue/console.h"
#include "numeric/number_parse.h"

namespace sparsim {

int32_t AskInteger(Console& console, std::string_view question, int32_t low, int32_t high,
                   std::string_view default_text);

double AskReal(Console& console, std::string_view question, std::string_view default_text,
               double low, double high);

// An answer converted as AskReal converts it: trimmed of blanks, a leading
// point read as "0." ("-.25" as "-0.25"). text is the answer so converted,
// which parsed.error_position refers to; value is parsed.value stored as a
// double (infinite beyond the range of a double, which AskReal refuses).
// The command line converts its numbers with it, so that an option gives
// the very double the same answer gives in the dialogue.
struct RealAnswer {
  std::string text;
  RealParse parsed;
  double value = 0;
};
RealAnswer ReadRealAnswer(std::string_view answer);

// An answer converted as AskInteger converts it: trimmed, then ParseInteger.
IntegerParse ReadIntegerAnswer(std::string_view answer);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_NUMERIC_PROMPTS_H_
