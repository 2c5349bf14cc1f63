// Where the main and record windows go: the places stored in the settings, moved by the instance
// offset and kept on the desktop; the command-line switches written over the stored places; and
// the places and visibility stored back at exit. The settings own the places; the windows only
// apply the rectangles and report their own.
#pragma once

#include <optional>

#include "tavrel/logic/document/command_line.h"
#include "tavrel/logic/view/board_geometry.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

inline constexpr int kInstanceOffset = 40;
// The main window's height above and below the board's client area (menu bar and status bar).
inline constexpr int kMenuAndStatusHeight = 60;
// The record window is never made smaller than this in either direction.
inline constexpr int kMinRecordWindowSide = 60;

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

// "/X", "/Y" (main window) and "/KX", "/KY" (record window): the left and top given replace the
// stored ones before any window is made.
void applyPlaceSwitches(const CommandLine& commandLine, Settings& settings);

struct WindowPlaces {
    WindowRect main;
    WindowRect record;
};
// The windows' rectangles at creation. A main window place that is not set takes the board's
// default client size and also puts the stored record window place back to (10, 250). With
// panes beside the board (sidePaneWidth > 0) that size is defaultMainWindowSize's.
WindowPlaces initialWindowPlaces(Settings& settings, int instance, const Desktop& desktop,
                                 const BoardGeometry& board, int sidePaneWidth = 0);
// The first size of a main window with panes of sidePaneWidth beside the board: the board at up
// to 150% of its natural size, as far as the window stays within 85% of the desktop, never below
// 100% unless the desktop is smaller still; the menu and status bars added; never larger than
// the desktop.
WindowRect defaultMainWindowSize(const BoardGeometry& board, const Desktop& desktop,
                                 int sidePaneWidth);

// What the windows show when the main window is destroyed.
struct WindowState {
    WindowRect main;
    WindowRect record;
    bool recordShown = false;
    std::optional<bool> toolbarShown;  // nullopt: the window has no toolbar
};
// Stores places and visibility: every place through storedPlacement; a main window lower than 50
// keeps the stored place.
void storeWindowPlaces(Settings& settings, int instance, const WindowState& state);

}  // namespace tavrel
