#include "export/header_facts.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

#include "numeric/number_parse.h"

namespace sparsim {
namespace {

constexpr char kEndOfFileMark = 26;
// A header has at most four lines; a few more are looked at in case of
// added comments.
constexpr std::size_t kMostLinesLooked = 16;

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

void SkipBlanks(std::string_view& rest) {
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
}

// Moves rest past label and what comes before it; false when absent.
bool SkipPast(std::string_view& rest, std::string_view label) {
  std::size_t at = rest.find(label);
  if (at == std::string_view::npos) return false;
  rest.remove_prefix(at + label.size());
  return true;
}

std::size_t CountDigits(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - from;
}

// A fixed-point number with exactly `decimals` decimals, after blanks:
// [-]digits.decimals. Taking no more decimals than that keeps "100.0000200.0000"
// two numbers.
std::optional<RecordedNumber> TakeFixed(std::string_view& rest, std::size_t decimals) {
  SkipBlanks(rest);
  std::size_t length = !rest.empty() && rest.front() == '-' ? 1 : 0;
  std::size_t whole = CountDigits(rest, length);
  if (whole == 0) return std::nullopt;
  length += whole;
  if (length >= rest.size() || rest[length] != '.') return std::nullopt;
  if (CountDigits(rest, length + 1) < decimals) return std::nullopt;
  length += 1 + decimals;
  RecordedNumber number;
  number.text = std::string(rest.substr(0, length));
  RealParse parsed = ParseReal(number.text);
  number.value = static_cast<double>(parsed.value);
  if (parsed.error_position != 0 || !std::isfinite(number.value)) return std::nullopt;
  rest.remove_prefix(length);
  return number;
}

std::optional<int32_t> TakeInteger(std::string_view& rest) {
  SkipBlanks(rest);
  int32_t value = 0;
  std::from_chars_result result = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  if (result.ec != std::errc()) return std::nullopt;
  rest.remove_prefix(static_cast<std::size_t>(result.ptr - rest.data()));
  return value;
}

void ReadSiteDiameter(std::string_view rest, HeaderFacts& facts) {
  if (!SkipPast(rest, "# Site Diameter")) return;
  if (std::optional<RecordedNumber> diameter = TakeFixed(rest, 2)) {
    facts.site = SiteShape::kCircle;
    facts.diameter = diameter->value;
  }
}

void ReadSiteCorners(std::string_view rest, HeaderFacts& facts) {
  if (!SkipPast(rest, "# Site Corners")) return;
  std::optional<RecordedNumber> x_min = TakeFixed(rest, 4);
  std::optional<RecordedNumber> y_min = TakeFixed(rest, 4);
  SkipBlanks(rest);
  if (rest.empty() || rest.front() != ',') return;
  rest.remove_prefix(1);
  std::optional<RecordedNumber> x_max = TakeFixed(rest, 4);
  std::optional<RecordedNumber> y_max = TakeFixed(rest, 4);
  if (!x_min || !y_min || !x_max || !y_max) return;
  facts.site = SiteShape::kRectangle;
  facts.x_min = x_min->value;
  facts.y_min = y_min->value;
  facts.x_max = x_max->value;
  facts.y_max = y_max->value;
}

void ReadDensityLine(std::string_view line, HeaderFacts& facts) {
  std::string_view rest = line;
  if (!SkipPast(rest, "#Density:")) return;
  facts.density = TakeFixed(rest, 4);
  rest = line;
  if (SkipPast(rest, "Model ") && !rest.empty() && !ModelName(rest.front()).empty()) {
    facts.model = rest.front();
  }
  rest = line;
  if (SkipPast(rest, "Random Seed:")) facts.seed = TakeInteger(rest);
}

void ReadClusterLine(std::string_view line, HeaderFacts& facts) {
  std::string_view rest = line;
  if (!SkipPast(rest, "# Radius or S.D.")) return;
  facts.cluster_radius = TakeFixed(rest, 4);
  if (SkipPast(rest, "Cluster Seeds")) facts.cluster_seeds = TakeInteger(rest);
}

void ReadSetRecordLines(std::string_view line, HeaderFacts& facts) {
  std::string_view rest = line;
  if (SkipPast(rest, "# Generator ")) {
    if (rest.starts_with("Philox4x64-10")) facts.generator = "philox";
    if (rest.starts_with("LCG")) facts.generator = "lcg";
    if (SkipPast(rest, "Replicate")) {
      SkipBlanks(rest);
      int64_t value = 0;
      std::from_chars_result result =
          std::from_chars(rest.data(), rest.data() + rest.size(), value);
      if (result.ec == std::errc() && value >= 0) facts.replicate = value;
    }
  }
  rest = line;
  if (SkipPast(rest, "# Points Uniform over the Whole Site (CSR) #")) facts.csr = true;
  rest = line;
  if (SkipPast(rest, "# Point Count Poisson;  Mean")) facts.poisson_mean = TakeInteger(rest);
}

// The lines of content up to its end mark, without their line ends.
std::vector<std::string_view> LeadingLines(std::string_view content) {
  content = content.substr(0, content.find(kEndOfFileMark));
  std::vector<std::string_view> lines;
  while (!content.empty() && lines.size() < kMostLinesLooked) {
    std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    content.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

HeaderFacts ReadHeaderFacts(std::string_view content) {
  HeaderFacts facts;
  std::vector<std::string_view> lines = LeadingLines(content);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    SkipBlanks(line);
    // The first line holds the count; the header's comment lines follow it.
    if (i > 0 && (line.empty() || line.front() != '#')) break;
    ReadSiteDiameter(line, facts);
    ReadSiteCorners(line, facts);
    ReadDensityLine(line, facts);
    ReadClusterLine(line, facts);
    ReadSetRecordLines(line, facts);
  }
  return facts;
}

std::string_view ModelName(char model) {
  switch (model) {
    case 'U':
      return "uniform";
    case 'H':
      return "hemisphere";
    case 'C':
      return "conic";
    case 'S':
      return "sinusoid";
    case 'N':
      return "normal";
    default:
      return "";
  }
}

}  // namespace sparsim
