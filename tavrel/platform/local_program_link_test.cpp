// Finding or starting the database over real local sockets: a QLocalServer stands in for
// Dalmir, "started" by the link when asked.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <fstream>

#include "desktop/program_link.h"
#include "tavrel/logic/document/document_test_fixture.h"
#include "tavrel/logic/tools/external_programs.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

namespace tavrel {
using desktop::isExecutableFile;
using desktop::LocalProgramLink;
namespace {

using testsupport::DocumentFixture;

// Starting the program opens the stand-in server; the waits are a hundredth as long.
class StandInLink : public desktop::LocalProgramLink {
public:
    StandInLink(QObject* context, QLocalServer& server, QString name)
        : desktop::LocalProgramLink(context), m_server(server), m_name(std::move(name)) {}
    bool start(const std::string& program, const std::vector<std::string>&) override {
        started.push_back(program);
        return m_server.listen(m_name);
    }
    void after(int ms, std::function<void()> then) override {
        desktop::LocalProgramLink::after(ms / 100, std::move(then));
    }
    std::vector<std::string> started;

private:
    QLocalServer& m_server;
    QString m_name;
};

class ProgramLinkTest : public DocumentFixture {
protected:
    ProgramLinkTest() {
        testsupport::ensureQApplication();
        name = QStringLiteral("tavrel-test-%1").arg(QCoreApplication::applicationPid());
        QLocalServer::removeServer(name);
        QObject::connect(&server, &QLocalServer::newConnection, [this] {
            while (QLocalSocket* s = server.nextPendingConnection()) {
                QObject::connect(s, &QLocalSocket::readyRead, [this, s] {
                    while (s->canReadLine()) lines.push_back(s->readLine().trimmed().toStdString());
                });
                QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    // Runs the event loop until `done` or five seconds passed.
    void runUntil(const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
    }

    QObject context;
    QLocalServer server;
    QString name;
    std::vector<std::string> lines;
};

TEST_F(ProgramLinkTest, TheDatabaseIsStartedOnceThenSentF4AndTheRequest) {
    StandInLink standIn(&context, server, name);
    ProgramStarter starter(doc, standIn);
    std::optional<bool> reached;
    starter.start("/opt/dalmir", name.toStdString(), core::DatabaseRequest::SearchPosition,
                  [&](bool r) { reached = r; });
    runUntil([&] { return reached.has_value() && lines.size() >= 3; });
    EXPECT_EQ(reached, true);
    EXPECT_EQ(standIn.started, std::vector<std::string>{"/opt/dalmir"});
    EXPECT_EQ(lines, (std::vector<std::string>{"F4", "SHOW", "F5"}));

    // Running now: only shown, never started again and no F4.
    lines.clear();
    reached.reset();
    starter.start("/opt/dalmir", name.toStdString(), std::nullopt, [&](bool r) { reached = r; });
    runUntil([&] { return !lines.empty(); });
    EXPECT_EQ(reached, true);
    EXPECT_EQ(standIn.started.size(), 1u);
    EXPECT_EQ(lines, std::vector<std::string>{"SHOW"});
}

TEST_F(ProgramLinkTest, NothingAnswersWhereNoServerListens) {
    desktop::LocalProgramLink plain(&context);
    EXPECT_FALSE(plain.send(name.toStdString(), "F4"));
    EXPECT_FALSE(plain.start("/nonexistent/program", {}));
    EXPECT_FALSE(plain.start("", {}));
}

TEST(ProgramFileTest, OnlyExecutableFilesCount) {
    testsupport::TempFolder folder;
    const std::string plain = folder.file("plain");
    std::ofstream(plain) << "text";
    std::filesystem::permissions(
        plain, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_TRUE(desktop::isExecutableFile("/bin/sh"));
    EXPECT_FALSE(desktop::isExecutableFile(plain));
    EXPECT_FALSE(desktop::isExecutableFile("/bin"));
    EXPECT_FALSE(desktop::isExecutableFile("/nonexistent"));
}

}  // namespace
}  // namespace tavrel
