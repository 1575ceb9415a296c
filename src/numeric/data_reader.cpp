#include "numeric/data_reader.h"

#include <cmath>
#include <string>

#include "numeric/number_parse.h"

namespace sparsim {
namespace {

constexpr int kCarriageReturn = 13;
constexpr int kLineFeed = 10;
constexpr int kTab = 9;

// Called just after the '#' that opens a comment.
void SkipComment(TextInput& in) {
  for (;;) {
    if (SkipBlanksToLineEnd(in)) return;  // the line end stays unread
    if (ReadTextChar(in) == '#') return;
    int next = in.Peek();
    if (next == kCarriageReturn || next == kEndOfText) return;
  }
}

// The first character of the next item, or kEndOfFileMark at the end.
int SkipSeparators(TextInput& in) {
  if (SkipSeparatorsToDataEnd(in)) return kEndOfFileMark;
  return ReadTextChar(in);
}

// line receives the line of the token's first character.
std::string ReadToken(TextInput& in, std::size_t& line, std::size_t token_length) {
  std::string token(1, static_cast<char>(SkipSeparators(in)));
  line = in.line_number();
  while (!AtLineEnd(in)) {
    int c = ReadTextChar(in);
    if (c == ' ' || c == ',' || c == kTab || c == kLineFeed) break;
    if (c == '#') {
      SkipComment(in);
      break;
    }
    if (token.size() < token_length) token.push_back(static_cast<char>(c));
  }
  return token;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
}

}  // namespace

bool SkipSeparatorsToDataEnd(TextInput& in) {
  for (;;) {
    if (SkipBlanksToFileEnd(in)) return true;
    int c = in.Peek();
    if (c != ',' && c != '#') return false;
    in.Advance();
    if (c == '#') SkipComment(in);
  }
}

DataItem ReadDataItem(TextInput& in, std::size_t token_length) {
  DataItem item;
  std::string token = ReadToken(in, item.source.line, token_length);
  if (token[0] == kEndOfFileMark) {
    item.source.at_end = true;
    item.fault = ItemFault::kEnd;
    return item;
  }
  item.source.token = token;
  if (token.find('?') != std::string::npos) {
    item.fault = ItemFault::kMissing;
    return item;
  }
  RealParse parsed = ParseReal(token);
  double value = static_cast<double>(parsed.value);
  if (parsed.error_position != 0) {
    item.fault = ItemFault::kBadCharacter;
    item.error_position = parsed.error_position;
  } else if (std::isinf(value)) {
    item.fault = ItemFault::kOutOfRange;
  } else {
    item.value = value;
  }
  return item;
}

bool IsInteger32(double value) {
  return value >= -2147483648.0 && value <= 2147483647.0 && value - std::trunc(value) == 0;
}

DataItem ReadIntegerDataItem(TextInput& in, std::size_t token_length) {
  DataItem item = ReadDataItem(in, token_length);
  if (item.fault == ItemFault::kNone && !IsInteger32(item.value))
    item.fault = ItemFault::kNotInteger;
  return item;
}

std::string DescribeBadItem(const std::string& file_name, const DataItem& item,
                            const std::string& what) {
  std::string place = file_name + ":" + std::to_string(item.source.line) + ": ";
  const std::string& token = item.source.token;
  std::string reason;
  switch (item.fault) {
    case ItemFault::kEnd:
      return place + "the file ends where " + what + " should be";
    case ItemFault::kMissing:
      reason = " marks a missing value";
      break;
    case ItemFault::kBadCharacter:
      reason = item.error_position > token.size()
                   ? " is not a number (it stops short)"
                   : " is not a number (bad character " +
                         Quoted(token.substr(item.error_position - 1, 1)) + ")";
      break;
    case ItemFault::kOutOfRange:
      reason = " is out of range";
      break;
    case ItemFault::kNotInteger:
    case ItemFault::kNone:
      reason = " is not a whole number in the 32-bit range";
      break;
  }
  return place + Quoted(token) + reason + "; it should be " + what;
}

}  // namespace sparsim
