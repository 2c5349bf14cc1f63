#include "tavrel/logic/view/window_placement.h"

#include <algorithm>

namespace tavrel {

WindowRect mainWindowPlacement(const WindowRect& saved, int instance, const Desktop& desktop,
                               WindowRect defaultSize) {
    WindowRect r;
    if (saved.height >= 50) {
        r = saved;
        r.x += instanceOffset(instance);
        r.y += instanceOffset(instance);
    } else {
        r = WindowRect{5, 20, defaultSize.width, defaultSize.height};
    }
    if (r.x >= desktop.width) r.x = 5;
    if (r.y >= desktop.height) r.y = 20;
    return r;
}

WindowRect recordWindowPlacement(const WindowRect& saved, int instance, const Desktop& desktop) {
    WindowRect r = saved;
    r.x += instanceOffset(instance);
    r.y += instanceOffset(instance);
    if (instance == 1) {
        if (r.x >= desktop.width) r.x = 10;
        if (r.y >= desktop.height) r.y = 250;
    }
    r.x = std::max(r.x, 50 - r.width);
    r.y = std::max(r.y, 50 - r.height);
    return r;
}

WindowRect storedPlacement(const WindowRect& current, int instance) {
    WindowRect r = current;
    r.x = std::max(0, r.x - instanceOffset(instance));
    r.y = std::max(0, r.y - instanceOffset(instance));
    return r;
}

void applyPlaceSwitches(const CommandLine& commandLine, Settings& settings) {
    if (commandLine.windowX) settings.mainWindow.x = *commandLine.windowX;
    if (commandLine.windowY) settings.mainWindow.y = *commandLine.windowY;
    if (commandLine.recordWindowX) settings.recordWindow.x = *commandLine.recordWindowX;
    if (commandLine.recordWindowY) settings.recordWindow.y = *commandLine.recordWindowY;
}

WindowRect defaultMainWindowSize(const BoardGeometry& board, const Desktop& desktop,
                                 int sidePaneWidth) {
    const double w = board.designWidth();
    const double h = board.designHeight();
    double f = std::min({1.5, (desktop.width * 0.85 - sidePaneWidth) / w,
                         (desktop.height * 0.85 - kMenuAndStatusHeight) / h});
    f = std::max(f, 1.0);
    // Never larger than the desktop: the board shrinks to fit a small screen.
    return WindowRect{0, 0, std::min(static_cast<int>(w * f) + sidePaneWidth, desktop.width),
                      std::min(static_cast<int>(h * f) + kMenuAndStatusHeight, desktop.height)};
}

WindowPlaces initialWindowPlaces(Settings& settings, int instance, const Desktop& desktop,
                                 const BoardGeometry& board, int sidePaneWidth) {
    WindowRect defaultSize{0, 0, board.defaultClientWidth(),
                           board.defaultClientHeight() + kMenuAndStatusHeight};
    // The first run's place (never stored) is the old small window: it takes the new size; the
    // settings keep theirs until the window stores its own.
    bool firstRun = false;
    if (sidePaneWidth > 0) {
        defaultSize = defaultMainWindowSize(board, desktop, sidePaneWidth);
        firstRun = settings.mainWindow == Settings{}.mainWindow;
    }
    if (settings.mainWindow.height < 50) {
        settings.recordWindow.x = 10;
        settings.recordWindow.y = 250;
    }
    WindowPlaces places;
    places.main = mainWindowPlacement(settings.mainWindow, instance, desktop, defaultSize);
    if (firstRun) {
        places.main.width = defaultSize.width;
        places.main.height = defaultSize.height;
    }
    const RecordWindowSetting& rs = settings.recordWindow;
    places.record = recordWindowPlacement({rs.x, rs.y, rs.width, rs.height}, instance, desktop);
    places.record.width = std::max(places.record.width, kMinRecordWindowSide);
    places.record.height = std::max(places.record.height, kMinRecordWindowSide);
    return places;
}

void storeWindowPlaces(Settings& settings, int instance, const WindowState& state) {
    settings.recordWindow.shown = state.recordShown ? 1 : 0;
    if (state.toolbarShown) settings.toolbar[0] = *state.toolbarShown ? 1 : 0;
    if (state.main.height >= 50) settings.mainWindow = storedPlacement(state.main, instance);
    WindowRect record = storedPlacement(state.record, instance);
    settings.recordWindow.x = record.x;
    settings.recordWindow.y = record.y;
    settings.recordWindow.width = record.width;
    settings.recordWindow.height = record.height;
    // The panels keep their places apart from the instance; only negative values are corrected.
    auto keepPlace = [&](auto& panel) {
        WindowRect p = storedPlacement(
            WindowRect{panel.x + instanceOffset(instance), panel.y + instanceOffset(instance),
                       panel.width, panel.height},
            instance);
        panel.x = p.x;
        panel.y = p.y;
    };
    keepPlace(settings.branchWindow);
    keepPlace(settings.commentWindow);
}

}  // namespace tavrel
