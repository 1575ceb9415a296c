// Reading numbers one at a time from a data file such as a coordinate file.
//
// Items may be separated by any mix of white space (every code of 32 or
// below), commas and '#' comments. A comment runs from '#' to the next '#'
// or to the end of its line, whichever comes first, so text after a closing
// '#' is data again:
//   "5,,  7 # note # 9\r\n"  gives the items 5, 7 and 9
//   "10#Points#"             gives 10
// A token ends at a blank, comma, '#', tab or LF, or before a CR or the end
// of the data, and keeps its first 32 characters.
//
// ReadRealItem gives kMissingValue (1e32) at the end of the data (after the
// console line "Unexpected EOF") and for a token containing '?'. A token that
// is not a number is shown, e.g. for 12a4
//   Invalid Character in Number: "a"  (Decimal 97) - Input: 12a4
// and "Quit Now {Y} ? " is asked: yes closes the file and ends the program
// through FatalError ("Real Input Error"); no gives kMissingValue. A number
// beyond the range of a double is shown as "Number Out of Range - Input: "
// and the token, with the same question.
//
// ReadIntegerItem reads a real item and accepts a whole number in the 32-bit
// range (3.0 gives 3); otherwise it writes "Not an Integer or Integer Out of
// Range: " and the value in 16 characters with 4 decimals, and asks
// "Quit Now" (yes: FatalError "Integer Input Error"; no: -2147483647).
//
// Both fill the optional source with where the item stood, before any
// message or question, so that a caller that ends the reading can still say
// what it met. For "3 #Points#\r\n 12a4\r\n" the second item gives
//   source.line == 2, source.token == "12a4", source.at_end == false
// and at the end of the data the line of the end, an empty token and
// at_end == true.

#ifndef SPARSIM_NUMERIC_DATA_READER_H_
#define SPARSIM_NUMERIC_DATA_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/program_files.h"
#include "dialogue/console.h"

namespace sparsim {

constexpr double kMissingValue = 1e32;
constexpr int32_t kIntegerFailureValue = -2147483647;

// Where an item was read: the line of its first character and its token as
// converted (at most 32 characters).
struct ItemSource {
  std::size_t line = 0;
  std::string token;
  bool at_end = false;
};

double ReadRealItem(Console& console, InputFile& file, ItemSource* source = nullptr);
int32_t ReadIntegerItem(Console& console, InputFile& file, ItemSource* source = nullptr);

// Skips white space, commas and comments; true when nothing but these
// remains before the end of the data.
bool SkipSeparatorsToDataEnd(TextInput& in);

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_DATA_READER_H_
