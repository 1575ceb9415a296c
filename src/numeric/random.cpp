#include "numeric/random.h"

#include <time.h>

namespace sparsim {

long double Random(int32_t& rand_seed) {
  uint32_t state = static_cast<uint32_t>(rand_seed) * kRandomMultiplier + kRandomIncrement;
  rand_seed = static_cast<int32_t>(state);
  return RandomValue(state);
}

void Randomize(int32_t& rand_seed) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t nanoseconds =
      static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
  rand_seed = static_cast<int32_t>(static_cast<uint32_t>(nanoseconds));
}

}  // namespace sparsim
