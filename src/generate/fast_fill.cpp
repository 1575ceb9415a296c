// The fast engine behind FillPointStore (see generate/fast_fill.h).
//
// Each candidate's draws are taken from the generator's states directly: the
// states of a candidate's X, Y and acceptance draws follow from the state
// before it by one jump each. The refusal tables tell from the X and Y
// states alone whether any seed can add to the candidate's sum; most
// candidates of a clustered set lie far from every seed and are refused
// there and then: their sum is exactly 0, and no draw is below 0. The
// others are computed exactly as the reference engine computes them, with
// the seeds of their cell only. Every margin these shortcuts need is far
// wider than the roundings it covers, so no decision differs from the
// reference engine's.

#include "generate/fast_fill.h"

#include <pthread.h>
#include <sched.h>
#include <signal.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <initializer_list>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/interrupt.h"
#include "generate/refusal_tables.h"
#include "generate/seed_grid.h"
#include "numeric/random.h"

namespace sparsim {
namespace {

// How far a coordinate computed in double arithmetic may lie from the stored
// one, relative to the magnitudes involved: a few roundings of 2^-53 each,
// taken very generously. The absolute part covers subnormal lengths.
constexpr double kPositionSlack = 0x1p-48;
constexpr double kTinyLength = 0x1p-1000;

constexpr RandomJump kOneDraw = RandomJump::Steps(1);
constexpr RandomJump kTwoDraws = RandomJump::Steps(2);
constexpr RandomJump kThreeDraws = RandomJump::Steps(3);

// Sizes the fast engine takes on: their squares and sums stay well inside
// the range of doubles. The dialogue keeps to 1e30.
constexpr double kLargestSize = 1e150;

bool Moderate(std::initializer_list<double> values) {
  for (double value : values) {
    if (!(std::fabs(value) <= kLargestSize)) return false;  // NaN too
  }
  return true;
}

// The fast engine needs a site with area and a positive cut-off, all of
// moderate size; point masses, sites without area and sizes near the limits
// of doubles are left to the reference engine.
bool FastEngineApplies(const GenerationParameters& p) {
  double cut_off = CutOffDistance(p);
  if (!(cut_off > 0) || !Moderate({cut_off}) || p.seed_count < 1) return false;
  if (p.shape == kCircle) {
    return p.site_radius > 0 && p.site_radius < kFarAway &&
           Moderate({p.centre_x, p.centre_y, p.site_radius});
  }
  return p.x_max > p.x_min && p.y_max > p.y_min && Moderate({p.x_min, p.y_min, p.x_max, p.y_max});
}

// The sum of the normal model over several seeds, estimated in double
// arithmetic with exp instead of expl, and a bound on its distance from the
// exact sum. The estimate is settled unless some seed lies so near the
// cut-off (10 in the exponent) that the exact computation might cut it
// differently.
struct SumEstimate {
  bool settled = false;
  double sum = 0;
  double bound = 0;
};

// Each term is within a relative 1e-14 of the stored value (the exponent
// is within 10 x 2^-49 of the exact one, and exp and the roundings add a few
// ulps), and each addition rounds by at most 2^-53 of the sum, in both
// computations; the bound is ten times larger than that.
constexpr double kTermSlack = 1e-13;
constexpr double kAdditionSlack = 1e-15;
constexpr double kCutOffBand = 1e-9;
constexpr double kNormalCutOff = 10;

SumEstimate EstimateNormalSum(const GenerationParameters& p, const ClusterSeeds& seeds,
                              std::span<const int16_t> near_seeds, double x, double y) {
  SumEstimate estimate;
  double sd = p.cluster_radius;
  // Far from these, squares and their reciprocals would leave the range of
  // doubles or lose precision as subnormals.
  if (!(sd >= 1e-100 && sd <= 1e100)) return estimate;
  double inverse_two_variances = 1 / (2 * (sd * sd));
  double peak = 1 / (sd * 2.5066282746310002);
  double sum = 0;
  for (int16_t i : near_seeds) {
    double dx = x - seeds.x[static_cast<size_t>(i)];
    double dy = y - seeds.y[static_cast<size_t>(i)];
    double exponent = (dx * dx + dy * dy) * inverse_two_variances;
    if (exponent > kNormalCutOff * (1 + kCutOffBand)) continue;
    if (exponent >= kNormalCutOff * (1 - kCutOffBand)) return estimate;
    sum += peak * std::exp(-exponent);
  }
  estimate.settled = true;
  estimate.sum = sum;
  estimate.bound =
      sum * (kTermSlack + kAdditionSlack * static_cast<double>(near_seeds.size())) + 1e-300;
  return estimate;
}

// Below this many seeds the exact sum is cheap enough.
constexpr size_t kSeedsWorthEstimating = 4;

// The exact decision for a candidate near some seed.
bool Accepts(const GenerationParameters& p, const ClusterSeeds& seeds,
             std::span<const int16_t> near_seeds, double x, double y, uint32_t draw_state) {
  if (near_seeds.empty()) return false;  // a sum of 0, and no draw is below 0
  long double draw = RandomValue(draw_state);
  // The normal model needs expl per seed; a draw clearly below or above
  // the estimated sum is decided without it. The exact sum stops growing
  // once it reaches 1, but a draw is always below 1, so the decision
  // against the full sum is the same.
  if (p.model == 'N' && near_seeds.size() >= kSeedsWorthEstimating) {
    SumEstimate estimate = EstimateNormalSum(p, seeds, near_seeds, x, y);
    if (estimate.settled) {
      if (draw < static_cast<long double>(estimate.sum) - estimate.bound) return true;
      if (draw >= static_cast<long double>(estimate.sum) + estimate.bound) return false;
    }
  }
  return draw < SeedSum(p, seeds, near_seeds, x, y);
}

// Jumps from a word's first state to each of its 64 candidates (3 draws
// each) or positions (1 draw each).
template <int kDrawsEach>
constexpr std::array<RandomJump, 64> WordJumps() {
  std::array<RandomJump, 64> jumps{};
  for (int i = 0; i < 64; ++i) jumps[static_cast<size_t>(i)] = RandomJump::Steps(kDrawsEach * i);
  return jumps;
}
constexpr std::array<RandomJump, 64> kCandidateJumps = WordJumps<3>();
constexpr std::array<RandomJump, 64> kPositionJumps = WordJumps<1>();

// Circle attempts over eight positions whose "surely inside" bits are the
// index: for an attempt starting at position e = 0, 1 or 2, bits 4e..4e+3
// hold 4 x where the next attempt starts past the eight (0, 1 or 2), and
// bits 16+4e..19+4e how many of the attempts were candidates. (The factor 4
// lets a parse use a field as the next field's shift at once.)
constexpr std::array<uint32_t, 256> ChunkParses() {
  std::array<uint32_t, 256> table{};
  for (int bits = 0; bits < 256; ++bits) {
    uint32_t entry = 0;
    for (int e = 0; e < 3; ++e) {
      int p = e;
      uint32_t candidates = 0;
      while (p < 8) {
        int inside = (bits >> p) & 1;
        candidates += static_cast<uint32_t>(inside);
        p += 2 + inside;
      }
      entry |= static_cast<uint32_t>(4 * (p - 8)) << (4 * e);
      entry |= candidates << (16 + 4 * e);
    }
    table[static_cast<size_t>(bits)] = entry;
  }
  return table;
}
constexpr std::array<uint32_t, 256> kChunkParses = ChunkParses();

// The same with where the attempts start: for an attempt starting at
// position e = 0, 1 or 2 of eight, the field at bit 16e holds 16 x where
// the next attempt starts past the eight (6 bits), and the 8 bits above it
// the positions where attempts start. (So a field gives the next field's
// shift at once.)
constexpr std::array<uint64_t, 256> ChunkStarts() {
  std::array<uint64_t, 256> table{};
  for (int bits = 0; bits < 256; ++bits) {
    uint64_t entry = 0;
    for (int e = 0; e < 3; ++e) {
      int p = e;
      uint64_t starts = 0;
      while (p < 8) {
        starts |= uint64_t{1} << p;
        p += 2 + ((bits >> p) & 1);
      }
      entry |= (static_cast<uint64_t>(16 * (p - 8)) | starts << 6) << (16 * e);
    }
    table[static_cast<size_t>(bits)] = entry;
  }
  return table;
}
constexpr std::array<uint64_t, 256> kChunkStarts = ChunkStarts();

// An accepted candidate of a block.
struct Event {
  double x = 0;
  double y = 0;
  int64_t candidate = 0;  // candidates of its path in the block up to it, itself included
  int64_t end = 0;        // draws from the block's start through its acceptance draw
};

// What a block holds for one start: its accepted candidates in order, its
// candidates and where the next block's first attempt starts. A start that
// met another one earlier in the block (joined) continues as that one from
// where they met.
struct Path {
  bool followed = false;
  std::vector<Event> events;
  int64_t candidates = 0;
  int exit = 0;
  bool stopped = false;  // the scan stopped once the path held enough points
  int joined = -1;
  size_t joined_events = 0;
  int64_t joined_candidates = 0;
};

struct BlockResult {
  int64_t first_draw = 0;
  int64_t draws = 0;
  std::array<Path, 3> paths;
  int64_t exact = 0;
  bool abandoned = false;  // stopped before its end by the pool
  std::exception_ptr failure;
};

// Points accepted along path e, joins included.
size_t PathEvents(const BlockResult& r, int e) {
  const Path& path = r.paths[static_cast<size_t>(e)];
  if (path.joined < 0) return path.events.size();
  return path.events.size() + PathEvents(r, path.joined) - path.joined_events;
}

// Where a scan looks whether it must stop: the deciding thread stops on an
// interrupt (by throwing), the other threads when the pool stops.
struct StopCheck {
  const std::atomic<bool>* pool_stop = nullptr;

