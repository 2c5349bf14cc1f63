#include "tavrel/logic/view/window_placement.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(WindowPlacement, SecondInstanceIsOffsetAndStoresFirstPlaces) {
    Desktop desk{1920, 1080};
    WindowRect saved{5, 20, 630, 448};
    WindowRect second = mainWindowPlacement(saved, 2, desk, {});
    EXPECT_EQ(second, (WindowRect{45, 60, 630, 448}));
    EXPECT_EQ(storedPlacement(second, 2), saved);
    EXPECT_EQ(storedPlacement(WindowRect{10, 10, 100, 100}, 2), (WindowRect{0, 0, 100, 100}));
    EXPECT_EQ(recordWindowPlacement({10, 250, 115, 180}, 3, desk), (WindowRect{90, 330, 115, 180}));
}

TEST(WindowPlacement, PlacementRules) {
    Desktop desk{800, 600};
    EXPECT_EQ(mainWindowPlacement({0, 0, 0, 10}, 1, desk, {0, 0, 598, 400}),
              (WindowRect{5, 20, 598, 400}));
    EXPECT_EQ(mainWindowPlacement({900, 700, 300, 300}, 1, desk, {}),
              (WindowRect{5, 20, 300, 300}));
    EXPECT_EQ(recordWindowPlacement({900, 700, 115, 180}, 1, desk),
              (WindowRect{10, 250, 115, 180}));
    EXPECT_EQ(recordWindowPlacement({-500, -500, 115, 180}, 1, desk),
              (WindowRect{50 - 115, 50 - 180, 115, 180}));
}

TEST(WindowPlacement, SwitchesReplaceOnlyTheValuesGiven) {
    Settings s;
    applyPlaceSwitches(parseCommandLine("/X300 /KY77"), s);
    EXPECT_EQ(s.mainWindow, (WindowRect{300, 20, 630, 448}));
    EXPECT_EQ(s.recordWindow.x, 10);
    EXPECT_EQ(s.recordWindow.y, 77);
    applyPlaceSwitches(parseCommandLine("/Y5 /KX0"), s);
    EXPECT_EQ(s.mainWindow, (WindowRect{300, 5, 630, 448}));
    EXPECT_EQ(s.recordWindow.x, 0);
    EXPECT_EQ(s.recordWindow.y, 77);
}

TEST(WindowPlacement, InitialPlacesFollowTheSettings) {
    const BoardGeometry board({31, 32}, false);  // default client area 598 x 389
    Desktop desk{1920, 1080};
    Settings s;
    s.recordWindow.x = 700;
    s.recordWindow.y = 30;
    WindowPlaces second = initialWindowPlaces(s, 2, desk, board);
    EXPECT_EQ(second.main, (WindowRect{45, 60, 630, 448}));
    EXPECT_EQ(second.record, (WindowRect{740, 70, 115, 180}));

    // A main window without a stored place takes the board's size and resets the record window.
    s.mainWindow.height = 0;
    s.recordWindow.width = 20;
    s.recordWindow.height = 0;
    WindowPlaces fresh = initialWindowPlaces(s, 1, desk, board);
    EXPECT_EQ(fresh.main, (WindowRect{5, 20, 598, 389 + kMenuAndStatusHeight}));
    EXPECT_EQ(s.recordWindow.x, 10);
    EXPECT_EQ(s.recordWindow.y, 250);
    EXPECT_EQ(fresh.record, (WindowRect{30, 250, 60, 60}));  // kept on screen, at least 60 square
}

TEST(WindowPlacement, StoredPlacesAndVisibility) {
    Settings s;
    s.branchWindow.x = -20;
    s.commentWindow.y = 600;
    WindowState state{{85, 100, 640, 480}, {50, 30, 120, 200}, false, true};
    s.toolbar[0] = 0;
    storeWindowPlaces(s, 2, state);
    EXPECT_EQ(s.mainWindow, (WindowRect{45, 60, 640, 480}));
    EXPECT_EQ(s.recordWindow.x, 10);
    EXPECT_EQ(s.recordWindow.y, 0);
    EXPECT_EQ(s.recordWindow.width, 120);
    EXPECT_EQ(s.recordWindow.height, 200);
    EXPECT_EQ(s.recordWindow.shown, 0);
    EXPECT_EQ(s.toolbar[0], 1);
    EXPECT_EQ(s.branchWindow.x, 0);
    EXPECT_EQ(s.commentWindow.y, 600);

    // A collapsed main window keeps its stored place; without a toolbar its flag stays.
    state.main.height = 30;
    state.toolbarShown.reset();
    state.recordShown = true;
    s.toolbar[0] = 0;
    storeWindowPlaces(s, 1, state);
    EXPECT_EQ(s.mainWindow, (WindowRect{45, 60, 640, 480}));
    EXPECT_EQ(s.toolbar[0], 0);
    EXPECT_EQ(s.recordWindow.shown, 1);
}

TEST(DefaultMainWindowSize, RoomForTheBoardAndItsPanesWithinTheDesktop) {
    BoardGeometry board({31, 32}, false);
    const int w = board.designWidth();
    const int h = board.designHeight();
    // A large desktop: the board at 150% beside a 300-pixel pane.
    WindowRect big = defaultMainWindowSize(board, Desktop{2560, 1440}, 300);
    EXPECT_EQ(big.width, static_cast<int>(w * 1.5) + 300);
    EXPECT_EQ(big.height, static_cast<int>(h * 1.5) + kMenuAndStatusHeight);
    // A small one: the natural size where it fits, the desktop's width where not.
    WindowRect small = defaultMainWindowSize(board, Desktop{800, 600}, 300);
    EXPECT_EQ(small.width, 800);
    EXPECT_EQ(small.height, h + kMenuAndStatusHeight);
    WindowRect roomy = defaultMainWindowSize(board, Desktop{1000, 700}, 300);
    EXPECT_EQ(roomy.width, w + 300);
    // A desktop smaller than the board and its panes: the window still fits on it.
    WindowRect tiny = defaultMainWindowSize(board, Desktop{700, 500}, 400);
    EXPECT_EQ(tiny.width, 700);
    EXPECT_LE(tiny.height, 500);
    WindowRect mid = defaultMainWindowSize(board, Desktop{1400, 1000}, 300);
    EXPECT_LE(mid.width, 1400 * 85 / 100 + 1);
    EXPECT_GT(mid.width, w + 300);
    // Only a main window without a stored place takes it.
    Settings s;
    s.mainWindow.height = 0;
    EXPECT_EQ(initialWindowPlaces(s, 1, Desktop{2560, 1440}, board, 300).main.width, big.width);
    Settings fresh;  // the first run: the settings' own place is never kept
    EXPECT_EQ(initialWindowPlaces(fresh, 1, Desktop{2560, 1440}, board, 300).main.width, big.width);
    s.mainWindow = WindowRect{10, 20, 700, 500};
    EXPECT_EQ(initialWindowPlaces(s, 1, Desktop{2560, 1440}, board, 300).main.width, 700);
}

}  // namespace
}  // namespace tavrel
