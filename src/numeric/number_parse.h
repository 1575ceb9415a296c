// Reading numbers from text, with the position of the first fault.
//
// Both parsers return a value and an error position: 0 when the whole text
// is a number, otherwise the 1-based position of the first character that
// does not fit, or the length + 1 when the text stops where a character is
// still needed (the empty text gives 1).
//
// ParseReal grammar: blanks (code 32 only), an optional sign, digits, an
// optional '.' and digits, an optional exponent 'E'/'e' with optional sign
// and at least one digit; then the end. Digits may be absent on both sides
// of the point. The digits are accumulated as one extended-precision integer,
// scaled by the power of ten that the exponent and the number of fraction
// digits give, and the sign is applied last; each step rounds to the x87's
// 64 bits (numeric/extended_arithmetic.h), so that the value is the same
// where long double is wider, subnormals and long integers included. A zero mantissa gives zero
// whatever the exponent; the value is never NaN. The exponent counts exactly
// for a text of any length, and digits beyond the extended range count as
// powers of ten, so a million zeros change nothing:
//   ParseReal("0.000...0001e1000000") -> 1 (999999 zeros after the point)
//   ParseReal("1.5E-2") -> 0.015, 0      ParseReal("1,5") -> 2
//   ParseReal("1e")     -> 3             ParseReal(".")   -> 0, 0
//
// ParseInteger grammar: blanks, an optional sign, then decimal digits or a
// hexadecimal prefix ("$", "x", "X", "0x", "0X") and 1 to 8 significant hex
// digits taken as a two's-complement 32-bit value; then the end.
//   ParseInteger("2147483648")  -> 11     ParseInteger("-2147483648") -> ok
//   ParseInteger("$FFFFFFFF")   -> -1     ParseInteger("-$10")        -> -16

#ifndef SPARSIM_NUMERIC_NUMBER_PARSE_H_
#define SPARSIM_NUMERIC_NUMBER_PARSE_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sparsim {

struct RealParse {
  long double value = 0;
  std::size_t error_position = 0;
};

struct IntegerParse {
  int32_t value = 0;
  std::size_t error_position = 0;
};

RealParse ParseReal(std::string_view text);

// The double ParseReal's value gives when stored, computed with the x87's
// roundings in integer arithmetic (SoftExtended in
// numeric/extended_arithmetic.h), whatever long double is; 0 for a text
// that is no number. ParseReal takes its value from here where long double
// is narrower than the x87's, so "4.9e-324" and 30-digit integers read the
// same there:
//   ParseRealPortably("4.9e-324") == 0x1p-1074
double ParseRealPortably(std::string_view text);
IntegerParse ParseInteger(std::string_view text);

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_NUMBER_PARSE_H_