  bool Stops() const {
    if (pool_stop == nullptr) {
      ThrowIfInterrupted();
      return false;
    }
    return pool_stop->load(std::memory_order_relaxed);
  }
};

// Words of candidates or positions per call of a scan kernel.
constexpr int64_t kBatchWords = 64;

// Everything one set's scans share; read-only once built.
class SetScanner {
 public:
  SetScanner(const GenerationParameters& p, const ClusterSeeds& seeds, ScanKernel kernel,
             uint32_t start_state)
      : p_(p),
        seeds_(seeds),
        kernel_(kernel),
        start_state_(start_state),
        circle_(p.shape == kCircle),
        x_axis_(XAxis(p)),
        y_axis_(YAxis(p)),
        grid_(p, seeds, SiteBox(p), PositionError(p)),
        tables_(BuildRefusalTables(x_axis_, y_axis_, seeds, p.seed_count, CutOffDistance(p))) {
    if (circle_) {
      // A stored distance from the centre differs from the one in states,
      // scaled by r / 2^31, by less than 4 x error.
      double band = std::ceil(4 * PositionError(p) / p.site_radius * 0x1p31) + 2;
      disc_ = DiscLimits::ForBand(band);
    }
  }

  bool circle() const { return circle_; }
  uint32_t start_state() const { return start_state_; }

