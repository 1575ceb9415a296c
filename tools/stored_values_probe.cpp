// Prints every double the sampling engine, the walk and the number reader
// store for a fixed corpus, in hexadecimal, one per line with its label:
// builds for two machines whose outputs differ only where the C library's
// expl, sinl or cosl differ keep to the promise of docs/portability.md.
//
//   sparsim_stored_values_probe > x86.txt
//   qemu-aarch64 -L /usr/aarch64-linux-gnu build-aarch64/sparsim_stored_values_probe > arm.txt
//   tools/check_cross.sh compares the two and counts the lines that differ
//   by the kind of value (models with expl or cosl, walks).

#include <cstdio>
#include <memory>
#include <string>

#include "common/program_state.h"
#include "common/text_input.h"
#include "common/text_output.h"
#include "generate/sampling.h"
#include "numeric/generator.h"
#include "numeric/number_parse.h"
#include "support/sites.h"
#include "walk/walk_step.h"

namespace sparsim {
namespace {

void Line(const std::string& label, int index, double value) {
  std::printf("%s %d %a\n", label.c_str(), index, value);
}

void ProbeSet(const std::string& label, const GenerationParameters& p, int32_t points,
              int32_t seed) {
  auto state = std::make_unique<ProgramState>();
  Generator generator = Generator::Lcg(seed);
  state->point_count = points;
  TextInput no_answers("");
  TextOutput screen = TextOutput::InMemory();
  Console console{no_answers, screen};
  ClusterSeeds seeds;
  PlaceClusterSeeds(p, seeds, *state, generator);
  FillPointStore(console, p, seeds, *state, generator);
  for (int32_t i = 1; i <= points; ++i) {
    Line(label + " x", i, state->store.x[static_cast<size_t>(i)]);
    Line(label + " y", i, state->store.y[static_cast<size_t>(i)]);
  }
  // The walk of the same points: length and angle from draws, then sinl
  // and cosl.
  int32_t walk_seed = seed;
  for (int32_t i = 1; i <= points; ++i) {
    double x = state->store.x[static_cast<size_t>(i)];
    double y = state->store.y[static_cast<size_t>(i)];
    for (int s = 0; s < 20; ++s) RandomStep(x, y, p.site_radius / 50, walk_seed);
    Line("walk " + label + " x", i, x);
    Line("walk " + label + " y", i, y);
  }
}

}  // namespace
}  // namespace sparsim

int main() {
  using namespace sparsim;
  struct Site {
    const char* name;
    GenerationParameters p;
    double scale;  // the clusters' radius
  };
  const Site sites[] = {
      {"circle20", CircleSite(10, 10, 10), 1},
      {"circle2000", CircleSite(1000, 1000, 1000), 40},
      {"rect100", RectangleSite(0, 0, 100, 100), 4},
      {"rect_wide", RectangleSite(-1e3, -3, 2.5e3, 7.25), 0.9},
      {"circle_tiny", CircleSite(-1e-5, 2e-5, 1.5e-7), 1e-8},
      {"rect_huge", RectangleSite(1e29, -1e30, 1e30, 1e30), 3e28},
      {"circle_huge", CircleSite(5e29, 5e29, 5e29), 2e28},
  };
  int n = 0;
  for (const Site& site : sites) {
    for (char model : {'U', 'H', 'C', 'S', 'N'}) {
      ++n;
      // The normal model's density suits clusters of radius 1 to 4 only.
      if (model == 'N' && !(site.scale >= 0.5 && site.scale <= 4)) continue;
      GenerationParameters p =
          Clustered(site.p, 1 + n % 23, n % 2 == 0, site.scale * (0.5 + 0.37 * (n % 5)), model);
      ProbeSet(std::string(site.name) + " " + model, p, 300, 1000 + 17 * n);
    }
  }
  // Number reading: odd texts, long integers, subnormals, huge exponents.
  const char* texts[] = {"4.9e-324",
                         "2.4703282292062327e-324",
                         "2.2250738585072011e-308",
                         "1e-320",
                         "123456789012345678901234567890",
                         "9007199254740993",
                         "18446744073709551615",
                         "18446744073709551617",
                         "295147905179352825856",
                         "0.1",
                         "0.3",
                         "1.7976931348623157e308",
                         "1.7976931348623159e308",
                         "3.14159265358979323846264338327950288",
                         "1e23",
                         "8.5e-5",
                         "0.000000000000000000000000000000000000001",
                         "7.038531e-26",
                         "1e4000",
                         "1e-4000",
                         "2.5e-4950",
                         "6.0221409e23",
                         "1234.5678",
                         "99999999999999999999999.5"};
  int t = 0;
  for (const char* text : texts) {
    Line(std::string("parse ") + text, ++t, static_cast<double>(ParseReal(text).value));
  }
  // Long integers of every length, and long fractions.
  std::string digits;
  for (int length = 1; length <= 40; ++length) {
    digits += static_cast<char>('0' + (length * 7) % 10);
    Line("parse integer", length, static_cast<double>(ParseReal(digits).value));
    Line("parse fraction", length, static_cast<double>(ParseReal("0." + digits).value));
    Line("parse small", length, static_cast<double>(ParseReal(digits + "e-330").value));
  }
  return 0;
}
