// The generator a set or a walk draws from, as a value: the dialogue's LCG
// (numeric/random.h) or a Philox stream (numeric/philox.h). The drivers make
// one and hand it down; nothing reaches a generator through a global.
//
// Both give reals in [0, 1) that are exact in extended precision: the LCG
// state x 2^-32, Philox's (word >> 11) x 2^-53. Every draw is counted, so a
// set knows how far it has gone round the LCG's cycle of 2^32 states.
//
// Example:
//   Generator lcg = Generator::Lcg(1);
//   lcg.Next();        // 134775814 x 2^-32, as Random from the seed 1
//   lcg.lcg_state();   // 134775814; lcg.draws() == 1
//   Generator philox = Generator::Philox(-1, 3);  // key (2^64 - 1, 3)
//   philox.Next();     // numpy.random.Generator(numpy.random.Philox(
//                      //   key=(-1 % 2**64) + (3 << 64))).random()

#ifndef SPARSIM_NUMERIC_GENERATOR_H_
#define SPARSIM_NUMERIC_GENERATOR_H_

#include <cstdint>

#include "numeric/philox.h"
#include "numeric/random.h"

namespace sparsim {

enum class GeneratorKind { kLcg, kPhilox };

// The LCG's whole cycle: a set may take this many draws before its states
// come round again.
constexpr int64_t kLcgCycleDraws = int64_t{1} << 32;

class Generator {
 public:
  // The dialogue's generator from its signed 32-bit state (the seed).
  static Generator Lcg(int32_t seed) {
    Generator g;
    g.lcg_state_ = seed;
    return g;
  }

  // Replicate `replicate` (0, 1, ...) of the run seed: the key words
  // (PhiloxSeedWord(run_seed), replicate), counting from 0.
  static Generator Philox(int64_t run_seed, uint64_t replicate) {
    Generator g;
    g.kind_ = GeneratorKind::kPhilox;
    g.philox_ = PhiloxStream(PhiloxSeedWord(run_seed), replicate);
    return g;
  }

  GeneratorKind kind() const { return kind_; }
  bool is_lcg() const { return kind_ == GeneratorKind::kLcg; }

  // One draw in [0, 1).
  long double Next() {
    ++draws_;
    if (kind_ == GeneratorKind::kLcg) return Random(lcg_state_);
    return philox_.NextReal();
  }

  // The same draw as a double, which holds it exactly; skips the extended
  // type where the caller works in double arithmetic.
  double NextDouble() {
    ++draws_;
    if (kind_ == GeneratorKind::kLcg) return static_cast<double>(Random(lcg_state_));
    return philox_.NextReal();
  }

  // Philox only: the generator as it was, or will be, after `draws` draws
  // since it was made. A sampler may draw ahead and then take back what it
  // did not use.
  void SeekPhilox(int64_t draws) {
    philox_.Seek(static_cast<uint64_t>(draws));
    draws_ = draws;
  }

  // Draws taken since the generator was made.
  int64_t draws() const { return draws_; }

  // The LCG's state (the seed before the first draw); 0 for Philox.
  int32_t lcg_state() const { return lcg_state_; }

  // LCG only: draws draws at once, by a jump (the fast engine computes its
  // states ahead and moves the generator to where the set stopped).
  void SkipLcg(int64_t draws) {
    lcg_state_ =
        static_cast<int32_t>(RandomJump::Steps(draws).Apply(static_cast<uint32_t>(lcg_state_)));
    draws_ += draws;
  }

 private:
  GeneratorKind kind_ = GeneratorKind::kLcg;
  int32_t lcg_state_ = 0;
  int64_t draws_ = 0;
  PhiloxStream philox_;
};

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_GENERATOR_H_