  // Scans draws first_draw .. first_draw + draws - 1 of the set, following
  // the starts in entries (bit e: an attempt starts at draw e of the block),
  // until each start's path holds cap accepted candidates.
  BlockResult Scan(int64_t first_draw, int64_t draws, unsigned entries, int32_t cap,
                   StopCheck stop) const {
    BlockResult r;
    r.first_draw = first_draw;
    r.draws = draws;
    uint32_t state = RandomJump::Steps(first_draw).Apply(start_state_);
    if (circle_) {
      ScanCircleBlock(state, entries, cap, stop, r);
    } else {
      ScanRectangleBlock(state, cap, stop, r);
    }
    return r;
  }

 private:
  static Box SiteBox(const GenerationParameters& p) {
    if (p.shape == kCircle) {
      double r = p.site_radius;
      return Box{p.centre_x - r, p.centre_y - r, p.centre_x + r, p.centre_y + r};
    }
    return Box{p.x_min, p.y_min, p.x_max, p.y_max};
  }

  static double PositionError(const GenerationParameters& p) {
    if (p.shape == kCircle) {
      return kPositionSlack * (std::fabs(p.centre_x) + std::fabs(p.centre_y) + 4 * p.site_radius) +
             kTinyLength;
    }
    double width = XAxis(p).extent;
    double height = YAxis(p).extent;
    return kPositionSlack * (std::fabs(p.x_min) + width + std::fabs(p.y_min) + height) +
           kTinyLength;
  }

