#include "generate/fast_fill.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "common/interrupt.h"
#include "generate/sampling.h"
#include "generate/seed_grid.h"
#include "support/sites.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

struct Outcome {
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  Generator generator;
  int64_t candidates = 0;
  std::string screen;
  FillReport report;
};

// The ways the fast engine can run: each must give the reference engine's
// set. Small blocks scanned ahead by two threads make a set of a few
// thousand candidates cross many blocks whose circle attempts start at
// draws not yet known.
struct Configuration {
  const char* name;
  FillOptions options;
  int sampling_threads;
};
const Configuration kConfigurations[] = {
    {"as the dialogue runs it", {}, 0},
    {"portable kernel", {.kernel = ScanKernel::kPortable}, 1},
    {"AVX-512 kernel", {.kernel = ScanKernel::kAvx512}, 1},
    {"AVX2 kernel", {.kernel = ScanKernel::kAvx2}, 1},
    {"two threads, small blocks",
     {.threads = 2, .first_block_draws = 192, .last_block_draws = 192 * 64, .solo_seconds = 0},
     0},
};

Outcome RunSet(const Configuration* configuration, const GenerationParameters& p, int32_t points,
               int32_t rand_seed, int64_t budget = kLcgCycleDraws) {
  Outcome outcome;
  TestConsole t("");
  ClusterSeeds seeds;
  outcome.generator = Generator::Lcg(rand_seed);
  outcome.state->point_count = points;
  PlaceClusterSeeds(p, seeds, *outcome.state, outcome.generator);
  if (configuration == nullptr) {
    outcome.candidates =
        FillPointStoreReference(t.console, p, seeds, *outcome.state, outcome.generator, budget);
  } else {
    outcome.state->sampling_threads = configuration->sampling_threads;
    outcome.candidates = FillPointStoreWith(t.console, p, seeds, *outcome.state, outcome.generator,
                                            configuration->options, &outcome.report, budget);
  }
  outcome.screen = t.output();
  return outcome;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Runs the reference engine and every configuration of the fast one on one
// set and reports the first difference.
void ExpectSameSet(const GenerationParameters& p, int32_t points, int32_t rand_seed,
                   const std::string& label, int64_t budget = kLcgCycleDraws) {
  Outcome reference = RunSet(nullptr, p, points, rand_seed, budget);
  for (const Configuration& configuration : kConfigurations) {
    if (!ScanKernelAvailable(configuration.options.kernel)) continue;
    std::string where = label + ", " + configuration.name;
    Outcome fast = RunSet(&configuration, p, points, rand_seed, budget);
    ASSERT_EQ(fast.state->point_count, reference.state->point_count) << where;
    ASSERT_EQ(fast.generator.lcg_state(), reference.generator.lcg_state()) << where;
    ASSERT_EQ(fast.generator.draws(), reference.generator.draws()) << where;
    ASSERT_EQ(fast.candidates, reference.candidates) << where;
    ASSERT_EQ(fast.screen, reference.screen) << where;
    for (int32_t i = 1; i <= reference.state->point_count; ++i) {
      auto k = static_cast<size_t>(i);
      ASSERT_TRUE(SameBits(fast.state->store.x[k], reference.state->store.x[k]) &&
                  SameBits(fast.state->store.y[k], reference.state->store.y[k]))
          << where << " point " << i;
    }
  }
}

// The mass of one seed's model over the plane, to keep the random sets to
// a bounded number of candidates.
double SeedMass(char model, double radius) {
  double disc = 3.14159265358979 * radius * radius;
  return model == 'N' ? 1 : model == 'C' ? disc / 3 : model == 'H' ? 2 * disc / 3 : disc / 2;
}

TEST(FillPointStore, SameSetsAsTheReferenceEngineOnRandomSites) {
  std::mt19937_64 pick(20261207);
  auto uniform = [&](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(pick);
  };
  const double offsets[] = {0, -3.5, 1e6, -1e9, 7.25e12};
  const double scales[] = {1e-6, 0.37, 20, 1000, 4e7};
  const char models[] = {'U', 'H', 'C', 'S', 'N'};
  int tried = 0;
  while (tried < 400) {
    double offset = offsets[pick() % 5];
    double scale = scales[pick() % 5];
    GenerationParameters p;
    if (pick() % 2 == 0) {
      p = CircleSite(offset + uniform(-1, 1) * scale, offset, scale * uniform(0.1, 1));
    } else {
      double x_min = offset + uniform(-1, 1) * scale;
      double y_min = -offset + uniform(-1, 1) * scale;
      p = RectangleSite(x_min, y_min, x_min + scale * uniform(0.01, 1),
                        y_min + scale * uniform(0.01, 1));
    }
    p.model = models[pick() % 5];
    p.contagious = pick() % 4 != 0;
    p.seed_count = p.contagious ? 1 + static_cast<int32_t>(pick() % 60) : 1;
    p.seeds_as_points = p.contagious && pick() % 3 == 0;
    p.cluster_radius = p.contagious ? scale * std::pow(10.0, uniform(-3, 0.5)) : p.site_radius;
    int32_t points = 1 + static_cast<int32_t>(pick() % 120);
    // Keep to sets the reference engine finishes quickly.
    double acceptance = std::min(1.0, p.seed_count * SeedMass(p.model, p.cluster_radius) / p.area);
    if (points / acceptance > 2e5) continue;
    ++tried;
    std::string label = "set " + std::to_string(tried) + " shape " + p.shape + " model " + p.model +
                        " seeds " + std::to_string(p.seed_count);
    ExpectSameSet(p, points, static_cast<int32_t>(pick()), label);
  }
}

TEST(FillPointStore, SameSetsAsTheReferenceEngineInTheEdgeCases) {
  GenerationParameters tight = RectangleSite(-1e9, 5e8, -1e9 + 1, 5e8 + 1);
  tight.contagious = true;
  tight.seed_count = 3;
  tight.model = 'U';
  tight.cluster_radius = 1e-3;  // about one ulp of the coordinates in 1e5
  ExpectSameSet(tight, 30, 77, "tight clusters far from the origin");

  // Coordinates far from the origin take few values, so candidates often lie
  // exactly at the cluster radius from a seed.
  GenerationParameters lattice = RectangleSite(0x1p33, 0x1p33, 0x1p33 + 0x1p-10, 0x1p33 + 0x1p-10);
  lattice.contagious = true;
  lattice.seed_count = 3;
  lattice.model = 'U';
  lattice.cluster_radius = 0x1p-13;
  ExpectSameSet(lattice, 2000, 4, "a lattice of coordinates");

  GenerationParameters thin = RectangleSite(0, 0, 1000, 1e-9);
  thin.contagious = true;
  thin.seed_count = 5;
  thin.model = 'C';
  thin.cluster_radius = 2;
  ExpectSameSet(thin, 200, -5, "a rectangle thinner than its clusters");

  GenerationParameters normal_far = CircleSite(3e15, -3e15, 40);
  normal_far.contagious = true;
  normal_far.seed_count = 4;
  normal_far.model = 'N';
  normal_far.cluster_radius = 0.5;
  ExpectSameSet(normal_far, 40, 12345, "normal clusters beyond 2^51");

  GenerationParameters crowded = RectangleSite(0, 0, 100, 100);
  crowded.contagious = true;
  crowded.seed_count = 500;
  crowded.model = 'N';
  crowded.cluster_radius = 3;
  ExpectSameSet(crowded, 1500, 31, "500 normal clusters overlapping");
  crowded.cluster_radius = 0.4;  // sums often reach 1 near a seed
  crowded.seeds_as_points = true;
  ExpectSameSet(crowded, 2000, -31, "500 narrow normal clusters");

  GenerationParameters huge = CircleSite(0, 0, 5e29);
  huge.contagious = true;
  huge.seed_count = 500;
  huge.seeds_as_points = false;
  huge.model = 'H';
  huge.cluster_radius = 2e28;
  ExpectSameSet(huge, 300, 1, "500 seeds on the largest circle");

  GenerationParameters vast = RectangleSite(-1e300, -1e300, 1e300, 1e300, 'C');
  vast.contagious = true;
  vast.seed_count = 3;
  vast.cluster_radius = 1e300;
  ExpectSameSet(vast, 20, 3, "a site near the limits of doubles");

  // The circle sampler takes no attempt on a radius of 1e30 or more.
  GenerationParameters beyond = CircleSite(-3e9, 3e9, 1.07e30, 'U');
  beyond.contagious = true;
  beyond.seed_count = 252;
  beyond.cluster_radius = 6753.4;
  ExpectSameSet(beyond, 129, -2147483518, "a circle beyond the sampler's reach");

  GenerationParameters point_mass = RectangleSite(0, 0, 0, 0);
  point_mass.model = 'S';
  point_mass.cluster_radius = 0;
  ExpectSameSet(point_mass, 10, 9, "a site without area");

  GenerationParameters centred = CircleSite(10, 10, 10);
  centred.model = 'U';
  centred.cluster_radius = 10;
  ExpectSameSet(centred, 10000, 1, "a full centred circle");
}

// The sets the fast engine is built for: sparse clusters on a large site.
// Nearly every candidate must be refused by the scan alone, by the vector
// kernel where the processor has one, and a second thread must scan.
TEST(FillPointStore, TakesTheFastPathsOnSparseClusters) {
  struct Case {
    const char* name;
    GenerationParameters p;
  };
  const Case cases[] = {
      {"rectangle", Clustered(RectangleSite(0, 0, 1000, 1000), 5, false, 2, 'N')},
      {"circle", Clustered(CircleSite(1000, 1000, 1000), 20, false, 5, 'C')},
  };
#if defined(__x86_64__)
  EXPECT_EQ(ScanKernelAvailable(ScanKernel::kAvx512), __builtin_cpu_supports("avx512f") != 0);
  EXPECT_EQ(ScanKernelAvailable(ScanKernel::kAvx2), __builtin_cpu_supports("avx2") != 0);
#else
  EXPECT_FALSE(ScanKernelAvailable(ScanKernel::kAvx512) || ScanKernelAvailable(ScanKernel::kAvx2));
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Configuration one{"one thread", {}, 1};
    Outcome alone = RunSet(&one, c.p, 300, 12345);
    EXPECT_TRUE(alone.report.fast_engine);
    EXPECT_EQ(alone.report.kernel, DefaultScanKernel());
    EXPECT_EQ(alone.report.threads_started, 0);
    // About one in a thousand, whatever the kernel; the loops without the
    // refusal tables would decide every one exactly.
    EXPECT_GT(alone.candidates, 1000000);
    for (ScanKernel kernel : {ScanKernel::kPortable, ScanKernel::kAvx2, ScanKernel::kAvx512}) {
      if (!ScanKernelAvailable(kernel)) continue;
      Configuration forced{"one kernel", {.kernel = kernel}, 1};
      Outcome outcome = RunSet(&forced, c.p, 300, 12345);
      EXPECT_EQ(outcome.report.kernel, kernel);
      EXPECT_EQ(outcome.candidates, alone.candidates) << ScanKernelName(kernel);
      EXPECT_LT(outcome.report.exact_candidates * 200, outcome.candidates) << ScanKernelName(kernel);
    }

    Configuration two{"two threads", {.threads = 2, .solo_seconds = 0}, 0};
    Outcome shared = RunSet(&two, c.p, 300, 12345);
    EXPECT_EQ(shared.report.threads_started, 2);
    EXPECT_EQ(shared.candidates, alone.candidates);
    EXPECT_EQ(shared.generator.lcg_state(), alone.generator.lcg_state());
    EXPECT_EQ(shared.screen, alone.screen);
  }
}

