// Files that a resumed run (sparsim generate --skip-existing) keeps: those
// already whole, made for the same set, seed and generator.
//
// A coordinate file is whole when its count line "N #Points# 2 #Coordinates#"
// is followed by exactly the header lines the run would write (site,
// density and seed, cluster line, and the lines naming the generator,
// replicate and options), then by N point lines, every line ending in
// CR LF and nothing after the last. The header lines name the set, the seed
// and the generator, so a file of another set or run is not taken for one
// of this run.
//
// Example: with header "# Site Corners ...#\r\n#Density: ...Random Seed: 5 #\r\n"
// and 3 points asked, a file of those lines, a count line "3 #Points# 2
// #Coordinates#" and 3 point lines is whole with 3 points; the same file cut
// after its second point, or recording "Random Seed: 6", is not.

#ifndef SPARSIM_SHELL_EXISTING_FILES_H_
#define SPARSIM_SHELL_EXISTING_FILES_H_

#include <cstdint>
#include <string>

namespace sparsim {

struct ExistingFile {
  bool exists = false;
  bool whole = false;
  int32_t points = 0;  // when whole
};

// Looks at the file name: header is what follows the count line in the
// file the run would write, each line with its CR LF; points the count it
// would have, or with any_count (a drawn count) the most it may have.
// A file that cannot be read fails with CommandFailure (status 2).
ExistingFile CheckExistingSetFile(const std::string& name, const std::string& header,
                                  int32_t points, bool any_count);

// The same for content already read.
ExistingFile CheckSetFileContent(const std::string& content, const std::string& header,
                                 int32_t points, bool any_count);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_EXISTING_FILES_H_