  // The exact decision for the candidate whose draws follow state.
  bool DecideCandidate(uint32_t state, double& x, double& y) const {
    x = x_axis_.At(kOneDraw.Apply(state));
    y = y_axis_.At(kTwoDraws.Apply(state));
    return Accepts(p_, seeds_, grid_.SeedsNear(x, y), x, y, kThreeDraws.Apply(state));
  }

  void ScanRectangleBlock(uint32_t state, int32_t cap, StopCheck stop, BlockResult& r) const {
    Path& path = r.paths[0];
    path.followed = true;
    int64_t words = r.draws / 192;
    std::array<uint64_t, kBatchWords> passes;
    constexpr RandomJump kWord = RandomJump::Steps(192);
    for (int64_t first_word = 0; first_word < words; first_word += kBatchWords) {
      if (stop.Stops()) {
        r.abandoned = true;
        return;
      }
      int64_t count = std::min(kBatchWords, words - first_word);
      ScanRectangle(kernel_, tables_, state, count, passes.data());
      for (int64_t w = 0; w < count; ++w) {
        // Sets whose candidates are all decided exactly take long over a
        // batch: a stop is seen within a word.
        if (passes[static_cast<size_t>(w)] != 0 && stop.Stops()) {
          r.abandoned = true;
          return;
        }
        for (uint64_t bits = passes[static_cast<size_t>(w)]; bits != 0; bits &= bits - 1) {
          int i = __builtin_ctzll(bits);
          int64_t k = (first_word + w) * 64 + i;
          ++r.exact;
          double x = 0;
          double y = 0;
          if (!DecideCandidate(kCandidateJumps[static_cast<size_t>(i)].Apply(state), x, y)) {
            continue;
          }
          path.events.push_back(Event{x, y, k + 1, 3 * (k + 1)});
          if (path.events.size() >= static_cast<size_t>(cap)) {
            path.candidates = k + 1;
            path.stopped = true;
            return;
          }
        }
        state = kWord.Apply(state);
      }
    }
    path.candidates = r.draws / 3;
  }

  // The exact decision for the circle attempt at position p of a block,
  // whose draws follow state: returns the draws it takes, 2 when it lies
  // outside, else 3.
  int DecideAttempt(Path& path, uint32_t state, int64_t p, BlockResult& r) const {
    ++r.exact;
    double x = x_axis_.At(kOneDraw.Apply(state));
    double y = y_axis_.At(kTwoDraws.Apply(state));
    if (PointDistance(x, y, p_.centre_x, p_.centre_y) > p_.site_radius) return 2;
    ++path.candidates;
    if (Accepts(p_, seeds_, grid_.SeedsNear(x, y), x, y, kThreeDraws.Apply(state))) {
      path.events.push_back(Event{x, y, path.candidates, p + 3});
    }
    return 3;
  }

  // One circle path through a window whose looks bits are not all clear:
  // attempts step by the inside bits, and those with a look bit are decided
  // exactly. base is the window's first position in the block.
  void FollowWindow(Path& path, int& offset, uint32_t window_state, uint64_t inside, uint64_t looks,
                    int64_t base, BlockResult& r) const {
    int p = offset;
    while (p < 64) {
      if (((looks >> p) & 1) == 0) {
        int in = static_cast<int>((inside >> p) & 1);
        path.candidates += in;
        p += 2 + in;
      } else {
        uint32_t state = kPositionJumps[static_cast<size_t>(p)].Apply(window_state);
        p += DecideAttempt(path, state, base + p, r);
      }
    }
    offset = p - 64;
  }

  // The same from the states alone, attempt after attempt, each classified
  // exactly: the portable code's way through the rare word with an attempt
  // near the rim. (Following every word so took 1.3 times as long as
  // FollowWord on a sparse circle on a Zen 4: this loop branches on where
  // each attempt lies, which the processor predicts only four times in
  // five.)
  void FollowWindowAlone(Path& path, int& offset, uint32_t window_state, int64_t base,
                         BlockResult& r) const {
    int p = offset;
    uint32_t state = kPositionJumps[static_cast<size_t>(p)].Apply(window_state);
    while (p < 64) {
      // Each state straight from the attempt's first, so that none waits
      // for another.
      uint32_t x_state = kOneDraw.Apply(state);
      uint32_t y_state = kTwoDraws.Apply(state);
      int place = disc_.ClassifyExactly(x_state, y_state);
      if (place > 0) {
        p += 2;
        state = y_state;
      } else if (place < 0 && !tables_.Passes(x_state, y_state)) {
        ++path.candidates;
        p += 3;
        state = kThreeDraws.Apply(state);
      } else {
        int draws = DecideAttempt(path, state, base + p, r);
        p += draws;
        state = draws == 2 ? y_state : kThreeDraws.Apply(state);
      }
    }
    offset = p - 64;
  }

