#include "generate/set_options.h"

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/program_state.h"
#include "dialogue/numeric_prompts.h"
#include "dialogue/option_values.h"
#include "generate/generate_set.h"
#include "generate/sampling.h"
#include "generate/set_parameters.h"
#include "generate/trial_estimate.h"
#include "numeric/number_format.h"

namespace sparsim {
namespace {

const std::string kFullRange = "from -1e30 to 1e30";
const std::string kPositiveRange = "from 0 to 1e30";

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
    RefuseOption(option + " " + text + ": needs " + form + ", " + std::to_string(names.size()) +
                 " numbers separated by commas");
  }
  return fields;
}

// One number of such a value, from low to high (rule says so in words).
double Field(const std::string& option, const std::string& text, const std::string& name,
             const std::string& field, double low, double high, const std::string& rule) {
  RealAnswer read = ReadRealAnswer(field);
  std::string place = option + " " + text + ": " + name;
  if (read.text.empty()) RefuseOption(place + " is missing");
  if (read.parsed.error_position != 0) {
    RefuseOption(place + " \"" + field + "\" is " +
                 NotANumberReason(read.parsed.error_position, read.text));
  }
  if (std::isinf(read.value) || read.value < low || read.value > high) {
    RefuseOption(place + " must be " + rule);
  }
  return read.value;
}

void CheckSite(const SetOptions& o, GenerationParameters& p) {
  if (!o.circle && !o.rect)
    RefuseOption("choose the site: --circle D or --rect XMIN,YMIN,XMAX,YMAX");
  if (o.circle && o.rect) RefuseOption("--circle and --rect exclude each other");
  if (o.centre && !o.circle) RefuseOption("--centre goes with --circle only");
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

int32_t CheckCount(const SetOptions& o, GenerationParameters& p) {
  if (!o.points && !o.density) RefuseOption("give --points N or --density D");
  if (o.points && o.density) RefuseOption("--points and --density exclude each other");
  if (o.points) {
    int32_t count = IntegerOption("--points", *o.points, 1, kMaxPoints);
    SetDensityForCount(p, count);
    return count;
  }
  p.density = RealOption("--density", *o.density, 0, kLargestValue, kPositiveRange);
  long double count = PointCountForDensity(p);
  if (count > kMaxPoints) {
    RefuseOption("--density " + *o.density + ": gives " + CountText(count) + " points, at most " +
                 std::to_string(kMaxPoints));
  }
  return static_cast<int32_t>(count);
}

void CheckSpread(const SetOptions& o, GenerationParameters& p, int32_t point_count) {
  if (o.csr) {
    if (o.centred) RefuseOption("--csr and --centred exclude each other");
    if (o.clusters) RefuseOption("--csr and --clusters exclude each other");
    if (o.radius) RefuseOption("--radius goes with --clusters only");
    if (o.seeds_as_points) RefuseOption("--seeds-as-points goes with --clusters only");
    if (o.no_seeds_as_points) RefuseOption("--no-seeds-as-points goes with --clusters only");
    if (o.model) RefuseOption("--model goes with --centred or --clusters; --csr is uniform");
    p = CsrParameters(p);
    return;
  }
  if (o.centred && o.clusters) RefuseOption("--centred and --clusters exclude each other");
  if (!o.centred && !o.clusters) RefuseOption("choose --centred, --clusters K --radius R or --csr");
  if (o.seeds_as_points && o.no_seeds_as_points) {
    RefuseOption("--seeds-as-points and --no-seeds-as-points exclude each other");
  }
  if (o.centred) {
    if (o.radius) RefuseOption("--radius goes with --clusters only");
    if (o.seeds_as_points) RefuseOption("--seeds-as-points goes with --clusters only");
    if (o.no_seeds_as_points) RefuseOption("--no-seeds-as-points goes with --clusters only");
    SetCentred(p);
    return;
  }
  p.contagious = true;
  p.seed_count =
      IntegerOption("--clusters", *o.clusters, FewestClusterSeeds(point_count), kMaxSeeds);
  p.seeds_as_points = !o.no_seeds_as_points;
  if (!o.radius) RefuseOption("--clusters needs --radius R");
  p.cluster_radius = RealOption("--radius", *o.radius, 0, kLargestValue, kPositiveRange);
  if (p.cluster_radius == 0 && NeedsClusterRadius(p.seed_count, p.seeds_as_points, point_count)) {
    RefuseOption("--radius " + *o.radius +
                 ": must be greater than 0 when points are drawn around seeds");
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
  RefuseOption("--model " + *model +
               ": must be uniform, hemisphere, conic, sinusoid or normal (or U, H, C, S, N)");
}

}  // namespace

SetOptions SetOptionsFromNames(const NamedOptions& named) {
  SetOptions set;
  set.circle = named.text("circle");
  set.centre = named.text("centre");
  set.rect = named.text("rect");
  set.points = named.text("points");
  set.density = named.text("density");
  set.centred = named.flag("centred").value_or(false);
  set.clusters = named.text("clusters");
  set.radius = named.text("radius");
  if (const std::optional<bool> seeds_as_points = named.flag("seeds_as_points")) {
    set.seeds_as_points = *seeds_as_points;
    set.no_seeds_as_points = !*seeds_as_points;
  }
  set.model = named.text("model");
  set.csr = named.flag("csr").value_or(false);
  set.poisson = named.flag("poisson").value_or(false);
  return set;
}

CheckedSet CheckSetOptions(const SetOptions& options) {
  CheckedSet set;
  CheckSite(options, set.parameters);
  set.point_count = CheckCount(options, set.parameters);
  CheckSpread(options, set.parameters, set.point_count);
  if (!options.csr) set.parameters.model = CheckModel(options.model);
  if (options.poisson) {
    const GenerationParameters& p = set.parameters;
    int32_t seed_points = p.contagious && p.seeds_as_points ? p.seed_count : 0;
    if (set.point_count - seed_points > kLargestPoissonMean) {
      RefuseOption("--poisson: the mean of " + std::to_string(set.point_count - seed_points) +
                   " points drawn must be at most " +
                   std::to_string(static_cast<int32_t>(kLargestPoissonMean)) +
                   ", so that a count above " + std::to_string(kMaxPoints) + " stays negligible");
    }
  }
  return set;
}

}  // namespace sparsim
