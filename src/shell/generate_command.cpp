#include "shell/generate_command.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/program_state.h"
#include "dialogue/numeric_prompts.h"
#include "export/atomic_output.h"
#include "generate/coordinate_file.h"
#include "generate/generate_set.h"
#include "generate/generation_dialogue.h"
#include "generate/set_parameters.h"
#include "generate/trial_estimate.h"
#include "numeric/number_format.h"
#include "shell/scripted_run.h"

namespace sparsim {
namespace {

const RunKind kGenerate{"sparsim generate", "adf", false};
const std::string kFullRange = "from -1e30 to 1e30";
const std::string kPositiveRange = "from 0 to 1e30";

[[noreturn]] void Refuse(const std::string& message) { throw CommandFailure(kExitUsage, message); }

// The numbers of a value such as "0,0,10,4", named for messages.
std::vector<std::string> Fields(const std::string& option, const std::string& text,
                                const std::vector<std::string>& names) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = text.find(',', start);
    fields.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (fields.size() != names.size()) {
    std::string form;
    for (const std::string& name : names) form += (form.empty() ? "" : ",") + name;
    Refuse(option + " " + text + ": needs " + form + ", " + std::to_string(names.size()) +
           " numbers separated by commas");
  }
  return fields;
}

// One number of such a value, from low to high (rule says so in words).
double Field(const std::string& option, const std::string& text, const std::string& name,
             const std::string& field, double low, double high, const std::string& rule) {
  RealAnswer read = ReadRealAnswer(field);
  std::string place = option + " " + text + ": " + name;
  if (read.text.empty()) Refuse(place + " is missing");
  if (read.parsed.error_position != 0) {
    Refuse(place + " \"" + field + "\" is " +
           NotANumberReason(read.parsed.error_position, read.text));
  }
  if (std::isinf(read.value) || read.value < low || read.value > high) {
    Refuse(place + " must be " + rule);
  }
  return read.value;
}

void CheckSite(const GenerateOptions& o, GenerationParameters& p) {
  if (!o.circle && !o.rect) Refuse("choose the site: --circle D or --rect XMIN,YMIN,XMAX,YMAX");
  if (o.circle && o.rect) Refuse("--circle and --rect exclude each other");
  if (o.centre && !o.circle) Refuse("--centre goes with --circle only");
  if (o.circle) {
    SetCircleDiameter(p, RealOption("--circle", *o.circle, 0, kLargestValue, kPositiveRange));
    double x = 0;
    double y = 0;
    if (o.centre) {
      std::vector<std::string> f = Fields("--centre", *o.centre, {"X", "Y"});
      x = Field("--centre", *o.centre, "X", f[0], -kLargestValue, kLargestValue, kFullRange);
      y = Field("--centre", *o.centre, "Y", f[1], -kLargestValue, kLargestValue, kFullRange);
    } else {
      // The dialogue's default answer, converted as the dialogue converts it.
      x = y =
          RealOption("--centre", CircleCentreDefault(p), -kLargestValue, kLargestValue, kFullRange);
    }
    SetCircleCentre(p, x, y);
    return;
  }
  const std::string& text = *o.rect;
  std::vector<std::string> f = Fields("--rect", text, {"XMIN", "YMIN", "XMAX", "YMAX"});
  double x_min = Field("--rect", text, "XMIN", f[0], -kLargestValue, kLargestValue, kFullRange);
  double y_min = Field("--rect", text, "YMIN", f[1], -kLargestValue, kLargestValue, kFullRange);
  double x_max = Field("--rect", text, "XMAX", f[2], x_min, kLargestValue, "from XMIN to 1e30");
  double y_max = Field("--rect", text, "YMAX", f[3], y_min, kLargestValue, "from YMIN to 1e30");
  SetRectangle(p, x_min, y_min, x_max, y_max);
}

std::string CountText(long double count) {
  if (count < 1e15L) return std::to_string(static_cast<long long>(count));
  return FormatTrialCount(count);
}

int32_t CheckCount(const GenerateOptions& o, GenerationParameters& p) {
  if (!o.points && !o.density) Refuse("give --points N or --density D");
  if (o.points && o.density) Refuse("--points and --density exclude each other");
  if (o.points) {
    int32_t count = IntegerOption("--points", *o.points, 1, kMaxPoints);
    SetDensityForCount(p, count);
    return count;
  }
  p.density = RealOption("--density", *o.density, 0, kLargestValue, kPositiveRange);
  long double count = PointCountForDensity(p);
  if (count > kMaxPoints) {
    Refuse("--density " + *o.density + ": gives " + CountText(count) + " points, at most " +
           std::to_string(kMaxPoints));
  }
  return static_cast<int32_t>(count);
}

void CheckSpread(const GenerateOptions& o, GenerationParameters& p, int32_t point_count) {
  if (o.centred && o.clusters) Refuse("--centred and --clusters exclude each other");
  if (!o.centred && !o.clusters) Refuse("choose --centred or --clusters K --radius R");
  if (o.seeds_as_points && o.no_seeds_as_points) {
    Refuse("--seeds-as-points and --no-seeds-as-points exclude each other");
  }
  if (o.centred) {
    if (o.radius) Refuse("--radius goes with --clusters only");
    if (o.seeds_as_points) Refuse("--seeds-as-points goes with --clusters only");
    if (o.no_seeds_as_points) Refuse("--no-seeds-as-points goes with --clusters only");
    SetCentred(p);
    return;
  }
  p.contagious = true;
  p.seed_count =
      IntegerOption("--clusters", *o.clusters, FewestClusterSeeds(point_count), kMaxSeeds);
  p.seeds_as_points = !o.no_seeds_as_points;
  if (!o.radius) Refuse("--clusters needs --radius R");
  p.cluster_radius = RealOption("--radius", *o.radius, 0, kLargestValue, kPositiveRange);
  if (p.cluster_radius == 0 && NeedsClusterRadius(p.seed_count, p.seeds_as_points, point_count)) {
    Refuse("--radius " + *o.radius + ": must be greater than 0 when points are drawn around seeds");
  }
}

char CheckModel(const std::optional<std::string>& model) {
  if (!model) return 'N';
  static const char* const kNames[] = {"uniform", "hemisphere", "conic", "sinusoid", "normal"};
  std::string name;
  for (char c : *model) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* known : kNames) {
    if (name == known || name == std::string(1, known[0])) {
      return static_cast<char>(std::toupper(static_cast<unsigned char>(known[0])));
    }
  }
  Refuse("--model " + *model +
         ": must be uniform, hemisphere, conic, sinusoid or normal (or U, H, C, S, N)");
}

}  // namespace

