#include "generate/coordinate_file.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "common/text_output.h"
#include "dialogue/file_prompts.h"
#include "numeric/number_format.h"

namespace sparsim {
namespace {

constexpr int kPointWidth = 10;

std::string Fixed(double x, int width, int decimals) { return FormatFixed(x, width, decimals); }

}  // namespace

std::string SiteLine(const GenerationParameters& p) {
  std::string area = ";  Area " + Fixed(p.area, 8, 2) + " #";
  if (p.shape == kCircle) {
    long double diameter = 2 * static_cast<long double>(p.site_radius);
    return "# Site Diameter " + FormatFixed(diameter, 6, 2) + area;
  }
  return "# Site Corners " + Fixed(p.x_min, 8, 4) + Fixed(p.y_min, 8, 4) + ", " +
         Fixed(p.x_max, 8, 4) + Fixed(p.y_max, 8, 4) + area;
}

std::string DensityLine(const GenerationParameters& p, int32_t run_seed) {
  return "#Density: " + Fixed(p.density, 8, 4) + ";  Model " + std::string(1, p.model) +
         ";  Random Seed: " + FormatInteger(run_seed, 0) + " #";
}

namespace {

// A blank keeps a Y text that fills its field apart from X.
std::size_t PaddingBeforeY(std::size_t y_size) {
  return y_size >= kPointWidth ? 1 : kPointWidth - y_size;
}

// A point line and its line end, laid out from `end` backwards: at most
// three short numbers' room. The kLineSlack bytes after `end` let a line up
// to that long be copied as that many bytes, a size copied without a call.
constexpr std::size_t kLineRoom = 3 * kShortFixedChars;
constexpr std::size_t kLineSlack = 32;
struct LineBuffer {
  char bytes[kLineRoom + kLineSlack];
  char* end() { return bytes + kLineRoom; }
};

// Blanks to lay before a text: at most kPointWidth are ever needed.
constexpr char kBlanks[] = "                ";
static_assert(sizeof kBlanks - 1 >= kPointWidth);

// PointLine and its line end in line; empty where a number needs FormatFixed.
std::string_view FastPointLine(LineBuffer& line, double x, double y) {
  char* end = line.end();
  char* y_end = end - kLineEnd.size();
  std::memcpy(y_end, kLineEnd.data(), kLineEnd.size());
  char* y_start = FixedBefore(y_end, y, 4);
  if (y_start == nullptr) return {};
  // The blanks go down as a fixed block; X's digits then cover the ones past
  // the padding.
  std::memcpy(y_start - (sizeof kBlanks - 1), kBlanks, sizeof kBlanks - 1);
  char* x_end = y_start - PaddingBeforeY(static_cast<std::size_t>(y_end - y_start));
  char* x_start = FixedBefore(x_end, x, 4);
  if (x_start == nullptr) return {};
  std::memcpy(x_start - (sizeof kBlanks - 1), kBlanks, sizeof kBlanks - 1);
  x_start = std::min(x_start, x_end - kPointWidth);
  return {x_start, static_cast<std::size_t>(end - x_start)};
}

// PointLine into line, whose memory (and that of y_text) serves again for
// the next point.
void SetPointLine(std::string& line, std::string& y_text, double x, double y) {
  line.clear();
  AppendFixed(line, x, kPointWidth, 4);
  y_text.clear();
  AppendFixed(y_text, y, 0, 4);
  line.append(PaddingBeforeY(y_text.size()), ' ');
  line += y_text;
}

}  // namespace

std::string PointLine(double x, double y) {
  std::string line;
  std::string y_text;
  SetPointLine(line, y_text, x, y);
  return line;
}

std::vector<std::string> ExtraHeaderLines(const SetRecord& record) {
  std::vector<std::string> lines;
  if (record.philox || record.replicate >= 0) {
    std::string line = record.philox ? "# Generator Philox4x64-10" : "# Generator LCG";
    if (record.replicate >= 0) line += ";  Replicate " + std::to_string(record.replicate);
    lines.push_back(line + " #");
  }
  if (record.csr) lines.emplace_back("# Points Uniform over the Whole Site (CSR) #");
  if (record.poisson_mean >= 0) {
    lines.push_back("# Point Count Poisson;  Mean " + FormatInteger(record.poisson_mean, 0) + " #");
  }
  return lines;
}

void WriteCoordinateLines(TextOutput& file, const ProgramState& state,
                          const GenerationParameters& parameters, int32_t run_seed,
                          const SetRecord& record) {
  file.WriteLine(FormatInteger(state.point_count, 0) + " #Points# 2 #Coordinates#");
  file.WriteLine(SiteLine(parameters));
  file.WriteLine(DensityLine(parameters, run_seed));
  if (parameters.contagious) {
    file.WriteLine("# Radius or S.D." + Fixed(parameters.cluster_radius, 8, 4) +
                   ";  Cluster Seeds " + FormatInteger(parameters.seed_count, 0) + " #");
  }
  for (const std::string& line : ExtraHeaderLines(record)) file.WriteLine(line);
  // Lines gather in a block that goes to the file whole, 64 KiB at a time.
  constexpr std::size_t kBlock = std::size_t{1} << 16;
  std::vector<char> block(kBlock);
  std::size_t used = 0;
  auto add = [&](std::string_view text, bool with_slack) {
    if (used + text.size() + kLineSlack > block.size()) {
      file.Write({block.data(), used});
      used = 0;
      if (text.size() + kLineSlack > block.size()) block.resize(text.size() + kLineSlack);
    }
    if (with_slack && text.size() <= kLineSlack) {
      std::memcpy(block.data() + used, text.data(), kLineSlack);
    } else {
      std::memcpy(block.data() + used, text.data(), text.size());
    }
    used += text.size();
  };
  LineBuffer fast{};
  std::string line;  // for the rare line FastPointLine leaves
  std::string y_text;
  for (int32_t i = 1; i <= state.point_count; ++i) {
    const double x = state.store.x[i];
    const double y = state.store.y[i];
    if (const std::string_view text = FastPointLine(fast, x, y); !text.empty()) {
      add(text, true);
    } else {
      SetPointLine(line, y_text, x, y);
      line += kLineEnd;
      add(line, false);
    }
  }
  // Whole lines, each with its end, as WriteLine writes them.
  if (used > 0) file.Write({block.data(), used});
}

void WriteCoordinateFile(Console& console, ProgramState& state,
                         const GenerationParameters& parameters, int32_t run_seed) {
  state.output_name = ".ADF";
  AskOutputFile(console, state.working_directory, "Output File", state.output_file,
                state.output_name);
  WriteCoordinateLines(state.output_file.text(), state, parameters, run_seed);
  state.output_file.Close();
}

}  // namespace sparsim
