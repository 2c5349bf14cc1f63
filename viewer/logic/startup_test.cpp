#include "viewer/logic/startup.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace viewer {
namespace {

TEST(Startup, MissingEnvironmentWarningNamesFolderAndUpperCaseExtension) {
    EXPECT_EQ(
        environmentMissingWarning("/opt/tavrel/", "work"),
        core::sjis("環境ファイル(/opt/tavrel/work.ENV)が存在しませんので、標準設定で起動します。"));
}

TEST(Startup, SecondInstanceIsOffsetAndStoresFirstPlaces) {
    Desktop desk{1920, 1080};
    WindowRect saved{5, 20, 630, 448};
    WindowRect second = mainWindowPlacement(saved, 2, desk, {});
    EXPECT_EQ(second, (WindowRect{45, 60, 630, 448}));
    EXPECT_EQ(storedPlacement(second, 2), saved);
    EXPECT_EQ(storedPlacement(WindowRect{10, 10, 100, 100}, 2), (WindowRect{0, 0, 100, 100}));
    EXPECT_EQ(recordWindowPlacement({10, 250, 115, 180}, 3, desk), (WindowRect{90, 330, 115, 180}));
}

TEST(Startup, PlacementRules) {
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

TEST(Startup, ProgramPathsMadeAbsolute) {
    EXPECT_EQ(absoluteProgramPath("Dalmir", "/opt/t/"), "/opt/t/Dalmir");
    EXPECT_EQ(absoluteProgramPath("/usr/bin/dalmir", "/opt/t/"), "/usr/bin/dalmir");
}

}  // namespace
}  // namespace viewer
