#include "dalmir/logic/record_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dalmir/logic/dalmir_test_fixture.h"

namespace dalmir {
namespace {

using Texts = std::vector<std::string>;

class RecordFilesTest : public testsupport::DalmirFixture {};

// A relative path is the index folder's; a registered upper-case extension finds the file in
// lower case; an absolute path stays.
TEST_F(RecordFilesTest, StoredPathsResolve) {
    const std::string file = folder.writeBytes("sub/a.kif", "x");
    db.table().setPath(folder.file("db.dls"));
    const int relative = addRecord("sub/a.KIF");
    const int absolute = addRecord("/nowhere/b.KIF");
    EXPECT_EQ(recordFilePath(db.table(), relative), file);
    EXPECT_EQ(recordFilePath(db.table(), absolute), "/nowhere/b.KIF");
}

// フォルダを開く shows each record's folder; one the desktop can't open beeps and is named.
TEST_F(RecordFilesTest, RecordFoldersOpenOnTheDesktop) {
    db.table().setPath(folder.file("db.dls"));
    ASSERT_GE(addRecord("sub/a.KIF"), 0);
    ASSERT_GE(addRecord("/k/b.KIF"), 0);
    openRecordFolders(db.table(), {0, 1}, ui);
    EXPECT_EQ(eventsStartingWith("desktop: "), (Texts{folder.file("sub"), "/k"}));
    EXPECT_EQ(ui.beeps, 0);
    ui.desktopOpens = false;
    openRecordFolders(db.table(), {1}, ui);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(ui.messages, Texts{"フォルダ(/k)が開けませんでした。"});
}

// The viewer's request: the path on the clipboard (blanks around it dropped) is asked about
// without waiting; only Yes registers it.
TEST_F(RecordFilesTest, RegistrationRequestAsksFirst) {
    Texts registered;
    auto add = [&](const std::string& path) { registered.push_back(path); };
    ui.clipboard = " \r\n";
    askToRegisterClipboardFile(ui, add);
    EXPECT_TRUE(ui.questions.empty());

    ui.clipboard = "  /k/a.kif\r\n";
    askToRegisterClipboardFile(ui, add);
    askToRegisterClipboardFile(ui, add);
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[0].text, "棋譜(/k/a.kif)を登録しますか？");
    EXPECT_EQ(ui.questions[0].caption, "棋譜登録の確認");
    EXPECT_FALSE(ui.questions[0].withCancel);
    ui.laterAnswers[0](Answer::No);
    EXPECT_TRUE(registered.empty());
    ui.laterAnswers[1](Answer::Yes);
    EXPECT_EQ(registered, Texts{"/k/a.kif"});
}

// 棋譜も削除: a No changes nothing; a Yes trashes the files that exist (saying which could
// not be), deletes the entries and forgets what 元に戻す kept.
TEST_F(RecordFilesTest, DeletingWithFilesTrashesThem) {
    const std::string a = folder.writeBytes("a.kif", "x");
    const std::string b = folder.writeBytes("b.kif", "x");
    const int first = addRecord(a);
    const int gone = addRecord(folder.file("gone.kif"));
    const int second = addRecord(b);
    ASSERT_EQ(addRecord("kept.kif"), 3);
    undo.keep(db);

    EXPECT_FALSE(deleteWithFiles(db, undo, ui, {first, gone, second}, true));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, "3 個の棋譜ファイルをごみ箱に移動しますか？");
    EXPECT_EQ(ui.questions[0].unattended, Answer::Yes);
    EXPECT_EQ(db.table().size(), 4);
    EXPECT_TRUE(ui.trashed.empty());

    ui.answer = Answer::Yes;
    ui.trashes = true;
    EXPECT_TRUE(deleteWithFiles(db, undo, ui, {first, gone}, true));
    EXPECT_EQ(ui.trashed, Texts{a});
    EXPECT_EQ(db.table().size(), 2);
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(ui.events.back(), "list");

    // Without confirmation nothing is asked; a file the trash refuses is reported.
    ui.trashes = false;
    const std::size_t asked = ui.questions.size();
    EXPECT_TRUE(deleteWithFiles(db, undo, ui, {0}, false));
    EXPECT_EQ(ui.questions.size(), asked);
    EXPECT_EQ(ui.messages, Texts{"ファイル(" + b + ")をごみ箱に移動できませんでした。"});
    EXPECT_EQ(db.table().size(), 1);
}

}  // namespace
}  // namespace dalmir