// A set that runs out of draws stops at the same candidate in both engines,
// whether the end falls in the first block, in a block scanned ahead by
// another thread or past the blocks, on a rectangle (3 draws a candidate) and
// on a circle (attempts of 2, then 1).
TEST(FillPointStore, StopsWhereTheReferenceEngineStopsWhenTheDrawsRunOut) {
  struct Case {
    const char* name;
    GenerationParameters p;
    int64_t budget;
  };
  const Case cases[] = {
      {"rectangle, first block", Clustered(RectangleSite(0, 0, 500, 500), 4, true, 3, 'N'), 1000},
      {"rectangle, a later block", Clustered(RectangleSite(0, 0, 500, 500), 4, true, 3, 'C'),
       200003},
      {"circle, a later block", Clustered(CircleSite(0, 0, 300), 3, false, 4, 'H'), 123457},
      {"circle, a block's last draws", Clustered(CircleSite(0, 0, 300), 3, false, 4, 'S'),
       192 * 200 + 1},
  };
  for (const Case& c : cases) {
    Outcome reference = RunSet(nullptr, c.p, 5000, 7, c.budget);
    // Short of its points, after exactly the seeds' draws and the budget.
    EXPECT_LT(reference.state->point_count, 5000) << c.name;
    int64_t seed_draws = reference.generator.draws() - c.budget;
    EXPECT_GE(seed_draws, 2 * c.p.seed_count) << c.name;
    EXPECT_LT(seed_draws, 2 * c.p.seed_count + 40) << c.name;
    ExpectSameSet(c.p, 5000, 7, c.name, c.budget);
  }
}

