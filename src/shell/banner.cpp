#include "shell/banner.h"

#include <algorithm>
#include <array>
#include <string>

namespace sparsim {
namespace {

constexpr int kMaxBoxWidth = 77;

// The banner's notice lines; the first is measured for the box width.
constexpr std::array<std::string_view, 4> kNoticeLines = {
    "Spatial point patterns", "for simulation studies",
    "Same seed, same points:", "every run can be repeated"};

enum BoxPiece { kTopLeft, kTopRight, kBottomLeft, kBottomRight, kHorizontal, kVertical };

std::string_view BoxCharacter(const Console& console, BoxPiece piece) {
  static constexpr std::array<std::string_view, 6> kCodePage437 = {"\xC9", "\xBB", "\xC8",
                                                                   "\xBC", "\xCD", "\xBA"};
  static constexpr std::array<std::string_view, 6> kUtf8 = {"\u2554", "\u2557", "\u255A",
                                                            "\u255D", "\u2550", "\u2551"};
  return console.utf8_box ? kUtf8[piece] : kCodePage437[piece];
}

void WriteBlanks(Console& console, int count) {
  if (count > 0) console.out.Write(std::string(static_cast<std::size_t>(count), ' '));
}

}  // namespace

void WriteBoxEdge(Console& console, int width, bool top) {
  width = std::min(width, kMaxBoxWidth);
  WriteBlanks(console, (kMaxBoxWidth - width) / 2);
  console.out.Write(BoxCharacter(console, top ? kTopLeft : kBottomLeft));
  for (int i = 0; i < width; ++i) console.out.Write(BoxCharacter(console, kHorizontal));
  console.out.WriteLine(BoxCharacter(console, top ? kTopRight : kBottomRight));
}

void WriteBoxLine(Console& console, int width, std::string_view text) {
  width = std::min(width, kMaxBoxWidth);
  int length = static_cast<int>(text.size());
  int left = (width - length) / 2;  // truncates toward zero
  WriteBlanks(console, (kMaxBoxWidth - width) / 2);
  console.out.Write(BoxCharacter(console, kVertical));
  WriteBlanks(console, left);
  console.out.Write(text);
  WriteBlanks(console, width - length - left);
  console.out.WriteLine(BoxCharacter(console, kVertical));
}

void ShowBanner(Console& console, std::string_view name, std::string_view version,
                std::string_view title) {
  for (int i = 0; i < 4; ++i) console.out.WriteLine();
  std::string heading = std::string(name) + " V" + std::string(version);
  int width =
      2 + static_cast<int>(std::max({heading.size(), title.size(), kNoticeLines[0].size()}));
  WriteBoxEdge(console, width, true);
  for (std::string_view line :
       {std::string_view(heading), title, std::string_view(), kNoticeLines[0], kNoticeLines[1],
        std::string_view(), kNoticeLines[2], kNoticeLines[3]}) {
    WriteBoxLine(console, width, line);
  }
  WriteBoxEdge(console, width, false);
  for (int i = 0; i < 3; ++i) console.out.WriteLine();
}

}  // namespace sparsim
