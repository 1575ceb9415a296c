// A logarithm and a cosine computed in double arithmetic alone, for the
// direct sampler's proposals (generate/direct_sampling.h), whose points must
// be the same bits on every machine: each function is a fixed sequence of
// IEEE double additions, multiplications and divisions, with frexp and fmod
// (both exact), and no fused multiply-add (the build forbids contraction).
// So the result does not depend on the width of long double, on the C
// library's functions, or on the vector unit. Both are within a few ulps of
// the exact value (the tests compare them with the C library's).
//
// Example, on every machine:
//   PortableLog(1) == 0, PortableLog(0.5) == -0.6931471805599453 (-ln 2)
//   CosPi(0) == 1, CosPi(1) == -1, CosPi(0.5) == 0, CosPi(1.0 / 3) ~ 0.5

#ifndef SPARSIM_NUMERIC_PORTABLE_MATH_H_
#define SPARSIM_NUMERIC_PORTABLE_MATH_H_

namespace sparsim {

// ln(x) for a positive finite x (subnormals included); NaN below 0, -inf
// at 0, inf at inf.
double PortableLog(double x);

// cos(pi w) for any finite w; NaN for an infinite or NaN w.
double CosPi(double w);

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_PORTABLE_MATH_H_
