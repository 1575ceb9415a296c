#include "generate/coordinate_file.h"

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

// PointLine into line, whose memory serves again for the next point.
void SetPointLine(std::string& line, double x, double y) {
  line.clear();
  AppendFixed(line, x, kPointWidth, 4);
  const std::size_t x_end = line.size();
  AppendFixed(line, y, 0, 4);
  const std::size_t y_size = line.size() - x_end;
  // A Y text that fills its field would run into X: a blank keeps them apart.
  line.insert(x_end, y_size >= kPointWidth ? 1 : kPointWidth - y_size, ' ');
}

}  // namespace

std::string PointLine(double x, double y) {
  std::string line;
  SetPointLine(line, x, y);
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
  std::string line;  // one buffer for every point's line
  for (int32_t i = 1; i <= state.point_count; ++i) {
    SetPointLine(line, state.store.x[i], state.store.y[i]);
    file.WriteLine(line);
  }
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
