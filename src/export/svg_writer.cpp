#include "export/svg_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "dialogue/choice_prompts.h"
#include "export/axis_ticks.h"
#include "numeric/number_format.h"
#include "numeric/number_parse.h"

namespace sparsim {
namespace {

constexpr double kPlotSide = 600;  // the frame's longer side
constexpr double kLeastSideShare = 0.2;
constexpr double kMarginShare = 0.04;  // room around the points, of the longer span
// The least span of the frame, of the largest coordinate: a millionth of what
// a double tells apart there, so ticks and marks stay distinct and finite.
constexpr double kLeastRelativeSpan = 1e-10;
// The least span of any frame: its ticks, margins and scale stay normal
// numbers, also for points a few subnormals apart.
constexpr double kLeastSpan = 1e-290;
constexpr double kLeft = 90;  // room for the Y labels
constexpr double kRight = 30;
constexpr double kTop = 20;
constexpr double kAxisBand = 34;  // X labels below the frame
constexpr double kCaptionLine = 18;
constexpr double kLeastWidth = 520;  // room for the caption
constexpr double kTickLength = 5;
constexpr double kTickSpacing = 90;  // about one tick per this many pixels
constexpr int kMostTickHalvings = 4;
// The circle's default centre is its radius, shown with 2 decimals in a
// field of 12; this and the 4 written decimals of the points put a point of
// the site at most about this far outside the circle drawn from the header.
constexpr double kCircleSlack = 0.02;
constexpr int kRadiusFieldWidth = 12;

struct Extent {
  bool empty = true;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;

