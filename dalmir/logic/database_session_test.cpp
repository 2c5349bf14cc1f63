#include "dalmir/logic/database_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/base/safe_file.h"
#include "dalmir/logic/dalmir_test_fixture.h"
#include "dalmir/model/store/binary_store.h"
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

    // What a command's continuation reported: nullopt while it has not been called.
    using Outcome = std::optional<bool>;
    static DatabaseSession::Then noting(Outcome& out) {
        out.reset();
        return [&out](bool ok) {
            EXPECT_FALSE(out.has_value()) << "reported twice";
            out = ok;
        };
    }
    Outcome opened(const std::string& path) {
        session.open(path, noting(m_outcome));
        return m_outcome;
    }
    Outcome saved(const std::string& path = {}) {
        session.save(path, noting(m_outcome));
        return m_outcome;
    }
    Outcome savedAs() {
        session.saveAs(noting(m_outcome));
        return m_outcome;
    }
    Outcome savedByCommand() {
        session.saveCommand(noting(m_outcome));
        return m_outcome;
    }
    Outcome openedChosen() {
        session.openChosen(noting(m_outcome));
        return m_outcome;
    }
    Outcome openedAfterAsking(const std::string& path) {
        session.openAfterAsking(path, noting(m_outcome));
        return m_outcome;
    }
    Outcome openedMostRecent() {
        session.openMostRecent(noting(m_outcome));
        return m_outcome;
    }
    Outcome confirmed() {
        session.confirmDiscard(noting(m_outcome));
        return m_outcome;
    }

    DatabaseSession session{db, lock, undo, settings, &recent, ui};
    Outcome m_outcome;
};

TEST(DatabaseSessionMessagesTest, LockAndOpenResults) {
    EXPECT_EQ(lockFailureMessage(model::LockResult::Ok, "/d/a.dls"), std::nullopt);
    EXPECT_EQ(lockFailureMessage(model::LockResult::Busy, "/d/a.dls"),
              "データベース(/d/a.dls)は、ほかのプログラムが保存中です。");
    EXPECT_EQ(lockFailureMessage(model::LockResult::CannotCreate, "/d/a.dls"),
              "データベース(/d/a.dls)をロックできませんでした。");
    EXPECT_FALSE(isFatalOpenResult(model::OpenResult::Ok));
    EXPECT_TRUE(isFatalOpenResult(model::OpenResult::ReadFailed));  // no search from a part
    EXPECT_TRUE(isFatalOpenResult(model::OpenResult::CannotOpen));
    EXPECT_TRUE(isFatalOpenResult(model::OpenResult::NotDatabase));
}

// Opening only reads: no lock is taken (nor left behind as a file); the list is replaced and the
// file goes to the front of the recent list.
TEST_F(DatabaseSessionTest, OpensWithoutTheLock) {
    const std::string path = savedDatabase("a.dls", 3);
    undo.keep(db);
    ASSERT_EQ(opened(path), true);
    EXPECT_EQ(db.table().size(), 3);
    EXPECT_FALSE(lock.isHeld());
    EXPECT_FALSE(std::filesystem::exists(model::lockPathOf(path)));
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(recent.entries(), Events{path});
    EXPECT_EQ(ui.events, (Events{"opening: " + path, "status: ", "recent", "list"}));
    EXPECT_EQ(opened(path), true);
    EXPECT_TRUE(ui.messages.empty());
}

// A database saved with 自動更新 on is brought up to date as it opens; one without is not.
TEST_F(DatabaseSessionTest, AutoUpdateActsWhenADatabaseOpens) {
    model::Database auto_(100);
    auto_.table().settings().autoUpdate = true;
    model::IndexEntry e;
    e.setText(model::IndexText::Path, "r.KIF");
    ASSERT_GE(auto_.append(std::move(e)), 0);
    const std::string path = folder.file("auto.dls");
    ASSERT_EQ(model::saveDatabase(auto_, path), core::WriteResult::Ok);
    ASSERT_EQ(opened(path), true);
    ASSERT_FALSE(ui.events.empty());
    EXPECT_EQ(ui.events.back(), "autoUpdate");
    ui.events.clear();
    const std::string plain = savedDatabase("plain.dls", 1);
    ASSERT_EQ(opened(plain), true);
    EXPECT_EQ(ui.events, (Events{"opening: " + plain, "status: ", "recent", "list"}));
}

