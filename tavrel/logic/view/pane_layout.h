// The panes around the board: which one the keyboard focus goes to with F6 / Shift+F6, whether
// any two of them overlap, and how wide the record list must be for its longest line. The window
// owns the panes; this only decides.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tavrel/logic/view/board_geometry.h"

namespace tavrel {

// The pane after (or before) `current` among `shown` (one flag per pane in the window's order),
// going round; `current` may be a pane that is hidden now or none (-1). nullopt when no pane is
// shown.
std::optional<int> nextPane(const std::vector<bool>& shown, int current, bool backwards);

// The first pair of rectangles that share any pixel, in the order given; nullopt when none do.
// Empty rectangles (hidden panes) never overlap.
std::optional<std::pair<int, int>> firstOverlap(const std::vector<Rect>& rects);

// The longest of a list's lines in Shift-JIS bytes (UTF-8 lines measured by cp932Width), which is
// also the widest in a font where a two-byte character is two columns wide; -1 for no lines.
int widestLine(const std::vector<std::string>& lines);

}  // namespace tavrel