  // The same from a classified word, for the portable code: where the
  // attempts start follows from the inside bits eight positions at a time,
  // and only the attempts inside are looked up in the tables. A word with
  // an attempt near the rim goes attempt by attempt.
  void FollowWord(Path& path, int& offset, const CircleWord& word, uint32_t window_state,
                  int64_t base, BlockResult& r) const {
    if (word.rim != 0) {
      FollowWindowAlone(path, offset, window_state, base, r);
      return;
    }
    uint64_t shift = 16 * static_cast<uint64_t>(offset);
    uint64_t starts = 0;
    for (int k = 0; k < 64; k += 8) {
      uint64_t parse = kChunkStarts[static_cast<size_t>((word.inside >> k) & 255)];
      starts |= ((parse >> (shift + 6)) & 255) << k;
      shift = (parse >> shift) & 63;
    }
    offset = static_cast<int>(shift / 16);
    int64_t candidates = path.candidates;
    const uint32_t* cells = tables_.cells.data();
    for (uint64_t bits = starts & word.inside; bits != 0; bits &= bits - 1) {
      int p = __builtin_ctzll(bits);
      uint32_t cell = word.cells[p];
      if (((cells[cell >> 5] >> (cell & 31)) & 1) == 0 ||
          !tables_.Passes(word.x_states[p], word.x_states[p + 1])) {
        ++candidates;
        continue;
      }
      path.candidates = candidates;
      DecideAttempt(path, kPositionJumps[static_cast<size_t>(p)].Apply(window_state), base + p, r);
      candidates = path.candidates;
    }
    path.candidates = candidates;
  }

  // One path through one window of 64 positions, whose first state is
  // state and whose first position in the block is base; word classifies
  // the window for the portable code.
  void FollowWindowOf(Path& path, int& offset, uint32_t state, uint64_t inside, uint64_t looks,
                      const CircleWord& word, int64_t base, BlockResult& r) const {
    if (kernel_ == ScanKernel::kPortable) {
      FollowWord(path, offset, word, state, base, r);
    } else if (looks == 0) {
      // No attempt to decide: eight positions at a time by the table.
      uint32_t shift = 4 * static_cast<uint32_t>(offset);
      uint32_t candidates = 0;
      for (int k = 0; k < 64; k += 8) {
        uint32_t parse = kChunkParses[static_cast<size_t>((inside >> k) & 255)];
        candidates += (parse >> (16 + shift)) & 15;
        shift = (parse >> shift) & 12;
      }
      path.candidates += candidates;
      offset = static_cast<int>(shift / 4);
    } else {
      FollowWindow(path, offset, state, inside, looks, base, r);
    }
  }

  void ScanCircleBlock(uint32_t state, unsigned entries, int32_t cap, StopCheck stop,
                       BlockResult& r) const {
    std::array<int, 3> offset = {0, 1, 2};
    std::array<bool, 3> live{};
    for (size_t e = 0; e < 3; ++e) {
      live[e] = ((entries >> e) & 1) != 0;
      r.paths[e].followed = live[e];
    }
    int64_t words = r.draws / 64;
    std::array<uint64_t, kBatchWords> inside{};
    std::array<uint64_t, kBatchWords> looks;
    looks.fill(~uint64_t{0});  // the portable code classifies each word itself
    CircleWord word;
    constexpr RandomJump kWord = RandomJump::Steps(64);
    for (int64_t first_word = 0; first_word < words; first_word += kBatchWords) {
      if (stop.Stops()) {
        r.abandoned = true;
        return;
      }
      int64_t count = std::min(kBatchWords, words - first_word);
      if (kernel_ != ScanKernel::kPortable) {
        ScanCircle(kernel_, tables_, disc_, state, count, inside.data(), looks.data());
      }
      for (int64_t w = 0; w < count; ++w) {
        uint64_t in = inside[static_cast<size_t>(w)];
        uint64_t look = looks[static_cast<size_t>(w)];
        int64_t base = (first_word + w) * 64;
        if (look != 0 && stop.Stops()) {  // as for rectangles
          r.abandoned = true;
          return;
        }
        if (kernel_ == ScanKernel::kPortable) ClassifyCircleWord(disc_, state, word);
        int followed = live[0] + live[1] + live[2];
        if (followed == 1) {
          size_t e = live[0] ? 0 : live[1] ? 1 : 2;
          FollowWindowOf(r.paths[e], offset[e], state, in, look, word, base, r);
        } else {
          for (size_t e = 0; e < 3; ++e) {
            if (live[e]) FollowWindowOf(r.paths[e], offset[e], state, in, look, word, base, r);
          }
          JoinMeetingPaths(offset, live, r);
        }
        state = kWord.Apply(state);
        if (look != 0 && EnoughPoints(r, cap)) return;
      }
    }
    for (size_t e = 0; e < 3; ++e) r.paths[e].exit = offset[e];
  }

