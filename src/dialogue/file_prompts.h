// The questions that choose a file by name.
//
// file_default comes in as empty, a default extension (".ADF") or a default
// name ("SITE.OUT"), and goes out as the name that was opened, upper-cased
// and with the default extension added to a name that has no '.'. The name
// CON stands for the console and is never looked up on disk.
//
// Example, with the default ".ADF":
//   AskInputFile(...)  answer "site"  -> reads SITE.ADF (or site.adf);
//                      answer "nope"  -> "File Not Found", asked again.
//   AskOutputFile(...) answer "site", SITE.ADF exists ->
//        "File Exists; OK to Erase It {N} ? " y -> "SITE.ADF Erased"
//
// Refused names are asked again silently. Both prompts end the program with
// the end-of-input report rather than asking again once the answers are
// exhausted.

#ifndef SPARSIM_DIALOGUE_FILE_PROMPTS_H_
#define SPARSIM_DIALOGUE_FILE_PROMPTS_H_

#include <string>
#include <string_view>

#include "common/program_files.h"
#include "dialogue/console.h"

namespace sparsim {

// Relative names are looked up in working_directory.
void AskInputFile(Console& console, const std::string& working_directory, std::string_view question,
                  InputFile& file, std::string& file_default);

// A file default such as CON.OUT, naming a device, is offered shortened to
// CON. When must_differ_from is given, a name that resolves to that open
// input file is refused with "Output File Must Differ From Input File".
void AskOutputFile(Console& console, const std::string& working_directory,
                   std::string_view question, OutputFile& file, std::string& file_default,
                   const InputFile* must_differ_from = nullptr);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_FILE_PROMPTS_H_