// A file that is no database and a missing one are refused, each with its message; the
// database held stays.
TEST_F(DatabaseSessionTest, RefusedOpensKeepTheDatabase) {
    ASSERT_GE(addRecord("kept.KIF"), 0);
    EXPECT_EQ(opened(folder.file("a.txt")), false);
    EXPECT_EQ(ui.messages.back(), "ファイル(" + folder.file("a.txt") + ")は、読めません。");

    const std::string missing = folder.file("missing.dls");
    EXPECT_EQ(opened(missing), false);
    EXPECT_EQ(ui.messages.back(), "棋譜情報読込みエラー(" + missing + ")");
    EXPECT_EQ(db.table().size(), 1);
    EXPECT_FALSE(lock.isHeld());
    EXPECT_EQ(eventsStartingWith("message: ").size() + eventsStartingWith("opening: ").size(),
              ui.events.size());
}

// A DLS with a bad line opens with the records before it and says where the reading stopped, as
// dalmir-cli does; a binary pair whose DLB was cut short is refused with "データ異常" and the
// reading error, and the database held stays.
TEST_F(DatabaseSessionTest, DamagedFilesSayWhatWasRead) {
    const std::string text = savedDatabase("part.dls", 3);
    std::string bytes = *core::readFile(text);
    const std::size_t third = bytes.find("\r\n000003,");
    ASSERT_NE(third, std::string::npos);
    bytes.insert(third + 2, "broken\r\n");
    ASSERT_EQ(core::writeFileAtomically(text, bytes), core::WriteResult::Ok);
    ASSERT_EQ(opened(text), true);
    EXPECT_EQ(db.table().size(), 2);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages.back().find("行目以降は読み込めませんでした。"), std::string::npos)
        << ui.messages.back();

    model::Database pair;
    pair.reset(true);
    for (int i = 0; i < 2; ++i) {
        model::IndexEntry e;
        e.setText(model::IndexText::Path, "b" + std::to_string(i) + ".KIF");
        e.moveCount = 2;
        ASSERT_GE(pair.append(std::move(e), {{77, 76}, {33, 34}}), 0);
    }
    const std::string dlb = folder.file("cut.dlb");
    ASSERT_EQ(model::saveDatabase(pair, dlb), core::WriteResult::Ok);
    std::filesystem::resize_file(model::existingPairPath(dlb, "DLB"), 20);
    EXPECT_EQ(opened(dlb), false);
    EXPECT_NE(ui.messages.back().find("データ異常"), std::string::npos) << ui.messages.back();
    EXPECT_NE(ui.messages.back().find("棋譜情報読込みエラー(" + dlb + ")"), std::string::npos)
        << ui.messages.back();
    EXPECT_EQ(db.table().size(), 2);  // the DLS stays open
}

