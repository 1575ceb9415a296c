// The text forms in which the program writes numbers. Locale-independent:
// the decimal separator is always '.', with no thousands separators.
//
// FormatFixed(x, w, d): x with d decimals, right-aligned in w characters
// (a longer text is never cut). The digits come from the exact value rounded
// to nearest (ties to even) at 17 places for magnitudes below 10, or at 18
// significant digits from 10 on (zeros after the 18th); the result is then
// rounded half up at d decimals, so halfway values go away from zero:
//   FormatFixed(3.14159, 8, 2)  == "    3.14"
//   FormatFixed(0.125, 0, 2)    == "0.13"
//   FormatFixed(2.675, 0, 2)    == "2.67"   (the double lies below 2.675)
//   FormatFixed(-0.001, 8, 2)   == "   -0.00"
// Magnitudes of 2^120 and more take the scientific form with
// max(2, min(18, w - 8)) significant digits, right-aligned in w.
//
// FormatScientific(x): always 23 characters, 15 significant digits:
//   FormatScientific(12.3)  == " 1.23000000000000E+0001"
//   FormatScientific(-1e30) == "-1.00000000000000E+0030"
//
// FormatInteger(n, w): decimal n right-aligned in w: FormatInteger(5, 3) ==
// "  5", FormatInteger(1234, 3) == "1234".
//
// Infinities and NaN are written "INF", "-INF" and "NAN", right-aligned.

#ifndef SPARSIM_NUMERIC_NUMBER_FORMAT_H_
#define SPARSIM_NUMERIC_NUMBER_FORMAT_H_

#include <cstdint>
#include <string>

namespace sparsim {

std::string FormatFixed(long double x, int width, int decimals);
// FormatFixed(x, width, decimals) appended to text; for a double it skips
// the long double work (the files' coordinates take this way).
void AppendFixed(std::string& text, double x, int width, int decimals);

// FixedBefore(end, x, decimals): FormatFixed(x, 0, decimals) for a double,
// written so that it ends just before end, for decimals up to
// kShortFixedDecimals; the bytes from the returned pointer to end are the
// text, at most kShortFixedChars of them. Null, with nothing written, for
// the values that take FormatFixed's slower way: 0, subnormal, huge and tiny
// magnitudes, and the rare values whose two roundings may differ from one
// (about one coordinate in 10^9). Lets a caller lay out many
// numbers in one buffer, for the files' point lines:
//   char line[64];
//   char* start = FixedBefore(line + sizeof line, 924.64583, 4);
//   // std::string(start, line + sizeof line) == "924.6458"
constexpr int kShortFixedDecimals = 18;
constexpr int kShortFixedChars = 48;
char* FixedBefore(char* end, double x, int decimals);

std::string FormatScientific(long double x);
std::string FormatInteger(int32_t n, int width);

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_NUMBER_FORMAT_H_
