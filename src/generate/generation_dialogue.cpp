#include "generate/generation_dialogue.h"

#include <string>

#include "dialogue/choice_prompts.h"
#include "dialogue/numeric_prompts.h"
#include "dialogue/seed_prompt.h"
#include "generate/coordinate_file.h"
#include "generate/sampling.h"
#include "generate/set_parameters.h"
#include "generate/trial_estimate.h"
#include "numeric/number_format.h"
#include "plot/plot.h"

namespace sparsim {
namespace {

void AskCircle(Console& console, GenerationParameters& p) {
  SetCircleDiameter(p, AskReal(console, "Distribution Diameter", "20.0", 0, kLargestValue));
  std::string centre = CircleCentreDefault(p);
  double x = AskReal(console, "X Coord, Center", centre, -kLargestValue, kLargestValue);
  double y = AskReal(console, "Y Coord, Center", centre, -kLargestValue, kLargestValue);
  SetCircleCentre(p, x, y);
}

void AskRectangle(Console& console, GenerationParameters& p) {
  double x_min = AskReal(console, "X Min", "0", -kLargestValue, kLargestValue);
  double y_min = AskReal(console, "Y Min", "0", -kLargestValue, kLargestValue);
  double x_max = AskReal(console, "X Max", "", x_min, kLargestValue);
  double y_max = AskReal(console, "Y Max", "", y_min, kLargestValue);
  SetRectangle(p, x_min, y_min, x_max, y_max);
}

void AskDensity(Console& console, GenerationParameters& p, ProgramState& state) {
  for (;;) {
    p.density = AskReal(console, "Average Density/Unit2", "1.0", 0, kLargestValue);
    long double count = PointCountForDensity(p);
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
  SetDensityForCount(p, state.point_count);
}

void AskClusters(Console& console, GenerationParameters& p, const ProgramState& state) {
  p.seed_count = AskInteger(console, "  Number of Cluster Seeds",
                            FewestClusterSeeds(state.point_count), kMaxSeeds, "");
  p.seeds_as_points = AskYesNo(console, "  Use Cluster Seeds as Points", kDefaultYes);
  bool needs_radius = NeedsClusterRadius(p.seed_count, p.seeds_as_points, state.point_count);
  for (;;) {
    p.cluster_radius =
        AskReal(console, "  Size of Contagious Radius or StdDev", "", 0, kLargestValue);
    if (p.cluster_radius > 0 || !needs_radius) break;
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
    SetCentred(p);
  }
  console.out.WriteLine("Density Distribution Model");
  p.model =
      AskChoice(console, "  [U]niform [H]emisphere [C]onic [S]inusoid [N]ormal", "UHCSN", "N");
  return p;
}

void GeneratePoints(Console& console, ProgramState& state) {
  int32_t run_seed = 0;
  AskSeed(console, run_seed);
  ShowSeed(console, run_seed);
  Generator generator = Generator::Lcg(run_seed);
  ClusterSeeds seeds;
  do {
    GenerationParameters parameters = AskSetParameters(console, state);
    WarnIfHopeless(console, parameters, state.point_count);
    SetOutcome outcome = GenerateSet(console, parameters, SetOptions{}, seeds, state, generator);
    // Ends the line of the running count, or writes over it.
    console.out.WriteLine(outcome.exhausted ? CycleExhaustedLine(outcome.points) : "");
    if (AskYesNo(console, "Write Coordinates", kDefaultYes)) {
      WriteCoordinateFile(console, state, parameters, run_seed);
    }
    if (AskYesNo(console, "Plot on Screen", kDefaultYes)) PlotPoints(console, state);
  } while (AskYesNo(console, "Generate Another Set of Points", kDefaultNo));
}

}  // namespace sparsim
