#include "export/coordinate_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

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
    DataItem item = ReadIntegerDataItem(text_);
    source = item.source;
    if (item.fault != ItemFault::kNone) Fail(item, what);
    return static_cast<int32_t>(item.value);
  }

  // A '?' gives kMissingValue, for the caller to leave the point out.
  double Real(const std::string& what, ItemSource& source) {
    DataItem item = ReadDataItem(text_);
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

}  // namespace

CoordinateSet ReadCoordinates(const std::string& content, const std::string& name) {
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
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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