  // Two starts at the same position go on as one.
  static void JoinMeetingPaths(const std::array<int, 3>& offset, std::array<bool, 3>& live,
                               BlockResult& r) {
    for (size_t e = 1; e < 3; ++e) {
      for (size_t j = 0; j < e && live[e]; ++j) {
        if (!live[j] || offset[j] != offset[e]) continue;
        Path& path = r.paths[e];
        path.joined = static_cast<int>(j);
        path.joined_events = r.paths[j].events.size();
        path.joined_candidates = r.paths[j].candidates;
        live[e] = false;
      }
    }
  }

  // True, with the paths marked stopped, when every followed path holds cap
  // points.
  static bool EnoughPoints(BlockResult& r, int32_t cap) {
    for (int e = 0; e < 3; ++e) {
      if (r.paths[static_cast<size_t>(e)].followed && PathEvents(r, e) < static_cast<size_t>(cap)) {
        return false;
      }
    }
    for (Path& path : r.paths) path.stopped = true;
    return true;
  }

  const GenerationParameters& p_;
  const ClusterSeeds& seeds_;
  ScanKernel kernel_;
  uint32_t start_state_;
  bool circle_;
  StateAxis x_axis_;
  StateAxis y_axis_;
  SeedGrid grid_;
  RefusalTables tables_;
  DiscLimits disc_;
};

// Where blocks lie. The deciding thread starts alone, with blocks that
// double in length from the first length to the last, so that a small set
// needs little scanning. Blocks scanned ahead by other threads all have one
// length, chosen to take about kPoolBlockSeconds at the rate the first
// blocks went: long enough that handing them over costs little, short
// enough that little is scanned past the last point needed.
constexpr double kPoolBlockSeconds = 0.001;

// A multiple of 192 draws: whole words of rectangle candidates (3 draws) and
// of circle positions.
int64_t RoundedDraws(double draws) {
  return static_cast<int64_t>(std::clamp(std::floor(draws / 192), 1.0, 0x1p24)) * 192;
}

// The deciding thread's side: takes the blocks in order and stores the
// accepted candidates until the set is complete.
class Decider {
 public:
  Decider(Console& console, ProgramState& state, int32_t accepted, Generator& generator)
      : console_(console),
        state_(state),
        accepted_(accepted),
        generator_(generator),
        first_draw_(generator.draws()) {}

  bool done() const { return done_; }
  int32_t accepted() const { return accepted_; }
  // Moves the generator to draw number draw of the fill.
  void MoveTo(int64_t draw) { generator_.SkipLcg(draw - (generator_.draws() - first_draw_)); }
  int entry() const { return entry_; }
  int32_t remaining() const { return state_.point_count - accepted_; }
  int64_t candidates() const { return candidates_; }

  void Take(const BlockResult& r) {
    int e = entry_;
    size_t from = 0;
    int64_t base = 0;   // candidates of this start before the path it now follows
    int64_t taken = 0;  // ... and of that path before it
    for (;;) {
      const Path& path = r.paths[static_cast<size_t>(e)];
      if (!path.followed) throw std::logic_error("a block without the start it needs");
      for (size_t i = from; i < path.events.size(); ++i) {
        const Event& event = path.events[i];
        if (Store(r, event)) {
          candidates_ += base + event.candidate - taken;
          return;
        }
      }
      if (path.joined < 0) {
        if (path.stopped) throw std::logic_error("a block stopped short of the last point");
        candidates_ += base + path.candidates - taken;
        entry_ = path.exit;
        return;
      }
      base += path.candidates - taken;
      taken = path.joined_candidates;
      from = path.joined_events;
      e = path.joined;
    }
  }