// Bytes that are no index file, whatever their extension says, are refused with the reason;
// the database shown before stays, and nothing could later be saved over the foreign file.
TEST_F(DatabaseSessionTest, AFileThatIsNoDatabaseSaysSoAndKeepsTheDatabase) {
    const std::string kept = savedDatabase("kept.dls", 2);
    ASSERT_EQ(opened(kept), true);
    std::string noise;
    std::uint32_t x = 2024;
    for (int i = 0; i < 500; ++i) {
        x = x * 1103515245u + 12345u;
        noise += static_cast<char>((x >> 16) & 0xFF);
    }
    for (const char* name : {"bad.dls", "bad.dlb"}) {
        const std::string bad = folder.writeBytes(name, noise);
        ui.messages.clear();
        EXPECT_EQ(opened(bad), false) << name;
        ASSERT_FALSE(ui.messages.empty()) << name;
        EXPECT_EQ(db.table().size(), 2) << name;
        EXPECT_EQ(recent.entries().front(), kept) << name;
    }
    EXPECT_EQ(ui.messages.back().rfind("棋譜情報読込みエラー(" + folder.file("bad.dlb") + ")", 0),
              0u);
    ui.messages.clear();
    EXPECT_EQ(opened(folder.file("bad.dls")), false);
    EXPECT_EQ(ui.messages, (Events{"棋譜情報ファイル(" + folder.file("bad.dls") +
                                   ")から何も読み込めませんでした。\n設定の行も棋譜情報の行もなく、"
                                   "棋譜情報ファイルではありません。"}));
    // An empty file and a file of comments only are no damage: an empty database.
    EXPECT_EQ(opened(folder.writeBytes("empty.dls", "")), true);
    EXPECT_EQ(opened(folder.writeBytes("comment.dls", "# nothing yet\r\n")), true);
    EXPECT_EQ(db.table().size(), 0);
}

// Every damaged line is said with its number: a few in one message, thousands as a count over a
// scrollable list, never one box per line or one box taller than the screen.
TEST_F(DatabaseSessionTest, DamagedLinesAreSaidOnceWithTheirCount) {
    const std::string good = savedDatabase("good.dls", 1);
    std::string text = *core::readFile(good);
    const std::string oneBad = text + "000002,\"r9.KIF\"\r\n";
    ASSERT_EQ(opened(folder.writeBytes("one.dls", oneBad)), true);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("行目: kisen error"), std::string::npos);
    EXPECT_TRUE(ui.lists.empty());

    for (int i = 0; i < 3000; ++i) text += "000002,\"r" + std::to_string(i) + ".KIF\"\r\n";
    ui.messages.clear();
    ASSERT_EQ(opened(folder.writeBytes("many.dls", text)), true);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "棋譜情報ファイルに読み込めない行が3000件あります。");
    ASSERT_EQ(ui.lists.size(), 1u);
    EXPECT_EQ(ui.lists[0].size(), 3000u);
    EXPECT_EQ(db.table().size(), 3001);
}

// 上書き保存 of an untitled database is 名前を付けて保存: the dialog filters by the kind, a
// cancel saves nothing, a name saves there.
TEST_F(DatabaseSessionTest, SaveOfAnUntitledDatabaseAsksForAName) {
    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    EXPECT_EQ(savedByCommand(), false);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].title, "名前を付けて保存");
    EXPECT_EQ(ui.dialogs[0].filter, "棋譜情報 (*.dls *.DLS);;バイナリ棋譜 (*.dlb *.DLB)");
    EXPECT_TRUE(db.isModified());

    const std::string path = folder.file("new.dls");
    ui.choices.push_back(path);
    ASSERT_EQ(savedByCommand(), true);
    EXPECT_FALSE(db.isModified());
    EXPECT_FALSE(lock.isHeld());  // only while writing
    EXPECT_EQ(recent.entries(), Events{path});
    EXPECT_EQ(ui.status, "棋譜情報ファイル(" + path + ")を保存しました。");
    EXPECT_EQ(ui.events.back(), "state");

    // Now titled: saved in place without a dialog.
    db.setModified();
    ASSERT_EQ(savedByCommand(), true);
    EXPECT_EQ(ui.dialogs.size(), 2u);
    EXPECT_FALSE(db.isModified());

    db.reset(true);
    EXPECT_EQ(savedAs(), false);
    EXPECT_EQ(ui.dialogs.back().filter, "バイナリ棋譜 (*.dlb *.DLB);;棋譜情報 (*.dls *.DLS)");
}

