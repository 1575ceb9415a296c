#include "generate/scan_kernels.h"

#include <cmath>

#include "numeric/random.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define SPARSIM_HAVE_AVX512_KERNELS 1
#endif

namespace sparsim {
namespace {

constexpr RandomJump kOneDraw = RandomJump::Steps(1);
constexpr RandomJump kTwoDraws = RandomJump::Steps(2);
constexpr RandomJump kThreeDraws = RandomJump::Steps(3);

void ScanRectanglePortable(const RefusalTables& tables, uint32_t start, int64_t words,
                           uint64_t* passes) {
  // Four chains a quarter of a word apart, so that no candidate waits for
  // the previous one's state.
  constexpr RandomJump kQuarter = RandomJump::Steps(3 * 16);
  constexpr RandomJump kRest = RandomJump::Steps(3 * 48);
  uint32_t s[4];
  s[0] = start;
  for (int c = 1; c < 4; ++c) s[c] = kQuarter.Apply(s[c - 1]);
  for (int64_t w = 0; w < words; ++w) {
    uint64_t bits = 0;
    for (int i = 0; i < 16; ++i) {
      for (int c = 0; c < 4; ++c) {
        uint64_t pass = tables.Passes(kOneDraw.Apply(s[c]), kTwoDraws.Apply(s[c]));
        bits |= pass << (16 * c + i);
        s[c] = kThreeDraws.Apply(s[c]);
      }
    }
    for (int c = 0; c < 4; ++c) s[c] = kRest.Apply(s[c]);
    passes[w] = bits;
  }
}

void ScanCirclePortable(const RefusalTables& tables, DiscLimits disc, uint32_t start, int64_t words,
                        uint64_t* inside, uint64_t* looks) {
  constexpr RandomJump kQuarter = RandomJump::Steps(16);
  constexpr RandomJump kRest = RandomJump::Steps(48);
  uint32_t s[4];  // the state before position 16c + i of the word
  s[0] = start;
  for (int c = 1; c < 4; ++c) s[c] = kQuarter.Apply(s[c - 1]);
  for (int64_t w = 0; w < words; ++w) {
    uint64_t inside_bits = 0;
    uint64_t look_bits = 0;
    for (int i = 0; i < 16; ++i) {
      for (int c = 0; c < 4; ++c) {
        uint32_t x_state = kOneDraw.Apply(s[c]);
        uint32_t y_state = kTwoDraws.Apply(s[c]);
        float q = DiscLimits::Estimate(x_state, y_state);
        uint64_t in = q < disc.inside_below;
        uint64_t out = q > disc.outside_above;
        // Near the rim, or inside and passed.
        uint64_t look = (in ^ 1) & (out ^ 1);
        if (in != 0 && tables.Passes(x_state, y_state)) look = 1;
        inside_bits |= in << (16 * c + i);
        look_bits |= look << (16 * c + i);
        s[c] = x_state;
      }
    }
    for (int c = 0; c < 4; ++c) s[c] = kRest.Apply(s[c]);
    inside[w] = inside_bits;
    looks[w] = look_bits;
  }
}

#ifdef SPARSIM_HAVE_AVX512_KERNELS

#define SPARSIM_AVX512 [[gnu::target("avx512f")]]

// GCC 12 takes the deliberately undefined start of _mm512_set1_epi32 for a
// fault.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

// The bits of a 1024-bit table held in two registers, for the lanes in
// mask, at buckets given by the top 10 bits of each lane's state: the word
// by the top 5 (top5, state >> 27), the bit by the next 5.
SPARSIM_AVX512 inline __mmask16 LineBits(__mmask16 mask, __m512i low, __m512i high, __m512i state,
                                         __m512i top5) {
  __m512i word = _mm512_permutex2var_epi32(low, top5, high);
  // A rotation counts modulo 32: by the bucket's low 5 bits.
  return _mm512_mask_test_epi32_mask(mask, _mm512_rorv_epi32(word, _mm512_srli_epi32(state, 22)),
                                     _mm512_set1_epi32(1));
}

// The bits of the 32 x 32 block table held in two registers, for the lanes
// in mask: the word is the row, the top 5 bits of the Y state; the bit the
// top 5 of the X state.
SPARSIM_AVX512 inline __mmask16 BlockBits(__mmask16 mask, __m512i low, __m512i high, __m512i x_top5,
                                          __m512i y_top5) {
  __m512i word = _mm512_permutex2var_epi32(low, y_top5, high);
  return _mm512_mask_test_epi32_mask(mask, _mm512_srlv_epi32(word, x_top5), _mm512_set1_epi32(1));
}

// The cell bits of the lanes in mask, gathered from the 512 x 512 table.
SPARSIM_AVX512 inline __mmask16 CellBits(const uint32_t* cells, __mmask16 mask, __m512i x,
                                         __m512i y) {
  __m512i index =
      _mm512_or_si512(_mm512_slli_epi32(_mm512_srli_epi32(y, 23), 4), _mm512_srli_epi32(x, 28));
  __m512i word = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), mask, index, cells, 4);
  __m512i bit = _mm512_and_si512(_mm512_srli_epi32(x, 23), _mm512_set1_epi32(31));
  return _mm512_mask_test_epi32_mask(mask, _mm512_srlv_epi32(word, bit), _mm512_set1_epi32(1));
}

