// Checks the walk's fast sine and cosine over every angle a step can take.
//
// A step's direction is StepAngle(state x 2^-32) for one of the 2^32 states
// of the generator, so these are all the angles there are. For each one the
// tool compares fsincos (FastSineCosine) with sinl and cosl, and checks that
// the range the fast step relies on, the fast value -/+ kSineCosineBound as
// the step computes it, holds the library's value. It reports the largest
// difference found and the angle where it lies; the exit status is 0 when
// every range holds.
//
//   sparsim_sine_cosine_check [threads [first_state [state_count]]]
//
// The whole range takes about 45 minutes on one core (sinl and cosl take
// most of it); `sparsim_sine_cosine_check 2 0 16777216` checks a sample.

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "numeric/random.h"
#include "walk/walk_step.h"

namespace {

using sparsim::kSineCosineBound;

struct Finding {
  long double largest_sine = 0;
  uint64_t sine_state = 0;
  long double largest_cosine = 0;
  uint64_t cosine_state = 0;
  uint64_t equal_sines = 0;
  uint64_t equal_cosines = 0;
  uint64_t outside = 0;  // library values outside the fast range
  uint64_t first_outside_state = 0;
};

bool Holds(long double fast, long double library) {
  return fast - kSineCosineBound <= library && library <= fast + kSineCosineBound;
}

Finding Check(uint64_t first, uint64_t end) {
  Finding f;
  for (uint64_t state = first; state < end; ++state) {
    double angle = sparsim::StepAngle(sparsim::RandomValue(static_cast<uint32_t>(state)));
    sparsim::SineCosine fast = sparsim::FastSineCosine(angle);
    long double sine = sinl(angle);
    long double cosine = cosl(angle);
    long double sine_difference = fabsl(fast.sine - sine);
    long double cosine_difference = fabsl(fast.cosine - cosine);
    if (sine_difference > f.largest_sine) {
      f.largest_sine = sine_difference;
      f.sine_state = state;
    }
    if (cosine_difference > f.largest_cosine) {
      f.largest_cosine = cosine_difference;
      f.cosine_state = state;
    }
    f.equal_sines += sine_difference == 0;
    f.equal_cosines += cosine_difference == 0;
    if (!Holds(fast.sine, sine) || !Holds(fast.cosine, cosine)) {
      if (f.outside++ == 0) f.first_outside_state = state;
    }
  }
  return f;
}

void Merge(Finding& total, const Finding& part) {
  if (part.largest_sine > total.largest_sine) {
    total.largest_sine = part.largest_sine;
    total.sine_state = part.sine_state;
  }
  if (part.largest_cosine > total.largest_cosine) {
    total.largest_cosine = part.largest_cosine;
    total.cosine_state = part.cosine_state;
  }
  total.equal_sines += part.equal_sines;
  total.equal_cosines += part.equal_cosines;
  if (part.outside > 0 && total.outside == 0) total.first_outside_state = part.first_outside_state;
  total.outside += part.outside;
}

void Report(const char* name, long double largest, uint64_t state) {
  double angle = sparsim::StepAngle(sparsim::RandomValue(static_cast<uint32_t>(state)));
  std::printf("largest %s difference %.6Lg = %.4Lg x 2^-64 (state %" PRIu64 ", angle %.17g)\n",
              name, largest, ldexpl(largest, 64), state, angle);
}

}  // namespace

int main(int argc, char** argv) {
  int threads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  uint64_t first = argc > 2 ? std::strtoull(argv[2], nullptr, 0) : 0;
  uint64_t count = argc > 3 ? std::strtoull(argv[3], nullptr, 0) : (uint64_t{1} << 32);
  uint64_t end = std::min(first + count, uint64_t{1} << 32);
  if (!sparsim::FastSineCosineAvailable()) {
    std::printf("fsincos is not available here: the walk uses sinl and cosl alone\n");
    return 1;
  }
  // Slices of 2^24 states, taken in turn by the threads.
  constexpr uint64_t kSlice = uint64_t{1} << 24;
  std::mutex mutex;
  uint64_t next = first;
  uint64_t done = 0;
  Finding total;
  auto work = [&] {
    for (;;) {
      uint64_t start = 0;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (next >= end) return;
        start = next;
        next = std::min(next + kSlice, end);
      }
      uint64_t stop = std::min(start + kSlice, end);
      Finding part = Check(start, stop);
      std::lock_guard<std::mutex> lock(mutex);
      Merge(total, part);
      done += stop - start;
      if (done % (uint64_t{1} << 28) < kSlice || done == end - first) {
        std::fprintf(stderr, "%" PRIu64 " of %" PRIu64 " states\n", done, end - first);
      }
    }
  };
  std::vector<std::thread> pool;
  for (int i = 0; i < threads; ++i) pool.emplace_back(work);
  for (std::thread& t : pool) t.join();
  std::printf("states %" PRIu64 " to %" PRIu64 ", %" PRIu64 " angles\n", first, end - 1,
              end - first);
  Report("sine", total.largest_sine, total.sine_state);
  Report("cosine", total.largest_cosine, total.cosine_state);
  std::printf("equal to the library: %" PRIu64 " sines, %" PRIu64 " cosines\n", total.equal_sines,
              total.equal_cosines);
  std::printf("bound %.6Lg = 2^-60: %" PRIu64 " library values outside the fast range",
              kSineCosineBound, total.outside);
  if (total.outside > 0) std::printf(" (first at state %" PRIu64 ")", total.first_outside_state);
  std::printf("\n");
  return total.outside == 0 ? 0 : 1;
}
