#include "dialogue/file_prompts.h"

#include <array>

#include "dialogue/choice_prompts.h"
#include "dialogue/file_names.h"
#include "dialogue/file_system.h"

namespace sparsim {
namespace {

// Asks question until the answer is a valid file name, adding the default
// extension where it applies. Returns the upper-cased name.
std::string AskFileName(Console& console, std::string_view question,
                        std::string_view file_default) {
  for (;;) {
    PromptLine(console, question, file_default);
    std::string answer = TrimSpaces(ReadAnswerLine(console));
    if (answer.empty() && IsDefaultName(file_default)) answer = file_default;
    bool ok = IsValidFileName(answer);
    if (ok && answer != kConsoleName && IsDefaultExtension(file_default) &&
        answer.find('.') == std::string::npos) {
      answer += file_default;
      ok = IsValidFileName(answer);
    }
    if (ok) return answer;
    EndIfAnswersExhausted(console);
  }
}

// A default such as CON.OUT names a device whatever its extension, so it is
// offered without the extension. The comparison is case-sensitive.
std::string ShortenDeviceDefault(const std::string& file_default) {
  constexpr std::array<std::string_view, 3> kThreeLetterDevices = {"CON", "PRN", "NUL"};
  constexpr std::array<std::string_view, 5> kFourLetterDevices = {"COM1", "COM2", "LPT1", "LPT2",
                                                                  "LPT3"};
  std::size_t point = file_default.find('.');
  std::string_view base = std::string_view(file_default).substr(0, point);
  if (point == 3) {
    for (std::string_view device : kThreeLetterDevices) {
      if (base == device) return std::string(base);
    }
  } else if (point == 4) {
    for (std::string_view device : kFourLetterDevices) {
      if (base == device) return std::string(base);
    }
  }
  return file_default;
}

}  // namespace

void AskInputFile(Console& console, const std::string& working_directory, std::string_view question,
                  InputFile& file, std::string& file_default) {
  for (;;) {
    std::string name = AskFileName(console, question, file_default);
    if (name == kConsoleName) {
      file.BindConsole(console.in);
      file_default = name;
      return;
    }
    auto opened = OpenTextFile(ResolveFileName(working_directory, name), name);
    if (opened) {
      file.Open(std::move(opened));
      file_default = name;
      return;
    }
    console.out.WriteLine("File Not Found");
    EndIfAnswersExhausted(console);
  }
}

void AskOutputFile(Console& console, const std::string& working_directory,
                   std::string_view question, OutputFile& file, std::string& file_default,
                   const InputFile* must_differ_from) {
  const std::string offered = ShortenDeviceDefault(file_default);
  for (;;) {
    std::string name = AskFileName(console, question, offered);
    if (name == kConsoleName) {
      file.BindConsole(console.out);
      file_default = name;
      return;
    }
    std::string path = ResolveFileName(working_directory, name);
    if (must_differ_from != nullptr && must_differ_from->IsOpen() &&
        !must_differ_from->IsConsole() && IsSameFile(must_differ_from->text(), path)) {
      // Erasing the input while it is being read would destroy it.
      console.out.WriteLine("Output File Must Differ From Input File");
      EndIfAnswersExhausted(console);
      continue;
    }
    if (TextFileExists(path)) {
      if (!AskYesNo(console, "File Exists; OK to Erase It", kDefaultNo)) {
        EndIfAnswersExhausted(console);
        continue;
      }
      EraseTextFile(path, name);
      console.out.WriteLine(name + " Erased");
    }
    auto created = CreateTextFile(path, name);
    if (created) {
      file.Open(std::move(created));
      file_default = name;
      return;
    }
    console.out.WriteLine(" I/O Error - Disk May Be Full");
    EndIfAnswersExhausted(console);
  }
}

}  // namespace sparsim
