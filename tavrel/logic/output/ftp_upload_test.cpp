#include "tavrel/logic/output/ftp_upload.h"

#include <gtest/gtest.h>

#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

using testsupport::DocumentFixture;

struct FakeTransport : FtpTransport {
    bool works = true;
    UploadResult result = UploadResult::Done;
    std::vector<FtpJob> jobs;
    bool available() override { return works; }
    UploadResult transfer(const FtpJob& job) override {
        jobs.push_back(job);
        return result;
    }
};

class FtpUploadTest : public DocumentFixture {
protected:
    FtpUploadTest() {
        FtpSetting s;
        s.name = "home";
        s.server = "ftp.example.org";
        s.user = "u";
        s.password = "p";
        s.folder = "records/2026";
        s.passive = false;
        s.selected = true;
        ftp.entries.push_back(s);
    }
    FtpSettings ftp;
    FakeTransport transport;
};

TEST_F(FtpUploadTest, TheJobStoresUnderTheTemporaryNameAndRenames) {
    EXPECT_EQ(UploadRecord(ui, transport, "/r/棋譜.kif", ftp, 0), UploadResult::Done);
    ASSERT_EQ(transport.jobs.size(), 1u);
    const FtpJob& job = transport.jobs[0];
    EXPECT_EQ(job.tempName, "棋譜.kif.FTPTMP");
    EXPECT_EQ(job.finalName, "棋譜.kif");
    EXPECT_EQ(job.folder, "records/2026");
    EXPECT_FALSE(job.passive);
    EXPECT_EQ(ui.events, (std::vector<std::string>{
                             "status: FTP転送開始(/r/棋譜.kif → ftp.example.org)。",
                             "status: FTP転送しました(/r/棋譜.kif → ftp.example.org)。"}));
}

TEST_F(FtpUploadTest, EveryFailureHasItsCodeAndMessage) {
    struct Case {
        UploadResult result;
        int code;
        const char* message;
    };
    for (const Case& c : {
             Case{UploadResult::NoConnection, -1, "サーバ(ftp.example.org)に接続できません。"},
             Case{UploadResult::FolderFailed, -2,
                  "ディレクトリの変更に失敗しました(records/2026)。"},
             Case{UploadResult::UploadFailed, -3, "ファイルのFTP転送に失敗しました(/r/a.kif)。"},
             Case{UploadResult::RenameFailed, -4, "ファイル名の変更に失敗しました(a.kif)。"},
         }) {
        ui.messages.clear();
        transport.result = c.result;
        EXPECT_EQ(static_cast<int>(UploadRecord(ui, transport, "/r/a.kif", ftp, 0)), c.code);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(core::toUtf8Lossy(ui.messages[0].first), c.message);
        EXPECT_EQ(ui.messages[0].second, programCaption());
    }
    // The connection failure is also on the status line.
    transport.result = UploadResult::NoConnection;
    UploadRecord(ui, transport, "/r/a.kif", ftp, 0);
    EXPECT_EQ(core::toUtf8Lossy(ui.status), "サーバ(ftp.example.org)に接続できません。");
}

TEST_F(FtpUploadTest, NoInternetAccessIsMinusOne) {
    transport.works = false;
    EXPECT_EQ(UploadRecord(ui, transport, "/r/a.kif", ftp, 0), UploadResult::NoConnection);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(core::toUtf8Lossy(ui.messages[0].first), "インターネットが使用できません。");
    EXPECT_TRUE(transport.jobs.empty());
}

TEST_F(FtpUploadTest, ASettingWithoutUserOrServerIsSkippedSilently) {
    ftp.entries[0].user.clear();
    EXPECT_EQ(UploadRecord(ui, transport, "/r/a.kif", ftp, 0), UploadResult::Done);
    ftp.entries[0].user = "u";
    ftp.entries[0].server.clear();
    EXPECT_EQ(UploadRecord(ui, transport, "/r/a.kif", ftp, 0), UploadResult::Done);
    EXPECT_EQ(UploadRecord(ui, transport, "/r/a.kif", ftp, 7), UploadResult::Done);
    EXPECT_TRUE(transport.jobs.empty());
    EXPECT_TRUE(ui.events.empty());
}

TEST_F(FtpUploadTest, OnlySelectedSettingsAreUploadedToInListOrder) {
    ftp.entries.resize(4, ftp.entries[0]);
    ftp.entries[1].selected = false;
    EXPECT_EQ(selectedFtpSettings(ftp), (std::vector<int>{0, 2, 3}));
}

TEST_F(FtpUploadTest, ANewRecordIsSavedAsFirstAndACancelledDialogEndsTheCommand) {
    EXPECT_EQ(prepareFtpUpload(doc), std::nullopt);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(FtpUploadTest, ASavedRecordIsUploadedOnlyAfterYes) {
    const std::string file = write("a.kif", std::string(testsupport::kSampleRecord));
    ASSERT_EQ(doc.loadRecordFile(file), CommandResult::Done);
    ui.answers = {Answer::No, Answer::Yes};
    EXPECT_EQ(prepareFtpUpload(doc), std::nullopt);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(core::toUtf8Lossy(ui.questions[0]), "棋譜ファイルをFTPでサーバへ送信しますか？");
    EXPECT_EQ(prepareFtpUpload(doc), file);
}

TEST_F(FtpUploadTest, ARecordWhoseSaveFailedIsNotUploaded) {
    const std::string file = write("a.kif", std::string(testsupport::kSampleRecord));
    ASSERT_EQ(doc.loadRecordFile(file), CommandResult::Done);
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);  // the save cannot replace a folder
    store.markDirty();
    ui.answer = Answer::Yes;
    EXPECT_EQ(prepareFtpUpload(doc), std::nullopt);
    EXPECT_TRUE(ui.questions.empty());
}

TEST(FtpSettingsListTest, NewDeleteAndMoveKeepTheRememberedSelection) {
    FtpSettings list;
    EXPECT_EQ(addFtpSetting(list), 0);
    EXPECT_EQ(addFtpSetting(list), 1);
    EXPECT_EQ(addFtpSetting(list), 2);
    EXPECT_EQ(core::toUtf8Lossy(list.entries[2].name), "設定3");
    EXPECT_TRUE(list.entries[2].passive);
    EXPECT_FALSE(list.entries[2].selected);
    list.selection = 2;

    EXPECT_EQ(moveFtpSettingUp(list, 2), 1);
    EXPECT_EQ(list.selection, 1);
    EXPECT_EQ(core::toUtf8Lossy(list.entries[1].name), "設定3");
    EXPECT_EQ(moveFtpSettingUp(list, 0), 0);  // nothing above the first
    EXPECT_EQ(moveFtpSettingDown(list, 2), 2);
    EXPECT_EQ(moveFtpSettingDown(list, 0), 1);
    EXPECT_EQ(list.selection, 0);

    // Removing "設定1" frees its name for the next new setting.
    EXPECT_EQ(removeFtpSetting(list, 1), 1);
    EXPECT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(removeFtpSetting(list, 5), -1);
    EXPECT_EQ(core::toUtf8Lossy(list.entries[addFtpSetting(list)].name), "設定1");
    EXPECT_EQ(removeFtpSetting(list, 2), 1);
    EXPECT_EQ(removeFtpSetting(list, 1), 0);
    EXPECT_EQ(removeFtpSetting(list, 0), -1);
    EXPECT_EQ(list.selection, 0);
}

}  // namespace
}  // namespace tavrel