// An interrupt during a set scanned by several threads ends it promptly
// with the interrupt's status, every thread joined. The signal is sent to
// the process from a thread that blocks it, so it must reach the deciding
// thread: the scanning threads block it too.
TEST(FillPointStore, ThreadedFillStopsOnAnInterrupt) {
  InstallInterruptHandlers();
  GenerationParameters p = Clustered(RectangleSite(0, 0, 1e6, 1e6), 5, false, 2, 'N');
  auto state = std::make_unique<ProgramState>();
  Generator generator = Generator::Lcg(3);
  state->point_count = kMaxPoints;  // some hours of candidates
  state->sampling_threads = 2;
  ClusterSeeds seeds;
  PlaceClusterSeeds(p, seeds, *state, generator);
  TestConsole t("");
  std::thread interrupter([] {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(::getpid(), SIGINT);
  });
  auto start = std::chrono::steady_clock::now();
  FillOptions options;
  options.solo_seconds = 0.01;
  int status = EndStatus(
      [&] { FillPointStoreWith(t.console, p, seeds, *state, generator, options, nullptr); });
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  interrupter.join();
  std::signal(SIGINT, SIG_DFL);
  ClearInterrupt();
  EXPECT_EQ(status, 130);
  EXPECT_LT(seconds, 2.0);
}