 private:
  // Stores one accepted candidate; true when it completes the set. The
  // generator's state is written first, as the console may fail while
  // showing the count.
  bool Store(const BlockResult& r, const Event& event) {
    ++accepted_;
    state_.store.x[static_cast<size_t>(accepted_)] = event.x;
    state_.store.y[static_cast<size_t>(accepted_)] = event.y;
    done_ = accepted_ >= state_.point_count;
    if (done_ || accepted_ % 10 == 0) MoveTo(r.first_draw + event.end);
    if (accepted_ % 10 == 0) ShowProgress(console_, accepted_);
    return done_;
  }

  Console& console_;
  ProgramState& state_;
  int32_t accepted_;
  Generator& generator_;
  int64_t first_draw_;
  int64_t candidates_ = 0;
  int entry_ = 0;
  bool done_ = false;
};

// Threads that scan blocks ahead of the deciding thread, which takes them
// in order. Every thread is joined when the pool ends, also when the
// deciding thread leaves by an exception.
class ScanPool {
 public:
  // Blocks 0, 1, ... of block_draws draws each, from first_draw on.
  ScanPool(const SetScanner& scanner, int64_t first_draw, int64_t block_draws, int threads,
           int32_t cap)
      : scanner_(scanner),
        first_draw_(first_draw),
        block_draws_(block_draws),
        cap_(cap),
        ahead_(2 * threads + 2) {
    // The threads start with every asynchronous signal blocked, so that
    // interrupts reach the deciding thread.
    threads_.reserve(static_cast<size_t>(threads));
    sigset_t blocked;
    sigset_t previous;
    sigfillset(&blocked);
    for (int synchronous : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS}) {
      sigdelset(&blocked, synchronous);
    }
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    try {
      for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
    } catch (...) {
      // Fewer threads than asked for (or none: the deciding thread then
      // scans alone).
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }

  ~ScanPool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    stop_.store(true);
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }

  ScanPool(const ScanPool&) = delete;
  ScanPool& operator=(const ScanPool&) = delete;

  int started() const { return static_cast<int>(threads_.size()); }

  // Block block, scanned for every start; cap is the number of points still
  // needed. Throws on an interrupt.
  BlockResult Take(int64_t block, int32_t cap) {
    if (threads_.empty()) return ScanAll(block, cap, StopCheck{});
    std::unique_lock<std::mutex> lock(mutex_);
    cap_ = cap;
    auto found = ready_.find(block);
    while (found == ready_.end()) {
      if (g_interrupt_signal != 0) {
        lock.unlock();
        ThrowIfInterrupted();
        lock.lock();
      }
      changed_.wait_for(lock, std::chrono::milliseconds(10));
      found = ready_.find(block);
    }
    BlockResult r = std::move(found->second);
    ready_.erase(found);
    taken_ = block + 1;
    lock.unlock();
    changed_.notify_all();
    if (r.failure) std::rethrow_exception(r.failure);
    return r;
  }

 private:
  BlockResult ScanAll(int64_t block, int32_t cap, StopCheck stop) const {
    unsigned entries = scanner_.circle() ? 7u : 1u;
    return scanner_.Scan(first_draw_ + block * block_draws_, block_draws_, entries, cap, stop);
  }

  void Work() {
    for (;;) {
      int64_t block = 0;
      int32_t cap = 0;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return stopping_ || next_ < taken_ + ahead_; });
        if (stopping_) return;
        block = next_++;
        cap = cap_;
      }
      BlockResult r;
      try {
        r = ScanAll(block, cap, StopCheck{&stop_});
      } catch (...) {
        r.failure = std::current_exception();
      }
      if (r.abandoned) return;  // only when the pool stops
      {
        std::lock_guard<std::mutex> lock(mutex_);
        ready_.emplace(block, std::move(r));
      }
      changed_.notify_all();
    }
  }

  const SetScanner& scanner_;
  int64_t first_draw_;
  int64_t block_draws_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<int64_t, BlockResult> ready_;
  int64_t next_ = 0;
  int64_t taken_ = 0;
  int32_t cap_;
  int64_t ahead_;
  bool stopping_ = false;
  std::atomic<bool> stop_{false};
  std::vector<std::thread> threads_;
};

