// Constants at the x87's extended precision (a 64-bit significand): each is
// the 64-bit value nearest the true one, written in hexadecimal so that a
// machine whose long double is wider holds the same value
// (numeric/extended_arithmetic.h), e.g. kPi = 3.14159265358979323851...

#ifndef SPARSIM_NUMERIC_EXTENDED_CONSTANTS_H_
#define SPARSIM_NUMERIC_EXTENDED_CONSTANTS_H_

namespace sparsim {

constexpr long double kPi = 0xc.90fdaa22168c235p-2L;
constexpr long double kSqrtTwoPi = 0xa.06c98ffb1382cb3p-2L;

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_EXTENDED_CONSTANTS_H_
