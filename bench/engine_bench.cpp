// Figures for the sampling engine and the walk: time per set and candidates
// per second of the fast engine and of the straightforward reference loop,
// measured in the same run, with their ratio; and steps per second of the
// walk. Both engines must give the same points: the run checks it.
//
//   make bench                       every set at full size
//   ./build/sparsim_engine_bench 10     every set with a tenth of the points
//   ./build/sparsim_engine_bench 1 S3   only the set S3
//   ./build/sparsim_engine_bench 10 all 5   the best of 5 runs of each

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/program_state.h"
#include "generate/sampling.h"
#include "numeric/text_input.h"
#include "numeric/text_output.h"
#include "support/sites.h"
#include "walk/random_walk.h"

namespace sparsim {
namespace {

using Clock = std::chrono::steady_clock;
using Engine = int64_t (*)(Console&, const GenerationParameters&, const ClusterSeeds&,
                           ProgramState&);

struct Set {
  const char* name;
  const char* description;
  GenerationParameters parameters;
  int32_t points;
};

struct Timing {
  double seconds = 0;
  int64_t candidates = 0;
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
};

Timing TimeSet(Engine engine, const Set& set) {
  Timing timing;
  TextInput no_answers("");
  TextOutput screen = TextOutput::InMemory();
  Console console{no_answers, screen};
  ClusterSeeds seeds;
  timing.state->rand_seed = 12345;
  timing.state->point_count = set.points;
  PlaceClusterSeeds(set.parameters, seeds, *timing.state);
  auto start = Clock::now();
  timing.candidates = engine(console, set.parameters, seeds, *timing.state);
  timing.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return timing;
}

bool SamePoints(const Timing& a, const Timing& b, int32_t points) {
  size_t bytes = sizeof(double) * static_cast<size_t>(points + 1);
  return a.state->rand_seed == b.state->rand_seed && a.candidates == b.candidates &&
         std::memcmp(a.state->store.x.data(), b.state->store.x.data(), bytes) == 0 &&
         std::memcmp(a.state->store.y.data(), b.state->store.y.data(), bytes) == 0;
}

void PrintRow(const char* name, const char* engine, int64_t work, double seconds,
              const char* ratio) {
  std::printf("%-4s %-10s %14lld %10.4f %14.4g %8s\n", name, engine,
              static_cast<long long>(work), seconds, static_cast<double>(work) / seconds, ratio);
}

// The engines run in turn, repeats times each; the fastest run of each
// counts, which keeps the ratio steady on a busy machine.
bool BenchSet(const Set& set, int32_t repeats) {
  std::printf("%s: %s, %d points\n", set.name, set.description, set.points);
  Timing reference = TimeSet(FillPointStoreReference, set);
  Timing fast = TimeSet(FillPointStore, set);
  for (int32_t i = 1; i < repeats; ++i) {
    reference.seconds = std::min(reference.seconds, TimeSet(FillPointStoreReference, set).seconds);
    fast.seconds = std::min(fast.seconds, TimeSet(FillPointStore, set).seconds);
  }
  double speedup = (static_cast<double>(fast.candidates) / fast.seconds) /
                   (static_cast<double>(reference.candidates) / reference.seconds);
  char ratio[32];
  std::snprintf(ratio, sizeof ratio, "%.1fx", speedup);
  PrintRow(set.name, "reference", reference.candidates, reference.seconds, "");
  PrintRow(set.name, "fast", fast.candidates, fast.seconds, ratio);
  bool same = SamePoints(fast, reference, set.points);
  if (!same) std::printf("%s: THE ENGINES DIFFER\n", set.name);
  return same;
}

// W1: every point walked step after step, as the walk mode does.
void BenchWalk(int32_t points, int32_t steps) {
  std::printf("W1: walk, %d points, %d steps each, maximum step 1.0\n", points, steps);
  int32_t rand_seed = 12345;
  double checksum = 0;
  auto start = Clock::now();
  for (int32_t i = 0; i < points; ++i) {
    double x = i;
    double y = -i;
    for (int32_t step = 0; step < steps; ++step) RandomStep(x, y, 1.0, rand_seed);
    checksum += x + y;
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  PrintRow("W1", "steps", static_cast<int64_t>(points) * steps, seconds, "");
  std::printf("W1 checksum %.17g\n", checksum);
}

}  // namespace
}  // namespace sparsim

int main(int argc, char** argv) {
  using namespace sparsim;
  int32_t divisor = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  int32_t points = kMaxPoints / divisor;
  const Set sets[] = {
      {"S1", "circle of diameter 20, centred, uniform", CircleSite(10, 10, 10, 'U'), points},
      {"S2", "rectangle 100 x 100, 500 seeds, radius 3, normal",
       Clustered(RectangleSite(0, 0, 100, 100), 500, false, 3, 'N'), points},
      {"S3", "rectangle 1000 x 1000, 5 seeds, radius 2, normal",
       Clustered(RectangleSite(0, 0, 1000, 1000), 5, false, 2, 'N'), points},
      {"S4", "circle of diameter 2000, 20 seeds, radius 5, conic",
       Clustered(CircleSite(1000, 1000, 1000), 20, false, 5, 'C'), points},
  };
  std::printf("%-4s %-10s %14s %10s %14s %8s\n", "set", "engine", "candidates", "seconds",
              "per second", "ratio");
  const char* only = argc > 2 && std::strcmp(argv[2], "all") != 0 ? argv[2] : nullptr;
  int32_t repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
  bool same = true;
  for (const Set& set : sets) {
    if (only == nullptr || std::strcmp(only, set.name) == 0) same = BenchSet(set, repeats) && same;
  }
  if (only == nullptr || std::strcmp(only, "W1") == 0) BenchWalk(points, 1000);
  return same ? 0 : 1;
}
