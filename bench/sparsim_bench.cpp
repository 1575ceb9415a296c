// Timings of the program's inner loops: generating a full set, formatting
// and parsing numbers, walking points, drawing the plot, and looking up a
// file name of many parts.
//
//   make bench    (builds with Google Benchmark when it is installed)

#include <benchmark/benchmark.h>

#include <string>

#include "common/program_state.h"
#include "dialogue/file_system.h"
#include "generate/sampling.h"
#include "numeric/number_format.h"
#include "numeric/number_parse.h"
#include "common/text_input.h"
#include "common/text_output.h"
#include "plot/plot.h"
#include "walk/random_walk.h"

namespace sparsim {
namespace {

GenerationParameters Circle(char model, bool contagious) {
  GenerationParameters p;
  p.shape = kCircle;
  p.centre_x = 10;
  p.centre_y = 10;
  p.site_radius = 10;
  p.model = model;
  p.contagious = contagious;
  p.seed_count = contagious ? 500 : 1;
  p.cluster_radius = contagious ? 0.5 : 10;
  return p;
}

void FillSet(benchmark::State& bench, char model, bool contagious) {
  static ProgramState state;
  TextInput no_answers("");
  TextOutput screen = TextOutput::InMemory();
  Console console{no_answers, screen};
  GenerationParameters p = Circle(model, contagious);
  ClusterSeeds seeds;
  Generator generator = Generator::Lcg(12345);
  for (auto _ : bench) {
    state.point_count = kMaxPoints;
    PlaceClusterSeeds(p, seeds, state, generator);
    FillPointStore(console, p, seeds, state, generator);
  }
  bench.SetItemsProcessed(bench.iterations() * kMaxPoints);
}

void BM_CentredUniformCircle(benchmark::State& bench) { FillSet(bench, 'U', false); }
void BM_CentredNormalCircle(benchmark::State& bench) { FillSet(bench, 'N', false); }
void BM_Contagious500SeedsConic(benchmark::State& bench) { FillSet(bench, 'C', true); }

void BM_FormatFixedPointLine(benchmark::State& bench) {
  double x = 1234.56789;
  for (auto _ : bench) {
    benchmark::DoNotOptimize(FormatFixed(x, 10, 4));
    x += 0.001;
  }
}

void BM_ParseReal(benchmark::State& bench) {
  for (auto _ : bench) benchmark::DoNotOptimize(ParseReal("-1234.5678e-3"));
}

void BM_RandomStep(benchmark::State& bench) {
  int32_t seed = 1;
  double x = 0;
  double y = 0;
  for (auto _ : bench) RandomStep(x, y, 1.0, seed);
  benchmark::DoNotOptimize(x);
}

void BM_PlotFullStore(benchmark::State& bench) {
  static ProgramState state;
  state.point_count = kMaxPoints;
  for (int32_t i = 1; i <= kMaxPoints; ++i) {
    state.store.x[i] = i % 97;
    state.store.y[i] = i % 89;
  }
  TextInput no_answers("");
  for (auto _ : bench) {
    TextOutput screen = TextOutput::InMemory();
    Console console{no_answers, screen};
    PlotPoints(console, state);
  }
}

// A name of range(0) parts "E\" below the working folder, where no E is:
// the time should grow in proportion to the parts.
void BM_ResolveLongName(benchmark::State& bench) {
  std::string name;
  for (int64_t i = 0; i < bench.range(0); ++i) name += "E\\";
  name += "F";
  for (auto _ : bench) benchmark::DoNotOptimize(ResolveFileName(".", name));
  bench.SetComplexityN(bench.range(0));
}

BENCHMARK(BM_CentredUniformCircle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CentredNormalCircle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Contagious500SeedsConic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatFixedPointLine);
BENCHMARK(BM_ParseReal);
BENCHMARK(BM_RandomStep);
BENCHMARK(BM_PlotFullStore)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResolveLongName)
    ->RangeMultiplier(4)
    ->Range(25000, 1600000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
}  // namespace sparsim

BENCHMARK_MAIN();
