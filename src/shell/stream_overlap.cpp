#include "shell/stream_overlap.h"

#include <algorithm>
#include <functional>
#include <queue>

#include "generate/trial_estimate.h"

namespace sparsim {
namespace {

// Counts of values inserted at ranks 0 .. size - 1, summed over prefixes.
class RankCounts {
 public:
  explicit RankCounts(std::size_t size) : tree_(size + 1, 0) {}
  void Add(std::size_t rank) {
    for (std::size_t i = rank + 1; i < tree_.size(); i += i & (~i + 1)) ++tree_[i];
  }
  // Values inserted at ranks below rank.
  int64_t Below(std::size_t rank) const {
    int64_t sum = 0;
    for (std::size_t i = rank; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return sum;
  }

 private:
  std::vector<int64_t> tree_;
};

}  // namespace

int64_t CountOverlappingPairs(std::vector<CycleStretch> stretches, uint64_t cycle) {
  // Each stretch as [start, end) on the line, end - start at most one cycle;
  // empty ones meet nothing.
  struct Span {
    uint64_t start;
    uint64_t end;
  };
  std::vector<Span> spans;
  spans.reserve(stretches.size());
  for (const CycleStretch& s : stretches) {
    if (s.draws <= 0) continue;
    uint64_t length = std::min<uint64_t>(static_cast<uint64_t>(s.draws), cycle);
    spans.push_back({s.start, s.start + length});
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.start < b.start; });
  // For i before j (start_i <= start_j) the two meet when end_i > start_j,
  // or when j wraps past the cycle's end as far as start_i:
  // wrapped_j = end_j - cycle > start_i. The pairs are counted as
  // (reach past start_j) + (start in wrapped_j) - (both).
  int64_t pairs = 0;
  std::priority_queue<uint64_t, std::vector<uint64_t>, std::greater<>> open_ends;
  std::vector<uint64_t> starts;
  starts.reserve(spans.size());
  for (const Span& span : spans) {
    while (!open_ends.empty() && open_ends.top() <= span.start) open_ends.pop();
    pairs += static_cast<int64_t>(open_ends.size());
    open_ends.push(span.end);
    starts.push_back(span.start);
  }
  // The wrapped parts, as queries in ascending order of their end.
  std::vector<std::size_t> wrapping;
  for (std::size_t j = 0; j < spans.size(); ++j) {
    if (spans[j].end > cycle) wrapping.push_back(j);
  }
  if (wrapping.empty()) return pairs;
  std::sort(wrapping.begin(), wrapping.end(),
            [&](std::size_t a, std::size_t b) { return spans[a].end < spans[b].end; });
  std::vector<uint64_t> ends;
  for (const Span& span : spans) ends.push_back(span.end);
  std::sort(ends.begin(), ends.end());
  auto rank_of = [&](uint64_t end) {
    return static_cast<std::size_t>(std::lower_bound(ends.begin(), ends.end(), end) - ends.begin());
  };
  RankCounts inserted_ends(ends.size());
  std::size_t inserted = 0;
  for (std::size_t j : wrapping) {
    uint64_t wrapped = spans[j].end - cycle;  // at most start_j
    // Stretches whose start lies in the wrapped part, all before j.
    while (inserted < spans.size() && spans[inserted].start < wrapped) {
      inserted_ends.Add(rank_of(spans[inserted].end));
      ++inserted;
    }
    // Those of them that also reach past start_j were counted above.
    int64_t reaching =
        static_cast<int64_t>(inserted) - inserted_ends.Below(rank_of(spans[j].start + 1));
    pairs += static_cast<int64_t>(inserted) - reaching;
  }
  return pairs;
}

std::string OverlapReport(int64_t pairs, int32_t replicates) {
  std::string of = " of the " + std::to_string(replicates) + " replicates";
  if (pairs == 0) return "no two" + of + " used overlapping stretches of the generator's cycle";
  return std::to_string(pairs) + (pairs == 1 ? " pair" : " pairs") + of +
         " used overlapping stretches of the generator's cycle, and may share points; "
         "--generator philox makes independent replicates";
}

}  // namespace sparsim
