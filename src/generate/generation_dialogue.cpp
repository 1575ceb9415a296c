#include "generate/generation_dialogue.h"

#include <cmath>
#include <limits>
#include <string>

#include "dialogue/choice_prompts.h"
#include "dialogue/numeric_prompts.h"
#include "dialogue/seed_prompt.h"
#include "generate/coordinate_file.h"
#include "generate/sampling.h"
#include "generate/trial_estimate.h"
#include "numeric/extended_constants.h"
#include "numeric/number_format.h"
#include "plot/plot.h"

namespace sparsim {
namespace {

// The bound of values that are practically free.
constexpr double kHuge = 1e30;

void AskCircle(Console& console, GenerationParameters& p) {
  double diameter = AskReal(console, "Distribution Diameter", "20.0", 0, kHuge);
  p.site_radius = static_cast<double>(static_cast<long double>(diameter) / 2);
  // The default centre puts the circle one radius from each axis.
  std::string radius_text = TrimSpaces(FormatFixed(p.site_radius, 12, 2).substr(0, 12));
  p.centre_x = AskReal(console, "X Coord, Center", radius_text, -kHuge, kHuge);
  p.centre_y = AskReal(console, "Y Coord, Center", radius_text, -kHuge, kHuge);
  p.area = static_cast<double>(static_cast<long double>(p.site_radius) * p.site_radius * kPi);
}

void AskRectangle(Console& console, GenerationParameters& p) {
  p.x_min = AskReal(console, "X Min", "0", -kHuge, kHuge);
  p.y_min = AskReal(console, "Y Min", "0", -kHuge, kHuge);
  p.x_max = AskReal(console, "X Max", "", p.x_min, kHuge);
  p.y_max = AskReal(console, "Y Max", "", p.y_min, kHuge);
  long double width = static_cast<long double>(p.x_max) - p.x_min;
  long double height = static_cast<long double>(p.y_max) - p.y_min;
  p.centre_x = static_cast<double>(width / 2 + p.x_min);
  p.centre_y = static_cast<double>(height / 2 + p.y_min);
  p.site_radius = static_cast<double>((width > height ? width : height) / 2);
  p.area = static_cast<double>(width * height);
}

// The expected number of points for a density, from the stored doubles.
long double ExpectedCount(const GenerationParameters& p) {
  if (p.shape == kCircle) {
    return static_cast<long double>(p.site_radius) * p.site_radius * (kPi * p.density);
  }
  return (static_cast<long double>(p.x_max) - p.x_min) * p.density *
         (static_cast<long double>(p.y_max) - p.y_min);
}

void AskDensity(Console& console, GenerationParameters& p, ProgramState& state) {
  for (;;) {
    p.density = AskReal(console, "Average Density/Unit2", "1.0", 0, kHuge);
    // Nearest integer, halves to the even neighbour.
    long double count = nearbyintl(ExpectedCount(p));
    if (count <= kMaxPoints) {
      state.point_count = static_cast<int32_t>(count);
      break;
    }
    EndIfAnswersExhausted(console);
  }
  console.out.WriteLine(FormatInteger(state.point_count, 0) + " Point Locations will be Generated");
}

void AskNumber(Console& console, GenerationParameters& p, ProgramState& state) {
  state.point_count = AskInteger(console, "  Number of Points", 1, kMaxPoints, "");
  // A site of no area holds any number of points at infinite density.
  p.density = p.area == 0
                  ? std::numeric_limits<double>::infinity()
                  : static_cast<double>(static_cast<long double>(state.point_count) / p.area);
}

void AskClusters(Console& console, GenerationParameters& p, const ProgramState& state) {
  // Without a seed no candidate could ever be accepted.
  int32_t fewest_seeds = state.point_count > 0 ? 1 : 0;
  p.seed_count = AskInteger(console, "  Number of Cluster Seeds", fewest_seeds, kMaxSeeds, "");
  p.seeds_as_points = AskYesNo(console, "  Use Cluster Seeds as Points", kDefaultYes);
  int32_t seed_points = p.seeds_as_points ? p.seed_count : 0;
  bool candidates_needed = state.point_count > seed_points;
  for (;;) {
    p.cluster_radius = AskReal(console, "  Size of Contagious Radius or StdDev", "", 0, kHuge);
    if (p.cluster_radius > 0 || !candidates_needed) break;
    console.out.WriteLine("Radius Must Be Greater Than 0");
    EndIfAnswersExhausted(console);
  }
}

}  // namespace

GenerationParameters AskSetParameters(Console& console, ProgramState& state) {
  GenerationParameters p;
  p.shape = AskChoice(console, "Distribution Shape: [C]ircular, [R]ectangular", "CR", "R");
  if (p.shape == kCircle) {
    AskCircle(console, p);
  } else {
    AskRectangle(console, p);
  }
  char how_many =
      AskChoice(console, "[N]umber or [D]ensity of Random Points to be Specified", "ND", "N");
  if (how_many == 'D') {
    AskDensity(console, p, state);
  } else {
    AskNumber(console, p, state);
  }
  p.contagious = AskChoice(console, "[C]entered or Contagious around [S]eeds", "CS", "S") == 'S';
  if (p.contagious) {
    AskClusters(console, p, state);
  } else {
    p.seed_count = 1;
    p.seeds_as_points = false;
    p.cluster_radius = p.site_radius;
  }
  console.out.WriteLine("Density Distribution Model");
  p.model =
      AskChoice(console, "  [U]niform [H]emisphere [C]onic [S]inusoid [N]ormal", "UHCSN", "N");
  return p;
}

void GeneratePoints(Console& console, ProgramState& state) {
  AskSeed(console, state.rand_seed);
  ShowSeed(console, state.rand_seed);
  const int32_t run_seed = state.rand_seed;
  ClusterSeeds seeds;
  do {
    GenerationParameters parameters = AskSetParameters(console, state);
    WarnIfHopeless(console, parameters, state.point_count);
    PlaceClusterSeeds(parameters, seeds, state);
    FillPointStore(console, parameters, seeds, state);
    console.out.WriteLine();  // ends the line of the running count
    if (AskYesNo(console, "Write Coordinates", kDefaultYes)) {
      WriteCoordinateFile(console, state, parameters, run_seed);
    }
    if (AskYesNo(console, "Plot on Screen", kDefaultYes)) PlotPoints(console, state);
  } while (AskYesNo(console, "Generate Another Set of Points", kDefaultNo));
}

}  // namespace sparsim
