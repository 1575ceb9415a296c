// The start-up banner: four empty lines, a box of double lines centred in 79
// columns holding the heading, the title and the notice lines, and three
// empty lines.
//
// The box width is 2 + the longest of the heading, the title and the first
// notice line, at most 77; each box line begins with (77 - width) / 2 blanks.
// Example: with the 26-character title the longest, the width is 28, every
// box line begins with 24 blanks, and the title line reads
//   bar, blank, title, blank, bar.
// The box characters are the code page 437 bytes 201 187 200 188 205 186, or
// the UTF-8 double-line characters on a UTF-8 terminal.

#ifndef SPARSIM_SHELL_BANNER_H_
#define SPARSIM_SHELL_BANNER_H_

#include <string_view>

#include "dialogue/console.h"

namespace sparsim {

void ShowBanner(Console& console, std::string_view name, std::string_view version,
                std::string_view title);

// The top (top set) or bottom line of a box of inner width `width`.
void WriteBoxEdge(Console& console, int width, bool top);

// One inner line of the box holding text centred, the odd blank on the
// right; a text longer than the box is written whole.
void WriteBoxLine(Console& console, int width, std::string_view text);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_BANNER_H_
