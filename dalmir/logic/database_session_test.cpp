#include "dalmir/logic/database_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "dalmir/logic/dalmir_test_fixture.h"
#include "dalmir/model/tree/tree_index.h"

namespace dalmir {
namespace {

using Events = std::vector<std::string>;

class DatabaseSessionTest : public testsupport::DalmirFixture {
protected:
    // A text database of n records saved at name; returns its path.
    std::string savedDatabase(const std::string& name, int n) {
        model::Database other(100);
        for (int i = 0; i < n; ++i) {
            model::IndexEntry e;
            e.setText(model::IndexText::Path, "r" + std::to_string(i) + ".KIF");
            EXPECT_GE(other.append(std::move(e)), 0);
        }
        const std::string path = folder.file(name);
        EXPECT_EQ(model::saveDatabase(other, path), core::WriteResult::Ok);
        return path;
    }

    DatabaseSession session{db, lock, undo, settings, &recent, ui};
};

TEST(DatabaseSessionMessagesTest, LockAndOpenResults) {
    EXPECT_EQ(lockFailureMessage(model::LockResult::Ok, "/d/a.dls"), std::nullopt);
    EXPECT_EQ(lockFailureMessage(model::LockResult::Busy, "/d/a.dls"),
              "データベース(/d/a.dls)は、ほかのプログラムが保存中です。");
    EXPECT_EQ(lockFailureMessage(model::LockResult::CannotCreate, "/d/a.dls"),
              "データベース(/d/a.dls)をロックできませんでした。");
    EXPECT_FALSE(isFatalOpenResult(model::OpenResult::Ok));
    EXPECT_FALSE(isFatalOpenResult(model::OpenResult::ReadFailed));  // opens with what was read
    EXPECT_TRUE(isFatalOpenResult(model::OpenResult::CannotOpen));
    EXPECT_TRUE(isFatalOpenResult(model::OpenResult::NotDatabase));
}

// Opening takes the lock, replaces the list and goes to the front of the recent list; opening
// the same file again keeps the window's own lock.
TEST_F(DatabaseSessionTest, OpensUnderTheLock) {
    const std::string path = savedDatabase("a.dls", 3);
    undo.keep(db);
    ASSERT_TRUE(session.open(path));
    EXPECT_EQ(db.table().size(), 3);
    EXPECT_TRUE(lock.isHeld());
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(recent.entries(), Events{path});
    EXPECT_EQ(ui.events, (Events{"status: ", "recent", "list"}));
    EXPECT_TRUE(session.open(path));
    EXPECT_TRUE(ui.messages.empty());
}

// A file that is no database, a database another program holds and a damaged one are
// refused, each with its message; the database held stays.
TEST_F(DatabaseSessionTest, RefusedOpensKeepTheDatabase) {
    ASSERT_GE(addRecord("kept.KIF"), 0);
    EXPECT_FALSE(session.open(folder.file("a.txt")));
    EXPECT_EQ(ui.messages.back(), "ファイル(" + folder.file("a.txt") + ")は、読めません。");

    const std::string held = savedDatabase("held.dls", 1);
    model::DatabaseLock other;
    ASSERT_EQ(model::lockDatabase(held, other, false), model::LockResult::Ok);
    EXPECT_FALSE(session.open(held));
    EXPECT_EQ(ui.messages.back(), "データベース(" + held + ")は、ほかのプログラムが保存中です。");

    const std::string missing = folder.file("missing.dls");
    EXPECT_FALSE(session.open(missing));
    EXPECT_EQ(ui.messages.back(), "棋譜情報読込みエラー(" + missing + ")");
    EXPECT_EQ(db.table().size(), 1);
    EXPECT_FALSE(lock.isHeld());
    EXPECT_EQ(eventsStartingWith("message: ").size(), ui.events.size());
}

// 上書き保存 of an untitled database is 名前を付けて保存: the dialog filters by the kind, a
// cancel saves nothing, a name saves there.
TEST_F(DatabaseSessionTest, SaveOfAnUntitledDatabaseAsksForAName) {
    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    EXPECT_FALSE(session.saveCommand());
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].title, "名前を付けて保存");
    EXPECT_EQ(ui.dialogs[0].filter, "棋譜情報 (*.dls *.DLS)");
    EXPECT_TRUE(db.isModified());

    const std::string path = folder.file("new.dls");
    ui.choices.push_back(path);
    ASSERT_TRUE(session.saveCommand());
    EXPECT_FALSE(db.isModified());
    EXPECT_TRUE(lock.isHeld());
    EXPECT_EQ(recent.entries(), Events{path});
    EXPECT_EQ(ui.status, "棋譜情報ファイル(" + path + ")を保存しました。");
    EXPECT_EQ(ui.events.back(), "state");

    // Now titled: saved in place without a dialog.
    db.setModified();
    ASSERT_TRUE(session.saveCommand());
    EXPECT_EQ(ui.dialogs.size(), 2u);
    EXPECT_FALSE(db.isModified());

    db.reset(true);
    EXPECT_FALSE(session.saveAs());
    EXPECT_EQ(ui.dialogs.back().filter, "バイナリ棋譜 (*.dlb *.DLB)");
}

