#include "numeric/replicate_seeds.h"

#include "numeric/random.h"

namespace sparsim {

int32_t ReplicateSeed(int32_t seed, int32_t replicate) {
  if (replicate == 1) return seed;
  uint64_t z = (uint64_t{static_cast<uint32_t>(seed)} << 32 | static_cast<uint32_t>(replicate)) +
               0x9E3779B97F4A7C15u;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  z ^= z >> 31;
  // 4294967294 values: the 32-bit range less 0 and -2147483648.
  auto value = static_cast<int64_t>(z % 4294967294u) - 2147483647;
  return static_cast<int32_t>(value < 0 ? value : value + 1);
}

int32_t ClockSeed() {
  int32_t seed = 0;
  Randomize(seed);
  return seed == 0 || seed == INT32_MIN ? 1 : seed;
}

}  // namespace sparsim
