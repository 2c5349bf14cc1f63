// The FTP upload against a real server started for the test (pyftpdlib); skipped, with the
// reason, where that server cannot start.
#include "tavrel/platform/ftp_transport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <filesystem>
#include <fstream>

#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using testsupport::RecordingUi;

std::string readAll(const fs::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) return "(missing)";
    return file.readAll().toStdString();
}

class FtpServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root / "records");
        // Line ends and a byte above 0x7F must arrive as they are (an image transfer).
        record = "手合割：平手\r\n\x81\x40\n\r\n";
        local = (std::filesystem::path(home.path()) / "対局 1.kif").string();
        std::ofstream(local, std::ios::binary) << record;

        const QString script = QStringLiteral(TAVREL_TEST_DATA "/../support/ftp_test_server.py");
        for (const QString& python :
             {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
            server.start(python, {script, QString::fromStdString(root.string())});
            if (!server.waitForStarted(10000)) continue;
            // The server says on which port it listens as soon as it does.
            while (!server.canReadLine() && server.waitForReadyRead(10000)) {
            }
            const QByteArray line = server.readLine().trimmed();
            if (line.startsWith("READY ")) {
                port = line.mid(6).toInt();
                return;
            }
            server.waitForFinished(5000);
        }
        GTEST_SKIP() << "the test FTP server (python3 with pyftpdlib) could not start";
    }
    void TearDown() override {
        if (server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished(5000);
        }
    }

    FtpSetting setting(const char* user, const char* folder = "records") const {
        FtpSetting s;
        s.server = "127.0.0.1";
        s.user = user;
        s.password = "secret";
        s.folder = folder;
        s.selected = true;
        return s;
    }
    UploadResult upload(const FtpSetting& s) {
        FtpSettings list;
        list.entries.push_back(s);
        CurlFtpTransport transport(port);
        ui.messages.clear();
        return UploadRecord(ui, transport, local, list, 0);
    }
    std::string message() const {
        return ui.messages.empty() ? std::string() : core::toUtf8Lossy(ui.messages.back().first);
    }

    testsupport::TempFolder serverFolder;
    testsupport::TempFolder home;
    fs::path root = serverFolder.path();
    std::string record;
    std::string local;
    QProcess server;
    int port = 0;
    RecordingUi ui;
};

TEST_F(FtpServerTest, TheRecordArrivesUnderItsNameInPassiveAndActiveMode) {
    EXPECT_EQ(upload(setting("writer")), UploadResult::Done);
    EXPECT_EQ(readAll(root / "records" / "対局 1.kif"), record);
    EXPECT_FALSE(fs::exists(root / "records" / "対局 1.kif.FTPTMP"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(core::toUtf8Lossy(ui.status), "FTP転送しました(" + local + " → 127.0.0.1)。");

    // Active mode, into the login folder, over a file already there.
    FtpSetting active = setting("writer", "");
    active.passive = false;
    std::ofstream(root / "対局 1.kif") << "old";
    EXPECT_EQ(upload(active), UploadResult::Done);
    EXPECT_EQ(readAll(root / "対局 1.kif"), record);
}

TEST_F(FtpServerTest, AWrongPasswordCannotConnect) {
    FtpSetting s = setting("writer");
    s.password = "wrong";
    EXPECT_EQ(upload(s), UploadResult::NoConnection);
    EXPECT_EQ(message(), "サーバ(127.0.0.1)に接続できません。");
}

TEST_F(FtpServerTest, AMissingFolderFailsTheFolderChange) {
    EXPECT_EQ(upload(setting("writer", "no/such")), UploadResult::FolderFailed);
    EXPECT_EQ(message(), "ディレクトリの変更に失敗しました(no/such)。");
    EXPECT_FALSE(fs::exists(root / "対局 1.kif.FTPTMP"));
}

TEST_F(FtpServerTest, ARefusedStoreFailsTheUpload) {
    EXPECT_EQ(upload(setting("reader")), UploadResult::UploadFailed);
    EXPECT_EQ(message(), "ファイルのFTP転送に失敗しました(" + local + ")。");
}

TEST_F(FtpServerTest, ARefusedRenameLeavesTheTemporaryFile) {
    EXPECT_EQ(upload(setting("norename")), UploadResult::RenameFailed);
    EXPECT_EQ(message(), "ファイル名の変更に失敗しました(対局 1.kif)。");
    EXPECT_EQ(readAll(root / "records" / "対局 1.kif.FTPTMP"), record);
    EXPECT_FALSE(fs::exists(root / "records" / "対局 1.kif"));
}

TEST_F(FtpServerTest, ARecordThatVanishedFailsTheUploadAfterConnecting) {
    fs::remove(local);
    EXPECT_EQ(upload(setting("writer")), UploadResult::UploadFailed);
    EXPECT_EQ(message(), "ファイルのFTP転送に失敗しました(" + local + ")。");
    EXPECT_FALSE(fs::exists(root / "records" / "対局 1.kif"));
}

TEST_F(FtpServerTest, LineEndsInNamesNeverReachTheServer) {
    EXPECT_EQ(upload(setting("writer", "records\r\nDELE x")), UploadResult::FolderFailed);
    const std::string odd = (std::filesystem::path(home.path()) / "a\nDELE b.kif").string();
    std::ofstream(odd) << record;
    local = odd;
    EXPECT_EQ(upload(setting("writer")), UploadResult::UploadFailed);
    EXPECT_TRUE(fs::is_empty(root / "records"));
}

TEST(FtpUnreachableTest, AClosedPortCannotConnect) {
    // A port that was free a moment ago: nothing listens there.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const int port = probe.serverPort();
    probe.close();
    FtpSettings list;
    list.entries.push_back(FtpSetting{"", "127.0.0.1", "u", "p", "", true, true});
    CurlFtpTransport transport(port, 5);
    RecordingUi ui;
    EXPECT_EQ(UploadRecord(ui, transport, "/tmp/a.kif", list, 0), UploadResult::NoConnection);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(core::toUtf8Lossy(ui.messages[0].first), "サーバ(127.0.0.1)に接続できません。");
}

}  // namespace
}  // namespace tavrel
