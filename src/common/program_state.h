// The state that lives for the whole run of the program: the point store
// and the program-wide file pairs (the generator is a value the drivers hand
// down, numeric/generator.h). One ProgramState is
// made near main and passed by reference to the mode drivers.
//
// Example: after a generated set of 3 points, point_count is 3 and
// store.x[1..3], store.y[1..3] hold the points (entry 0 is never used).

#ifndef SPARSIM_COMMON_PROGRAM_STATE_H_
#define SPARSIM_COMMON_PROGRAM_STATE_H_

#include <array>
#include <cstdint>
#include <string>

#include "common/program_files.h"

namespace sparsim {

constexpr int32_t kMaxPoints = 10000;

// X and Y of up to kMaxPoints points, indexed 1..kMaxPoints.
struct PointStore {
  std::array<double, kMaxPoints + 1> x{};
  std::array<double, kMaxPoints + 1> y{};
};

struct ProgramState {
  PointStore store;
  // Points of the current set or walk pass; the walk counts on past
  // kMaxPoints while storing only the first kMaxPoints.
  int32_t point_count = 0;
  InputFile input_file;
  std::string input_name;
  OutputFile output_file;
  std::string output_name;
  // Where relative file names are looked up.
  std::string working_directory = ".";
  // Threads that scan one set's candidates: 0 means every hardware thread.
  // Runs that already keep every core busy with several sets ask for 1.
  int sampling_threads = 0;
};

// How many points of the store hold the current set: the smaller of
// point_count and kMaxPoints (never below 0).
inline int32_t StoredPointCount(const ProgramState& state) {
  if (state.point_count < 0) return 0;
  return state.point_count < kMaxPoints ? state.point_count : kMaxPoints;
}

}  // namespace sparsim

#endif  // SPARSIM_COMMON_PROGRAM_STATE_H_