// 名前を付けて保存 with a name of the other kind converts: a text database never writes its text
// under a binary name (the conversion goes to the worker), and a binary one is written as a DLS
// that reads back with every record and is then the window's text database.
TEST_F(DatabaseSessionTest, SaveAsTheOtherKindConverts) {
    ASSERT_GE(addRecord("a.KIF"), 0);
    ASSERT_GE(addRecord("b.KIF"), 0);
    const std::string dlb = folder.file("as.dlb");
    ui.choices.push_back(dlb);
    EXPECT_EQ(savedAs(), false);
    EXPECT_EQ(ui.events.back(), "convert: " + dlb);
    EXPECT_FALSE(std::filesystem::exists(dlb));
    EXPECT_FALSE(db.isBinary());

    model::Database pair;
    pair.reset(true);
    for (const char* name : {"c.KIF", "d.KIF", "e.KIF"}) {
        model::IndexEntry e;
        e.setText(model::IndexText::Path, name);
        e.moveCount = 1;
        ASSERT_GE(pair.append(std::move(e), {{77, 76}}), 0);
    }
    const std::string pairPath = folder.file("pair.dlb");
    ASSERT_EQ(model::saveDatabase(pair, pairPath), core::WriteResult::Ok);
    ASSERT_EQ(opened(pairPath), true);
    ASSERT_TRUE(db.isBinary());
    const std::string dls = folder.file("back.dls");
    ui.choices.push_back(dls);
    ASSERT_EQ(savedAs(), true);
    EXPECT_FALSE(db.isBinary());
    EXPECT_FALSE(db.isModified());
    model::Database reread;
    ASSERT_EQ(model::openDatabase(reread, dls).code, model::OpenResult::Ok);
    EXPECT_EQ(reread.table().size(), 3);
    EXPECT_FALSE(reread.isBinary());
}

// Saving a binary database whose tree index lies beside the target asks for the index to be
// built again; without one, or for a text database, nothing more happens.
TEST_F(DatabaseSessionTest, SavingBesideATreeIndexRebuildsIt) {
    db.reset(true);
    ASSERT_GE(addRecord("a.KIF"), 0);
    const std::string path = folder.file("games.dlb");
    ASSERT_EQ(saved(path), true);
    EXPECT_EQ(ui.events.back(), "state");

    std::ofstream(model::treeIndexPath(path), std::ios::binary) << "old";
    ASSERT_GE(addRecord("b.KIF"), 0);
    ASSERT_EQ(saved(path), true);
    EXPECT_EQ(ui.events.back(), "tree index: " + path);

    // A text database saved beside an index file of that name: no tree index is its.
    db.reset(false);
    ASSERT_GE(addRecord("c.KIF"), 0);
    const std::string text = folder.file("games.dls");
    ASSERT_EQ(saved(text), true);
    EXPECT_EQ(ui.events.back(), "state");
}

// A save that can't take the lock or can't write keeps the changes and says why; only a failed
// write beeps.
TEST_F(DatabaseSessionTest, FailedSavesSayWhy) {
    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    const std::string nowhere = folder.file("no/such/folder/x.dls");
    EXPECT_EQ(saved(nowhere), false);
    EXPECT_EQ(ui.messages.back(), "データベース(" + nowhere + ")をロックできませんでした。");
    EXPECT_EQ(ui.beeps, 0);

    const std::string taken = folder.file("taken.dls");
    std::filesystem::create_directories(taken);  // a folder where the file should go
    EXPECT_EQ(saved(taken), false);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(ui.messages.back(), "ファイル保存エラー(" + taken + ")");
    EXPECT_TRUE(db.isModified());
    EXPECT_TRUE(recent.entries().empty());
    EXPECT_FALSE(lock.isHeld());
}

