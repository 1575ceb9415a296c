// The program's one random generator: a linear congruential generator whose
// whole state is the signed 32-bit seed.
//
//   state := state * 134775813 + 1  (mod 2^32)
//   Random = (state as unsigned) * 2^-32
//
// Example: from the seed 1 the first three results are
//   134775814 * 2^-32 = 0.031379939522594213,
//   3698175007 * 2^-32 = 0.8610484672244638,
//   870078620 * 2^-32 = 0.20258096512407064,
// and after the second step the seed reads -596792289.

#ifndef SPARSIM_NUMERIC_RANDOM_H_
#define SPARSIM_NUMERIC_RANDOM_H_

#include <cstdint>
#include <vector>

namespace sparsim {

// Advances rand_seed by one step and returns a real in [0, 1), exact in
// extended precision.
long double Random(int32_t& rand_seed);

constexpr uint32_t kRandomMultiplier = 134775813u;
constexpr uint32_t kRandomIncrement = 1u;

// The real in [0, 1) that Random returns when the generator reaches state.
inline long double RandomValue(uint32_t state) {
  return static_cast<long double>(state) * 0x1p-32L;
}

// k steps of the generator at once: a multiply and an add, like one step.
// Lets a loop compute the states of several draws ahead without waiting for
// each one in turn, and lets a scan start anywhere in the sequence.
//
// Example: RandomJump::Steps(2).Apply(1) == 3698175007, the state the seed 1
// reaches after two draws; RandomJump::Steps(int64_t{1} << 32) leaves every
// state as it is, since the sequence has the full period.
struct RandomJump {
  uint32_t multiplier = 1;
  uint32_t increment = 0;

  // This jump followed by next, all modulo 2^32.
  constexpr RandomJump Then(RandomJump next) const {
    return RandomJump{multiplier * next.multiplier, increment * next.multiplier + next.increment};
  }

  // The step s -> kRandomMultiplier s + kRandomIncrement composed with
  // itself k times (k >= 0), by repeated squaring.
  static constexpr RandomJump Steps(int64_t k) {
    RandomJump jump;
    RandomJump power{kRandomMultiplier, kRandomIncrement};
    for (auto rest = static_cast<uint64_t>(k); rest != 0; rest >>= 1) {
      if ((rest & 1) != 0) jump = jump.Then(power);
      power = power.Then(power);
    }
    return jump;
  }
  constexpr uint32_t Apply(uint32_t state) const { return state * multiplier + increment; }
};

// The position of state on the generator's one cycle of 2^32 states,
// counted in draws from the state 0: the p in [0, 2^32) with
// RandomJump::Steps(p).Apply(0) == state. The states modulo 2^(k+1) repeat
// with period 2^(k+1), so p is found bit by bit from the lowest: 32 jumps.
// Two runs whose first states lie at positions p and q, taking m and n
// draws, share states exactly when their stretches [p, p + m] and
// [q, q + n] meet modulo 2^32.
//
// Example: CyclePosition(0) == 0, CyclePosition(1) == 1,
// CyclePosition(134775814) == 2 (0 -> 1 -> 134775814), and the state just
// before 0, 0x26B05733 (0x26B05733 x 134775813 + 1 = 0 mod 2^32), gives
// 2^32 - 1.
uint32_t CyclePosition(uint32_t state);

// The stretch of the cycle a run drew: the states at positions start + 1
// .. start + draws (modulo 2^32), start being CyclePosition of its first
// state (its seed), since each draw steps before it returns.
struct CycleStretch {
  uint32_t start = 0;
  int64_t draws = 0;
};

// True when two runs drew some state in common. A run of 2^32 draws or more
// drew every state; a run of none drew nothing.
// Example: {0, 10} and {9, 5} share the state at position 10;
// {0, 10} and {10, 5} share none; {4294967290, 10} wraps round to position
// 4 and meets {2, 1}.
bool StretchesOverlap(CycleStretch a, CycleStretch b);

// How many pairs of runs drew some state in common: every pair is looked
// at, which takes a moment for a few thousand runs.
int64_t OverlappingPairs(const std::vector<CycleStretch>& runs);

// Sets rand_seed from the clock: the low 32 bits of a nanosecond monotonic
// clock, read as signed. Draws nothing.
void Randomize(int32_t& rand_seed);

// The clock that Randomize reads, in nanoseconds. Tests put one in its place
// to see what a given reading gives (2^31 reads as -2147483648); the
// previous clock is returned, to be put back.
using ClockReader = uint64_t (*)();
ClockReader SetClockReader(ClockReader reader);

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_RANDOM_H_
