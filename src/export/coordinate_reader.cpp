#include "export/coordinate_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "common/interrupt.h"
#include "export/export_failure.h"
#include "numeric/data_reader.h"

namespace sparsim {
namespace {

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
}

std::string Place(const std::string& name, const ItemSource& source) {
  return name + ":" + std::to_string(source.line) + ": ";
}

// Reads the items of a file, failing with the file, the line and the token
// on an item that is not a number.
class ItemReader {
 public:
  ItemReader(const std::string& content, const std::string& name)
      : name_(name), text_(content, name) {}

  int32_t Integer(const std::string& what, ItemSource& source) {
    DataItem item = ReadIntegerDataItem(text_, kWholeToken);
    source = item.source;
    if (item.fault != ItemFault::kNone) Fail(item, what);
    return static_cast<int32_t>(item.value);
  }

  // A '?' gives kMissingValue, for the caller to leave the point out.
  double Real(const std::string& what, ItemSource& source) {
    DataItem item = ReadDataItem(text_, kWholeToken);
    source = item.source;
    if (item.fault != ItemFault::kNone && item.fault != ItemFault::kMissing) Fail(item, what);
    return item.value;
  }

  bool AtDataEnd() { return SkipSeparatorsToDataEnd(text_); }
  std::size_t Line() { return text_.line_number(); }

 private:
  [[noreturn]] void Fail(const DataItem& item, const std::string& what) {
    throw ExportFailure(kExitBadFile, DescribeBadItem(name_, item, what));
  }

  std::string name_;
  TextInput text_;
};

bool IsMissing(const ItemSource& source) { return source.token.find('?') != std::string::npos; }

void ReadPoints(ItemReader& reader, CoordinateSet& set) {
  int32_t count = 0;
  while (count < set.announced && !reader.AtDataEnd()) {
    ThrowIfInterrupted();
    ++count;
    std::string number = std::to_string(count);
    ItemSource x_source;
    ItemSource y_source;
    double x = reader.Real("the X of point " + number, x_source);
    double y = reader.Real("the Y of point " + number, y_source);
    if (IsMissing(x_source) || IsMissing(y_source)) {
      const ItemSource& missing = IsMissing(x_source) ? x_source : y_source;
      set.notes.push_back(Place(set.name, missing) + "point " + number +
                          " has a missing coordinate (" + Quoted(missing.token) +
                          ") and is left out");
      continue;
    }
    set.points.push_back(Point{x, y});
  }
  if (count < set.announced) {
    set.notes.push_back(set.name + ": the file announces " + std::to_string(set.announced) +
                        " points and holds " + std::to_string(count));
  } else if (!reader.AtDataEnd()) {
    set.notes.push_back(set.name + ":" + std::to_string(reader.Line()) +
                        ": more numbers follow the " + std::to_string(set.announced) +
                        " announced points; they are not exported");
  }
}

std::string ReadWhole(int fd, const std::string& name) {
  std::string content;
  char chunk[65536];
  for (;;) {
    // A signal ends the wait for a pipe that stays open.
    WaitReadableOrInterrupted(fd);
    ssize_t count = ::read(fd, chunk, sizeof chunk);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) throw ExportFailure(kExitBadFile, name + ": " + std::strerror(errno));
    if (count == 0) return content;
    content.append(chunk, static_cast<std::size_t>(count));
  }
}

// Where a table's coordinates are.
struct TableLayout {
  std::size_t fields = 2;
  std::size_t x = 0;
  std::size_t y = 1;
  bool replicates = false;
};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    std::size_t comma = line.find(',');
    fields.push_back(Trimmed(line.substr(0, comma)));
    if (comma == std::string_view::npos) return fields;
    line.remove_prefix(comma + 1);
  }
}

std::optional<TableLayout> LayoutOf(std::string_view first_line) {
  std::string header(Trimmed(first_line));
  std::transform(header.begin(), header.end(), header.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  header.erase(std::remove(header.begin(), header.end(), ' '), header.end());
  if (header == "x,y") return TableLayout{};
  if (header == "replicate,seed,x,y") return TableLayout{4, 2, 3, true};
  return std::nullopt;
}

// The nearest double to a field, or nothing when it is no finite number.
std::optional<double> TableNumber(std::string_view field) {
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  double value = 0;
  auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (field.empty() || error != std::errc() || end != field.data() + field.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

CoordinateSet ReadTable(const std::string& content, const std::string& name,
                        const TableLayout& layout) {
  CoordinateSet set;
  set.name = name;
  std::string_view rest(content);
  rest.remove_prefix(std::min(rest.size(), rest.find('\n') + 1));
  std::optional<std::string> replicate;
  for (std::size_t line = 2; !rest.empty(); ++line) {
    ThrowIfInterrupted();
    std::size_t end = rest.find('\n');
    std::string_view text = Trimmed(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (text.empty()) continue;
    std::string place = name + ":" + std::to_string(line) + ": ";
    std::vector<std::string_view> fields = Fields(text);
    std::string number = std::to_string(set.points.size() + 1);
    if (fields.size() != layout.fields) {
      throw ExportFailure(kExitBadFile, place + std::to_string(fields.size()) + " fields, not " +
                                            std::to_string(layout.fields) + ", for point " +
                                            number);
    }
    if (layout.replicates) {
      if (!replicate) replicate = std::string(fields[0]);
      if (fields[0] != *replicate) {
        throw ExportFailure(kExitBadFile, place + "replicate " + std::string(fields[0]) +
                                              " follows replicate " + *replicate +
                                              "; one replicate can be read at a time");
      }
    }
    std::optional<double> x = TableNumber(fields[layout.x]);
    std::optional<double> y = TableNumber(fields[layout.y]);
    if (!x || !y) {
      throw ExportFailure(kExitBadFile, place + Quoted(x ? fields[layout.y] : fields[layout.x]) +
                                            " is not a number; it should be the " +
                                            (x ? "Y" : "X") + " of point " + number);
    }
    set.points.push_back(Point{*x, *y});
  }
  set.announced = static_cast<int32_t>(set.points.size());
  return set;
}

}  // namespace

bool IsPointTable(const std::string& content) {
  return LayoutOf(std::string_view(content).substr(0, content.find('\n'))).has_value();
}

CoordinateSet ReadCoordinates(const std::string& content, const std::string& name) {
  if (std::optional<TableLayout> layout =
          LayoutOf(std::string_view(content).substr(0, content.find('\n')))) {
    return ReadTable(content, name, *layout);
  }
  CoordinateSet set;
  set.name = name;
  set.facts = ReadHeaderFacts(content);
  ItemReader reader(content, name);
  ItemSource source;
  set.announced = reader.Integer("the point count", source);
  if (set.announced < 0) {
    throw ExportFailure(kExitBadFile, Place(name, source) + "the point count " +
                                          Quoted(source.token) + " is negative");
  }
  int32_t dimensions = reader.Integer("the number of coordinates", source);
  if (dimensions != 2) {
    throw ExportFailure(kExitBadFile, Place(name, source) + "the points have " +
                                          Quoted(source.token) +
                                          " coordinates; only 2 can be exported");
  }
  ReadPoints(reader, set);
  return set;
}

CoordinateSet ReadCoordinateFile(const std::string& path) {
  if (path == "-")
    return ReadCoordinates(ReadWhole(STDIN_FILENO, "(standard input)"), "(standard input)");
  int fd = OpenOrInterrupted(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw ExportFailure(kExitBadFile, path + ": " + std::strerror(errno));
  std::string content;
  try {
    content = ReadWhole(fd, path);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  return ReadCoordinates(content, path);
}

}  // namespace sparsim
