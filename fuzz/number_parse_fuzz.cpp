// Fuzz target for ParseReal and ParseInteger over arbitrary text.
//
// Checks, for every input:
//   - the error position is 0 or lies in 1..length+1;
//   - a parsed real is never NaN;
//   - a parsed integer prints back (FormatInteger) to a text that parses to
//     the same value and, for a decimal input, is the input without blanks,
//     a '+' sign or leading zeros ("  +007" prints back as "7");
//   - a decimal text that parses as an integer parses as the same real.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "numeric/number_format.h"
#include "numeric/number_parse.h"

namespace {

void Fail(const char* what, std::string_view text) {
  std::fprintf(stderr, "%s for the text \"%.*s\"\n", what, static_cast<int>(text.size()),
               text.data());
  std::abort();
}

void CheckPosition(std::size_t position, std::string_view text) {
  if (position > text.size() + 1) Fail("error position past length + 1", text);
}

// The text the program writes for a decimal integer input: no blanks, no
// '+', no leading zeros, and no sign for zero. Empty for a hexadecimal one.
std::string CanonicalDecimal(std::string_view text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return "";
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  std::string_view digits = text.substr(i);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return "";
  }
  std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos) return "0";
  return (negative ? "-" : "") + std::string(digits.substr(first));
}

void CheckInteger(std::string_view text) {
  sparsim::IntegerParse parsed = sparsim::ParseInteger(text);
  CheckPosition(parsed.error_position, text);
  if (parsed.error_position != 0) return;
  std::string printed = sparsim::FormatInteger(parsed.value, 0);
  sparsim::IntegerParse again = sparsim::ParseInteger(printed);
  if (again.error_position != 0 || again.value != parsed.value) {
    Fail("integer does not print back to the same value", text);
  }
  std::string canonical = CanonicalDecimal(text);
  if (!canonical.empty() && canonical != printed) Fail("integer prints back differently", text);
  if (!canonical.empty()) {
    sparsim::RealParse real = sparsim::ParseReal(text);
    if (real.error_position != 0 || real.value != parsed.value) {
      Fail("decimal integer reads as a different real", text);
    }
  }
}

void CheckReal(std::string_view text) {
  sparsim::RealParse parsed = sparsim::ParseReal(text);
  CheckPosition(parsed.error_position, text);
  if (parsed.error_position == 0 && std::isnan(parsed.value)) Fail("real is NaN", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckReal(text);
  CheckInteger(text);
  return 0;
}
