// Fuzz target for the sampling engine: an arbitrary set (site, clusters,
// model, point count and generator seed, any doubles included) is filled by
// the fast engine and by the reference engine, and the two must agree bit
// for bit: the points, the number of candidates, the final generator state
// and the running count on the console. The fast engine runs as the dialogue
// runs it, with each scan kernel the machine has (portable, AVX2, AVX-512),
// and on two threads scanning small blocks ahead.
//
// Bounded work: the reference engine runs first and draws through
// sparsim::Random, which the link wraps (ld --wrap) to end the run after a
// budget of draws that shrinks with the number of seeds, each candidate of
// the reference engine visiting every seed; a set that needs more is
// skipped. The fast engine then
// draws exactly as many candidates, so it ends too.

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "common/program_end.h"
#include "common/program_state.h"
#include "common/text_input.h"
#include "common/text_output.h"
#include "dialogue/console.h"
#include "generate/fast_fill.h"
#include "generate/sampling.h"

namespace {

constexpr long kSeedVisitBudget = 200000;
constexpr int kBudgetStatus = 99;
long draws_left = 0;

}  // namespace

extern "C" long double __real__ZN7sparsim6RandomERi(int32_t& rand_seed);

extern "C" long double __wrap__ZN7sparsim6RandomERi(int32_t& rand_seed) {
  if (--draws_left < 0) throw sparsim::ProgramEnd(kBudgetStatus, "");
  return __real__ZN7sparsim6RandomERi(rand_seed);
}

