#include "tavrel/logic/view/menu_state.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace tavrel {
namespace {

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

std::vector<std::optional<Command>> commandsOf(const std::vector<ContextEntry>& entries) {
    std::vector<std::optional<Command>> c;
    for (const ContextEntry& e : entries) c.push_back(e.command);
    return c;
}

TEST(MenuState, TerminalEntriesOnlyInPlayAndResignAtTheEndOrWithBranches) {
    core::RecordStore store;
    store.restoreStartPosition(store.position());
    Settings settings;
    ASSERT_EQ(store.addAndAdvance(core::kAddStoreAll, core::packMove(77, 76), 0),
              core::AddResult::Ok);
    ASSERT_EQ(store.addAndAdvance(core::kAddStoreAll, core::packMove(33, 34), 0),
              core::AddResult::Ok);
    store.backTo(1);
    for (ViewerMode mode : {ViewerMode::Viewing, ViewerMode::Editing, ViewerMode::Replaying,
                            ViewerMode::PrintPreview}) {
        PlayCommandStates s = playCommandStates(mode, store, settings);
        EXPECT_FALSE(s.resign || s.terminals || s.takeBack);
        EXPECT_EQ(s.editing, mode != ViewerMode::PrintPreview);
        EXPECT_EQ(s.editCommands, mode == ViewerMode::Editing);
        // A game can be started from any mode but the preview; names change there too.
        EXPECT_EQ(s.newGame && s.continuePlay && s.playerNames, mode != ViewerMode::PrintPreview);
    }
    PlayCommandStates s = playCommandStates(ViewerMode::PlayingPieceHeld, store, settings);
    EXPECT_TRUE(s.resign && s.terminals && s.takeBack && s.playerNames);
    EXPECT_FALSE(s.editing || s.continuePlay || s.newGame);
    settings.addVariationMode = core::AddMode::Overwrite;  // not at the end of the line
    EXPECT_FALSE(playCommandStates(ViewerMode::Playing, store, settings).resign);
    EXPECT_EQ(commandsOf(contextMenuEntries(ViewerMode::Playing, store, settings, false)),
              (std::vector<std::optional<Command>>{Command::Suspend, Command::EndInput,
                                                   Command::SuspendMail, Command::Mate}));
    ASSERT_EQ(store.stepForward(), core::EditResult::Ok);
    EXPECT_TRUE(playCommandStates(ViewerMode::Playing, store, settings).resign);
    EXPECT_EQ(commandsOf(contextMenuEntries(ViewerMode::Playing, store, settings, true)),
              (std::vector<std::optional<Command>>{
                  Command::Suspend, Command::Resign, Command::EndInput, Command::TakeBack,
                  Command::SuspendMail, Command::Mate, Command::Repetition}));
    EXPECT_EQ(editingEntryText(ViewerMode::EditingPieceHeld),
              std::string("局面編集の終了(&E)\tCtrl+E"));
    EXPECT_EQ(editingEntryText(ViewerMode::Viewing), std::string("局面編集の開始(&E)\tCtrl+E"));
    auto viewing = contextMenuEntries(ViewerMode::Viewing, store, settings, false);
    EXPECT_EQ(commandsOf(viewing),
              (std::vector<std::optional<Command>>{Command::PreviewPosition, Command::Editing,
                                                   Command::AddBookmark}));
    auto editing = contextMenuEntries(ViewerMode::Editing, store, settings, false);
    ASSERT_EQ(editing.size(), 7u);
    EXPECT_FALSE(editing[1].command);  // the separator
    EXPECT_EQ(editing[6].text, std::string("手番変更(&T)"));
}

TEST(MenuState, RecentEntriesNewestFirstWithTheirTexts) {
    RecentFileList list;
    std::vector<RecentMenuEntry> entries = recentMenuEntries(list);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, std::string("最近使ったファイル"));
    EXPECT_FALSE(entries[0].path);

    std::string japanese = "/棋譜/対局.kif";  // the file system's UTF-8, shown as CP932
    list.add("/r/a.kif");
    list.add(japanese);
    entries = recentMenuEntries(list);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "&1 " + std::string(japanese));
    EXPECT_EQ(entries[0].path, japanese);
    EXPECT_EQ(entries[1].text, "&2 /r/a.kif");
    EXPECT_EQ(entries[1].path, "/r/a.kif");
}

TEST(MenuState, ToolEntriesNamedOrNumbered) {
    Settings settings;
    settings.tools[0].menu.clear();
    settings.tools[1].menu = std::string("棋譜整形");
    settings.tools[kToolCount - 1].menu.clear();
    EXPECT_EQ(toolMenuText(settings, 0), std::string("ツールメニュー1"));
    EXPECT_EQ(toolMenuText(settings, 1), std::string("棋譜整形"));
    EXPECT_EQ(toolMenuText(settings, kToolCount - 1), std::string("ツールメニュー5"));
    EXPECT_EQ(toolMenuText(settings, kToolCount), "");
}

}  // namespace
}  // namespace tavrel
