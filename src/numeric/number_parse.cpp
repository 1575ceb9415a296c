#include "numeric/number_parse.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

#include "numeric/extended_arithmetic.h"

namespace sparsim {
namespace {

// The largest power of ten that extended precision holds (1.19e4932 is its
// largest value).
constexpr int64_t kLargestPowerOfTen = 4932;
// An exponent this far beyond the length of the text makes the value overflow
// or vanish whatever the digits are (see ParseReal); one beyond it is held at
// it, so that counting it cannot overflow.
constexpr int64_t kExponentMargin = 10000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// 10^k for k >= 0, correctly rounded to extended precision (infinite when
// it overflows). Where long double is binary128 its correct rounding is
// rounded again to 64 bits: for no k below 5000 is that a tie, so this too
// is correctly rounded.
long double PowerOfTen(int64_t k) {
  std::string text = "1e" + std::to_string(k);
  return RoundToExtended(std::strtold(text.c_str(), nullptr), 0);
}

// mantissa * 10^k, as one correctly rounded product or quotient wherever the
// power of ten has an extended value; a smaller power than that is divided
// out in two steps, since the quotient may still be a number.
long double ScaleByPowerOfTen(long double mantissa, int64_t k) {
  if (k > 0) return ExtendedMultiply(mantissa, PowerOfTen(k));
  if (k >= -kLargestPowerOfTen) return k == 0 ? mantissa : ExtendedDivide(mantissa, PowerOfTen(-k));
  return ExtendedDivide(ExtendedDivide(mantissa, PowerOfTen(kLargestPowerOfTen)),
                        PowerOfTen(-k - kLargestPowerOfTen));
}

// mantissa x 10^k in SoftExtended, the same steps as ScaleByPowerOfTen.
SoftExtended SoftScaleByPowerOfTen(SoftExtended mantissa, int64_t k) {
  if (k > 0) return mantissa.Times(SoftExtended::PowerOfTen(k));
  if (k == 0) return mantissa;
  if (k >= -kLargestPowerOfTen) return mantissa.DividedBy(SoftExtended::PowerOfTen(-k));
  return mantissa.DividedBy(SoftExtended::PowerOfTen(kLargestPowerOfTen))
      .DividedBy(SoftExtended::PowerOfTen(-k - kLargestPowerOfTen));
}

// The digits' integer and its scaling, in the x87's arithmetic: long double
// where it is the x87's format or wider (numeric/extended_arithmetic.h)...
struct LongDoubleMantissa {
  long double value = 0;
  // False, leaving the value, when the next value would be infinite.
  bool AddDigit(int digit) {
    long double next = ExtendedAdd(ExtendedMultiply(value, 10), digit);
    if (std::isinf(next)) return false;
    value = next;
    return true;
  }
  bool IsZero() const { return value == 0; }
  long double Scaled(int64_t k) const { return ScaleByPowerOfTen(value, k); }
};

// ... and SoftExtended where long double is narrower: the stored double is
// the same.
struct SoftMantissa {
  SoftExtended value;
  bool AddDigit(int digit) {
    SoftExtended next = value.Times(SoftExtended::Integer(10))
                            .Plus(SoftExtended::Integer(static_cast<uint64_t>(digit)));
    if (next.infinite) return false;
    value = next;
    return true;
  }
  bool IsZero() const { return value.IsZero(); }
  long double Scaled(int64_t k) const { return SoftScaleByPowerOfTen(value, k).ToDouble(); }
};

// Reads the text from `position` on; positions are 0-based here and turned
// into the 1-based error positions of the contract at the end.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}
  bool AtEnd() const { return position_ >= text_.size(); }
  char Next() const { return text_[position_]; }
  void Skip() { ++position_; }
  std::size_t ErrorHere() const { return position_ + 1; }
  void SkipBlanks() {
    while (!AtEnd() && Next() == ' ') Skip();
  }
  // Reads an optional sign; true when it was '-'.
  bool ReadSign() {
    if (AtEnd() || (Next() != '+' && Next() != '-')) return false;
    bool negative = Next() == '-';
    Skip();
    return negative;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

template <typename Mantissa>
RealParse ParseRealWith(std::string_view text) {
  RealParse result;
  Scanner in(text);
  in.SkipBlanks();
  bool negative = in.ReadSign();
  if (in.AtEnd()) {
    result.error_position = in.ErrorHere();
    return result;
  }
  Mantissa mantissa;
  int64_t fraction_digits = 0;
  // Digits after the integer has reached the end of the extended range are
  // not added to it; each counts as a factor of ten instead.
  int64_t dropped_digits = 0;
  auto add_digit = [&](char digit) {
    if (dropped_digits > 0 || !mantissa.AddDigit(digit - '0')) ++dropped_digits;
  };
  for (; !in.AtEnd() && IsDigit(in.Next()); in.Skip()) add_digit(in.Next());
  if (!in.AtEnd() && in.Next() == '.') {
    in.Skip();
    for (; !in.AtEnd() && IsDigit(in.Next()); in.Skip()) {
      add_digit(in.Next());
      ++fraction_digits;
    }
  }
  // With m digits in all, the value lies within 10^(exponent - m) and
  // 10^(exponent + m + 4933): past the margin it is infinite or zero
  // whatever the exponent's exact size.
  const int64_t exponent_limit = static_cast<int64_t>(text.size()) + kExponentMargin;
  int64_t exponent = 0;
  if (!in.AtEnd() && (in.Next() == 'E' || in.Next() == 'e')) {
    in.Skip();
    bool exponent_negative = in.ReadSign();
    if (in.AtEnd()) {
      result.error_position = in.ErrorHere();
      return result;
    }
    if (!IsDigit(in.Next())) {
      result.error_position = in.ErrorHere();
      return result;
    }
    for (; !in.AtEnd() && IsDigit(in.Next()); in.Skip()) {
      if (exponent < exponent_limit) exponent = exponent * 10 + (in.Next() - '0');
    }
    if (exponent_negative) exponent = -exponent;
  }
  if (!in.AtEnd()) {
    result.error_position = in.ErrorHere();
    return result;
  }
  long double value =
      mantissa.IsZero() ? 0 : mantissa.Scaled(exponent - fraction_digits + dropped_digits);
  result.value = negative ? -value : value;
  return result;
}

}  // namespace

RealParse ParseReal(std::string_view text) {
  if constexpr (LDBL_MANT_DIG >= 64) {
    return ParseRealWith<LongDoubleMantissa>(text);
  } else {
    return ParseRealWith<SoftMantissa>(text);
  }
}

double ParseRealPortably(std::string_view text) {
  return static_cast<double>(ParseRealWith<SoftMantissa>(text).value);
}

IntegerParse ParseInteger(std::string_view text) {
  IntegerParse result;
  Scanner in(text);
  in.SkipBlanks();
  bool negative = in.ReadSign();
  if (in.AtEnd()) {
    result.error_position = in.ErrorHere();
    return result;
  }
  bool hexadecimal = false;
  if (in.Next() == '$' || in.Next() == 'x' || in.Next() == 'X') {
    hexadecimal = true;
    in.Skip();
  } else if (in.Next() == '0') {
    Scanner ahead = in;
    ahead.Skip();
    if (!ahead.AtEnd() && (ahead.Next() == 'x' || ahead.Next() == 'X')) {
      hexadecimal = true;
      in = ahead;
      in.Skip();
    }
  }
  if (in.AtEnd()) {
    result.error_position = in.ErrorHere();
    return result;
  }

  if (hexadecimal) {
    uint32_t bits = 0;
    for (; !in.AtEnd(); in.Skip()) {
      int digit = HexDigitValue(in.Next());
      // A ninth significant digit does not fit in 32 bits.
      if (digit < 0 || bits >= 0x10000000u) {
        result.error_position = in.ErrorHere();
        return result;
      }
      bits = bits * 16 + static_cast<uint32_t>(digit);
    }
    if (negative) bits = 0u - bits;
    result.value = static_cast<int32_t>(bits);
    return result;
  }

  constexpr int64_t kLastSafeMagnitude = 214748364;
  int64_t magnitude = 0;
  for (; !in.AtEnd(); in.Skip()) {
    if (!IsDigit(in.Next()) || magnitude > kLastSafeMagnitude) {
      result.error_position = in.ErrorHere();
      return result;
    }
    magnitude = magnitude * 10 + (in.Next() - '0');
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) {
    result.error_position = in.ErrorHere();  // just past the end
    return result;
  }
  result.value = static_cast<int32_t>(value);
  return result;
}

}  // namespace sparsim
