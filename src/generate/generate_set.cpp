#include "generate/generate_set.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "generate/direct_sampling.h"
#include "generate/set_parameters.h"
#include "numeric/number_format.h"

namespace sparsim {
namespace {

// Philox sets have no cycle to stay inside.
constexpr int64_t kNoDrawLimit = std::numeric_limits<int64_t>::max() / 4;

}  // namespace

int32_t PoissonCount(double mean, long double u) {
  long double m = mean;
  long double probability = expl(-m);
  long double cumulative = probability;
  int32_t k = 0;
  while (u >= cumulative && k < kMaxPoints) {
    ++k;
    probability = probability * m / k;
    cumulative += probability;
  }
  return k;
}

std::string CycleExhaustedLine(int32_t points) {
  return " Random Cycle Exhausted - " + FormatInteger(points, 0) + " Points Placed";
}

GenerationParameters CsrParameters(const GenerationParameters& site) {
  GenerationParameters p = site;
  long double reach = 0;
  if (site.shape == kCircle) {
    reach = 2 * static_cast<long double>(site.site_radius);
  } else {
    long double width = static_cast<long double>(site.x_max) - site.x_min;
    long double height = static_cast<long double>(site.y_max) - site.y_min;
    reach = sqrtl(width * width + height * height);
  }
  p.contagious = true;
  p.seed_count = 1;
  p.seeds_as_points = false;
  p.model = 'U';
  p.cluster_radius = static_cast<double>(ceill(reach * (1 + 0x1p-30L)));
  return p;
}

SetOutcome GenerateSet(Console& console, const GenerationParameters& parameters,
                       const SetOptions& options, ClusterSeeds& seeds, ProgramState& state,
                       Generator& generator) {
  SetOutcome outcome;
  outcome.first_state = static_cast<uint32_t>(generator.lcg_state());
  const int64_t first_draw = generator.draws();
  const bool lcg = generator.is_lcg();
  const int64_t limit = lcg ? options.draw_limit : kNoDrawLimit;
  if (options.poisson) {
    int32_t seed_points =
        parameters.contagious && parameters.seeds_as_points ? parameters.seed_count : 0;
    double mean = std::max(0.0, static_cast<double>(state.point_count - seed_points));
    if (mean > kLargestPoissonMean) {
      throw std::invalid_argument("a Poisson mean above " +
                                  std::to_string(static_cast<int>(kLargestPoissonMean)));
    }
    state.point_count = seed_points + PoissonCount(mean, generator.Next());
  }
  outcome.asked = state.point_count;
  PlaceClusterSeeds(parameters, seeds, state, generator);
  int64_t budget = limit - (generator.draws() - first_draw);
  if (budget < 0) {
    // The seeds alone passed an injected limit: no candidate is drawn.
    budget = 0;
  }
  if (lcg) {
    outcome.candidates = FillPointStore(console, parameters, seeds, state, generator, budget);
  } else {
    outcome.candidates =
        FillPointStoreDirect(console, parameters, seeds, state, generator, options.csr);
  }
  outcome.points = state.point_count;
  outcome.exhausted = outcome.points < outcome.asked;
  outcome.draws = generator.draws() - first_draw;
  return outcome;
}

}  // namespace sparsim
