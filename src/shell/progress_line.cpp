#include "shell/progress_line.h"

#include <cstdio>

#include "export/atomic_output.h"
#include "export/export_failure.h"

namespace sparsim {

std::string Duration(double seconds) {
  auto whole = static_cast<long long>(seconds);
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

void ProgressLine::Draw(int32_t done) {
  if (!shown_) return;
  double elapsed = Seconds();
  std::string line = kind_.command + ": " + std::to_string(done) + "/" + std::to_string(total_) +
                     " replicates, " + Duration(elapsed) + " elapsed";
  if (done > 0 && done < total_) {
    line += ", about " + Duration(elapsed / done * (total_ - done)) + " left";
  }
  if (line == last_) return;
  last_ = line;
  std::size_t width = line.size();
  if (line.size() < width_) line += std::string(width_ - line.size(), ' ');
  width_ = width;
  Write("\r" + line);
  drawn_ = true;
}

void ProgressLine::End() {
  if (drawn_) Write("\n");
  drawn_ = false;
}

double ProgressLine::Seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressLine::Write(const std::string& text) {
  try {
    WriteAll(io_.err_fd, text, "(standard error)");
  } catch (const ExportFailure&) {
    shown_ = false;  // nothing more can be shown there
  }
}

}  // namespace sparsim
