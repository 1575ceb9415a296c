// The sampling engine's innermost loops: for a run of candidates (or of
// circle attempts) straight from the generator's states, the bits of those
// that the refusal tables leave to the exact computation. No draw is taken
// and nothing is decided here; the loops only say where to look.
//
// Each loop comes as portable code and, for machines that have them, with
// 512-bit (AVX-512F) or 256-bit (AVX2) vector instructions, chosen at run
// time. All give the same bits on every machine: they compute the same
// integer functions of the states, and the float estimate of a circle's
// distance with the same IEEE operations in the same order.
//
// The environment variable SPARSIM_KERNEL=avx512|avx2|portable forces a
// kernel, for tests and benchmarks; the program refuses to start when it
// names an unknown kernel or one this machine lacks.
//
// Example: on a rectangle whose tables mark nothing, ScanRectangle sets no
// bit at all; with every table bit set it sets every bit. And
//   ScanKernelNamed("avx2") -> kAvx2,  ScanKernelName(kAvx512) -> "avx512".

#ifndef SPARSIM_GENERATE_SCAN_KERNELS_H_
#define SPARSIM_GENERATE_SCAN_KERNELS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "generate/refusal_tables.h"

namespace sparsim {

enum class ScanKernel {
  kAuto,      // DefaultScanKernel(): the one SPARSIM_KERNEL forces, else the fastest
  kPortable,  // plain C++
  kAvx512,    // AVX-512F, where the processor and system support it
  kAvx2,      // AVX2, where the processor and system support it
};

// The fastest kernel this machine has, and whether kernel can run here.
ScanKernel BestScanKernel();
bool ScanKernelAvailable(ScanKernel kernel);

// The names SPARSIM_KERNEL takes: "avx512", "avx2", "portable" ("auto" for
// kAuto); nullopt for any other text.
const char* ScanKernelName(ScanKernel kernel);
std::optional<ScanKernel> ScanKernelNamed(std::string_view name);

// The kernel SPARSIM_KERNEL forces, or kAuto when it is unset or empty.
// error gets a message, and the result is kAuto, when it names an unknown
// kernel or one this machine lacks.
ScanKernel KernelFromEnvironment(std::string* error);

// What kAuto stands for: the kernel SPARSIM_KERNEL forces when it names one
// this machine has, otherwise BestScanKernel().
ScanKernel DefaultScanKernel();

// Which attempts of a circle are surely inside or outside, from the states
// of their X and Y draws: an attempt lies inside when the point
// (x_state - 2^31, y_state - 2^31) does, within a band around the rim of the
// disc of radius 2^31 that covers every rounding of the stored coordinates
// and distance. The loops compare a float estimate q of the squared
// distance, within a relative 2^-21 of it, with these limits.
struct DiscLimits {
  float inside_below = 0;         // q below it: surely inside
  float outside_above = 3.4e38f;  // q above it: surely outside
  // The same for the exact square, (2^31 - band)^2 and (2^31 + band)^2.
  uint64_t square_inside_below = 0;
  uint64_t square_outside_above = ~uint64_t{0};

  // band: half the width of the uncertain ring, in states.
  static DiscLimits ForBand(double band);
  // The same classification of one attempt: -1 surely inside, 1 surely
  // outside, 0 near the rim.
  int Classify(uint32_t x_state, uint32_t y_state) const {
    float q = Estimate(x_state, y_state);
    if (q < inside_below) return -1;
    if (q > outside_above) return 1;
    return 0;
  }

  // The same from the exact square in 64-bit integers, which scalar code
  // computes sooner: surely inside below (2^31 - band)^2, surely outside
  // above (2^31 + band)^2.
  int ClassifyExactly(uint32_t x_state, uint32_t y_state) const {
    int64_t dx = static_cast<int64_t>(x_state) - (int64_t{1} << 31);
    int64_t dy = static_cast<int64_t>(y_state) - (int64_t{1} << 31);
    auto square = static_cast<uint64_t>(dx * dx) + static_cast<uint64_t>(dy * dy);
    if (square < square_inside_below) return -1;
    if (square > square_outside_above) return 1;
    return 0;
  }

  // The estimate of the squared distance, in float arithmetic without fused
  // operations: within a relative 2^-21 of the true value (the conversions
  // and the three operations round by 2^-24 each).
  static float Estimate(uint32_t x_state, uint32_t y_state) {
    auto dx = static_cast<float>(static_cast<int32_t>(x_state ^ 0x80000000u));
    auto dy = static_cast<float>(static_cast<int32_t>(y_state ^ 0x80000000u));
    return dx * dx + dy * dy;
  }
};

// Rectangles: candidate k of the run takes the three draws after the state
// RandomJump::Steps(3k).Apply(start). Sets bit k % 64 of passes[k / 64] when
// the tables pass the candidate, for k below 64 x words.
void ScanRectangle(ScanKernel kernel, const RefusalTables& tables, uint32_t start, int64_t words,
                   uint64_t* passes);

// Circles: an attempt may start after any draw; the attempt at position p
// takes the two draws after the state RandomJump::Steps(p).Apply(start), and
// a candidate's acceptance draw the third. For each position below
// 64 x words sets the bit of p in
//   inside: the attempt is surely inside the disc;
//   looks:  it needs the exact computation: it lies near the rim, or
//           surely inside and passed by the tables.
// An attempt with neither bit is surely outside, or surely inside and
// refused. (The engine's portable code takes ClassifyCircleWord below
// instead, which looks up the tables only for the attempts a path takes;
// the portable ScanCircle states what the vector loops compute.)
void ScanCircle(ScanKernel kernel, const RefusalTables& tables, DiscLimits disc, uint32_t start,
                int64_t words, uint64_t* inside, uint64_t* looks);

// Circles in scalar code, one word of 64 positions at a time: the X draw
// states of its positions, and which attempts are surely inside (the
// inside bits of ScanCircle) and which lie near the rim. The tables are
// left out: scalar code looks them up only for the attempts a path takes,
// a third of the positions. Written for the compiler to vectorise at any
// instruction set level.
//
// Example: a word none of whose attempts is near the rim has rim == 0,
// x_states[p + 1] is the Y draw state of the attempt at position p, and
// RefusalTables::CellPasses(x_states[p], x_states[p + 1]) reads bit
// cells[p] of the cell table.
struct CircleWord {
  static constexpr int kStates = 68;  // positions 0..64, rounded up to whole vectors
  alignas(16) uint32_t x_states[kStates];
  // The number of the attempt's cell in RefusalTables::cells.
  alignas(16) uint32_t cells[64];
  uint64_t inside = 0;
  uint64_t rim = 0;
};
void ClassifyCircleWord(DiscLimits disc, uint32_t start, CircleWord& word);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_SCAN_KERNELS_H_