namespace {

using sparsim::GenerationParameters;

// A coordinate or length: mostly of an ordinary size near some offset,
// sometimes any double at all.
double Number(FuzzedDataProvider& bytes, double low, double high) {
  switch (bytes.ConsumeIntegralInRange(0, 9)) {
    case 0:
      return bytes.ConsumeFloatingPoint<double>();
    case 1:
      return std::ldexp(bytes.ConsumeFloatingPointInRange(0.5, 1.0),
                        bytes.ConsumeIntegralInRange(-1074, 100));
    default:
      return bytes.ConsumeFloatingPointInRange(low, high);
  }
}

GenerationParameters Parameters(FuzzedDataProvider& bytes) {
  GenerationParameters p;
  static constexpr double kOffsets[] = {0, -7.5, 1e6, -3e9, 5e14};
  double offset = kOffsets[bytes.ConsumeIntegralInRange(0, 4)];
  double size = std::ldexp(1.0, bytes.ConsumeIntegralInRange(-20, 30));
  if (bytes.ConsumeBool()) {
    p.shape = sparsim::kCircle;
    p.site_radius = std::fabs(Number(bytes, 0, size));
    p.centre_x = offset + Number(bytes, -size, size);
    p.centre_y = -offset + Number(bytes, -size, size);
    p.area = p.site_radius * p.site_radius * 3.141592653589793;
  } else {
    p.shape = sparsim::kRectangle;
    p.x_min = offset + Number(bytes, -size, size);
    p.y_min = -offset + Number(bytes, -size, size);
    p.x_max = p.x_min + std::fabs(Number(bytes, 0, size));
    p.y_max = p.y_min + std::fabs(Number(bytes, 0, size));
    p.centre_x = (p.x_max - p.x_min) / 2 + p.x_min;
    p.centre_y = (p.y_max - p.y_min) / 2 + p.y_min;
    p.site_radius = std::fmax(p.x_max - p.x_min, p.y_max - p.y_min) / 2;
    p.area = (p.x_max - p.x_min) * (p.y_max - p.y_min);
  }
  static constexpr char kModels[] = "UHCSN";
  p.model = kModels[bytes.ConsumeIntegralInRange(0, 4)];
  p.contagious = bytes.ConsumeBool();
  if (p.contagious) {
    p.seed_count = bytes.ConsumeIntegralInRange(0, sparsim::kMaxSeeds);
    p.seeds_as_points = bytes.ConsumeBool();
    p.cluster_radius = std::fabs(Number(bytes, 0, size / 8));
  } else {
    p.seed_count = 1;
    p.cluster_radius = p.site_radius;
  }
  return p;
}

struct Run {
  std::unique_ptr<sparsim::ProgramState> state = std::make_unique<sparsim::ProgramState>();
  sparsim::Generator generator = sparsim::Generator::Lcg(0);
  int64_t candidates = 0;
  std::string screen;
};

template <typename Engine>
bool Fill(Engine engine, const GenerationParameters& p, int32_t points, int32_t seed, Run& run) {
  sparsim::TextInput no_answers("");
  sparsim::TextOutput screen = sparsim::TextOutput::InMemory();
  sparsim::Console console{no_answers, screen};
  sparsim::ClusterSeeds seeds;
  run.generator = sparsim::Generator::Lcg(seed);
  run.state->point_count = points;
  draws_left = kSeedVisitBudget / (p.seed_count + 1);
  try {
    sparsim::PlaceClusterSeeds(p, seeds, *run.state, run.generator);
    run.candidates = engine(console, p, seeds, *run.state, run.generator);
  } catch (const sparsim::ProgramEnd& end) {
    if (end.exit_status() != kBudgetStatus) throw;
    return false;
  }
  run.screen = screen.contents();
  return true;
}

void Fail(const char* what) {
  std::fprintf(stderr, "the engines differ: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider bytes(data, size);
  GenerationParameters p = Parameters(bytes);
  auto points = bytes.ConsumeIntegralInRange<int32_t>(0, 300);
  auto seed = bytes.ConsumeIntegral<int32_t>();
  Run reference;
  auto reference_engine = [](sparsim::Console& console, const GenerationParameters& parameters,
                             const sparsim::ClusterSeeds& seeds, sparsim::ProgramState& state,
                             sparsim::Generator& generator) {
    return sparsim::FillPointStoreReference(console, parameters, seeds, state, generator);
  };
  if (!Fill(reference_engine, p, points, seed, reference)) return 0;
  sparsim::FillOptions portable;
  portable.kernel = sparsim::ScanKernel::kPortable;
  sparsim::FillOptions threaded;
  threaded.threads = 2;
  threaded.first_block_draws = 192;
  threaded.last_block_draws = 192 * 16;
  threaded.solo_seconds = 0;
  sparsim::FillOptions avx2;
  avx2.kernel = sparsim::ScanKernel::kAvx2;
  sparsim::FillOptions avx512;
  avx512.kernel = sparsim::ScanKernel::kAvx512;
  for (const sparsim::FillOptions& options :
       {sparsim::FillOptions{}, portable, avx2, avx512, threaded}) {
    if (!sparsim::ScanKernelAvailable(options.kernel)) continue;
    auto engine = [&options](sparsim::Console& console, const GenerationParameters& parameters,
                             const sparsim::ClusterSeeds& seeds, sparsim::ProgramState& state,
                             sparsim::Generator& generator) {
      return sparsim::FillPointStoreWith(console, parameters, seeds, state, generator, options,
                                         nullptr);
    };
    Run fast;
    if (!Fill(engine, p, points, seed, fast)) Fail("the fast engine ran out");
    if (fast.candidates != reference.candidates) Fail("candidates");
    if (fast.generator.lcg_state() != reference.generator.lcg_state() ||
        fast.generator.draws() != reference.generator.draws()) {
      Fail("final generator state");
    }
    if (fast.screen != reference.screen) Fail("running count");
    size_t stored = sizeof(double) * static_cast<size_t>(sparsim::kMaxPoints + 1);
    if (std::memcmp(fast.state->store.x.data(), reference.state->store.x.data(), stored) != 0 ||
        std::memcmp(fast.state->store.y.data(), reference.state->store.y.data(), stored) != 0) {
      Fail("points");
    }
  }
  return 0;
}
