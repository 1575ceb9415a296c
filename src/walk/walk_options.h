// The options of a walk -- the largest step, the number of steps and of
// passes -- checked and converted alike for the command line (sparsim walk)
// and the Python and R packages, with the dialogue's ranges:
//   WalkOptions texts;  // each the text given, absent when not given
//   texts.max_step = "0.5";
//   texts.steps = "10";
//   WalkSettings walk = CheckWalkOptions(texts);
//   // walk.max_step 0.5, walk.steps 10, walk.passes 1
//   texts.steps = "-1";
//   CheckWalkOptions(texts);  // throws CommandFailure(1,
//                             //   "--steps -1: must be 0 to 2147483647")

#ifndef SPARSIM_WALK_WALK_OPTIONS_H_
#define SPARSIM_WALK_WALK_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>

namespace sparsim {

struct WalkOptionTexts {
  std::optional<std::string> max_step;
  std::optional<std::string> steps;
  std::optional<std::string> passes;
};

struct WalkSettings {
  double max_step = 0;
  int32_t steps = 0;
  int32_t passes = 1;
};

// Throws CommandFailure (status 1) naming the option refused.
WalkSettings CheckWalkOptions(const WalkOptionTexts& options);

}  // namespace sparsim

#endif  // SPARSIM_WALK_WALK_OPTIONS_H_