// The question about unsaved changes: Cancel stops, No drops the changes, Yes saves (as, when
// untitled; a cancelled Save As stops too).
TEST_F(DatabaseSessionTest, UnsavedChangesAreAskedAbout) {
    EXPECT_EQ(confirmed(), true);
    EXPECT_TRUE(ui.questions.empty());

    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    ui.answers = {Answer::Cancel, Answer::No, Answer::Yes, Answer::Yes};
    EXPECT_EQ(confirmed(), false);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, "無題 への変更を保存しますか？");
    EXPECT_TRUE(ui.questions[0].withCancel);
    EXPECT_EQ(ui.questions[0].unattended, Answer::No);
    EXPECT_EQ(confirmed(), true);
    EXPECT_TRUE(db.isModified());

    EXPECT_EQ(confirmed(), false);  // Yes, then the Save As dialog cancelled
    EXPECT_EQ(ui.dialogs.size(), 1u);
    ui.choices.push_back(folder.file("b.dls"));
    EXPECT_EQ(confirmed(), true);
    EXPECT_FALSE(db.isModified());
}

// The question about unsaved changes waits for the save it starts: the window goes on only once
// the worker has written everything. A save that fails or is cancelled, Cancel, and a refused
// start all stay with the changes kept; No goes on without saving.
TEST_F(DatabaseSessionTest, ConfirmationGoesOnOnlyAfterTheSaveHasWritten) {
    const std::string path = savedDatabase("w.dls", 2);
    ASSERT_EQ(opened(path), true);
    ASSERT_GE(addRecord("new.KIF"), 0);
    db.setModified();
    ui.holdsBackground = true;

    // Yes: the save runs under the lock; nothing goes on until it reports.
    ui.answers = {Answer::Yes};
    EXPECT_EQ(confirmed(), std::nullopt);
    ASSERT_EQ(ui.held.size(), 1u);
    EXPECT_EQ(ui.held[0].kind, BackgroundWork::Saving);
    EXPECT_TRUE(ui.held[0].cancellable);
    EXPECT_TRUE(lock.isHeld());
    ui.finishHeld();
    EXPECT_EQ(m_outcome, true);
    EXPECT_FALSE(db.isModified());
    EXPECT_FALSE(lock.isHeld());
    model::Database reread(100);
    ASSERT_EQ(model::openDatabase(reread, path).code, model::OpenResult::Ok);
    EXPECT_EQ(reread.table().size(), 3);

    // Cancelled before the writing began: the file stays as it was, the changes too.
    ASSERT_GE(addRecord("newer.KIF"), 0);
    db.setModified();
    ui.answers = {Answer::Yes};
    EXPECT_EQ(confirmed(), std::nullopt);
    ui.finishHeld(true);
    EXPECT_EQ(m_outcome, false);
    EXPECT_TRUE(db.isModified());
    EXPECT_FALSE(lock.isHeld());
    EXPECT_EQ(ui.status, saveCancelledMessage(path));
    ASSERT_EQ(model::openDatabase(reread, path).code, model::OpenResult::Ok);
    EXPECT_EQ(reread.table().size(), 3);

    // No drops the changes without a save; Cancel stays; neither starts a worker.
    ui.answers = {Answer::No, Answer::Cancel};
    EXPECT_EQ(confirmed(), true);
    EXPECT_EQ(confirmed(), false);
    EXPECT_TRUE(ui.held.empty());
    EXPECT_TRUE(db.isModified());

    // Another operation runs: the save does not start, the lock is let go, nothing goes on.
    ui.refusesBackground = true;
    ui.answers = {Answer::Yes};
    EXPECT_EQ(confirmed(), false);
    EXPECT_FALSE(lock.isHeld());
    EXPECT_TRUE(db.isModified());
    ui.refusesBackground = false;

    // The write fails (a folder took the file's place): the message, and no going on.
    std::filesystem::remove(path);
    std::filesystem::create_directories(path);
    ui.answers = {Answer::Yes, Answer::Yes};  // save, and write over the outside change
    EXPECT_EQ(confirmed(), std::nullopt);
    ui.finishHeld();
    EXPECT_EQ(m_outcome, false);
    EXPECT_EQ(ui.messages.back(), "ファイル保存エラー(" + path + ")");
    EXPECT_TRUE(db.isModified());
    EXPECT_FALSE(lock.isHeld());
}

