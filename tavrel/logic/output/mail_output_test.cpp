#include "tavrel/logic/output/mail_output.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "tavrel/logic/output/export_test_fixture.h"
#include "tavrel/logic/play/play_move.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

class MailTest : public testsupport::ExportFixture {
protected:
    void SetUp() override {
        settings.recordFolder = dir.string() + "/";
        settings.mailFolder = dir.string() + "/mail/";
        fs::create_directories(dir / "mail");
    }
    std::string mailFile(const std::string& name) { return (dir / "mail" / name).string(); }
    // The mail files are the program's own text files (Shift-JIS when it holds the text).
    std::string read(const std::string& path) {
        return core::ownTextFileText(core::readFile(path).value_or("<none>"));
    }
};

TEST_F(MailTest, NewRecordWritesItsMalFileUnderTodaysDate) {
    doc.setNewRecordNames();
    ASSERT_EQ(writeMailFile(doc, MailText::One), MailResult::Ok);
    const std::string path = mailFile(doc.snapshot().shortDate() + ".mal");
    const std::string text = read(path);
    EXPECT_EQ(text.rfind(std::string("題名：第0手、にです。\r\n"), 0), 0u)
        << core::toUtf8Lossy(text);
    EXPECT_EQ(ui.status, std::string("メールファイル(") + path + std::string(")を出力しました。"));
}

TEST_F(MailTest, SavedRecordNamesItsMailFilesAndOverwritesThem) {
    load("game.kif");
    ASSERT_EQ(writeMailFile(doc, MailText::Two), MailResult::Ok);
    ASSERT_EQ(writeMailFile(doc, MailText::Two), MailResult::Ok);
    const std::string text = read(mailFile("game.ma2"));
    // Text 2 carries the record; written twice in mode 0, it is there once.
    const std::string title = std::string("題名：第2手、");
    EXPECT_EQ(text.find(title), 0u) << core::toUtf8Lossy(text);
    EXPECT_EQ(text.find(title, 1), std::string::npos);
    EXPECT_NE(text.find(std::string("７六歩")), std::string::npos);
}

TEST_F(MailTest, ModeTwoAppendsEveryMailToTheOneFile) {
    settings.mailSave = MailSaveMode::AppendToOne;
    settings.mailAppendName = "PAD";
    load("game.kif");
    ASSERT_EQ(writeMailFile(doc, MailText::One), MailResult::Ok);
    doc.showPly(1);
    ASSERT_EQ(writeMailFile(doc, MailText::Two), MailResult::Ok);
    EXPECT_FALSE(fs::exists(mailFile("game.mal")));
    const std::string text = read(mailFile("PAD"));
    const std::size_t second = text.find(std::string("題名：第1手"));
    EXPECT_EQ(text.find(std::string("題名：第2手")), 0u);
    EXPECT_NE(second, std::string::npos);
    EXPECT_EQ(ui.status, std::string("メールファイルを(") + mailFile("PAD") +
                             std::string(")に追加しました。"));
}

TEST_F(MailTest, AMailFileThatCannotBeWrittenIsReportedAndNothingChanges) {
    settings.mailFolder = dir.string() + "/missing/";
    load("game.kif");
    const int before = store.moveCount();
    EXPECT_EQ(writeMailFile(doc, MailText::One), MailResult::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first,
              std::string("メール保存エラー(") + dir.string() + std::string("/missing/game.mal)"));
    EXPECT_EQ(store.moveCount(), before);
    EXPECT_FALSE(doc.modified());
}

TEST_F(MailTest, DialogAddsTheExtensionOfTheChosenType) {
    load("game.kif");
    ui.choices.push_back(FileChoice{mailFile("out"), 1});
    ui.choices.push_back(FileChoice{mailFile("two.mal"), 1});
    ASSERT_EQ(writeMailFileWithDialog(doc), MailResult::Ok);
    ASSERT_EQ(writeMailFileWithDialog(doc), MailResult::Ok);
    EXPECT_TRUE(fs::exists(mailFile("out.ma2")));
    EXPECT_TRUE(fs::exists(mailFile("two.mal")));
    EXPECT_EQ(writeMailFileWithDialog(doc), MailResult::Cancelled);
    EXPECT_EQ(ui.dialogs[0].name, "game.mal");
}

