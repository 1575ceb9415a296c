#include "generate/scan_kernels.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "numeric/random.h"

#include <cstdlib>

#if defined(__x86_64__)
#include <immintrin.h>
#define SPARSIM_HAVE_X86_KERNELS 1
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

// The jumps from a word's first state to the X draw states of its
// positions 0 .. CircleWord::kStates - 1.
struct WordStateJumps {
  uint32_t multipliers[CircleWord::kStates];
  uint32_t increments[CircleWord::kStates];
};

constexpr WordStateJumps MakeWordStateJumps() {
  WordStateJumps jumps{};
  for (int p = 0; p < CircleWord::kStates; ++p) {
    RandomJump jump = RandomJump::Steps(p + 1);
    jumps.multipliers[p] = jump.multiplier;
    jumps.increments[p] = jump.increment;
  }
  return jumps;
}

constexpr WordStateJumps kWordStateJumps = MakeWordStateJumps();

constexpr std::array<uint32_t, 32> Bits() {
  std::array<uint32_t, 32> bits{};
  for (int i = 0; i < 32; ++i) bits[static_cast<size_t>(i)] = 1u << i;
  return bits;
}
alignas(16) constexpr std::array<uint32_t, 32> kBit = Bits();

#ifdef SPARSIM_HAVE_X86_KERNELS

#define SPARSIM_AVX512 [[gnu::target("avx512f")]]

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
constexpr LaneJumps kPositionYLanes = MakeLaneJumps(1, 2);
constexpr LaneJumps kCandidateXLanes = MakeLaneJumps(3, 1);
constexpr LaneJumps kCandidateYLanes = MakeLaneJumps(3, 2);

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

#define SPARSIM_AVX2 [[gnu::target("avx2")]]

// The line tables at a quarter of their resolution, small enough for one
// 256-bit register each: bucket b of 256 (the top 8 bits of a state) is set
// when any of the buckets 4b .. 4b + 3 of 1024 is. It is held as bit b / 8
// of word b % 8, so that a lane finds its word from the state shifted by 24
// (a permutation reads the low 3 bits of its index) and its bit from the
// state shifted by 27. A state that they refuse the full tables refuse too;
// the few that they pass are tested against the full tables one by one.
struct CoarseLines {
  alignas(32) uint32_t columns[8];
  alignas(32) uint32_t rows[8];
};

// Made for every call of a kernel, so eight fine words at a time: bucket
// 8w + j of 256 is nibble j of fine word w, and goes to bit w of word j.
SPARSIM_AVX2 void Coarsen(const uint32_t* fine, uint32_t* coarse) {
  for (int k = 0; k < 4; ++k) {
    __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(fine + 8 * k));
    // Bit 4j of each lane: whether nibble j has any bit set.
    __m256i any = _mm256_or_si256(words, _mm256_srli_epi32(words, 1));
    any = _mm256_or_si256(any, _mm256_srli_epi32(any, 2));
    for (int j = 0; j < 8; ++j) {
      __m256i top = _mm256_slli_epi32(any, 31 - 4 * j);
      auto lanes = static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(top)));
      coarse[j] |= lanes << (8 * k);
    }
  }
}

SPARSIM_AVX2 CoarseLines MakeCoarseLines(const RefusalTables& tables) {
  CoarseLines lines{};
  Coarsen(tables.columns.data(), lines.columns);
  Coarsen(tables.rows.data(), lines.rows);
  return lines;
}

// Bit 0 of each lane set when the coarse table held in line has the bit of
// the lane's state.
SPARSIM_AVX2 inline __m256i CoarseBit(__m256i line, __m256i state) {
  __m256i word = _mm256_permutevar8x32_epi32(line, _mm256_srli_epi32(state, 24));
  return _mm256_srlv_epi32(word, _mm256_srli_epi32(state, 27));
}

// The lanes (bit j for lane j) whose X and Y states the coarse tables pass.
SPARSIM_AVX2 inline uint32_t CoarsePass(__m256i columns, __m256i rows, __m256i x, __m256i y) {
  __m256i both = _mm256_and_si256(CoarseBit(columns, x), CoarseBit(rows, y));
  return static_cast<uint32_t>(
      _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_slli_epi32(both, 31))));
}

SPARSIM_AVX2 inline __m256i Jump8(__m256i state, RandomJump jump) {
  return _mm256_add_epi32(
      _mm256_mullo_epi32(state, _mm256_set1_epi32(static_cast<int32_t>(jump.multiplier))),
      _mm256_set1_epi32(static_cast<int32_t>(jump.increment)));
}