// Opening another database after Yes: the opening starts only when the save has written; a
// failed save never opens it, and the changes stay.
// The worker tells how far an opening and a save have come, ending at the whole, for the
// window's share.
TEST_F(DatabaseSessionTest, OpeningsAndSavesTellTheirProgress) {
    const std::string path = savedDatabase("p.dls", 3);
    auto& steps = ui.backgroundHost.steps;
    const auto endsWhole = [&steps] {
        ASSERT_FALSE(steps.empty());
        EXPECT_EQ(steps.back().first, steps.back().second);
        EXPECT_GT(steps.back().second, 0u);
        steps.clear();
    };
    ASSERT_EQ(opened(path), true);
    endsWhole();
    ASSERT_GE(addRecord("new.KIF"), 0);
    db.setModified();
    ASSERT_EQ(saved(), true);
    endsWhole();

    // The same for a binary pair.
    db.setBinary(true);
    const std::string pair = folder.file("p.DLB");
    ASSERT_EQ(saved(pair), true);
    endsWhole();
    ASSERT_EQ(opened(pair), true);
    endsWhole();
    EXPECT_EQ(db.table().size(), 4);
}

TEST_F(DatabaseSessionTest, OpeningAfterAskingWaitsForTheSave) {
    const std::string other = savedDatabase("other.dls", 4);
    const std::string mine = savedDatabase("mine.dls", 1);
    ASSERT_EQ(opened(mine), true);
    ASSERT_GE(addRecord("x.KIF"), 0);
    db.setModified();
    ui.holdsBackground = true;
    ui.answers = {Answer::Yes};
    EXPECT_EQ(openedAfterAsking(other), std::nullopt);
    ASSERT_EQ(ui.held.size(), 1u);
    ui.finishHeld();  // saved: now the opening runs
    ASSERT_EQ(ui.held.size(), 1u);
    EXPECT_EQ(ui.held[0].kind, BackgroundWork::Opening);
    EXPECT_EQ(db.table().size(), 2);  // the saved database stays shown while the other is read
    ui.finishHeld();
    EXPECT_EQ(m_outcome, true);
    EXPECT_EQ(db.table().size(), 4);

    ASSERT_GE(addRecord("y.KIF"), 0);
    db.setModified();
    std::filesystem::remove(other);
    std::filesystem::create_directories(other);
    ui.answers = {Answer::Yes, Answer::Yes};
    EXPECT_EQ(openedAfterAsking(mine), std::nullopt);
    ui.finishHeld();
    EXPECT_EQ(m_outcome, false);
    EXPECT_TRUE(ui.held.empty());  // nothing was opened
    EXPECT_EQ(db.table().size(), 5);
    EXPECT_TRUE(db.isModified());
}

// An opening cancelled while the worker reads leaves the database shown as it was.
TEST_F(DatabaseSessionTest, CancelledOpeningKeepsTheDatabase) {
    const std::string path = savedDatabase("big.dls", 3);
    ASSERT_GE(addRecord("kept.KIF"), 0);
    db.setModified();
    ui.holdsBackground = true;
    EXPECT_EQ(opened(path), std::nullopt);
    ASSERT_EQ(ui.held.size(), 1u);
    EXPECT_TRUE(ui.held[0].cancellable);
    ui.finishHeld(true);
    EXPECT_EQ(m_outcome, false);
    EXPECT_EQ(db.table().size(), 1);
    EXPECT_TRUE(db.isModified());
    EXPECT_EQ(ui.status, openCancelledMessage(path));
    EXPECT_TRUE(recent.entries().empty());
}

// A binary database saved as text whose save fails is the binary database again, lists and all.
TEST_F(DatabaseSessionTest, FailedSaveAsTextKeepsTheBinaryDatabase) {
    db.reset(true);
    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    const std::string taken = folder.file("taken.dls");
    std::filesystem::create_directories(taken);
    ui.choices.push_back(taken);
    EXPECT_EQ(savedAs(), false);
    EXPECT_TRUE(db.isBinary());
    EXPECT_EQ(db.lists().size(), 1);
    EXPECT_TRUE(db.isModified());
}