// The line and block tables held in registers for a whole scan.
struct TableRegisters {
  __m512i column_low, column_high, row_low, row_high, block_low, block_high;
  const uint32_t* cells;
};

SPARSIM_AVX512 inline TableRegisters LoadTables(const RefusalTables& tables) {
  return TableRegisters{_mm512_loadu_si512(tables.columns.data()),
                        _mm512_loadu_si512(tables.columns.data() + 16),
                        _mm512_loadu_si512(tables.rows.data()),
                        _mm512_loadu_si512(tables.rows.data() + 16),
                        _mm512_loadu_si512(tables.blocks.data()),
                        _mm512_loadu_si512(tables.blocks.data() + 16),
                        tables.cells.data()};
}

// The lanes of mask whose X and Y draw states the tables pass: the column,
// row and block tables first, and the cell table for those that remain.
SPARSIM_AVX512 inline __mmask16 TablesPass(const TableRegisters& t, __mmask16 mask, __m512i x,
                                           __m512i y) {
  __m512i x_top5 = _mm512_srli_epi32(x, 27);
  __m512i y_top5 = _mm512_srli_epi32(y, 27);
  __mmask16 near = LineBits(mask, t.column_low, t.column_high, x, x_top5);
  near = LineBits(near, t.row_low, t.row_high, y, y_top5);
  near = BlockBits(near, t.block_low, t.block_high, x_top5, y_top5);
  return near != 0 ? CellBits(t.cells, near, x, y) : __mmask16{0};
}

SPARSIM_AVX512 inline __m512i Jump(__m512i state, RandomJump jump) {
  return _mm512_add_epi32(
      _mm512_mullo_epi32(state, _mm512_set1_epi32(static_cast<int32_t>(jump.multiplier))),
      _mm512_set1_epi32(static_cast<int32_t>(jump.increment)));
}

// The jumps from a word's first state to its 64 candidates' (draws 3 each)
// or to its 64 positions' X draw states.
struct LaneJumps {
  alignas(64) uint32_t multipliers[64];
  alignas(64) uint32_t increments[64];
};

constexpr LaneJumps MakeLaneJumps(int draws_each, int offset) {
  LaneJumps jumps{};
  for (int i = 0; i < 64; ++i) {
    RandomJump jump = RandomJump::Steps(draws_each * i + offset);
    jumps.multipliers[i] = jump.multiplier;
    jumps.increments[i] = jump.increment;
  }
  return jumps;
}

constexpr LaneJumps kCandidateLanes = MakeLaneJumps(3, 0);
constexpr LaneJumps kPositionLanes = MakeLaneJumps(1, 1);

// Lanes 0..15 of vector v: start advanced by jumps 16v .. 16v + 15.
SPARSIM_AVX512 inline __m512i Lanes(uint32_t start, const LaneJumps& jumps, int v) {
  __m512i multipliers = _mm512_load_si512(jumps.multipliers + 16 * v);
  __m512i increments = _mm512_load_si512(jumps.increments + 16 * v);
  return _mm512_add_epi32(
      _mm512_mullo_epi32(_mm512_set1_epi32(static_cast<int32_t>(start)), multipliers), increments);
}

// DiscLimits::Estimate in each lane, with the same operations.
SPARSIM_AVX512 inline __m512 DiscEstimates(__m512i x, __m512i y) {
  const __m512i flip = _mm512_set1_epi32(INT32_MIN);
  __m512 dx = _mm512_cvtepi32_ps(_mm512_xor_si512(x, flip));
  __m512 dy = _mm512_cvtepi32_ps(_mm512_xor_si512(y, flip));
  return _mm512_add_ps(_mm512_mul_ps(dx, dx), _mm512_mul_ps(dy, dy));
}

SPARSIM_AVX512 void ScanRectangleAvx512(const RefusalTables& tables, uint32_t start, int64_t words,
                                        uint64_t* passes) {
  const TableRegisters table_registers = LoadTables(tables);
  constexpr RandomJump kWord = RandomJump::Steps(3 * 64);
  // Vector v holds candidates 16v + j of the word, j = 0..15.
  __m512i s[4];
  for (int v = 0; v < 4; ++v) s[v] = Lanes(start, kCandidateLanes, v);
  for (int64_t w = 0; w < words; ++w) {
    uint64_t bits = 0;
    for (int v = 0; v < 4; ++v) {
      __m512i x = Jump(s[v], kOneDraw);
      __m512i y = Jump(s[v], kTwoDraws);
      s[v] = Jump(s[v], kWord);
      __mmask16 pass = TablesPass(table_registers, 0xffff, x, y);
      bits |= static_cast<uint64_t>(_cvtmask16_u32(pass)) << (16 * v);
    }
    passes[w] = bits;
  }
}

