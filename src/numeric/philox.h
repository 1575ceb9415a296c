// Philox4x64-10 (Salmon, Moraes, Dror and Shaw, "Parallel random numbers: as
// easy as 1, 2, 3", SC'11), drawn as NumPy's numpy.random.Philox draws it.
//
// A block is ten rounds over a 256-bit counter under a 128-bit key and gives
// four 64-bit words. A stream starts from the counter 0 and, like NumPy,
// adds 1 to the counter before each block, so its first four words are the
// block of counter 1. A uniform real is (word >> 11) x 2^-53: exactly what
// numpy.random.Generator(numpy.random.Philox(key=...)).random() returns.
//
// Replicate k of the run seed S uses the key words (S mod 2^64, k): a
// negative S is taken as its two's complement, so S = -1 gives the key word
// 0xffffffffffffffff. The same stream in NumPy is
//   numpy.random.Generator(numpy.random.Philox(key=(S % 2**64) + (k << 64))).random(n)
// Replicates share no draw (their keys differ), and each can be made alone.
//
// Example: PhiloxBlock({0, 0, 0, 0}, {0, 0}) gives the published words
//   16554d9eca36314c db20fe9d672d0fdc d7e772cee186176b 7e68b68aec7ba23b;
// PhiloxStream(0, 0) starts with the block of counter 1, whose first word
// 0x02f4ba6408e4d89b gives the real 0x02f4ba6408e4d89b >> 11 times 2^-53 =
// 0.011546754286331562.

#ifndef SPARSIM_NUMERIC_PHILOX_H_
#define SPARSIM_NUMERIC_PHILOX_H_

#include <array>
#include <cstdint>

namespace sparsim {

using PhiloxCounter = std::array<uint64_t, 4>;  // word 0 the lowest
using PhiloxKey = std::array<uint64_t, 2>;

// The ten rounds of Philox4x64 over one counter.
PhiloxCounter PhiloxBlock(PhiloxCounter counter, PhiloxKey key);

// The key word of a run seed: S modulo 2^64.
constexpr uint64_t PhiloxSeedWord(int64_t run_seed) { return static_cast<uint64_t>(run_seed); }

// A Philox stream under one key, from the counter 0.
class PhiloxStream {
 public:
  PhiloxStream() = default;
  PhiloxStream(uint64_t key0, uint64_t key1) : key_{key0, key1} {}

  // The next 64-bit word.
  uint64_t NextWord() {
    if (used_ == kWords) Refill();
    return words_[used_++];
  }

  // The next real in [0, 1): (word >> 11) x 2^-53, exact.
  double NextReal() { return static_cast<double>(NextWord() >> 11) * 0x1p-53; }

  const PhiloxKey& key() const { return key_; }

  // Puts the stream where it was, or will be, after `position` words, for
  // positions below 2^64: any block can be made directly from its counter.
  void Seek(uint64_t position);

 private:
  void Refill();

  // Blocks are made two at a time (see Refill).
  static constexpr int kWords = 8;

  PhiloxKey key_{};
  PhiloxCounter counter_{};
  std::array<uint64_t, kWords> words_{};
  int used_ = kWords;
};

}  // namespace sparsim

#endif  // SPARSIM_NUMERIC_PHILOX_H_
