// What the header of a generated coordinate file (".ADF") records about its
// set, read back from the comment lines that the generation mode writes:
//   100 #Points# 2 #Coordinates#
//   # Site Diameter  20.00;  Area   314.16 #
//   #Density:   0.3183;  Model U;  Random Seed: 12345 #
//   # Radius or S.D.  2.5000;  Cluster Seeds 2 #        (contagious sets)
// gives a circle of diameter 20, density 0.3183 (text "0.3183"), model 'U',
// seed 12345, cluster radius 2.5 and 2 cluster seeds. A rectangle's line
//   # Site Corners   0.0000  0.0000, 100.0000200.0000;  Area 20000.00 #
// gives the corners (0, 0) and (100, 200): every corner has exactly 4
// decimals, which is what separates values written without a blank between
// them.
//
// ReadHeaderFacts looks at the first line and the comment lines ('#' as
// first character other than blanks) that follow it, and stops at the first
// other line. A fact whose text does not have the written form (a density of
// INF, a hand-edited line) is left out; files without such lines (".OUT",
// hand-made lists) give no facts at all. Reading never fails.
//
// Sets made with other than the defaults add lines (generate/coordinate_file.h):
//   # Generator Philox4x64-10;  Replicate 3 #
//   # Points Uniform over the Whole Site (CSR) #
//   # Point Count Poisson;  Mean 100 #
// give generator "philox" (or "lcg" for "Generator LCG"), replicate 3, csr
// and poisson_mean 100. A file without them was made by the LCG.
//
// The circle's centre is not recorded in the file.

#ifndef SPARSIM_EXPORT_HEADER_FACTS_H_
#define SPARSIM_EXPORT_HEADER_FACTS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sparsim {

enum class SiteShape { kUnknown, kCircle, kRectangle };

// A number as the header shows it, and its value.
struct RecordedNumber {
  double value = 0;
  std::string text;
};

struct HeaderFacts {
  SiteShape site = SiteShape::kUnknown;
  double diameter = 0;  // circle
  double x_min = 0;     // rectangle corners
  double y_min = 0;
  double x_max = 0;
  double y_max = 0;
  std::optional<RecordedNumber> density;
  char model = '\0';  // 'U', 'H', 'C', 'S', 'N'; '\0' when not recorded
  std::optional<int32_t> seed;
  std::optional<RecordedNumber> cluster_radius;  // S.D. for the normal model
  std::optional<int32_t> cluster_seeds;
  std::string generator;  // "lcg" or "philox"; empty when not recorded (the LCG)
  std::optional<int64_t> replicate;
  bool csr = false;
  std::optional<int32_t> poisson_mean;
};

HeaderFacts ReadHeaderFacts(std::string_view content);

// "uniform", "hemisphere", "conic", "sinusoid", "normal"; empty otherwise.
std::string_view ModelName(char model);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_HEADER_FACTS_H_
