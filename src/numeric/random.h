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
// each one in turn.
//
// Example: RandomJump::Steps(2).Apply(1) == 3698175007, the state the seed 1
// reaches after two draws.
struct RandomJump {
  uint32_t multiplier = 1;
  uint32_t increment = 0;

  // Composes the step s -> multiplier s + increment with itself k times,
  // all modulo 2^32.
  static constexpr RandomJump Steps(int32_t k) {
    RandomJump jump;
    for (int32_t step = 0; step < k; ++step) {
      jump.multiplier *= kRandomMultiplier;
      jump.increment = jump.increment * kRandomMultiplier + kRandomIncrement;
    }
    return jump;
  }
  constexpr uint32_t Apply(uint32_t state) const { return state * multiplier + increment; }
};

// Sets rand_seed from the clock: the low 32 bits of a nanosecond monotonic
// clock, read as signed. Draws nothing.
void Randomize(int32_t& rand_seed);

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_RANDOM_H_
