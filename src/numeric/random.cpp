#include "numeric/random.h"

#include <time.h>

namespace sparsim {

long double Random(int32_t& rand_seed) {
  uint32_t state = static_cast<uint32_t>(rand_seed) * kRandomMultiplier + kRandomIncrement;
  rand_seed = static_cast<int32_t>(state);
  return RandomValue(state);
}

uint32_t CyclePosition(uint32_t state) {
  uint32_t position = 0;
  uint32_t reached = 0;  // RandomJump::Steps(position).Apply(0)
  RandomJump power = RandomJump::Steps(1);
  for (int bit = 0; bit < 32; ++bit) {
    uint32_t mask = bit == 31 ? ~0u : (2u << bit) - 1;
    if (((reached ^ state) & mask) != 0) {
      reached = power.Apply(reached);
      position |= 1u << bit;
    }
    power = power.Then(power);
  }
  return position;
}

namespace {

uint64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

ClockReader g_clock = MonotonicNanoseconds;

}  // namespace

void Randomize(int32_t& rand_seed) {
  rand_seed = static_cast<int32_t>(static_cast<uint32_t>(g_clock()));
}

ClockReader SetClockReader(ClockReader reader) {
  ClockReader previous = g_clock;
  g_clock = reader;
  return previous;
}

}  // namespace sparsim