SPARSIM_AVX512 void ScanCircleAvx512(const RefusalTables& tables, DiscLimits disc, uint32_t start,
                                     int64_t words, uint64_t* inside, uint64_t* looks) {
  const TableRegisters table_registers = LoadTables(tables);
  const __m512 inside_below = _mm512_set1_ps(disc.inside_below);
  const __m512 outside_above = _mm512_set1_ps(disc.outside_above);
  constexpr RandomJump kWord = RandomJump::Steps(64);
  // Vector v holds the X draw states of positions 16v + j of the word.
  __m512i x_states[4];
  for (int v = 0; v < 4; ++v) x_states[v] = Lanes(start, kPositionLanes, v);
  for (int64_t w = 0; w < words; ++w) {
    uint64_t inside_bits = 0;
    uint64_t look_bits = 0;
    __m512i next[4];
    for (int v = 0; v < 4; ++v) next[v] = Jump(x_states[v], kWord);
    for (int v = 0; v < 4; ++v) {
      __m512i x = x_states[v];
      // A position's Y draw is the next position's X draw.
      __m512i y = _mm512_alignr_epi32(v < 3 ? x_states[v + 1] : next[0], x, 1);
      __m512 q = DiscEstimates(x, y);
      __mmask16 in = _mm512_cmp_ps_mask(q, inside_below, _CMP_LT_OQ);
      __mmask16 out = _mm512_cmp_ps_mask(q, outside_above, _CMP_GT_OQ);
      __mmask16 pass = TablesPass(table_registers, in, x, y);
      // Not surely outside, and near the rim or passed.
      __mmask16 look = _mm512_kandn(out, _mm512_kor(_mm512_knot(in), pass));
      inside_bits |= static_cast<uint64_t>(_cvtmask16_u32(in)) << (16 * v);
      look_bits |= static_cast<uint64_t>(_cvtmask16_u32(look)) << (16 * v);
    }
    for (int v = 0; v < 4; ++v) x_states[v] = next[v];
    inside[w] = inside_bits;
    looks[w] = look_bits;
  }
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

bool Avx512Supported() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f");
}

#endif  // SPARSIM_HAVE_AVX512_KERNELS

ScanKernel Resolve(ScanKernel kernel) {
  if (kernel == ScanKernel::kAuto || !ScanKernelAvailable(kernel)) return BestScanKernel();
  return kernel;
}

}  // namespace

ScanKernel BestScanKernel() {
  static const ScanKernel best =
      ScanKernelAvailable(ScanKernel::kAvx512) ? ScanKernel::kAvx512 : ScanKernel::kPortable;
  return best;
}

bool ScanKernelAvailable(ScanKernel kernel) {
  switch (kernel) {
    case ScanKernel::kAvx512:
#ifdef SPARSIM_HAVE_AVX512_KERNELS
      return Avx512Supported();
#else
      return false;
#endif
    default:
      return true;
  }
}

DiscLimits DiscLimits::ForBand(double band) {
  DiscLimits limits;
  long double radius = 0x1p31L;
  if (!(band < radius / 2)) return limits;  // every attempt near the rim
  // The estimate is within a relative 2^-21 of the square; the limits
  // leave twice that, and are rounded towards the rim.
  long double inner = (radius - band) * (radius - band) * (1 - 0x1p-20L);
  long double outer = (radius + band) * (radius + band) * (1 + 0x1p-20L);
  auto whole_band = static_cast<uint64_t>(std::ceil(band));
  limits.square_inside_below =
      ((uint64_t{1} << 31) - whole_band) * ((uint64_t{1} << 31) - whole_band);
  limits.square_outside_above =
      ((uint64_t{1} << 31) + whole_band) * ((uint64_t{1} << 31) + whole_band);
  limits.inside_below = static_cast<float>(inner);
  if (limits.inside_below > inner) limits.inside_below = std::nextafter(limits.inside_below, 0.0f);
  limits.outside_above = static_cast<float>(outer);
  if (limits.outside_above < outer) {
    limits.outside_above = std::nextafter(limits.outside_above, HUGE_VALF);
  }
  return limits;
}

void ScanRectangle(ScanKernel kernel, const RefusalTables& tables, uint32_t start, int64_t words,
                   uint64_t* passes) {
#ifdef SPARSIM_HAVE_AVX512_KERNELS
  if (Resolve(kernel) == ScanKernel::kAvx512) {
    ScanRectangleAvx512(tables, start, words, passes);
    return;
  }
#endif
  (void)kernel;
  ScanRectanglePortable(tables, start, words, passes);
}

void ScanCircle(ScanKernel kernel, const RefusalTables& tables, DiscLimits disc, uint32_t start,
                int64_t words, uint64_t* inside, uint64_t* looks) {
#ifdef SPARSIM_HAVE_AVX512_KERNELS
  if (Resolve(kernel) == ScanKernel::kAvx512) {
    ScanCircleAvx512(tables, disc, start, words, inside, looks);
    return;
  }
#endif
  (void)kernel;
  ScanCirclePortable(tables, disc, start, words, inside, looks);
}

}  // namespace sparsim