// Lanes 0..7 of vector v: start advanced by jumps 8v .. 8v + 7.
SPARSIM_AVX2 inline __m256i Lanes8(uint32_t start, const LaneJumps& jumps, int v) {
  __m256i multipliers =
      _mm256_load_si256(reinterpret_cast<const __m256i*>(jumps.multipliers + 8 * v));
  __m256i increments =
      _mm256_load_si256(reinterpret_cast<const __m256i*>(jumps.increments + 8 * v));
  return _mm256_add_epi32(
      _mm256_mullo_epi32(_mm256_set1_epi32(static_cast<int32_t>(start)), multipliers), increments);
}

// The bits of maybe whose lanes the full tables pass; lane k's X and Y
// states are the jumps x_jumps[k] and y_jumps[k] from state.
uint64_t FullTablesPass(const RefusalTables& tables, uint64_t maybe, uint32_t state,
                        const LaneJumps& x_jumps, const LaneJumps& y_jumps) {
  uint64_t pass = 0;
  while (maybe != 0) {
    int k = __builtin_ctzll(maybe);
    maybe &= maybe - 1;
    uint32_t x = state * x_jumps.multipliers[k] + x_jumps.increments[k];
    uint32_t y = state * y_jumps.multipliers[k] + y_jumps.increments[k];
    if (tables.Passes(x, y)) pass |= uint64_t{1} << k;
  }
  return pass;
}


SPARSIM_AVX2 void ScanRectangleAvx2(const RefusalTables& tables, uint32_t start, int64_t words,
                                    uint64_t* passes) {
  const CoarseLines coarse = MakeCoarseLines(tables);
  const __m256i columns = _mm256_load_si256(reinterpret_cast<const __m256i*>(coarse.columns));
  const __m256i rows = _mm256_load_si256(reinterpret_cast<const __m256i*>(coarse.rows));
  constexpr RandomJump kWord = RandomJump::Steps(3 * 64);
  // Vectors v hold the X and the Y draw states of candidates 8v + j of the
  // word, j = 0..7, each advanced a word at a time.
  __m256i x_states[8];
  __m256i y_states[8];
  for (int v = 0; v < 8; ++v) {
    x_states[v] = Lanes8(start, kCandidateXLanes, v);
    y_states[v] = Lanes8(start, kCandidateYLanes, v);
  }
  // The candidates the coarse tables pass are listed first, word after
  // word, and tried against the full tables after: a word passes none
  // about half the time, and a branch on it would be mispredicted as often.
  constexpr int64_t kChunkWords = 64;
  uint32_t word_states[kChunkWords];
  uint16_t maybe[64 * kChunkWords];  // word << 6 | candidate
  uint32_t state = start;
  for (int64_t first = 0; first < words; first += kChunkWords) {
    int64_t count = std::min(kChunkWords, words - first);
    int listed = 0;
    for (int64_t w = 0; w < count; ++w) {
      word_states[w] = state;
      state = kWord.Apply(state);
      uint64_t bits = 0;
      for (int v = 0; v < 8; ++v) {
        __m256i x = x_states[v];
        __m256i y = y_states[v];
        x_states[v] = Jump8(x, kWord);
        y_states[v] = Jump8(y, kWord);
        bits |= static_cast<uint64_t>(CoarsePass(columns, rows, x, y)) << (8 * v);
      }
      passes[first + w] = 0;
      // The first two without a branch (an entry past the end is
      // overwritten by the next); a word with more takes a loop.
      auto tag = static_cast<uint16_t>(w << 6);
      for (int t = 0; t < 2; ++t) {
        maybe[listed] = static_cast<uint16_t>(tag | __builtin_ctzll(bits | (uint64_t{1} << 63)));
        listed += bits != 0;
        bits &= bits - 1;
      }
      for (; bits != 0; bits &= bits - 1) {
        maybe[listed++] = static_cast<uint16_t>(tag | __builtin_ctzll(bits));
      }
    }
    for (int i = 0; i < listed; ++i) {
      int w = maybe[i] >> 6;
      int k = maybe[i] & 63;
      uint32_t x = word_states[w] * kCandidateXLanes.multipliers[k] + kCandidateXLanes.increments[k];
      uint32_t y = word_states[w] * kCandidateYLanes.multipliers[k] + kCandidateYLanes.increments[k];
      // Every table, without branches.
      uint64_t pass = static_cast<uint64_t>(tables.CellPasses(x, y)) &
                      static_cast<uint64_t>(tables.ColumnPasses(x)) &
                      static_cast<uint64_t>(tables.RowPasses(y)) &
                      static_cast<uint64_t>(tables.BlockPasses(x, y));
      passes[first + w] |= pass << k;
    }
  }
}