// The number of threads that scan: 0 asks for every processor this process
// may run on.
int ScanningThreads(const FillOptions& options, const ProgramState& state) {
  int threads = options.threads > 0 ? options.threads : state.sampling_threads;
  if (threads <= 0) {
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    threads = sched_getaffinity(0, sizeof cpus, &cpus) == 0 ? CPU_COUNT(&cpus) : 1;
  }
  return std::clamp(threads, 1, 64);
}

}  // namespace

int64_t FillPointStoreWith(Console& console, const GenerationParameters& parameters,
                           const ClusterSeeds& seeds, ProgramState& state, Generator& generator,
                           const FillOptions& options, FillReport* report, int64_t draw_budget) {
  FillReport unused;
  FillReport& out = report != nullptr ? *report : unused;
  out = FillReport{};
  int32_t accepted = parameters.seeds_as_points ? parameters.seed_count : 0;
  if (accepted >= state.point_count) return 0;
  if (!FastEngineApplies(parameters)) {
    return FillPointStoreReference(console, parameters, seeds, state, generator, draw_budget);
  }
  ThrowIfInterrupted();
  ScanKernel kernel = ScanKernelAvailable(options.kernel) && options.kernel != ScanKernel::kAuto
                          ? options.kernel
                          : DefaultScanKernel();
  auto start_state = static_cast<uint32_t>(generator.lcg_state());
  const SetScanner scanner(parameters, seeds, kernel, start_state);
  Decider decider(console, state, accepted, generator);
  out.fast_engine = true;
  out.kernel = kernel;
  int threads = ScanningThreads(options, state);
  auto take = [&](const BlockResult& r) {
    decider.Take(r);
    out.exact_candidates += r.exact;
    ++out.blocks;
  };
  int64_t first = RoundedDraws(static_cast<double>(options.first_block_draws));
  int64_t last = std::max(first, RoundedDraws(static_cast<double>(options.last_block_draws)));
  auto start = std::chrono::steady_clock::now();
  double seconds = 0;
  int64_t draw = 0;  // the next block's first draw
  int64_t length = first;
  // A block is taken only when its last candidate, which may reach two
  // draws past its end, stays within the budget.
  auto within_budget = [&](int64_t from, int64_t draws) { return from + draws + 2 <= draw_budget; };
  bool near_end = false;
  do {
    if (!within_budget(draw, length)) {
      near_end = true;
      break;
    }
    take(scanner.Scan(draw, length, 1u << decider.entry(), decider.remaining(), StopCheck{}));
    draw += length;
    length = std::min(2 * length, last);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (!decider.done() && (threads <= 1 || seconds < options.solo_seconds));
  if (!decider.done() && !near_end) {
    double rate = static_cast<double>(draw) / std::max(seconds, 1e-9);
    int64_t block_draws = std::clamp(RoundedDraws(rate * kPoolBlockSeconds), first, last);
    ScanPool pool(scanner, draw, block_draws, threads, decider.remaining());
    out.threads_started = pool.started();
    for (int64_t block = 0; !decider.done(); ++block) {
      if (!within_budget(draw, block_draws)) break;
      take(pool.Take(block, decider.remaining()));
      draw += block_draws;
    }
  }
  int64_t candidates = decider.candidates();
  if (!decider.done()) {
    // The rest, up to the budget, one candidate at a time.
    int64_t next = draw + decider.entry();
    decider.MoveTo(next);
    candidates += FillPointStoreFrom(console, parameters, seeds, state, generator,
                                     decider.accepted(), draw_budget - next);
  }
  out.candidates = candidates;
  return candidates;
}

int64_t FillPointStore(Console& console, const GenerationParameters& parameters,
                       const ClusterSeeds& seeds, ProgramState& state, Generator& generator,
                       int64_t draw_budget) {
  return FillPointStoreWith(console, parameters, seeds, state, generator, FillOptions{}, nullptr,
                            draw_budget);
}

}  // namespace sparsim