// 開く asks about changes first; a No opens the file chosen, a cancelled dialog keeps all.
TEST_F(DatabaseSessionTest, OpenCommandAsksThenChooses) {
    const std::string path = savedDatabase("c.dls", 2);
    EXPECT_EQ(openedChosen(), false);
    EXPECT_EQ(ui.events, Events{"open dialog: 開く"});
    EXPECT_EQ(ui.dialogs[0].filter, "データベース (*.dls *.DLS *.dlb *.DLB *.kix *.KIX)");

    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(openedChosen(), false);
    EXPECT_EQ(ui.dialogs.size(), 1u);
    ui.choices.push_back(path);
    ASSERT_EQ(openedChosen(), true);
    EXPECT_EQ(db.table().size(), 2);
}

// The recent list's databases open after the question about changes; F4 takes the first.
TEST_F(DatabaseSessionTest, RecentDatabasesOpenAfterAsking) {
    EXPECT_EQ(openedMostRecent(), false);
    const std::string older = savedDatabase("older.dls", 1);
    const std::string newer = savedDatabase("newer.dls", 2);
    recent.add(older);
    recent.add(newer);
    ASSERT_GE(addRecord("a.KIF"), 0);
    db.setModified();
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(openedMostRecent(), false);
    EXPECT_EQ(db.table().size(), 1);
    EXPECT_EQ(openedMostRecent(), true);  // No: the changes are dropped
    EXPECT_EQ(db.table().size(), 2);
    EXPECT_EQ(openedAfterAsking(older), true);
    EXPECT_EQ(db.table().size(), 1);
    EXPECT_EQ(ui.questions.size(), 2u);  // the opened databases were unchanged
}

// Another program may read and change the database while the window shows it. While it holds
// the lock (it changes or saves) a save says so and keeps the changes; once it has saved, a
// save over its work asks first (No by default) and only Yes writes over it.
TEST_F(DatabaseSessionTest, AnotherProgramsChangeIsAskedAboutAtSave) {
    const std::string path = savedDatabase("shared.dls", 2);
    ASSERT_EQ(opened(path), true);
    ASSERT_GE(addRecord("mine.KIF"), 0);
    db.setModified();
    {
        model::DatabaseLock other;
        ASSERT_EQ(model::lockDatabase(path, other, false), model::LockResult::Ok);
        EXPECT_EQ(saved(), false);
        EXPECT_EQ(ui.messages.back(),
                  "データベース(" + path + ")は、ほかのプログラムが保存中です。");
        EXPECT_TRUE(db.isModified());
    }

    (void)savedDatabase("shared.dls", 4);  // the other program's save
    ui.answers = {Answer::No, Answer::Yes};
    EXPECT_EQ(saved(), false);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, outsideChangeQuestion(path));
    EXPECT_TRUE(ui.questions[0].warning);
    EXPECT_EQ(ui.questions[0].unattended, Answer::No);
    EXPECT_TRUE(db.isModified());
    model::Database reread(100);
    ASSERT_EQ(model::openDatabase(reread, path).code, model::OpenResult::Ok);
    EXPECT_EQ(reread.table().size(), 4);

    EXPECT_EQ(saved(), true);
    ASSERT_EQ(model::openDatabase(reread, path).code, model::OpenResult::Ok);
    EXPECT_EQ(reread.table().size(), 3);
    // The window's own save is no outside change.
    db.setModified();
    EXPECT_EQ(saved(), true);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_FALSE(lock.isHeld());
    EXPECT_FALSE(std::filesystem::exists(model::lockPathOf(path)));
}

TEST_F(DatabaseSessionTest, ResetDropsTheFileAndItsLock) {
    ASSERT_EQ(opened(savedDatabase("d.dls", 1)), true);
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
