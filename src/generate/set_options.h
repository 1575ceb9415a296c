// The options that describe one generated set, as text the way they were
// given, and their check against the dialogue's rule for each answer. The
// command line (sparsim generate) and the Python and R packages give their
// values here, so that every front end accepts, refuses and converts a value
// alike, with the same message:
//   SetOptions options;
//   options.circle = "20";
//   options.points = "100";
//   options.centred = true;
//   options.model = "uniform";
//   CheckedSet set = CheckSetOptions(options);
//   // set.point_count 100; set.parameters: circle of diameter 20 centred
//   // at (10, 10), as the dialogue's answers c, 20, Enter, Enter, n, 100,
//   // c, u give it
//   options.points = "20000";
//   CheckSetOptions(options);  // throws CommandFailure(1,
//                              //   "--points 20000: must be from 1 to 10000")
//
// Defaults are the dialogue's: the centre of a circle is one radius from
// each axis (to 2 decimals), the cluster seeds are points of the set, the
// model is normal.
//
// csr takes the place of centred and clusters: the parameters are then
// CsrParameters of the site (generate/generate_set.h), whose header the file
// records. poisson is refused when the mean it would draw from passes
// kLargestPoissonMean. GenerateSet reads csr, poisson and draw_limit from the
// same struct.

#ifndef SPARSIM_GENERATE_SET_OPTIONS_H_
#define SPARSIM_GENERATE_SET_OPTIONS_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "generate/generation_parameters.h"
#include "numeric/generator.h"

namespace sparsim {

// Each value is the text given, absent when the option was not given.
struct SetOptions {
  std::optional<std::string> circle;  // diameter
  std::optional<std::string> centre;  // X,Y
  std::optional<std::string> rect;    // XMIN,YMIN,XMAX,YMAX
  std::optional<std::string> points;
  std::optional<std::string> density;
  bool centred = false;
  std::optional<std::string> clusters;
  std::optional<std::string> radius;
  bool seeds_as_points = false;
  bool no_seeds_as_points = false;
  std::optional<std::string> model;
  // Complete spatial randomness: points uniform over the whole site, in
  // place of --centred or --clusters (generate/generate_set.h).
  bool csr = false;
  // The point count drawn from a Poisson law whose mean is the count given.
  bool poisson = false;
  // The most draws an LCG set may take; Philox sets have no limit. Not an
  // option of the command line: tests ask for less than the whole cycle.
  int64_t draw_limit = kLcgCycleDraws;
};

// A front end's options by name, as the Python and R packages hold them:
// text(name) gives an option's text (several numbers joined by commas), or
// nothing where it is not given; flag(name) a switch's value, or nothing.
struct NamedOptions {
  std::function<std::optional<std::string>(std::string_view name)> text;
  std::function<std::optional<bool>(std::string_view name)> flag;
};

// SetOptions from the names circle, centre, rect, points, density, clusters,
// radius and model (texts), and centred, seeds_as_points, csr and poisson
// (switches; seeds_as_points false is --no-seeds-as-points).
//   text("circle") == "20", flag("centred") == true, the rest not given:
//   the options of --circle 20 --centred.
SetOptions SetOptionsFromNames(const NamedOptions& named);

struct CheckedSet {
  GenerationParameters parameters;
  int32_t point_count = 0;
};

// The set the options describe; throws CommandFailure (status 1) naming the
// first option the dialogue would refuse.
CheckedSet CheckSetOptions(const SetOptions& options);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_SET_OPTIONS_H_
