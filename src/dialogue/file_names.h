// The rules for the file names that the user types.
//
// Names are upper-cased; the backslash separates directories and a colon is
// an ordinary character. IsValidFileName refuses the empty name, the device
// names PRN, NUL, COM1, COM2, LPT1, LPT2 and LPT3, and names holding any of
// / * ? " < > | or a code below 32 or above 126:
//   IsValidFileName("site.adf") -> true, the name becomes "SITE.ADF"
//   IsValidFileName("lpt3")     -> false; "prn.txt" and "aux" are valid
// StripExtension removes a '.' found among the last four characters and
// everything after it: "DATA.ADF" -> "DATA", "FILE." -> "FILE",
// "DATA.TEXT" stays whole.

#ifndef SPARSIM_DIALOGUE_FILE_NAMES_H_
#define SPARSIM_DIALOGUE_FILE_NAMES_H_

#include <string>
#include <string_view>

namespace sparsim {

// The name that stands for the console.
constexpr std::string_view kConsoleName = "CON";

std::string UpperCaseText(std::string_view text);

// Upper-cases name in place, whatever the result.
bool IsValidFileName(std::string& name);

std::string StripExtension(std::string_view name);

// A file default beginning with '.' is a default extension; any other
// non-empty one is a default name.
bool IsDefaultExtension(std::string_view file_default);
bool IsDefaultName(std::string_view file_default);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_FILE_NAMES_H_
