// Figures for the sampling engine and the walk, all measured in one run:
// time per set and candidates per second of the straightforward reference
// loop, of the fast engine on one thread with each scan kernel the machine
// has (the one it takes first, then AVX-512, AVX2, portable) and on two
// threads, with the ratios; and steps per second of the reference walk step and the fast one.
// Every engine must give the same points, and both steps the same walk: the
// run checks it and fails otherwise.
//
//   make bench                               every set at full size
//   ./build-bench/sparsim_engine_bench 10        every set with a tenth of the points
//   ./build-bench/sparsim_engine_bench 1 S3      only the set S3
//   ./build-bench/sparsim_engine_bench 10 all 5  the best of 5 runs of each
//
// The engines and steps run in turn, repeats times each, and the fastest run
// of each counts, which keeps the ratios steady on a busy machine.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/program_state.h"
#include "generate/fast_fill.h"
#include "generate/sampling.h"
#include "common/text_input.h"
#include "common/text_output.h"
#include "support/sites.h"
#include "walk/walk_step.h"

namespace sparsim {
namespace {

using Clock = std::chrono::steady_clock;

struct Set {
  const char* name;
  const char* description;
  GenerationParameters parameters;
  int32_t points;
};

struct Timing {
  double seconds = 1e300;
  int64_t candidates = 0;
  std::string screen;
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  Generator generator;
};

// threads 0: the reference loop.
void TimeSet(const Set& set, int threads, ScanKernel kernel, Timing& best) {
  Timing run;
  TextInput no_answers("");
  TextOutput screen = TextOutput::InMemory();
  Console console{no_answers, screen};
  ClusterSeeds seeds;
  run.generator = Generator::Lcg(12345);
  run.state->point_count = set.points;
  run.state->sampling_threads = threads;
  PlaceClusterSeeds(set.parameters, seeds, *run.state, run.generator);
  auto start = Clock::now();
  if (threads == 0) {
    run.candidates =
        FillPointStoreReference(console, set.parameters, seeds, *run.state, run.generator);
  } else {
    FillOptions options;
    options.kernel = kernel;
    run.candidates = FillPointStoreWith(console, set.parameters, seeds, *run.state, run.generator,
                                        options, nullptr);
  }
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.screen = screen.contents();
  if (run.seconds < best.seconds) best = std::move(run);
}

bool SameSet(const Timing& a, const Timing& b, int32_t points) {
  size_t bytes = sizeof(double) * static_cast<size_t>(points + 1);
  return a.generator.lcg_state() == b.generator.lcg_state() && a.candidates == b.candidates &&
         a.screen == b.screen &&
         std::memcmp(a.state->store.x.data(), b.state->store.x.data(), bytes) == 0 &&
         std::memcmp(a.state->store.y.data(), b.state->store.y.data(), bytes) == 0;
}

std::string Ratio(double ratio) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1fx", ratio);
  return text;
}

void PrintRow(const char* name, const char* engine, int64_t work, double seconds,
              const std::string& versus_reference, const std::string& versus_one) {
  std::printf("%-4s %-11s %14lld %10.4f %14.4g %10s %10s\n", name, engine,
              static_cast<long long>(work), seconds, static_cast<double>(work) / seconds,
              versus_reference.c_str(), versus_one.c_str());
}

// The kernels this machine has, the one kAuto takes first.
std::vector<ScanKernel> Kernels() {
  std::vector<ScanKernel> kernels = {DefaultScanKernel()};
  for (ScanKernel kernel : {ScanKernel::kAvx512, ScanKernel::kAvx2, ScanKernel::kPortable}) {
    if (ScanKernelAvailable(kernel) && kernel != kernels.front()) kernels.push_back(kernel);
  }
  return kernels;
}

// One row for the reference loop, one per kernel on one thread, and one for
// two threads with the kernel kAuto takes.
bool BenchSet(const Set& set, int32_t repeats) {
  std::printf("%s: %s, %d points\n", set.name, set.description, set.points);
  const std::vector<ScanKernel> kernels = Kernels();
  Timing reference;
  std::vector<Timing> one(kernels.size());
  Timing two;
  for (int32_t i = 0; i < repeats; ++i) {
    TimeSet(set, 0, ScanKernel::kAuto, reference);
    for (size_t k = 0; k < kernels.size(); ++k) TimeSet(set, 1, kernels[k], one[k]);
    TimeSet(set, 2, ScanKernel::kAuto, two);
  }
  PrintRow(set.name, "reference", reference.candidates, reference.seconds, "", "");
  bool same = SameSet(two, reference, set.points);
  for (size_t k = 0; k < kernels.size(); ++k) {
    std::string engine = std::string(ScanKernelName(kernels[k])) + " 1t";
    PrintRow(set.name, engine.c_str(), one[k].candidates, one[k].seconds,
             Ratio(reference.seconds / one[k].seconds), "");
    same = SameSet(one[k], reference, set.points) && same;
  }
  PrintRow(set.name, "2 threads", two.candidates, two.seconds,
           Ratio(reference.seconds / two.seconds), Ratio(one.front().seconds / two.seconds));
  if (!same) std::printf("%s: THE ENGINES DIFFER\n", set.name);
  return same;
}

struct WalkTiming {
  double seconds = 1e300;
  double checksum = 0;
  int32_t final_seed = 0;
};

// W1: every point walked step after step, as the walk mode does.
template <typename Step>
void TimeWalk(Step step, int32_t points, int32_t steps, WalkTiming& best) {
  int32_t rand_seed = 12345;
  double checksum = 0;
  auto start = Clock::now();
  for (int32_t i = 0; i < points; ++i) {
    double x = i;
    double y = -i;
    for (int32_t s = 0; s < steps; ++s) step(x, y, 1.0, rand_seed);
    checksum += x + y;
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (seconds < best.seconds) best = WalkTiming{seconds, checksum, rand_seed};
}

bool BenchWalk(int32_t points, int32_t steps, int32_t repeats) {
  std::printf("W1: walk, %d points, %d steps each, maximum step 1.0\n", points, steps);
  WalkTiming reference;
  WalkTiming fast;
  for (int32_t i = 0; i < repeats; ++i) {
    TimeWalk(RandomStepReference, points, steps, reference);
    TimeWalk(static_cast<void (*)(double&, double&, double, int32_t&)>(RandomStep), points, steps,
             fast);
  }
  int64_t work = static_cast<int64_t>(points) * steps;
  PrintRow("W1", "reference", work, reference.seconds, "", "");
  PrintRow("W1", "fast", work, fast.seconds, Ratio(reference.seconds / fast.seconds), "");
  bool same = reference.checksum == fast.checksum && reference.final_seed == fast.final_seed;
  std::printf("W1 checksum %.17g%s\n", fast.checksum, same ? "" : ": THE STEPS DIFFER");
  return same;
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
  std::printf("scan kernel: %s (SPARSIM_KERNEL forces one); fsincos: %s\n",
              ScanKernelName(DefaultScanKernel()), FastSineCosineAvailable() ? "yes" : "no");
  std::printf("%-4s %-11s %14s %10s %14s %10s %10s\n", "set", "engine", "candidates", "seconds",
              "per second", "/reference", "/1 thread");
  const char* only = argc > 2 && std::strcmp(argv[2], "all") != 0 ? argv[2] : nullptr;
  int32_t repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
  bool same = true;
  for (const Set& set : sets) {
    if (only == nullptr || std::strcmp(only, set.name) == 0) same = BenchSet(set, repeats) && same;
  }
  if (only == nullptr || std::strcmp(only, "W1") == 0) {
    same = BenchWalk(points, 1000, repeats) && same;
  }
  return same ? 0 : 1;
}
