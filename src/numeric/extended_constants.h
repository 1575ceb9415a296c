// Constants at full extended precision (64-bit significand): each is the
// long double nearest the true value, e.g. kPi = 3.14159265358979323851...

#ifndef SPARSIM_NUMERIC_EXTENDED_CONSTANTS_H_
#define SPARSIM_NUMERIC_EXTENDED_CONSTANTS_H_

namespace sparsim {

constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr long double kSqrtTwoPi = 2.50662827463100050241576528481104525L;

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_EXTENDED_CONSTANTS_H_
