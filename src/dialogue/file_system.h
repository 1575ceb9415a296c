// How the program's file names map onto the Linux file system.
//
// A name is upper-case text with '\' between directories (a leading '\'
// starts at the root). Each component is looked up in its directory: an
// exact match wins, then a match that differs only in the case of ASCII
// letters (the first in byte order when there are several); a component that
// matches nothing is used as written, so a new file gets the upper-cased
// name. All paths are relative to a working directory, which tests point at
// a temporary folder.
//
// Example: with site.adf in the working directory,
//   ResolveFileName(".", "SITE.ADF") == "./site.adf"
//   ResolveFileName(".", "NEW.ADF")  == "./NEW.ADF"

#ifndef SPARSIM_DIALOGUE_FILE_SYSTEM_H_
#define SPARSIM_DIALOGUE_FILE_SYSTEM_H_

#include <memory>
#include <string>

#include "numeric/text_input.h"
#include "numeric/text_output.h"

namespace sparsim {

std::string ResolveFileName(const std::string& working_directory, const std::string& name);

// True only for a regular file that can be opened for reading.
bool TextFileExists(const std::string& path);

// Opens path for reading, or gives nullptr when it cannot be opened or is a
// directory. name is the program's name of the file, used in error reports.
std::unique_ptr<TextInput> OpenTextFile(const std::string& path, const std::string& name);

// Creates path (emptying an existing file) for writing, or gives nullptr
// when that fails.
std::unique_ptr<TextOutput> CreateTextFile(const std::string& path, const std::string& name);

// Deletes path when it is a regular file; anything else (a device, a link)
// is left in place and only emptied by CreateTextFile.
void EraseTextFile(const std::string& path, const std::string& name);

// True when path names the very file that input reads.
bool IsSameFile(const TextInput& input, const std::string& path);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_FILE_SYSTEM_H_