CheckedSet CheckSetOptions(const GenerateOptions& options) {
  CheckedSet set;
  CheckSite(options, set.parameters);
  set.point_count = CheckCount(options, set.parameters);
  CheckSpread(options, set.parameters, set.point_count);
  set.parameters.model = CheckModel(options.model);
  return set;
}

int RunGenerate(const GenerateOptions& options, const CommandIo& io) {
  try {
    const CheckedSet set = CheckSetOptions(options);
    const OutputPlan plan = PlanOutputs(options.run, kGenerate, 1);
    const GenerationParameters& p = set.parameters;
    if (plan.seed_from_clock) {
      Say(io, kGenerate.command, "seed " + std::to_string(plan.seeds[0]) + ", from the clock");
    }
    std::string warning = HopelessWarning(p, set.point_count);
    if (!warning.empty()) Say(io, kGenerate.command, warning);
    std::optional<Point> centre;
    if (p.shape == kCircle) centre = Point{p.centre_x, p.centre_y};
    std::string standard_output;

    auto work = [&](int32_t k, std::vector<std::string>& rows) {
      auto start = std::chrono::steady_clock::now();
      const int32_t seed = plan.seeds[static_cast<std::size_t>(k - 1)];
      auto state = std::make_unique<ProgramState>();
      Generator generator = Generator::Lcg(seed);
      state->point_count = set.point_count;
      state->sampling_threads = plan.sampling_threads;
      // The running count of the dialogue goes nowhere.
      TextInput no_answers{std::string()};
      TextOutput no_screen(-1, "(running count)", false);
      Console console{no_answers, no_screen};
      auto seeds = std::make_unique<ClusterSeeds>();
      int64_t candidates =
          GenerateSet(console, p, SetOptions{}, *seeds, *state, generator).candidates;
      TextOutput text = TextOutput::InMemory();
      WriteCoordinateLines(text, *state, p, seed);
      const std::string& name = plan.Name(k, 1);
      std::string content = RenderOutput(plan.format, text.contents(), name, centre);
      if (name.empty()) {
        standard_output = std::move(content);
      } else {
        WriteOutputFile(name, content, plan.force);
      }
      rows.push_back(std::to_string(k) + "," + std::to_string(seed) + "," +
                     ManifestField(name.empty() ? "-" : name) + "," +
                     std::to_string(set.point_count) + "," + std::to_string(candidates) + "," +
                     SecondsSince(start));
    };
    int status =
        RunReplicates(plan, io, kGenerate, "replicate,seed,file,points,candidates,seconds", work);
    if (status == 0 && plan.Name(1, 1).empty()) {
      WriteAll(io.out_fd, standard_output, "(standard output)");
    }
    return status;
  } catch (...) {
    return ReportFailure(io, kGenerate.command);
  }
}

}  // namespace sparsim
