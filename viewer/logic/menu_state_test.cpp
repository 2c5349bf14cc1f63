#include "viewer/logic/menu_state.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace viewer {
namespace {

using core::sjis;

TEST(MenuState, SaveAndRecentFilesRefusedWhilePlayingAndInPreview) {
    for (ViewerMode mode :
         {ViewerMode::Playing, ViewerMode::PlayingPieceHeld, ViewerMode::PrintPreview}) {
        CommandStates states = commandStates(mode);
        EXPECT_FALSE(states.save);
        EXPECT_FALSE(states.recentFiles);
    }
    for (ViewerMode mode : {ViewerMode::Editing, ViewerMode::EditingPieceHeld, ViewerMode::Viewing,
                            ViewerMode::Replaying}) {
        CommandStates states = commandStates(mode);
        EXPECT_TRUE(states.save);
        EXPECT_TRUE(states.recentFiles);
    }
}

TEST(MenuState, RecentEntriesNewestFirstWithTheirTexts) {
    RecentFileList list;
    std::vector<RecentMenuEntry> entries = recentMenuEntries(list);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, sjis("最近使ったファイル"));
    EXPECT_FALSE(entries[0].path);

    std::string japanese = "/棋譜/対局.kif";  // the file system's UTF-8, shown as CP932
    list.add("/r/a.kif");
    list.add(japanese);
    entries = recentMenuEntries(list);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "&1 " + sjis(japanese));
    EXPECT_EQ(entries[0].path, japanese);
    EXPECT_EQ(entries[1].text, "&2 /r/a.kif");
    EXPECT_EQ(entries[1].path, "/r/a.kif");
}

TEST(MenuState, ToolEntriesNamedOrNumbered) {
    Settings settings;
    settings.tools[0].menu.clear();
    settings.tools[1].menu = sjis("棋譜整形");
    settings.tools[kToolCount - 1].menu.clear();
    EXPECT_EQ(toolMenuText(settings, 0), sjis("ツールメニュー1"));
    EXPECT_EQ(toolMenuText(settings, 1), sjis("棋譜整形"));
    EXPECT_EQ(toolMenuText(settings, kToolCount - 1), sjis("ツールメニュー5"));
    EXPECT_EQ(toolMenuText(settings, kToolCount), "");
}

}  // namespace
}  // namespace viewer
