// Points held by someone else -- a NumPy array, an R matrix -- seen as X and
// Y with a stride, so that the library reads and writes them in place and a
// package copies no point twice.
//
// Example: an (n, 2) C-ordered NumPy array at a is {a, a + 1, 2, n}; an
// n-by-2 R matrix at m is {m, m + n, 1, n}. Point i (from 0) is
// (x[i * stride], y[i * stride]).

#ifndef SPARSIM_COMMON_POINT_SPAN_H_
#define SPARSIM_COMMON_POINT_SPAN_H_

#include <cstddef>
#include <cstdint>

namespace sparsim {

template <typename Number>
struct PointSpanOf {
  Number* x = nullptr;
  Number* y = nullptr;
  std::ptrdiff_t stride = 1;
  int64_t count = 0;
  Number& X(int64_t i) const { return x[i * stride]; }
  Number& Y(int64_t i) const { return y[i * stride]; }
};

using PointSpan = PointSpanOf<double>;             // written
using ConstPointSpan = PointSpanOf<const double>;  // read

}  // namespace sparsim

#endif  // SPARSIM_COMMON_POINT_SPAN_H_