  void Include(double x, double y) {
    if (empty) {
      x0 = x1 = x;
      y0 = y1 = y;
      empty = false;
      return;
    }
    x0 = std::min(x0, x), x1 = std::max(x1, x);
    y0 = std::min(y0, y), y1 = std::max(y1, y);
  }
};

// The drawing area: data coordinates to pixels, Y upwards.
struct Frame {
  double x0, y0, x1, y1;
  long double scale;
  double width() const { return static_cast<double>((static_cast<long double>(x1) - x0) * scale); }
  double height() const { return static_cast<double>((static_cast<long double>(y1) - y0) * scale); }
  double X(double x) const {
    return kLeft + static_cast<double>((static_cast<long double>(x) - x0) * scale);
  }
  double Y(double y) const {
    return kTop + static_cast<double>((static_cast<long double>(y1) - y) * scale);
  }
};

std::string Px(double value) {
  char text[64];
  std::to_chars_result result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
  return std::string(text, result.ptr);
}

// Text for an SVG text node or attribute: markup characters escaped, and
// control characters and bytes beyond ASCII (file names need not be UTF-8)
// shown as '?'.
std::string XmlText(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    auto code = static_cast<unsigned char>(c);
    if (c == '&')
      escaped += "&amp;";
    else if (c == '<')
      escaped += "&lt;";
    else if (c == '>')
      escaped += "&gt;";
    else if (c == '"')
      escaped += "&quot;";
    else if (code < 32 || code > 126)
      escaped += '?';
    else
      escaped += c;
  }
  return escaped;
}

void CheckFinite(const Point& point) {
  if (!std::isfinite(point.x) || !std::isfinite(point.y)) {
    throw std::domain_error("a coordinate is not a finite number");
  }
}

// The circle's centre when the program's default was taken: the radius as
// the question's default text showed it.
double DefaultCentre(double radius) {
  std::string text = FormatFixed(radius, kRadiusFieldWidth, 2).substr(0, kRadiusFieldWidth);
  return static_cast<double>(ParseReal(TrimSpaces(text)).value);
}

Extent DrawnExtent(const CoordinateSet& set, const std::optional<Point>& centre) {
  Extent extent;
  for (const Point& point : set.points) {
    CheckFinite(point);
    extent.Include(point.x, point.y);
  }
  const HeaderFacts& facts = set.facts;
  if (facts.site == SiteShape::kRectangle) {
    extent.Include(facts.x_min, facts.y_min);
    extent.Include(facts.x_max, facts.y_max);
  } else if (facts.site == SiteShape::kCircle && centre) {
    double radius = facts.diameter / 2;
    extent.Include(centre->x - radius, centre->y - radius);
    extent.Include(centre->x + radius, centre->y + radius);
  }
  if (extent.empty) extent.Include(0, 0), extent.Include(1, 1);
  return extent;
}

// Widens [low, high] about its middle to at least span.
void Widen(double& low, double& high, double span) {
  if (high - low >= span) return;
  double middle = low / 2 + high / 2;
  low = middle - span / 2;
  high = middle + span / 2;
}

Frame FitFrame(Extent e) {
  double longer = std::max(e.x1 - e.x0, e.y1 - e.y0);
  double magnitude = std::max({std::fabs(e.x0), std::fabs(e.x1), std::fabs(e.y0), std::fabs(e.y1)});
  if (longer == 0) longer = magnitude / 10;
  // A span too small next to the coordinates would vanish in their rounding
  // (X about 1e9 with Y within 1e-8): the frame is at least this wide.
  longer = std::max(longer, magnitude * kLeastRelativeSpan);
  if (longer == 0) longer = 1;
  longer = std::max(longer, kLeastSpan);
  Widen(e.x0, e.x1, longer * kLeastSideShare);
  Widen(e.y0, e.y1, longer * kLeastSideShare);
  double margin = longer * kMarginShare;
  Frame frame{e.x0 - margin, e.y0 - margin, e.x1 + margin, e.y1 + margin, 0};
  double span = std::max(frame.x1 - frame.x0, frame.y1 - frame.y0);
  if (!std::isfinite(span)) throw std::domain_error("the points lie too far apart to draw");
  frame.scale = kPlotSide / static_cast<long double>(span);
  return frame;
}

// About one tick per kTickSpacing pixels, but at least two ticks on a side.
AxisTicks SideTicks(double low, double high, double pixels) {
  int target = std::max(2, static_cast<int>(pixels / kTickSpacing));
  AxisTicks ticks = ChooseTicks(low, high, target);
  for (int i = 0; i < kMostTickHalvings && ticks.values.size() < 2; ++i) {
    target *= 2;
    ticks = ChooseTicks(low, high, target);
  }
  return ticks;
}

std::string Line(double x1, double y1, double x2, double y2) {
  return "<line x1=\"" + Px(x1) + "\" y1=\"" + Px(y1) + "\" x2=\"" + Px(x2) + "\" y2=\"" + Px(y2) +
         "\"/>\n";
}

std::string Label(double x, double y, const char* anchor, const std::string& text) {
  return "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" text-anchor=\"" + anchor + "\">" +
         XmlText(text) + "</text>\n";
}

// Grid lines, the frame, and ticks with labels on the left and bottom sides.
std::string Axes(const Frame& frame) {
  double left = kLeft, right = kLeft + frame.width();
  double top = kTop, bottom = kTop + frame.height();
  AxisTicks x_ticks = SideTicks(frame.x0, frame.x1, frame.width());
  AxisTicks y_ticks = SideTicks(frame.y0, frame.y1, frame.height());
  std::string grid = "<g stroke=\"#e4e4e4\" stroke-width=\"1\">\n";
  std::string ticks = "<g stroke=\"#555555\" stroke-width=\"1\">\n";
  std::string labels = "<g font-family=\"sans-serif\" font-size=\"11\" fill=\"#333333\">\n";
  for (double x : x_ticks.values) {
    double px = frame.X(x);
    grid += Line(px, top, px, bottom);
    ticks += Line(px, bottom, px, bottom + kTickLength);
    labels += Label(px, bottom + kTickLength + 13, "middle", TickLabel(x, x_ticks.step));
  }
  for (double y : y_ticks.values) {
    double py = frame.Y(y);
    grid += Line(left, py, right, py);
    ticks += Line(left - kTickLength, py, left, py);
    labels += Label(left - kTickLength - 3, py + 4, "end", TickLabel(y, y_ticks.step));
  }
  std::string border = "<rect x=\"" + Px(left) + "\" y=\"" + Px(top) + "\" width=\"" +
                       Px(frame.width()) + "\" height=\"" + Px(frame.height()) +
                       "\" fill=\"none\" stroke=\"#555555\" stroke-width=\"1\"/>\n";
  return grid + "</g>\n" + border + ticks + "</g>\n" + labels + "</g>\n";
}

std::string SiteOutline(const CoordinateSet& set, const std::optional<Point>& centre,
                        const Frame& frame) {
  const char* style = "fill=\"none\" stroke=\"#1f6fb4\" stroke-width=\"1.5\"";
  const HeaderFacts& facts = set.facts;
  if (facts.site == SiteShape::kRectangle) {
    double left = frame.X(facts.x_min), top = frame.Y(facts.y_max);
    return "<rect x=\"" + Px(left) + "\" y=\"" + Px(top) + "\" width=\"" +
           Px(frame.X(facts.x_max) - left) + "\" height=\"" + Px(frame.Y(facts.y_min) - top) +
           "\" " + style + "/>\n";
  }
  if (facts.site == SiteShape::kCircle && centre) {
    double radius = static_cast<double>(facts.diameter / 2 * frame.scale);
    return "<circle cx=\"" + Px(frame.X(centre->x)) + "\" cy=\"" + Px(frame.Y(centre->y)) +
           "\" r=\"" + Px(radius) + "\" " + style + "/>\n";
  }
  return "";
}

// Small marks, smaller still when there are many.
double MarkRadius(std::size_t count) {
  if (count <= 300) return 2.5;
  if (count <= 3000) return 1.8;
  return 1.2;
}

std::string Marks(const CoordinateSet& set, const Frame& frame, double opacity) {
  std::string marks = "<g fill=\"#000000\" fill-opacity=\"" + ShortestText(opacity) + "\">\n";
  std::string radius = Px(MarkRadius(set.points.size()));
  for (const Point& point : set.points) {
    marks += "<circle cx=\"" + Px(frame.X(point.x)) + "\" cy=\"" + Px(frame.Y(point.y)) +
             "\" r=\"" + radius + "\"/>\n";
  }
  return marks + "</g>\n";
}

std::string PointText(const Point& point) {
  std::string text = "(";
  text += ShortestText(point.x);
  text += ", ";
  text += ShortestText(point.y);
  text += ')';
  return text;
}

std::string SiteCaption(const HeaderFacts& facts, const std::optional<Point>& centre) {
  if (facts.site == SiteShape::kRectangle) {
    return "Rectangular site " + PointText({facts.x_min, facts.y_min}) + " to " +
           PointText({facts.x_max, facts.y_max});
  }
  std::string line = "Circular site, diameter " + ShortestText(facts.diameter);
  return line + (centre ? ", centre " + PointText(*centre) : " (centre not recorded; not drawn)");
}

std::string ModelCaption(const HeaderFacts& facts) {
  std::vector<std::string> parts;
  if (facts.model != '\0') {
    parts.push_back("Model " + std::string(1, facts.model) + " (" +
                    std::string(ModelName(facts.model)) + ")");
  }
  if (facts.density) parts.push_back("density " + facts.density->text);
  if (facts.seed) parts.push_back("seed " + std::to_string(*facts.seed));
  std::string line;
  for (const std::string& part : parts) line += (line.empty() ? "" : ", ") + part;
  return line;
}

std::string ClusterCaption(const HeaderFacts& facts) {
  std::string line;
  if (facts.cluster_radius) {
    line = (facts.model == 'N' ? "Cluster S.D. " : "Cluster radius ") + facts.cluster_radius->text;
  }
  if (facts.cluster_seeds) {
    int32_t seeds = *facts.cluster_seeds;
    line += (line.empty() ? "" : ", ") + std::to_string(seeds) +
            (seeds == 1 ? " cluster seed" : " cluster seeds");
  }
  return line;
}

std::vector<std::string> CaptionLines(const CoordinateSet& set,
                                      const std::optional<Point>& centre) {
  std::size_t count = set.points.size();
  std::vector<std::string> lines = {set.name + ": " + std::to_string(count) +
                                    (count == 1 ? " point" : " points")};
  if (set.facts.site != SiteShape::kUnknown) lines.push_back(SiteCaption(set.facts, centre));
  for (const std::string& line : {ModelCaption(set.facts), ClusterCaption(set.facts)}) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace

std::optional<Point> CircleCentre(const CoordinateSet& set, const SvgOptions& options) {
  if (set.facts.site != SiteShape::kCircle) return std::nullopt;
  if (options.centre) return options.centre;
  double radius = set.facts.diameter / 2;
  Point centre{DefaultCentre(radius), DefaultCentre(radius)};
  double reach = radius + kCircleSlack + radius * 1e-12;
  for (const Point& point : set.points) {
    if (std::hypot(point.x - centre.x, point.y - centre.y) > reach) return std::nullopt;
  }
  return centre;
}

std::string SvgText(const CoordinateSet& set, const SvgOptions& options) {
  std::optional<Point> centre = CircleCentre(set, options);
  Frame frame = FitFrame(DrawnExtent(set, centre));
  std::vector<std::string> caption = CaptionLines(set, centre);
  double width = std::max(kLeft + frame.width() + kRight, kLeastWidth);
  double caption_top = kTop + frame.height() + kAxisBand;
  double height = caption_top + kCaptionLine * static_cast<double>(caption.size()) + 10;
  std::string svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
      Px(width) + "\" height=\"" + Px(height) + "\" viewBox=\"0 0 " + Px(width) + " " + Px(height) +
      "\">\n";
  svg += "<title>" + XmlText(caption.front()) + "</title>\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  svg += Axes(frame) + SiteOutline(set, centre, frame) + Marks(set, frame, options.opacity);
  svg += "<g font-family=\"sans-serif\" font-size=\"13\" fill=\"#000000\">\n";
  for (std::size_t i = 0; i < caption.size(); ++i) {
    svg += Label(kLeft, caption_top + kCaptionLine * static_cast<double>(i + 1) - 4, "start",
                 caption[i]);
  }
  return svg + "</g>\n</svg>\n";
}

}  // namespace sparsim
