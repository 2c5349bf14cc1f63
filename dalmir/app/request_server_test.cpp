#include "dalmir/app/request_server.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>

#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"
#include "desktop/program_link.h"
#include "tests/support/qt_application.h"
#include "tests/support/test_records.h"

namespace dalmir {
namespace {

using testsupport::kifRecord;
using testsupport::TempFolder;

class RequestServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    QString serverName() const {
        return QStringLiteral("dalmir_test_%1").arg(QCoreApplication::applicationPid());
    }
    static void send(const QString& name, const QByteArray& lines) {
        QLocalSocket client;
        client.connectToServer(name);
        ASSERT_TRUE(client.waitForConnected(5000));
        client.write(lines);
        ASSERT_TRUE(client.waitForBytesWritten(5000));
        client.disconnectFromServer();
    }
};

TEST_F(RequestServerTest, LinesBecomeRequests) {
    RequestServer server;
    ASSERT_TRUE(server.listen(serverName()));
    QSignalSpy spy(&server, &RequestServer::requested);
    send(serverName(), "F4\nnonsense\n1324\n");
    while (spy.size() < 2) ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy[0][0].value<core::DatabaseRequest>(), core::DatabaseRequest::OpenRecent);
    EXPECT_EQ(spy[1][0].value<core::DatabaseRequest>(), core::DatabaseRequest::RegisterRecord);

    RequestServer second;
    EXPECT_FALSE(second.listen(serverName()));
}

// The viewer's own link reaches the database's server: a SHOW and an F4, as a start sends them.
TEST_F(RequestServerTest, TheViewersLinkIsUnderstood) {
    RequestServer server;
    ASSERT_TRUE(server.listen(serverName()));
    QSignalSpy spy(&server, &RequestServer::requested);
    QObject context;
    desktop::LocalProgramLink link(&context);
    ASSERT_TRUE(link.send(serverName().toStdString(), "F4"));
    ASSERT_TRUE(link.send(serverName().toStdString(), "SHOW"));
    while (spy.size() < 2) ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy[0][0].value<core::DatabaseRequest>(), core::DatabaseRequest::OpenRecent);
    EXPECT_EQ(spy[1][0].value<core::DatabaseRequest>(), core::DatabaseRequest::Show);
}

// The user's own server is found under a path of the user's socket folder; a socket another
// user put in the place is neither taken over nor told anything (made here as root only).
TEST_F(RequestServerTest, AnotherUsersSocketIsLeftAlone) {
    EXPECT_EQ(RequestServer::userServerName().left(1), QStringLiteral("/"));
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a socket to another user";
    TempFolder folder("sockets");
    const QString path = QString::fromStdString(folder.file("DalmirClass"));
    QLocalServer squatter;
    ASSERT_TRUE(squatter.listen(path));
    ASSERT_EQ(::chown(path.toLocal8Bit().constData(), 65534, 65534), 0);
    RequestServer server;
    EXPECT_FALSE(server.listen(path));
    QObject context;
    desktop::LocalProgramLink link(&context);
    EXPECT_FALSE(link.send(path.toStdString(), "F5"));
    EXPECT_FALSE(squatter.hasPendingConnections());
}

// F5 from a client runs the position search on the clipboard's position; an F5 that comes
// while another operation runs waits for it and then runs.
TEST_F(RequestServerTest, PositionSearchRequest) {
    TempFolder folder("dalmir_request");
    model::Database db;
    db.reset(true);
    for (int i = 0; i < 6; ++i) {
        model::IndexEntry e;
        e.setText(model::IndexText::Path, "/nowhere/" + std::to_string(i) + ".KIF");
        e.moveCount = 1;
        ASSERT_GE(
            db.append(std::move(e), {i < 2 ? model::ListMove{77, 76} : model::ListMove{27, 26}}),
            0);
    }
    const std::string path = folder.file("req.dlb");
    ASSERT_EQ(model::saveDatabase(db, path), core::WriteResult::Ok);

    AppSettings settings;
    DalmirContext context;
    context.settings = &settings;
    context.quiet = true;
    MainWindow window(context);
    ASSERT_TRUE(window.openFile(fromFsPath(path)));

    RequestServer server;
    ASSERT_TRUE(server.listen(serverName()));
    QObject::connect(&server, &RequestServer::requested, &window, &MainWindow::handleRequest);

    QString text;
    for (const auto& line : kifRecord({"７六歩(77)"})) {
        text += QString::fromStdString(line) + QStringLiteral("\n");
    }
    QApplication::clipboard()->setText(text);
    QSignalSpy done(&window, &MainWindow::operationDone);
    send(serverName(), "F5\n");
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(window.statusPane(1), QStringLiteral("棋譜数：2 / 6"));

    // While an update runs (the files are missing; the answer keeps them) a request waits for
    // its end and then runs.
    window.setSortOrder(0);
    QApplication::clipboard()->setText(text);
    ASSERT_TRUE(window.startUpdate());
    window.handleRequest(core::DatabaseRequest::SearchPosition);
    EXPECT_TRUE(window.isBusy());
    while (done.size() < 3) ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(window.statusPane(1), QStringLiteral("棋譜数：2 / 6"));
    EXPECT_FALSE(window.isBusy());
}

}  // namespace
}  // namespace dalmir
