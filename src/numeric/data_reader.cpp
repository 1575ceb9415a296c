#include "numeric/data_reader.h"

#include <cmath>
#include <string>

#include "dialogue/choice_prompts.h"
#include "numeric/number_format.h"
#include "numeric/number_parse.h"
#include "shell/closing.h"

namespace sparsim {
namespace {

constexpr int kCarriageReturn = 13;
constexpr int kLineFeed = 10;
constexpr int kTab = 9;
constexpr std::size_t kTokenLength = 32;

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
std::string ReadToken(TextInput& in, std::size_t& line) {
  std::string token(1, static_cast<char>(SkipSeparators(in)));
  line = in.line_number();
  while (!AtLineEnd(in)) {
    int c = ReadTextChar(in);
    if (c == ' ' || c == ',' || c == kTab || c == kLineFeed) break;
    if (c == '#') {
      SkipComment(in);
      break;
    }
    if (token.size() < kTokenLength) token.push_back(static_cast<char>(c));
  }
  return token;
}

// Asks whether to give up on a bad item: yes closes the file and ends the
// program with message.
void OfferQuit(Console& console, InputFile& file, std::string_view message) {
  if (AskYesNo(console, "Quit Now", kDefaultYes)) {
    file.Close();
    FatalError(console, message);
  }
}

void WriteInvalidCharacter(Console& console, const std::string& token, std::size_t position) {
  // Past the end of the token there is no character to show: code 0.
  int code = position <= token.size() ? static_cast<unsigned char>(token[position - 1]) : 0;
  std::string shown = position <= token.size() ? token.substr(position - 1, 1) : "";
  console.out.WriteLine("Invalid Character in Number: \"" + shown + "\"  (Decimal " +
                        FormatInteger(code, 0) + ") - Input: " + token);
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

double ReadRealItem(Console& console, InputFile& file, ItemSource* source) {
  std::size_t line = 0;
  std::string token = ReadToken(file.text(), line);
  if (source != nullptr) {
    source->line = line;
    source->at_end = token[0] == kEndOfFileMark;
    source->token = source->at_end ? "" : token;
  }
  if (token[0] == kEndOfFileMark) {
    console.out.WriteLine("Unexpected EOF");
    return kMissingValue;
  }
  if (token.find('?') != std::string::npos) return kMissingValue;
  RealParse parsed = ParseReal(token);
  if (parsed.error_position != 0) {
    WriteInvalidCharacter(console, token, parsed.error_position);
  } else {
    double value = static_cast<double>(parsed.value);
    if (!std::isinf(value)) return value;
    console.out.WriteLine("Number Out of Range - Input: " + token);
  }
  OfferQuit(console, file, "Real Input Error");
  return kMissingValue;
}

int32_t ReadIntegerItem(Console& console, InputFile& file, ItemSource* source) {
  double x = ReadRealItem(console, file, source);
  if (x >= -2147483648.0 && x <= 2147483647.0 && x - std::trunc(x) == 0) {
    return static_cast<int32_t>(x);
  }
  console.out.WriteLine("Not an Integer or Integer Out of Range: " + FormatFixed(x, 16, 4));
  OfferQuit(console, file, "Integer Input Error");
  return kIntegerFailureValue;
}

}  // namespace sparsim
