// The dialogue's reading of data-file items: the reader of
// numeric/data_reader.h, with the messages and the "Quit Now" question the
// walk mode shows on a bad item.
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
// message or question.

#ifndef SPARSIM_DIALOGUE_DATA_ITEMS_H_
#define SPARSIM_DIALOGUE_DATA_ITEMS_H_

#include <cstdint>

#include "common/program_files.h"
#include "dialogue/console.h"
#include "numeric/data_reader.h"

namespace sparsim {

double ReadRealItem(Console& console, InputFile& file, ItemSource* source = nullptr);
int32_t ReadIntegerItem(Console& console, InputFile& file, ItemSource* source = nullptr);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_DATA_ITEMS_H_
