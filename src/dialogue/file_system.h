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
// Example: with site.adf and Site.adf in the working directory,
//   ResolveFileName(".", "SITE.ADF") == "./Site.adf"
//   ResolveFileName(".", "site.adf") == "./site.adf"
//   ResolveFileName(".", "NEW.ADF")  == "./NEW.ADF"
//
// An output file is never written through a symbolic link: a link that
// leads to a regular file counts as an existing file, and erasing it deletes
// the link itself; CreateTextFile then makes a new file in its place, or
// fails when a link (dangling, or swapped in meanwhile) is in the way.
// Devices and pipes, such as \DEV\NULL, are written as they are.

#ifndef SPARSIM_DIALOGUE_FILE_SYSTEM_H_
#define SPARSIM_DIALOGUE_FILE_SYSTEM_H_

#include <memory>
#include <string>

#include "common/text_input.h"
#include "common/text_output.h"

namespace sparsim {

// Looks each component up once, below the last one found only, so that even
// a name of a million parts resolves at once; a signal recorded meanwhile
// ends the program as interrupted.
std::string ResolveFileName(const std::string& working_directory, const std::string& name);

// True only for a regular file (or a link to one) that can be opened for
// reading.
bool TextFileExists(const std::string& path);

// Opens path for reading, or gives nullptr when it cannot be opened or is a
// directory. name is the program's name of the file, used in error reports.
std::unique_ptr<TextInput> OpenTextFile(const std::string& path, const std::string& name);

// Opens path for writing, or gives nullptr when that fails. Where nothing
// is, a new file is created exclusively; an existing regular file (one that
// could not be read, so the erase question was not asked) is emptied; a
// device or pipe, or a link to one, is opened as it is. A symbolic link to
// anything else, a directory, or a regular file that takes the place of
// what was looked at is refused.
std::unique_ptr<TextOutput> CreateTextFile(const std::string& path, const std::string& name);

// Called by CreateTextFile between finding nothing at path and creating the
// file, so that a test can put something there meanwhile; nullptr (the
// default) for nothing. Returns the previous one.
using BeforeCreateHook = void (*)(const std::string& path);
BeforeCreateHook SetBeforeCreateHook(BeforeCreateHook hook);

// Deletes path when it is a regular file or a symbolic link (the link, not
// what it leads to); anything else, such as a device, is left in place.
void EraseTextFile(const std::string& path, const std::string& name);

// True when path names the very file that input reads.
bool IsSameFile(const TextInput& input, const std::string& path);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_FILE_SYSTEM_H_
