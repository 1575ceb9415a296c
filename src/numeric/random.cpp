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

bool StretchesOverlap(CycleStretch a, CycleStretch b) {
  constexpr int64_t kCycle = int64_t{1} << 32;
  if (a.draws <= 0 || b.draws <= 0) return false;
  if (a.draws >= kCycle || b.draws >= kCycle) return true;
  // Each stretch starts at start + 1; one meets the other when its first
  // state lies within the other's.
  uint32_t b_after_a = b.start - a.start;
  uint32_t a_after_b = a.start - b.start;
  return b_after_a < a.draws || a_after_b < b.draws;
}

int64_t OverlappingPairs(const std::vector<CycleStretch>& runs) {
  int64_t pairs = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    for (size_t j = i + 1; j < runs.size(); ++j) pairs += StretchesOverlap(runs[i], runs[j]);
  }
  return pairs;
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
