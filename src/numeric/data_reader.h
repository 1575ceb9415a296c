// Reading numbers one at a time from a data file such as a coordinate file.
//
// Items may be separated by any mix of white space (every code of 32 or
// below), commas and '#' comments. A comment runs from '#' to the next '#'
// or to the end of its line, whichever comes first, so text after a closing
// '#' is data again:
//   "5,,  7 # note # 9\r\n"  gives the items 5, 7 and 9
//   "10#Points#"             gives 10
// A token ends at a blank, comma, '#', tab or LF, or before a CR or the end
// of the data, and keeps its first 32 characters (the dialogue's reading);
// readers of the program's own files for conversion keep every character
// (kWholeToken), so that "-13020000000000000000000000000000.0000" reads as
// -1.302e31 and not as the -1.302e30 its first 32 characters give.
//
// ReadDataItem reads one item and reports what it found; what to do about
// an item that is not a number is the caller's business (the dialogue asks
// "Quit Now", dialogue/data_items.h; the command line and the exporter stop
// with a message naming the file, the line and the token). For the data
// "3 #Points#\r\n 12a4\r\n" the second item gives
//   fault kBadCharacter, error_position 3, value kMissingValue,
//   source.line 2, source.token "12a4", source.at_end false
// and DescribeBadItem("SITE.ADF", item, "the X of point 1") says
//   SITE.ADF:2: "12a4" is not a number (bad character "a"); it should be the X of point 1

#ifndef SPARSIM_NUMERIC_DATA_READER_H_
#define SPARSIM_NUMERIC_DATA_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text_input.h"

namespace sparsim {

// The value of an item that holds no number.
constexpr double kMissingValue = 1e32;
// The value of an integer item that was not accepted.
constexpr int32_t kIntegerFailureValue = -2147483647;

// Where an item was read: the line of its first character and its token as
// converted (at most 32 characters); at the end of the data the line of the
// end, an empty token and at_end.
struct ItemSource {
  std::size_t line = 0;
  std::string token;
  bool at_end = false;
};

enum class ItemFault {
  kNone,          // a number
  kEnd,           // the data ended where the item should be
  kMissing,       // the token holds '?', the mark of a missing value
  kBadCharacter,  // the token is not a number
  kOutOfRange,    // a number beyond the range of a double
  kNotInteger,    // (integer items) not a whole number in the 32-bit range
};

struct DataItem {
  // The number read: kMissingValue unless fault is kNone or kNotInteger.
  double value = kMissingValue;
  ItemFault fault = ItemFault::kNone;
  // kBadCharacter: the 1-based position of the character that does not fit
  // (one past the token when the token stops short, as "1e" does).
  std::size_t error_position = 0;
  ItemSource source;
};

// The dialogue keeps this many characters of a token.
constexpr std::size_t kDialogueToken = 32;
constexpr std::size_t kWholeToken = static_cast<std::size_t>(-1);

// Reads one item (a real number, or what stands in its place), keeping
// token_length characters of its token.
DataItem ReadDataItem(TextInput& in, std::size_t token_length = kDialogueToken);

// True for a whole number from -2147483648 to 2147483647: 3.0 and 3E0 are 3.
bool IsInteger32(double value);

// ReadDataItem for an item that must be an integer: a number that is not
// gives kNotInteger, with the number kept in value.
DataItem ReadIntegerDataItem(TextInput& in, std::size_t token_length = kDialogueToken);

// The one-line message for an item that cannot be taken as `what` (for
// example "the Y of point 2"), naming the file, the line and the token:
//   SITE.OUT:3: the file ends where the Y of point 2 should be
//   DATA.ADF:1: "2.5" is not a whole number in the 32-bit range; it should be the point count
std::string DescribeBadItem(const std::string& file_name, const DataItem& item,
                            const std::string& what);

// Skips white space, commas and comments; true when nothing but these
// remains before the end of the data.
bool SkipSeparatorsToDataEnd(TextInput& in);

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_DATA_READER_H_
