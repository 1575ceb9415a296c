// Fuzz target for the data-file number reader over arbitrary bytes.
//
// The first byte chooses how the file is read; the rest is the data file.
//   bit 0: answer "Quit Now" with N every time (else the answers are empty,
//          so the first bad item takes the default Y and ends the reading);
//   bit 1: read integer items (else real items);
//   bit 2: alternate real and integer items, starting as bit 1 says.
// Items are read as the walk reads them, until only separators remain.
//
// Checks: nothing crashes or loops; the number of items read is at most the
// size of the data; a real item is never NaN or infinite; the reader then
// reports the end ("Unexpected EOF") and gives the missing value; every line
// the console shows ends with CR LF.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/program_end.h"
#include "common/program_files.h"
#include "dialogue/console.h"
#include "dialogue/data_items.h"
#include "common/text_input.h"
#include "common/text_output.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

bool EveryLineEndIsCrLf(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

std::string RepeatedNo(std::size_t times) {
  std::string answers;
  for (std::size_t i = 0; i < times; ++i) answers += "N\r\n";
  return answers;
}

// Reads every item of the data; gives how many were read.
std::size_t ReadAllItems(sparsim::Console& console, sparsim::InputFile& file, uint8_t how,
                         std::size_t limit) {
  std::size_t count = 0;
  bool integer = (how & 2) != 0;
  while (!sparsim::SkipSeparatorsToDataEnd(file.text())) {
    if (++count > limit) Fail("more items read than bytes in the data");
    if (integer) {
      sparsim::ReadIntegerItem(console, file);
    } else {
      double x = sparsim::ReadRealItem(console, file);
      if (std::isnan(x) || std::isinf(x)) Fail("real item is NaN or infinite");
    }
    if (how & 4) integer = !integer;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const uint8_t how = data[0];
  std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
  sparsim::TextInput answers((how & 1) ? RepeatedNo(content.size() + 2) : std::string(), "answers");
  sparsim::TextOutput screen = sparsim::TextOutput::InMemory("screen");
  sparsim::Console console{answers, screen};
  sparsim::InputFile file;
  file.Open(std::make_unique<sparsim::TextInput>(content, "DATA.ADF"));
  try {
    ReadAllItems(console, file, how, content.size());
    if (sparsim::ReadRealItem(console, file) != sparsim::kMissingValue) {
      Fail("no missing value at the end of the data");
    }
    const std::string& shown = screen.contents();
    if (shown.size() < 16 || shown.compare(shown.size() - 16, 16, "Unexpected EOF\r\n") != 0) {
      Fail("the end of the data is not reported");
    }
  } catch (const sparsim::ProgramEnd& end) {
    // "Quit Now" answered yes: the program ends normally after the report.
    if (end.exit_status() != sparsim::kExitNormal) Fail("unexpected exit status");
    if (file.IsOpen()) Fail("the data file is left open after quitting");
  }
  if (!EveryLineEndIsCrLf(screen.contents())) Fail("a console line does not end with CR LF");
  return 0;
}