// A console that fails while the deciding thread shows the running count
// ends the set with the fault; the other threads are joined.
TEST(FillPointStore, ThreadedFillPassesOnAConsoleFault) {
  GenerationParameters p = CircleSite(10, 10, 10, 'U');
  auto state = std::make_unique<ProgramState>();
  Generator generator = Generator::Lcg(1);
  state->point_count = 1000;
  ClusterSeeds seeds;
  PlaceClusterSeeds(p, seeds, *state, generator);
  TextInput in("", "answers");
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  ::close(pipe_fds[0]);  // writes fail (with SIGPIPE ignored)
  auto previous = std::signal(SIGPIPE, SIG_IGN);
  TextOutput out(pipe_fds[1], "screen", true);
  Console console{in, out};
  FillOptions options{.threads = 2, .first_block_draws = 192, .solo_seconds = 0};
  int status = EndStatus(
      [&] { FillPointStoreWith(console, p, seeds, *state, generator, options, nullptr); });
  std::signal(SIGPIPE, previous);
  EXPECT_EQ(status, kExitIoFault);
}

TEST(SeedGrid, RefusesOnlyWhereNoSeedReaches) {
  GenerationParameters p = RectangleSite(0, 0, 100, 100);
  p.contagious = true;
  p.seed_count = 2;
  p.model = 'U';
  p.cluster_radius = 2;
  ClusterSeeds seeds;
  seeds.x[1] = 10;
  seeds.y[1] = 10;
  seeds.x[2] = 90;
  seeds.y[2] = 90;
  SeedGrid grid(p, seeds, Box{0, 0, 100, 100}, 1e-12);
  EXPECT_TRUE(grid.Refuses(50, 50));
  EXPECT_TRUE(grid.SeedsNear(50, 50).empty());
  EXPECT_FALSE(grid.Refuses(10.5, 11));
  ASSERT_EQ(grid.SeedsNear(10.5, 11).size(), 1u);
  EXPECT_EQ(grid.SeedsNear(10.5, 11)[0], 1);
  EXPECT_FALSE(grid.Refuses(91.99, 90));  // just inside the radius of seed 2
  // Outside the grid every seed is listed and nothing is refused.
  EXPECT_FALSE(grid.Refuses(-1e6, 0));
  EXPECT_EQ(grid.SeedsNear(-1e6, 0).size(), 2u);
}

TEST(SeedGrid, NormalModelReachesSqrtTwentyStandardDeviations) {
  GenerationParameters p = RectangleSite(0, 0, 100, 100);
  p.contagious = true;
  p.seed_count = 1;
  p.model = 'N';
  p.cluster_radius = 1;
  EXPECT_NEAR(CutOffDistance(p), std::sqrt(20.0), 1e-15);
  ClusterSeeds seeds;
  seeds.x[1] = 50;
  seeds.y[1] = 50;
  SeedGrid grid(p, seeds, Box{0, 0, 100, 100}, 1e-12);
  EXPECT_FALSE(grid.Refuses(50 + 4.47, 50));
  EXPECT_TRUE(grid.Refuses(50 + 4.48 * 2.5, 50));
  // At the cut-off the density is already exactly 0.
  EXPECT_EQ(ModelValue('N', 4.4722, 1, 50), 0);
}

TEST(SeedGrid, StaysSmallOnHugeSitesWithTinyClusters) {
  GenerationParameters p = RectangleSite(0, 0, 1e30, 1e30);
  p.contagious = true;
  p.seed_count = 500;
  p.model = 'C';
  p.cluster_radius = 1e-30;
  ClusterSeeds seeds;
  for (size_t i = 1; i <= 500; ++i) {
    seeds.x[i] = static_cast<double>(i) * 1e27;
    seeds.y[i] = static_cast<double>(i) * 1e27;
  }
  SeedGrid grid(p, seeds, Box{0, 0, 1e30, 1e30}, 1e-18);
  EXPECT_LE(grid.cell_count(), 1 << 18);
  EXPECT_TRUE(grid.Refuses(1e29, 3e29));
  EXPECT_FALSE(grid.Refuses(1e27, 1e27));
}

}  // namespace
}  // namespace sparsim
