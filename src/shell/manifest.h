// The manifest of a run (--manifest FILE): a CSV table with a header line
// and one line per file written, in replicate order.
//
// Example: ManifestField("a,b.adf") == "\"a,b.adf\"".

#ifndef SPARSIM_SHELL_MANIFEST_H_
#define SPARSIM_SHELL_MANIFEST_H_

#include <chrono>
#include <string>
#include <vector>

namespace sparsim {

// Seconds since start with three decimals, for the manifest: "0.117".
std::string SecondsSince(std::chrono::steady_clock::time_point start);

// A line of the manifest, its fields separated by commas; a file name with a
// comma, a quote or a line end in it is quoted.
std::string ManifestField(const std::string& text);

// The manifest: header, then each replicate's lines in order.
std::string ManifestText(const std::string& header,
                         const std::vector<std::vector<std::string>>& rows);

// Writes the manifest to the file name ("-": to out_fd); an existing file is
// replaced only when force is set.
void WriteManifest(const std::string& name, const std::string& header,
                   const std::vector<std::vector<std::string>>& rows, bool force, int out_fd);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_MANIFEST_H_
