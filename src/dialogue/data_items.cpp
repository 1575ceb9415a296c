#include "dialogue/data_items.h"

#include <string>

#include "dialogue/choice_prompts.h"
#include "dialogue/closing.h"
#include "numeric/number_format.h"

namespace sparsim {
namespace {

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

double ReadRealItem(Console& console, InputFile& file, ItemSource* source) {
  DataItem item = ReadDataItem(file.text());
  if (source != nullptr) *source = item.source;
  switch (item.fault) {
    case ItemFault::kNone:
    case ItemFault::kNotInteger:
    case ItemFault::kMissing:
      return item.value;
    case ItemFault::kEnd:
      console.out.WriteLine("Unexpected EOF");
      return kMissingValue;
    case ItemFault::kBadCharacter:
      WriteInvalidCharacter(console, item.source.token, item.error_position);
      break;
    case ItemFault::kOutOfRange:
      console.out.WriteLine("Number Out of Range - Input: " + item.source.token);
      break;
  }
  OfferQuit(console, file, "Real Input Error");
  return kMissingValue;
}

int32_t ReadIntegerItem(Console& console, InputFile& file, ItemSource* source) {
  double x = ReadRealItem(console, file, source);
  if (IsInteger32(x)) return static_cast<int32_t>(x);
  console.out.WriteLine("Not an Integer or Integer Out of Range: " + FormatFixed(x, 16, 4));
  OfferQuit(console, file, "Integer Input Error");
  return kIntegerFailureValue;
}

}  // namespace sparsim
