#include "numeric/random.h"

#include <time.h>

namespace sparsim {
namespace {

constexpr uint32_t kMultiplier = 134775813u;
constexpr uint32_t kIncrement = 1u;
constexpr long double kTwoToMinus32 = 0x1p-32L;

}  // namespace

long double Random(int32_t& rand_seed) {
  uint32_t state = static_cast<uint32_t>(rand_seed) * kMultiplier + kIncrement;
  rand_seed = static_cast<int32_t>(state);
  return static_cast<long double>(state) * kTwoToMinus32;
}

void Randomize(int32_t& rand_seed) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t nanoseconds =
      static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
  rand_seed = static_cast<int32_t>(static_cast<uint32_t>(nanoseconds));
}

}  // namespace sparsim