// DiscLimits::Estimate in each lane, with the same operations.
SPARSIM_AVX2 inline __m256 DiscEstimates8(__m256i x, __m256i y) {
  const __m256i flip = _mm256_set1_epi32(INT32_MIN);
  __m256 dx = _mm256_cvtepi32_ps(_mm256_xor_si256(x, flip));
  __m256 dy = _mm256_cvtepi32_ps(_mm256_xor_si256(y, flip));
  return _mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(dy, dy));
}

SPARSIM_AVX2 void ScanCircleAvx2(const RefusalTables& tables, DiscLimits disc, uint32_t start,
                                 int64_t words, uint64_t* inside, uint64_t* looks) {
  const CoarseLines coarse = MakeCoarseLines(tables);
  const __m256i columns = _mm256_load_si256(reinterpret_cast<const __m256i*>(coarse.columns));
  const __m256i rows = _mm256_load_si256(reinterpret_cast<const __m256i*>(coarse.rows));
  const __m256 inside_below = _mm256_set1_ps(disc.inside_below);
  const __m256 outside_above = _mm256_set1_ps(disc.outside_above);
  constexpr RandomJump kWord = RandomJump::Steps(64);
  // Vectors v hold the X and the Y draw states of positions 8v + j.
  __m256i x_states[8];
  __m256i y_states[8];
  for (int v = 0; v < 8; ++v) {
    x_states[v] = Lanes8(start, kPositionLanes, v);
    y_states[v] = Lanes8(start, kPositionYLanes, v);
  }
  uint32_t state = start;
  for (int64_t w = 0; w < words; ++w) {
    uint64_t in = 0;
    uint64_t out = 0;
    uint64_t maybe = 0;
    for (int v = 0; v < 8; ++v) {
      __m256i x = x_states[v];
      __m256i y = y_states[v];
      x_states[v] = Jump8(x, kWord);
      y_states[v] = Jump8(y, kWord);
      __m256 q = DiscEstimates8(x, y);
      auto lanes_in = static_cast<uint32_t>(
          _mm256_movemask_ps(_mm256_cmp_ps(q, inside_below, _CMP_LT_OQ)));
      auto lanes_out = static_cast<uint32_t>(
          _mm256_movemask_ps(_mm256_cmp_ps(q, outside_above, _CMP_GT_OQ)));
      uint32_t lanes_maybe = lanes_in & CoarsePass(columns, rows, x, y);
      in |= static_cast<uint64_t>(lanes_in) << (8 * v);
      out |= static_cast<uint64_t>(lanes_out) << (8 * v);
      maybe |= static_cast<uint64_t>(lanes_maybe) << (8 * v);
    }
    uint64_t pass = FullTablesPass(tables, maybe, state, kPositionLanes, kPositionYLanes);
    // Not surely outside, and near the rim or passed.
    inside[w] = in;
    looks[w] = ~out & (~in | pass);
    state = kWord.Apply(state);
  }
}

bool Avx512Supported() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f");
}

bool Avx2Supported() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

#endif  // SPARSIM_HAVE_X86_KERNELS

// Positions first .. first + 31 of a word, from the squared distances of
// the X draws from the centre (squares): bit i of inside and of rim for
// position first + i.
inline void ClassifyPositions(DiscLimits disc, const float* squares, int first, uint32_t& inside,
                              uint32_t& rim) {
  uint32_t in_bits = 0;
  uint32_t rim_bits = 0;
  for (int i = 0; i < 32; ++i) {
    // A position's Y draw is the next position's X draw.
    float q = squares[first + i] + squares[first + i + 1];
    uint32_t in = 0u - static_cast<uint32_t>(q < disc.inside_below);
    uint32_t out = 0u - static_cast<uint32_t>(q > disc.outside_above);
    in_bits |= in & kBit[static_cast<size_t>(i)];
    rim_bits |= ~(in | out) & kBit[static_cast<size_t>(i)];
  }
  inside = in_bits;
  rim = rim_bits;
}

}  // namespace