// Saving a binary database whose tree index lies beside the target asks for the index to be
// built again; without one, or for a text database, nothing more happens.
TEST_F(DatabaseSessionTest, SavingBesideATreeIndexRebuildsIt) {
    db.reset(true);
    ASSERT_GE(addRecord("a.KIF"), 0);
    const std::string path = folder.file("games.dlb");
    ASSERT_TRUE(session.save(path));
    EXPECT_EQ(ui.events.back(), "state");

    std::ofstream(model::treeIndexPath(path), std::ios::binary) << "old";
    ASSERT_GE(addRecord("b.KIF"), 0);
    ASSERT_TRUE(session.save(path));
    EXPECT_EQ(ui.events.back(), "tree index: " + path);

    // A text database saved beside an index file of that name: no tree index is its.
    db.reset(false);
    ASSERT_GE(addRecord("c.KIF"), 0);
    const std::string text = folder.file("games.dls");
    ASSERT_TRUE(session.save(text));
    EXPECT_EQ(ui.events.back(), "state");
}

// A save that can't take the lock or can't write keeps the changes and says why; only a failed
// write beeps.
TEST_F(DatabaseSessionTest, FailedSavesSayWhy) {
    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    const std::string nowhere = folder.file("no/such/folder/x.dls");
    EXPECT_FALSE(session.save(nowhere));
    EXPECT_EQ(ui.messages.back(), "データベース(" + nowhere + ")をロックできませんでした。");
    EXPECT_EQ(ui.beeps, 0);

    const std::string taken = folder.file("taken.dls");
    std::filesystem::create_directories(taken);  // a folder where the file should go
    EXPECT_FALSE(session.save(taken));
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(ui.messages.back(), "ファイル保存エラー(" + taken + ")");
    EXPECT_TRUE(db.isModified());
    EXPECT_TRUE(recent.entries().empty());
    EXPECT_FALSE(lock.isHeld());
}

// The question about unsaved changes: Cancel stops, No drops the changes, Yes saves (as, when
// untitled; a cancelled Save As stops too).
TEST_F(DatabaseSessionTest, UnsavedChangesAreAskedAbout) {
    EXPECT_TRUE(session.confirmDiscard());
    EXPECT_TRUE(ui.questions.empty());

    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    ui.answers = {Answer::Cancel, Answer::No, Answer::Yes, Answer::Yes};
    EXPECT_FALSE(session.confirmDiscard());
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, "無題 への変更を保存しますか？");
    EXPECT_TRUE(ui.questions[0].withCancel);
    EXPECT_EQ(ui.questions[0].unattended, Answer::No);
    EXPECT_TRUE(session.confirmDiscard());
    EXPECT_TRUE(db.isModified());

    EXPECT_FALSE(session.confirmDiscard());  // Yes, then the Save As dialog cancelled
    EXPECT_EQ(ui.dialogs.size(), 1u);
    ui.choices.push_back(folder.file("b.dls"));
    EXPECT_TRUE(session.confirmDiscard());
    EXPECT_FALSE(db.isModified());
}

// 開く asks about changes first; a No opens the file chosen, a cancelled dialog keeps all.
TEST_F(DatabaseSessionTest, OpenCommandAsksThenChooses) {
    const std::string path = savedDatabase("c.dls", 2);
    EXPECT_FALSE(session.openChosen());
    EXPECT_EQ(ui.events, Events{"open dialog: 開く"});
    EXPECT_EQ(ui.dialogs[0].filter, "データベース (*.dls *.DLS *.dlb *.DLB *.kix *.KIX)");

    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    ui.answers = {Answer::Cancel};
    EXPECT_FALSE(session.openChosen());
    EXPECT_EQ(ui.dialogs.size(), 1u);
    ui.choices.push_back(path);
    ASSERT_TRUE(session.openChosen());
    EXPECT_EQ(db.table().size(), 2);
}

// The recent list's databases open after the question about changes; F4 takes the first.
TEST_F(DatabaseSessionTest, RecentDatabasesOpenAfterAsking) {
    EXPECT_FALSE(session.openMostRecent());
    const std::string older = savedDatabase("older.dls", 1);
    const std::string newer = savedDatabase("newer.dls", 2);
    recent.add(older);
    recent.add(newer);
    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    ui.answers = {Answer::Cancel};
    EXPECT_FALSE(session.openMostRecent());
    EXPECT_EQ(db.table().size(), 1);
    EXPECT_TRUE(session.openMostRecent());  // No: the changes are dropped
    EXPECT_EQ(db.table().size(), 2);
    EXPECT_TRUE(session.openAfterAsking(older));
    EXPECT_EQ(db.table().size(), 1);
    EXPECT_EQ(ui.questions.size(), 2u);  // the opened databases were unchanged
}

TEST_F(DatabaseSessionTest, ResetDropsTheFileAndItsLock) {
    ASSERT_TRUE(session.open(savedDatabase("d.dls", 1)));
    undo.keep(db);
    session.reset(true);
    EXPECT_TRUE(db.isBinary());
    EXPECT_EQ(db.table().size(), 0);
    EXPECT_FALSE(lock.isHeld());
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(ui.events.back(), "list");
}

}  // namespace
}  // namespace dalmir
