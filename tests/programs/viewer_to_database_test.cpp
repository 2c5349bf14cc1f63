// The viewer's 棋譜データベースで局面検索 (F9) reaching the database's window over the real local
// socket: the position goes on the clipboard, the request crosses the link, the 局面検索 dialog
// opens and is answered OK, and the search runs. The window survives the client hanging up while
// its dialog is open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QSignalSpy>
#include <QTimer>

#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/app/request_server.h"
#include "dalmir/model/store/database.h"
#include "desktop/program_link.h"
#include "tavrel/logic/output/export_test_fixture.h"
#include "tavrel/logic/tools/external_programs.h"
#include "tests/support/qt_application.h"

// fontconfig keeps its caches until the process ends; the leak checker is told so.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace {

// The viewer's desktop whose clipboard is the real one, as the database reads it.
struct SystemClipboard : testsupport::RecordingDesktop {
    bool setClipboardText(const std::string& cp932) override {
        QApplication::clipboard()->setText(dalmir::fromUtf8(cp932));
        return true;
    }
};

class ViewerToDatabaseTest : public testsupport::ExportFixture {
protected:
    ViewerToDatabaseTest() {
        testsupport::ensureQApplication();
        name = QStringLiteral("viewer_to_database_%1").arg(QCoreApplication::applicationPid());
    }

    // Six records: two open with 7六歩 3四歩, four with 2六歩 8四歩.
    std::string writeDatabase() {
        dalmir::model::Database db;
        db.reset(true);
        for (int i = 0; i < 6; ++i) {
            dalmir::model::IndexEntry e;
            e.setText(dalmir::model::IndexText::Path, "/nowhere/" + std::to_string(i) + ".KIF");
            e.moveCount = 2;
            std::vector<dalmir::model::ListMove> list =
                i < 2 ? std::vector<dalmir::model::ListMove>{{77, 76}, {33, 34}}
                      : std::vector<dalmir::model::ListMove>{{27, 26}, {83, 84}};
            EXPECT_GE(db.append(std::move(e), std::move(list)), 0);
        }
        const std::string file = path("games.dlb");
        EXPECT_EQ(dalmir::model::saveDatabase(db, file), core::WriteResult::Ok);
        return file;
    }

    QString name;
    SystemClipboard clipboard;
};

TEST_F(ViewerToDatabaseTest, PositionSearchFromTheViewerThroughTheDialog) {
    const std::string db = writeDatabase();
    dalmir::AppSettings dalmirSettings;
    dalmir::DalmirContext context;
    context.settings = &dalmirSettings;
    context.quiet = true;
    context.askSearchOptions = true;
    dalmir::MainWindow window(context);
    ASSERT_TRUE(window.openFile(dalmir::fromFsPath(db)));

    dalmir::RequestServer server;
    ASSERT_TRUE(server.listen(name));
    // A direct connection: the server alone keeps the dialog out of the socket's handler.
    QObject::connect(&server, &dalmir::RequestServer::requested, &window,
                     &dalmir::MainWindow::handleRequest);

    // OK on the 局面検索 dialog once it has been open for a while, long enough for the viewer's
    // connection to have ended and its socket to have been let go.
    int dialogs = 0;
    std::function<void()> answer = [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->windowTitle() != QStringLiteral("局面検索")) {
            QTimer::singleShot(10, answer);
            return;
        }
        ++dialogs;
        QTimer::singleShot(200, dialog, &QDialog::accept);
    };
    QTimer::singleShot(0, answer);

    load("a.kif");
    QObject linkContext;
    desktop::LocalProgramLink link(&linkContext);
    tavrel::ProgramStarter starter(doc, link);
    tavrel::ProgramPlaces places;
    places.dalmir = "/nowhere/dalmir";
    places.dalmirServer = name.toStdString();
    QSignalSpy done(&window, &dalmir::MainWindow::operationDone);
    tavrel::searchPositionInDatabase(doc, clipboard, starter, places);

    ASSERT_TRUE(done.wait(20000));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(window.statusPane(1), QStringLiteral("棋譜数：2 / 6"));
}

}  // namespace