TEST_F(MailTest, MailLinkBreaksLinesAsEscapesAndKeepsToItsLimit) {
    load("game.kif");
    store.setHeader(core::HeaderField::User5, "a@example.org");
    std::optional<std::string> url = mailLink(doc);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->rfind("mailto:a@example.org?subject=" + std::string("第2手、"), 0), 0u);
    EXPECT_NE(url->find("&body="), std::string::npos);
    EXPECT_NE(url->find("%0D%0A"), std::string::npos);
    EXPECT_EQ(url->find("\r\n"), std::string::npos);
    ASSERT_EQ(openMailLink(doc, desktop), MailResult::Ok);
    EXPECT_EQ(desktop.urls, std::vector<std::string>{*url});

    settings.internetMailBody = std::string(70000, 'x');
    EXPECT_FALSE(mailLink(doc));
    EXPECT_EQ(openMailLink(doc, desktop), MailResult::Failed);
    EXPECT_EQ(desktop.urls.size(), 1u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first,
              std::string("メールの作成に失敗しました。本文が長過ぎたと思われます。"));
}

TEST_F(MailTest, AttachmentSendNeedsASavedRecord) {
    doc.setNewRecordNames();
    EXPECT_EQ(sendRecordByMail(doc, desktop), MailResult::Failed);
    EXPECT_TRUE(desktop.mails.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, std::string("メールの作成に失敗しました。"));

    load("game.kif");
    store.setHeader(core::HeaderField::User5, "b@example.org");
    ASSERT_EQ(sendRecordByMail(doc, desktop), MailResult::Ok);
    ASSERT_EQ(desktop.mails.size(), 1u);
    EXPECT_EQ(desktop.mails[0].recipient, "b@example.org");
    EXPECT_EQ(desktop.mails[0].attachment, path("game.kif"));
    EXPECT_EQ(desktop.mails[0].body.find("%0D%0A"), std::string::npos);

    desktop.opens = false;
    EXPECT_EQ(sendRecordByMail(doc, desktop), MailResult::Failed);
    EXPECT_EQ(ui.messages.back().first, std::string("メールの作成に失敗しました。"));
}

TEST_F(MailTest, SuspendAndMailSavesCopiesAndWritesTheMalFile) {
    load("game.kif", "手合割：平手\r\n   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n");
    MoveClock clock([] { return std::int64_t{0}; });
    doc.setMode(ViewerMode::Playing);
    doc.showPly(2);
    ASSERT_EQ(suspendAndMail(doc, clock, desktop), MailResult::Ok);
    EXPECT_FALSE(doc.modified());
    EXPECT_NE(read(path("game.kif")).find(std::string("中断")), std::string::npos);
    ASSERT_TRUE(desktop.clipboard);
    const std::string mal = read(mailFile("game.mal"));
    EXPECT_EQ(mal.rfind(std::string("題名：第"), 0), 0u);
    EXPECT_EQ(desktop.clipboard->substr(0, desktop.clipboard->find('\r')),
              mal.substr(0, mal.find('\r')));
    EXPECT_TRUE(desktop.urls.empty());
}

TEST_F(MailTest, SuspendAndMailStopsWhenTheSuspensionIsDeclined) {
    load("game.kif", "手合割：平手\r\n   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n");
    MoveClock clock([] { return std::int64_t{0}; });
    doc.setMode(ViewerMode::Playing);
    doc.showPly(1);
    ui.answer = Answer::No;  // keep the moves after the position shown
    EXPECT_EQ(suspendAndMail(doc, clock, desktop), MailResult::Cancelled);
    EXPECT_FALSE(desktop.clipboard);
    EXPECT_FALSE(fs::exists(mailFile("game.mal")));
}

}  // namespace
}  // namespace tavrel
