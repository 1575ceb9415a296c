#include "dialogue/console.h"

#include "common/program_end.h"

namespace sparsim {
namespace {

constexpr std::string_view kAbortFrameLine = "<<<<<<<<<<<<>>>>>>>>>>>>";
constexpr std::string_view kAbortSuffix = " - Program Aborting.";
constexpr std::string_view kEndOfInputMessage = "End of Input";

}  // namespace

std::string ReadAnswerLine(Console& console) {
  std::string line = ReadLineText(console.in);
  SkipToNextLine(console.in);
  return line;
}

void EndIfAnswersExhausted(Console& console) {
  if (!console.in.MetEnd()) return;
  WriteAbortReport(console.out, kEndOfInputMessage);
  console.out.Flush();
  throw ProgramEnd(kExitEndOfInput, "");
}

void WriteAbortReport(TextOutput& out, std::string_view message) {
  out.WriteLine();
  out.WriteLine(kAbortFrameLine);
  out.Write(message);
  out.WriteLine(kAbortSuffix);
}

}  // namespace sparsim
