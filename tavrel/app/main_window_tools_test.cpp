// The Tool menu's tools, the tool settings dialog and the FTP upload as the window runs them,
// with a fake program link and FTP transport.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <mutex>

#include "core/text/sjis.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/tool_settings_dialog.h"
#include "tavrel/app/window_test_context.h"
#include "tests/support/qt_application.h"

namespace tavrel {
namespace {

struct StartLog : ProgramLink {
    std::vector<std::string> started;
    bool send(const std::string&, std::string_view) override { return false; }
    bool start(const std::string& program, const std::vector<std::string>& arguments) override {
        std::string entry = program;
        for (const std::string& a : arguments) entry += " [" + a + "]";
        started.push_back(entry);
        return true;
    }
    void after(int, std::function<void()>) override {}
};

// Shared by the uploads' worker threads: which servers were asked and which fail.
struct UploadBoard {
    std::mutex mutex;
    std::vector<std::string> servers;
    std::string failing;
};

struct BoardTransport : FtpTransport {
    explicit BoardTransport(UploadBoard& b) : board(b) {}
    bool available() override { return true; }
    UploadResult transfer(const FtpJob& job) override {
        std::lock_guard lock(board.mutex);
        board.servers.push_back(job.server);
        return job.server == board.failing ? UploadResult::NoConnection : UploadResult::Done;
    }
    UploadBoard& board;
};

class ToolWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void SetUp() override {
        window = std::make_unique<MainWindow>(quietTestContext(settings, store, folder));
        auto log = std::make_unique<StartLog>();
        link = log.get();
        window->setProgramLink(std::move(log));
    }
    QString copySample() {
        const QString target = folder.filePath(QStringLiteral("対局 1.kif"));
        QFile::copy(QString::fromStdString(std::string(TAVREL_TEST_DATA) +
                                           "/../../resources/samples/sample.kif"),
                    target);
        return target;
    }

    QTemporaryDir folder;
    Settings settings;
    core::RecordStore store;
    std::unique_ptr<MainWindow> window;
    StartLog* link = nullptr;
};

TEST_F(ToolWindowTest, ToolEntriesFollowTheRecordAndStartTheirProgram) {
    QAction* editor = window->action(Command::Tool1);
    QAction* kestrin = window->action(Command::Tool2);
    ASSERT_TRUE(editor && kestrin);
    EXPECT_EQ(editor->text(), QStringLiteral("棋譜ファイルをエディタで開く(&1)"));
    EXPECT_FALSE(editor->isEnabled());  // a new record has no path to give
    EXPECT_FALSE(window->action(Command::Tool3)->isEnabled());
    EXPECT_FALSE(window->action(Command::DalmirRegister)->isEnabled());

    const QString path = copySample();
    ASSERT_EQ(window->openFile(path), CommandResult::Done);
    EXPECT_TRUE(editor->isEnabled());
    EXPECT_TRUE(window->action(Command::DalmirRegister)->isEnabled());
    kestrin->trigger();
    ASSERT_EQ(link->started.size(), 1u);
    EXPECT_EQ(link->started[0], "kestrin8 [" + path.toStdString() + "] [+" +
                                    std::to_string(store.currentPly()) + "]");
}

TEST(ToolSettingsDialogTest, EditsEveryEntryAndBrowses) {
    testsupport::ensureQApplication();
    Settings settings;
    ToolSettingsDialog dialog(settings.tools);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ツールメニュー設定"));
    EXPECT_EQ(dialog.menuField()->text(), QStringLiteral("棋譜ファイルをエディタで開く"));
    dialog.entryChoice()->setCurrentIndex(2);
    dialog.menuField()->setText(QStringLiteral("表計算"));
    dialog.setProgramChooser([] { return QStringLiteral("/usr/bin/calc"); });
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    QTest::keyClicks(dialog.argumentsField(), QStringLiteral("--ply %N"));
    dialog.entryChoice()->setCurrentIndex(0);  // the edits of entry 3 are kept
    EXPECT_EQ(dialog.menuField()->text(), QStringLiteral("棋譜ファイルをエディタで開く"));
    const ToolEntries tools = dialog.tools();
    EXPECT_EQ(tools[2], (ToolEntry{std::string("表計算"), "/usr/bin/calc", "--ply %N"}));
    EXPECT_EQ(tools[0], settings.tools[0]);
    EXPECT_EQ(tools[4], settings.tools[4]);
}

TEST_F(ToolWindowTest, UploadGoesToEverySelectedSettingOnAWorkerAndGoesOnAfterAFailure) {
    UploadBoard board;
    board.failing = "down.example.org";
    window->setFtpTransportFactory([&board] { return std::make_unique<BoardTransport>(board); });
    for (const char* server : {"down.example.org", "off.example.org", "up.example.org"}) {
        FtpSetting s;
        s.server = server;
        s.user = "u";
        s.selected = std::string(server) != "off.example.org";
        settings.ftp.entries.push_back(s);
    }
    ASSERT_EQ(window->openFile(copySample()), CommandResult::Done);

    // No: nothing is sent.
    window->action(Command::FtpUpload)->trigger();
    EXPECT_FALSE(window->ftpUploading());
    EXPECT_EQ(core::toUtf8Lossy(window->shownMessages().back()),
              "棋譜ファイルをFTPでサーバへ送信しますか？");

    window->setQuietAnswer(Answer::Yes);
    window->action(Command::FtpUpload)->trigger();
    EXPECT_TRUE(window->ftpUploading());
    EXPECT_FALSE(window->action(Command::FtpUpload)->isEnabled());
    EXPECT_FALSE(window->close());  // not while a transfer runs
    QTRY_VERIFY_WITH_TIMEOUT(!window->ftpUploading(), 10000);
    EXPECT_EQ(board.servers, (std::vector<std::string>{"down.example.org", "up.example.org"}));
    EXPECT_EQ(core::toUtf8Lossy(window->shownMessages().back()),
              "サーバ(down.example.org)に接続できません。");
    EXPECT_TRUE(window->statusText().startsWith(QStringLiteral("FTP転送しました(")));
    EXPECT_TRUE(window->action(Command::FtpUpload)->isEnabled());
}

}  // namespace
}  // namespace tavrel
