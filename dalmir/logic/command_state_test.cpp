#include "dalmir/logic/command_state.h"

#include <gtest/gtest.h>

namespace dalmir {
namespace {

// Relative paths are relative to the database's file: an untitled or empty database has none
// to make.
TEST(CommandStateTest, RelativePathsNeedAFileAndRecords) {
    WindowState s;
    s.registered = 3;
    EXPECT_FALSE(isEnabled(Command::RelativePaths, s));
    s.titled = true;
    EXPECT_TRUE(isEnabled(Command::RelativePaths, s));
    s.registered = 0;
    EXPECT_FALSE(isEnabled(Command::RelativePaths, s));
    s.registered = 3;
    s.busy = true;
    EXPECT_FALSE(isEnabled(Command::RelativePaths, s));
}

TEST(CommandStateTest, Enabling) {
    WindowState idle{false, 2, 5, 8, false, false};
    EXPECT_TRUE(isEnabled(Command::Replay, idle));
    EXPECT_FALSE(isEnabled(Command::Editor, idle));
    EXPECT_FALSE(isEnabled(Command::EditMarks, idle));
    EXPECT_TRUE(isEnabled(Command::KeepListed, idle));
    EXPECT_FALSE(isEnabled(Command::AdoptListOrder, idle));
    EXPECT_FALSE(isEnabled(Command::Paste, idle));

    WindowState all{false, 1, 8, 8, true, true};
    EXPECT_TRUE(isEnabled(Command::Editor, all));
    EXPECT_TRUE(isEnabled(Command::EditMarks, all));
    EXPECT_FALSE(isEnabled(Command::KeepListed, all));
    EXPECT_TRUE(isEnabled(Command::AdoptListOrder, all));
    EXPECT_TRUE(isEnabled(Command::Paste, all));

    WindowState none{false, 0, 0, 0, true, false};
    EXPECT_FALSE(isEnabled(Command::Replay, none));
    EXPECT_FALSE(isEnabled(Command::AdoptListOrder, none));
    EXPECT_FALSE(isEnabled(Command::PositionSearch, none));
    EXPECT_TRUE(isEnabled(Command::Open, none));
    EXPECT_TRUE(isEnabled(Command::Card, none));

    // While a long operation runs nothing else starts.
    all.busy = true;
    all.canUndo = true;
    for (int c = 0; c <= static_cast<int>(Command::Analyse); ++c) {
        EXPECT_FALSE(isEnabled(static_cast<Command>(c), all)) << c;
    }
}

TEST(CommandStateTest, CompareAndUndo) {
    WindowState s{false, 2, 5, 8, false, false, true, false};
    EXPECT_TRUE(isEnabled(Command::CompareTwo, s));
    EXPECT_FALSE(isEnabled(Command::Undo, s));
    s.canUndo = true;
    EXPECT_TRUE(isEnabled(Command::Undo, s));
    s.selected = 1;
    EXPECT_FALSE(isEnabled(Command::CompareTwo, s));
    s.selected = 2;
    s.binary = false;  // a text database keeps no moves to compare
    EXPECT_FALSE(isEnabled(Command::CompareTwo, s));
}

// The evaluations lie beside the database's file: an untitled one has nowhere to keep them;
// while an analysis runs, nothing that changes the database starts.
TEST(CommandStateTest, AnalyseNeedsAFileAndRecords) {
    WindowState s;
    s.listed = 3;
    s.registered = 3;
    EXPECT_FALSE(isEnabled(Command::Analyse, s));
    s.titled = true;
    EXPECT_TRUE(isEnabled(Command::Analyse, s));
    s.listed = 0;
    EXPECT_FALSE(isEnabled(Command::Analyse, s));
    s.listed = 3;
    s.selected = 1;
    s.background = BackgroundWork::Analysing;
    EXPECT_FALSE(isEnabled(Command::Analyse, s));
    EXPECT_FALSE(isEnabled(Command::Delete, s));
    EXPECT_TRUE(isEnabled(Command::Replay, s));
}

// While a worker opens another database the list stays usable for reading: the commands that
// only read the selection stay, every one that would change the database (or start another
// worker) waits, and the status bar says why. While it saves, the records' paths are being
// renamed with the database: only the selection stays.
TEST(CommandStateTest, BackgroundWorkLeavesOnlyReading) {
    WindowState s{false, 2, 5, 8, true, true, true, true, true};
    s.background = BackgroundWork::Opening;
    for (const Command c : {Command::Copy, Command::Replay, Command::Editor, Command::CompareTwo,
                            Command::SelectAll, Command::ListInfo}) {
        EXPECT_TRUE(isEnabled(c, s)) << static_cast<int>(c);
    }
    for (const Command c :
         {Command::New, Command::Open, Command::Save, Command::SaveAs, Command::Cut, Command::Paste,
          Command::Delete, Command::AddFolder, Command::DeleteFolder, Command::HeaderSearch,
          Command::ToggleMark, Command::AdoptListOrder, Command::Undo, Command::Settings,
          Command::RelativePaths, Command::KeepListed}) {
        EXPECT_FALSE(isEnabled(c, s)) << static_cast<int>(c);
    }
    s.selected = 0;  // what needs a selection still does
    EXPECT_FALSE(isEnabled(Command::Copy, s));
    s.selected = 2;
    s.background = BackgroundWork::Saving;
    EXPECT_TRUE(isEnabled(Command::SelectAll, s));
    EXPECT_FALSE(isEnabled(Command::Save, s));
    EXPECT_FALSE(isEnabled(Command::Copy, s));
    EXPECT_FALSE(isEnabled(Command::Replay, s));

    EXPECT_EQ(backgroundStatusText(BackgroundWork::Saving, "/d/a.dlb"),
              "データベース(/d/a.dlb)を保存しています。保存が終わるまで、データベースを変更する"
              "コマンドは使えません。");
    EXPECT_EQ(backgroundStatusText(BackgroundWork::Opening, "/d/b.dls"),
              "データベース(/d/b.dls)を開いています。開き終わるまで、データベースを変更する"
              "コマンドは使えません。");
    EXPECT_EQ(backgroundStatusText(BackgroundWork::None, "/d/b.dls"), "");
}

TEST(CommandStateTest, OpenRequestTakesTheFirstDatabase) {
    const OpenRequest r = openRequest({"a.kif", "/d/x.DLS", "/d/y.kix", "", "b.txt"});
    EXPECT_EQ(r.database, "/d/x.DLS");
    EXPECT_EQ(r.messages, (std::vector<std::string>{"ファイル(a.kif)は、読めません。",
                                                    "ファイル(b.txt)は、読めません。"}));
    EXPECT_EQ(openRequest({"x.dlb"}).database, "x.dlb");
    EXPECT_FALSE(openRequest({"x.dlb"}).print);

    // The desktop's print action.
    const OpenRequest print = openRequest({"/p", "/d/x.dls"});
    EXPECT_TRUE(print.print);
    EXPECT_EQ(print.database, "/d/x.dls");
    EXPECT_TRUE(print.messages.empty());
    EXPECT_TRUE(openRequest({"/d/x.DLB", "/P"}).print);
}

// Dropped database files are opened and the records beside them ignored; records alone are
// registered.
TEST(CommandStateTest, DroppedFiles) {
    DroppedFiles d = sortDroppedFiles({"/r/a.kif", "/d/x.DLB", "/r/b.KI2", "/d/y.dls"});
    EXPECT_EQ(d.databases, (std::vector<std::string>{"/d/x.DLB", "/d/y.dls"}));
    EXPECT_TRUE(d.records.empty());
    d = sortDroppedFiles({"/r/a.kif", "/r/b.txt"});
    EXPECT_TRUE(d.databases.empty());
    EXPECT_EQ(d.records, (std::vector<std::string>{"/r/a.kif", "/r/b.txt"}));
}

}  // namespace
}  // namespace dalmir
