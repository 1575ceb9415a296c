#include "numeric/portable_math.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace sparsim {

// Double expressions must be evaluated in double: no x87 stack, no wider
// intermediate type, or the bits would depend on the machine.
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must be evaluated in double");
static_assert(std::numeric_limits<double>::is_iec559, "IEEE doubles required");

namespace {

// ln 2 in two parts: the high part has 21 trailing zero bits, so that its
// product with any exponent of a double is exact.
constexpr double kLn2High = 0x1.62e42fefa38p-1;
constexpr double kLn2Low = 0x1.ef35793c7673p-45;
constexpr double kSqrtHalf = 0x1.6a09e667f3bcdp-1;

// 1 / (2k + 1), k = 1..10: atanh(z) = z + z w (1/3 + w/5 + ...), w = z^2;
// for |z| <= 0.172 the next term is below 2^-57 of z.
constexpr double kAtanhTail[] = {1.0 / 3,  1.0 / 5,  1.0 / 7,  1.0 / 9,  1.0 / 11,
                                 1.0 / 13, 1.0 / 15, 1.0 / 17, 1.0 / 19, 1.0 / 21};

// Taylor coefficients of cos x and sin x / x in x^2, to x^16 and x^17:
// beyond pi / 4 the next term is below 2^-58.
constexpr double kCosTerms[] = {1.0,
                                -1.0 / 2,
                                1.0 / 24,
                                -1.0 / 720,
                                1.0 / 40320,
                                -1.0 / 3628800,
                                1.0 / 479001600,
                                -1.0 / 87178291200,
                                1.0 / 20922789888000};
constexpr double kSinTerms[] = {1.0,
                                -1.0 / 6,
                                1.0 / 120,
                                -1.0 / 5040,
                                1.0 / 362880,
                                -1.0 / 39916800,
                                1.0 / 6227020800,
                                -1.0 / 1307674368000,
                                1.0 / 355687428096000};
constexpr double kPiDouble = 0x1.921fb54442d18p+1;

template <int N>
double Horner(const double (&terms)[N], double x) {
  double sum = terms[N - 1];
  for (int k = N - 2; k >= 0; --k) sum = sum * x + terms[k];
  return sum;
}

// Both for |x| <= pi / 4.
double CosSmall(double x) { return Horner(kCosTerms, x * x); }
double SinSmall(double x) { return x * Horner(kSinTerms, x * x); }

}  // namespace

double PortableLog(double x) {
  if (!(x > 0) || x == std::numeric_limits<double>::infinity()) {
    if (x == 0) return -std::numeric_limits<double>::infinity();
    return x > 0 ? x : std::numeric_limits<double>::quiet_NaN();
  }
  // x = m 2^exponent, m in [1/2, 1): from the bits for a normal x (exact,
  // as frexp, without the call).
  int exponent = 0;
  double m = 0;
  uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  if (const auto biased = static_cast<int>(bits >> 52); biased != 0) {
    exponent = biased - 1022;
    bits = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1022} << 52);
    std::memcpy(&m, &bits, sizeof m);
  } else {
    m = std::frexp(x, &exponent);
  }
  if (m < kSqrtHalf) {
    m *= 2;
    --exponent;
  }
  // m in [sqrt(1/2), sqrt(2)): ln m = 2 atanh(z), |z| <= 0.172.
  double z = (m - 1) / (m + 1);
  double w = z * z;
  double log_m = 2 * z + (2 * z * w) * Horner(kAtanhTail, w);
  return exponent * kLn2High + (exponent * kLn2Low + log_m);
}

double CosPi(double w) {
  w = std::fmod(std::fabs(w), 2.0);  // exact; NaN for an infinite w
  if (w > 1) w = 2 - w;              // exact: cos is even about 1
  double sign = 1;
  if (w > 0.5) {
    w = 1 - w;  // exact: cos(pi w) = -cos(pi (1 - w))
    sign = -1;
  }
  // w in [0, 1/2]
  if (w <= 0.25) return sign * CosSmall(kPiDouble * w);
  return sign * SinSmall(kPiDouble * (0.5 - w));
}

}  // namespace sparsim
