// The line on a terminal that says how far a run of replicates has come,
// drawn again in place:
//   sparsim generate: 12/99 replicates, 0:03 elapsed, about 0:21 left

#ifndef SPARSIM_SHELL_PROGRESS_LINE_H_
#define SPARSIM_SHELL_PROGRESS_LINE_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/output_plan.h"
#include "shell/run_options.h"

namespace sparsim {

// Minutes and seconds, with hours when there are any: "1:05", "2:00:07".
std::string Duration(double seconds);

class ProgressLine {
 public:
  // Draws nothing unless shown.
  ProgressLine(const CommandIo& io, const RunKind& kind, int32_t total, bool shown)
      : io_(io), kind_(kind), total_(total), shown_(shown) {}

  // Draws the line for done replicates, unless it would not change.
  void Draw(int32_t done);
  // Ends the line, so that what follows starts on a line of its own.
  void End();

 private:
  double Seconds() const;
  void Write(const std::string& text);

  const CommandIo& io_;
  const RunKind& kind_;
  int32_t total_;
  bool shown_;
  bool drawn_ = false;
  std::size_t width_ = 0;
  std::string last_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace sparsim

#endif  // SPARSIM_SHELL_PROGRESS_LINE_H_
