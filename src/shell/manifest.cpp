#include "shell/manifest.h"

#include <cstdio>

#include "export/atomic_output.h"

namespace sparsim {

std::string SecondsSince(std::chrono::steady_clock::time_point start) {
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

std::string ManifestField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string ManifestText(const std::string& header,
                         const std::vector<std::vector<std::string>>& rows) {
  std::string content = header + "\n";
  for (const std::vector<std::string>& lines : rows) {
    for (const std::string& line : lines) content += line + "\n";
  }
  return content;
}

void WriteManifest(const std::string& name, const std::string& header,
                   const std::vector<std::vector<std::string>>& rows, bool force, int out_fd) {
  if (name == "-") return WriteAll(out_fd, ManifestText(header, rows), "(standard output)");
  WriteFileAtomically(name, ManifestText(header, rows), force);
}

}  // namespace sparsim
