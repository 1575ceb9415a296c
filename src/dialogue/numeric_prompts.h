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
#include <string_view>

#include "dialogue/console.h"

namespace sparsim {

int32_t AskInteger(Console& console, std::string_view question, int32_t low, int32_t high,
                   std::string_view default_text);

double AskReal(Console& console, std::string_view question, std::string_view default_text,
               double low, double high);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_NUMERIC_PROMPTS_H_