void ClassifyCircleWord(DiscLimits disc, uint32_t start, CircleWord& word) {
  // Loops without branches over whole arrays, which compilers turn into
  // vector code; DiscLimits::Estimate with the same operations.
  alignas(16) float squares[CircleWord::kStates];
  for (int p = 0; p < CircleWord::kStates; ++p) {
    uint32_t state = start * kWordStateJumps.multipliers[p] + kWordStateJumps.increments[p];
    word.x_states[p] = state;
    auto d = static_cast<float>(static_cast<int32_t>(state ^ 0x80000000u));
    squares[p] = d * d;
  }
  for (int p = 0; p < 64; ++p) {
    word.cells[p] = (word.x_states[p + 1] >> (32 - kCellBits) << kCellBits) |
                    (word.x_states[p] >> (32 - kCellBits));
  }
  uint32_t inside_low = 0;
  uint32_t inside_high = 0;
  uint32_t rim_low = 0;
  uint32_t rim_high = 0;
  ClassifyPositions(disc, squares, 0, inside_low, rim_low);
  ClassifyPositions(disc, squares, 32, inside_high, rim_high);
  word.inside = inside_low | static_cast<uint64_t>(inside_high) << 32;
  word.rim = rim_low | static_cast<uint64_t>(rim_high) << 32;
}

ScanKernel BestScanKernel() {
  static const ScanKernel best = ScanKernelAvailable(ScanKernel::kAvx512) ? ScanKernel::kAvx512
                                 : ScanKernelAvailable(ScanKernel::kAvx2) ? ScanKernel::kAvx2
                                                                          : ScanKernel::kPortable;
  return best;
}

bool ScanKernelAvailable(ScanKernel kernel) {
  switch (kernel) {
#ifdef SPARSIM_HAVE_X86_KERNELS
    case ScanKernel::kAvx512:
      return Avx512Supported();
    case ScanKernel::kAvx2:
      return Avx2Supported();
#else
    case ScanKernel::kAvx512:
    case ScanKernel::kAvx2:
      return false;
#endif
    case ScanKernel::kAuto:
    case ScanKernel::kPortable:
      return true;
  }
  return false;
}

const char* ScanKernelName(ScanKernel kernel) {
  switch (kernel) {
    case ScanKernel::kAvx512:
      return "avx512";
    case ScanKernel::kAvx2:
      return "avx2";
    case ScanKernel::kPortable:
      return "portable";
    case ScanKernel::kAuto:
      break;
  }
  return "auto";
}

std::optional<ScanKernel> ScanKernelNamed(std::string_view name) {
  for (ScanKernel kernel :
       {ScanKernel::kAuto, ScanKernel::kPortable, ScanKernel::kAvx512, ScanKernel::kAvx2}) {
    if (name == ScanKernelName(kernel)) return kernel;
  }
  return std::nullopt;
}

ScanKernel KernelFromEnvironment(std::string* error) {
  const char* value = std::getenv("SPARSIM_KERNEL");
  if (value == nullptr || *value == '\0') return ScanKernel::kAuto;
  std::optional<ScanKernel> kernel = ScanKernelNamed(value);
  if (!kernel) {
    if (error != nullptr) {
      *error = std::string("SPARSIM_KERNEL=") + value +
               " names no scan kernel (avx512, avx2, portable or auto)";
    }
    return ScanKernel::kAuto;
  }
  if (!ScanKernelAvailable(*kernel)) {
    if (error != nullptr) {
      *error = std::string("SPARSIM_KERNEL=") + value + ": this processor lacks that kernel";
    }
    return ScanKernel::kAuto;
  }
  return *kernel;
}

ScanKernel DefaultScanKernel() {
  ScanKernel forced = KernelFromEnvironment(nullptr);
  return forced == ScanKernel::kAuto ? BestScanKernel() : forced;
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
  if (kernel == ScanKernel::kAuto || !ScanKernelAvailable(kernel)) kernel = BestScanKernel();
  switch (kernel) {
#ifdef SPARSIM_HAVE_X86_KERNELS
    case ScanKernel::kAvx512:
      ScanRectangleAvx512(tables, start, words, passes);
      return;
    case ScanKernel::kAvx2:
      ScanRectangleAvx2(tables, start, words, passes);
      return;
#endif
    default:
      ScanRectanglePortable(tables, start, words, passes);
  }
}

void ScanCircle(ScanKernel kernel, const RefusalTables& tables, DiscLimits disc, uint32_t start,
                int64_t words, uint64_t* inside, uint64_t* looks) {
  if (kernel == ScanKernel::kAuto || !ScanKernelAvailable(kernel)) kernel = BestScanKernel();
  switch (kernel) {
#ifdef SPARSIM_HAVE_X86_KERNELS
    case ScanKernel::kAvx512:
      ScanCircleAvx512(tables, disc, start, words, inside, looks);
      return;
    case ScanKernel::kAvx2:
      ScanCircleAvx2(tables, disc, start, words, inside, looks);
      return;
#endif
    default:
      ScanCirclePortable(tables, disc, start, words, inside, looks);
  }
}

}  // namespace sparsim
