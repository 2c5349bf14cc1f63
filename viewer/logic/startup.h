// Start-up and shut-down rules of the viewer that need no windows: the missing-environment
// warning, the placement of the main and record windows for an instance number, the positions
// stored back at exit, and the program paths made absolute.
#pragma once

#include <string>
#include <string_view>

#include "viewer/logic/board_geometry.h"
#include "viewer/settings/settings.h"

namespace viewer {

inline constexpr int kMaxInstances = 32;
inline constexpr int kInstanceOffset = 40;

// "環境ファイル(<folder><name>.ENV)が存在しませんので、標準設定で起動します。" (CP932).
std::string environmentMissingWarning(std::string_view folder, std::string_view name);

// The pixels a window of this instance is moved right and down: 40 x (instance - 1).
constexpr int instanceOffset(int instance) { return kInstanceOffset * (instance - 1); }

struct Desktop {
    int width = 1920;
    int height = 1080;
};

// The main window's rectangle at creation. A saved height below 50 means "not set": the size
// then comes from the board layout (defaultSize), the place is (5, 20).
WindowRect mainWindowPlacement(const WindowRect& saved, int instance, const Desktop& desktop,
                               WindowRect defaultSize);
// The record window's rectangle: saved place plus the instance offset; for the first instance a
// left edge beyond the desktop becomes 10, a top edge beyond it 250; at least 50 pixels stay on
// screen.
WindowRect recordWindowPlacement(const WindowRect& saved, int instance, const Desktop& desktop);
// The place stored at exit: moved back by the instance offset, negative values become 0.
WindowRect storedPlacement(const WindowRect& current, int instance);

// A program path setting made absolute: relative values get the program folder in front.
std::string absoluteProgramPath(std::string_view value, std::string_view programFolder);

}  // namespace viewer
