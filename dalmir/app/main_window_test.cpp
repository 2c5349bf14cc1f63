#include "dalmir/app/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <semaphore>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "dalmir/app/player_report_dialog.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/app/search_dialogs.h"
#include "dalmir/app/tree_dock.h"
#include "dalmir/logic/dalmir_test_fixture.h"
#include "dalmir/logic/record_search_form.h"
#include "dalmir/logic/sort_order.h"
#include "dalmir/model/table/dls_clipboard.h"
#include "dalmir/model/tree/tree_index.h"
#include "tests/support/qt_application.h"
#include "tests/support/test_records.h"

// fontconfig keeps its caches until the process ends; the leak checker is told so.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace dalmir {
namespace {

using model::Database;
using model::IndexEntry;
using model::IndexText;
using model::ListMove;
using testsupport::kifRecord;
using testsupport::TempFolder;

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }

    std::unique_ptr<MainWindow> makeWindow(RecentDatabases* recent = nullptr) {
        DalmirContext c;
        c.settings = &settings;
        c.programFolder = QString::fromStdString(folder.path()) + QStringLiteral("/");
        c.dataFolder = c.programFolder;
        c.recent = recent;
        c.quiet = true;
        return std::make_unique<MainWindow>(c);
    }

    // Waits (in the event loop, no sleeping) until the running operation has finished.
    static void waitForOperation(MainWindow& window) {
        if (!window.isBusy()) return;
        QSignalSpy done(&window, &MainWindow::operationDone);
        ASSERT_TRUE(done.wait(30000));
    }

    // A binary database of n records: even records open with 7g7f, odd ones with 2g2f; the
    // start dates run through the days of 2001 so that every date differs.
    std::string writeBinaryDatabase(int n) {
        Database db(n);
        db.reset(true);
        for (int i = 0; i < n; ++i) {
            IndexEntry e;
            e.setText(IndexText::Path, "/nowhere/" + std::to_string(i) + ".KIF");
            e.setText(IndexText::BlackPlayer, "p" + std::to_string(i % 7));
            e.start = {static_cast<uint16_t>(1990 + i % 20), static_cast<uint8_t>(1 + i % 12),
                       static_cast<uint8_t>(1 + i % 28)};
            const bool rook = i % 2 == 1;
            std::vector<ListMove> list = {rook ? ListMove{27, 26} : ListMove{77, 76},
                                          ListMove{33, 34}};
            e.moveCount = 2;
            EXPECT_GE(db.append(std::move(e), std::move(list)), 0);
        }
        const std::string path = folder.file("big.dlb");
        EXPECT_EQ(model::saveDatabase(db, path), core::WriteResult::Ok);
        return path;
    }

    // The menu command of this text, or null.
    static QAction* menuAction(MainWindow& window, const QString& text) {
        for (QAction* menu : window.menuBar()->actions()) {
            if (!menu->menu()) continue;
            for (QAction* a : menu->menu()->actions()) {
                if (a->text() == text) return a;
            }
        }
        return nullptr;
    }
    // Answers the next modal dialog that opens: accept (OK) or reject (Cancel).
    static void answerNextDialog(bool accept) {
        QTimer::singleShot(0, [accept] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return answerNextDialog(accept);
            if (accept) {
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
    }

    TempFolder folder{"dalmir_window"};
    AppSettings settings;
};

// A text database saved under a binary name is converted on the worker and the pair opened; the
// records that could not be carried over are counted with their reason.
TEST_F(MainWindowTest, SaveAsBinaryConvertsAndSaysWhatWasLeftOut) {
    auto window = makeWindow();
    const std::string a = folder.write("a.kif", kifRecord({"７六歩(77)", "３四歩(33)"}));
    const std::string b = folder.write("b.kif", kifRecord({"２六歩(27)"}));
    for (const std::string& file : {a, b}) {
        ASSERT_TRUE(window->startSingleAdd(fromFsPath(file)));
        waitForOperation(*window);
    }
    ASSERT_EQ(window->database().table().size(), 2);
    ASSERT_FALSE(window->database().isBinary());
    std::filesystem::remove(b);

    const std::string target = folder.file("converted.dlb");
    ASSERT_TRUE(window->startConversion(fromFsPath(target)));
    waitForOperation(*window);
    EXPECT_TRUE(window->database().isBinary());
    EXPECT_EQ(window->database().table().size(), 1);
    ASSERT_FALSE(window->messages().isEmpty());
    EXPECT_EQ(window->messages().back(),
              QStringLiteral("2件中1件の棋譜は変換できませんでした。\n読み込めない棋譜：1件"));
    Database reread;
    ASSERT_EQ(model::openDatabase(reread, target).code, model::OpenResult::Ok);
    EXPECT_EQ(reread.table().size(), 1);
}

// The settings are written when the settings dialog closes with OK, not only at exit: a crash
// later keeps them. Cancel writes nothing.
TEST_F(MainWindowTest, TheSettingsDialogsOkWritesTheSettings) {
    int written = 0;
    DalmirContext c;
    c.settings = &settings;
    c.programFolder = QString::fromStdString(folder.path()) + QStringLiteral("/");
    c.dataFolder = c.programFolder;
    c.quiet = true;
    c.storeSettings = [&] { ++written; };
    MainWindow window(c);
    QAction* settingsCommand = menuAction(window, QStringLiteral("設定(&C)..."));
    ASSERT_NE(settingsCommand, nullptr);
    answerNextDialog(false);
    settingsCommand->trigger();
    EXPECT_EQ(written, 0);
    answerNextDialog(true);
    settingsCommand->trigger();
    EXPECT_EQ(written, 1);
}

// Opening 2,000 records, sorting by a header twice, and a position search from the clipboard
// text: the hit count shows in the status bar and the list holds the hits.
TEST_F(MainWindowTest, OpenSortAndSearch) {
    const std::string path = writeBinaryDatabase(2000);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    EXPECT_EQ(window->listModel()->rowCount(), 2000);
    // Opening the same database again (F4 on the most recent one) keeps the window's own lock.
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    EXPECT_EQ(window->statusPane(1), QStringLiteral("棋譜数：2000 / 2000"));

    int dateSection = -1;
    for (int s = 0; s < window->listModel()->columnCount(); ++s) {
        if (window->listModel()->columnOfSection(s) == 6) dateSection = s;
    }
    ASSERT_GE(dateSection, 0);
    auto dateOf = [&](int row) {
        const auto& order = window->database().table().displayOrder();
        return window->database().table().entry(order[static_cast<std::size_t>(row)]).start;
    };
    window->clickHeader(dateSection, false);
    EXPECT_EQ(window->database().table().settings().sortOrder, 15);
    EXPECT_GE(dateOf(0), dateOf(1999));
    EXPECT_EQ(window->statusPane(2), QStringLiteral("表示順：対局日、新しい順"));
    window->clickHeader(dateSection, false);
    EXPECT_EQ(window->database().table().settings().sortOrder, 14);
    EXPECT_LE(dateOf(0), dateOf(1999));
    EXPECT_EQ(
        window->listModel()->data(window->listModel()->index(0, dateSection), Qt::DisplayRole),
        QStringLiteral("90/01/01"));

    const std::vector<std::string> target = kifRecord({"７六歩(77)"});
    QString text;
    for (const auto& line : target) text += QString::fromStdString(line) + QStringLiteral("\n");
    ASSERT_TRUE(window->startPositionSearch(text));
    EXPECT_TRUE(window->isBusy());
    EXPECT_EQ(window->listModel()->rowCount(), 0);  // frozen while the worker runs
    waitForOperation(*window);
    EXPECT_EQ(window->statusPane(1), QStringLiteral("棋譜数：1000 / 2000"));
    // The status says the search ended, not its last progress line.
    EXPECT_EQ(window->statusPane(0), QStringLiteral("検索終了　棋譜：2000  検出：1000"));
    EXPECT_EQ(window->listModel()->rowCount(), 1000);
    EXPECT_EQ(window->database().table().settings().sortOrder, 14);
}

// The setting max_records far above a million is the window's limit: records register under
// it, and the binary pair it saves reads back whole with its position index.
TEST_F(MainWindowTest, ALimitAboveAMillionHoldsAndSavesValidFiles) {
    settings.maxRecords = 3000000;
    for (int i = 0; i < 5; ++i) {
        folder.write("records/" + std::to_string(i) + ".kif", kifRecord({"７六歩(77)"}));
    }
    auto window = makeWindow();
    EXPECT_EQ(window->database().table().capacity(), 3000000);
    window->newDatabase(true);
    model::FolderAdd request;
    request.folder = folder.file("records");
    ASSERT_TRUE(window->startFolderAdd(request));
    waitForOperation(*window);
    EXPECT_EQ(window->database().table().size(), 5);

    const QString saved = QString::fromStdString(folder.file("many.dlb"));
    ASSERT_TRUE(window->saveFile(saved));
    ASSERT_TRUE(window->openFile(saved));
    EXPECT_EQ(window->database().table().capacity(), 3000000);
    EXPECT_EQ(window->listModel()->rowCount(), 5);
    Database back(3000000);
    const model::OpenReport r = model::openDatabase(back, fsPath(saved));
    ASSERT_EQ(r.code, model::OpenResult::Ok);
    EXPECT_EQ(r.indexNotice, "");
    EXPECT_EQ(back.table().size(), 5);
    EXPECT_NE(back.positionIndex(), nullptr);
}

// Cancelling a folder registration halfway keeps what was added, and the database saves and
// reads back whole.
TEST_F(MainWindowTest, FileTypesAreRegisteredForThisUser) {
    auto window = makeWindow();
    const QString dataHome = QString::fromStdString(folder.file("share"));
    window->registerFileTypes(dataHome);
    QFile entry(dataHome + QStringLiteral("/applications/dalmir.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Exec=") + QCoreApplication::applicationFilePath()));
    EXPECT_TRUE(QFileInfo::exists(dataHome + QStringLiteral("/mime/packages/tavrel.xml")));
    EXPECT_EQ(window->statusPane(0),
              QStringLiteral("データベースファイルを本プログラムと対応付けしました。"));

    // A data folder that cannot be made: the message names it and nothing is written.
    const QString blocked = QString::fromStdString(folder.file("blocked"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    window->registerFileTypes(blocked + QStringLiteral("/share"));
    ASSERT_FALSE(window->messages().isEmpty());
    EXPECT_TRUE(window->messages().back().endsWith(QStringLiteral(" に書き込めません。")));
}

// While a long operation runs, its cancel entry names it.
TEST_F(MainWindowTest, CancelEntryNamesTheRunningOperation) {
    folder.write("records/1.kif", kifRecord({"７六歩(77)"}));
    auto window = makeWindow();
    window->newDatabase(false);
    auto* cancel = window->findChild<QPushButton*>(QStringLiteral("operationCancel"));
    ASSERT_NE(cancel, nullptr);
    model::FolderAdd request;
    request.folder = folder.file("records");
    ASSERT_TRUE(window->startFolderAdd(request));
    EXPECT_EQ(cancel->text(), QString::fromUtf8("フォルダ指定追加の中止(&Q)"));
    waitForOperation(*window);
    ASSERT_TRUE(window->startSingleAdd(QString::fromStdString(folder.file("records/1.kif"))));
    EXPECT_EQ(cancel->text(), QString::fromUtf8("単独追加の中止(&Q)"));
    waitForOperation(*window);
    ASSERT_TRUE(window->startSequenceSearch(QString::fromUtf8("▲７六歩")));
    EXPECT_EQ(cancel->text(), QString::fromUtf8("手順検索の中止(&Q)"));
    waitForOperation(*window);
}

TEST_F(MainWindowTest, CancelledRegistrationKeepsWhatWasAdded) {
    for (int i = 0; i < 100; ++i) {
        folder.write("records/" + std::to_string(100 + i) + ".kif", kifRecord({"７六歩(77)"}));
    }
    auto window = makeWindow();
    std::atomic<int> polls{0};
    window->runner().setStepHook([&] {
        if (++polls == 3) window->cancelOperation();
    });
    model::FolderAdd request;
    request.folder = folder.file("records");
    ASSERT_TRUE(window->startFolderAdd(request));
    waitForOperation(*window);
    const int added = window->database().table().size();
    EXPECT_GT(added, 0);
    EXPECT_LT(added, 100);
    EXPECT_EQ(window->listModel()->rowCount(), added);
    EXPECT_TRUE(window->database().isModified());

    const QString saved = QString::fromStdString(folder.file("part.dls"));
    ASSERT_TRUE(window->saveFile(saved));
    EXPECT_FALSE(window->database().isModified());
    Database back;
    ASSERT_EQ(model::openDatabase(back, fsPath(saved)).code, model::OpenResult::Ok);
    EXPECT_EQ(back.table().size(), added);
}

// Bad input changes nothing: an unknown extension, a broken file, a database locked by another
// program; a failed save leaves the old file as it was.
TEST_F(MainWindowTest, BadInputChangesNothing) {
    const std::string good = writeBinaryDatabase(5);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(good)));

    EXPECT_FALSE(window->openFile(QString::fromStdString(folder.file("x.kif"))));
    EXPECT_EQ(window->messages().back(), QStringLiteral("ファイル(") +
                                             QString::fromStdString(folder.file("x.kif")) +
                                             QStringLiteral(")は、読めません。"));
    folder.writeBytes("broken.dlb", "not a database");
    EXPECT_FALSE(window->openFile(QString::fromStdString(folder.file("broken.dlb"))));
    EXPECT_FALSE(window->openFile(QString::fromStdString(folder.file("missing.dls"))));
    EXPECT_EQ(window->database().table().size(), 5);

    const std::string other = folder.file("other.dls");
    folder.writeBytes("other.dls", "# Dalmir V6.20\r\n");
    model::DatabaseLock held;
    ASSERT_EQ(model::lockDatabase(other, held, false), model::LockResult::Ok);
    EXPECT_FALSE(window->saveFile(QString::fromStdString(other)));
    EXPECT_EQ(window->database().table().size(), 5);
    EXPECT_EQ(core::readFile(other), std::string("# Dalmir V6.20\r\n"));
    // Reading needs no lock: a database another program is changing still opens.
    EXPECT_TRUE(window->openFile(QString::fromStdString(other)));
    EXPECT_EQ(window->database().table().size(), 0);

    window->openFiles({QStringLiteral("a.txt")});
    EXPECT_EQ(window->messages().back(), QStringLiteral("ファイル(a.txt)は、読めません。"));
}

// Launching hands the viewer the record's absolute path and the hit's move; a record whose
// file is gone gives the missing-record message.
TEST_F(MainWindowTest, LaunchesTheViewer) {
    const std::string record = folder.write("my records/a b.kif", kifRecord({"７六歩(77)"}));
    Database db;
    IndexEntry e;
    e.setText(IndexText::Path, "my records/a b.kif");
    ASSERT_GE(db.append(std::move(e)), 0);
    IndexEntry gone;
    gone.setText(IndexText::Path, "/nowhere/gone.kif");
    ASSERT_GE(db.append(std::move(gone)), 0);
    const std::string path = folder.file("rel.dls");
    ASSERT_EQ(model::saveDatabase(db, path), core::WriteResult::Ok);

    settings.tools.replayCommand = "viewer";
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    std::vector<QStringList> started;
    window->setStarter([&](const QString& program, const QStringList& args) {
        EXPECT_EQ(program, QStringLiteral("viewer"));
        started.push_back(args);
        return true;
    });
    window->listView()->selectAll();
    window->launchSelected(LaunchCommand::Replay);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0],
              (QStringList{QStringLiteral("/R"), fromFsPath(record), QStringLiteral("+0")}));
    EXPECT_EQ(window->messages().back(), QStringLiteral("棋譜(/nowhere/gone.kif)がありません。"));

    // With the default settings (no editor set) エディタで開く is there and opens the file on
    // the desktop.
    EXPECT_TRUE(window->isEnabled(Command::Editor));
    started.clear();
    window->setStarter([&](const QString& program, const QStringList& args) {
        EXPECT_EQ(program, QStringLiteral("xdg-open"));
        started.push_back(args);
        return true;
    });
    window->listView()->clearSelection();
    window->listView()->selectRow(0);
    window->launchSelected(LaunchCommand::Editor);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], QStringList{fromFsPath(record)});

    window->setStarter([](const QString&, const QStringList&) { return false; });
    window->launchSelected(LaunchCommand::PositionEdit);
    EXPECT_EQ(window->messages().back(), QStringLiteral("起動に失敗しました。(viewer /B)"));
}

// A column dragged wider is the database's width from then on: redrawing keeps it, and it is
// saved with the database.
TEST_F(MainWindowTest, DraggedColumnWidthIsKept) {
    const std::string path = writeBinaryDatabase(3);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    const std::vector<ListColumnView> columns = window->listModel()->columns();
    ASSERT_GE(columns.size(), 2u);
    const int column = columns[1].column;
    window->listView()->horizontalHeader()->resizeSection(1, 211);
    EXPECT_EQ(window->database().table().settings().columnWidth[static_cast<std::size_t>(column)],
              211);
    EXPECT_TRUE(window->database().isModified());
    window->showAll();
    EXPECT_EQ(window->listView()->columnWidth(1), 211);
    ASSERT_TRUE(window->saveFile());
    Database back;
    ASSERT_EQ(model::openDatabase(back, path).code, model::OpenResult::Ok);
    EXPECT_EQ(back.table().settings().columnWidth[static_cast<std::size_t>(column)], 211);
}

// A database saved with 自動更新 reads its record files again as it opens; a record whose file
// is gone stays, and nothing is asked or shown.
TEST_F(MainWindowTest, AutoUpdateReadsTheFilesAgainOnOpening) {
    const std::string kept = folder.write("records/a.kif", kifRecord({"７六歩(77)"}));
    const std::string gone = folder.write("records/b.kif", kifRecord({"２六歩(27)"}));
    const QString path = QString::fromStdString(folder.file("auto.dls"));
    {
        auto window = makeWindow();
        window->newDatabase(false);
        model::FolderAdd request;
        request.folder = folder.file("records");
        ASSERT_TRUE(window->startFolderAdd(request));
        waitForOperation(*window);
        ASSERT_EQ(window->database().table().size(), 2);
        window->database().table().settings().autoUpdate = true;
        ASSERT_TRUE(window->saveFile(path));
    }
    folder.write("records/a.kif", kifRecord({"７六歩(77)", "３四歩(33)", "２六歩(27)"}));
    std::filesystem::remove(gone);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(path));
    waitForOperation(*window);
    ASSERT_EQ(window->database().table().size(), 2);
    int moves = 0;
    for (const auto& e : window->database().table().entries()) {
        if (e.path().find("a.kif") != std::string_view::npos) moves = e.moveCount;
    }
    EXPECT_EQ(moves, 3);
    EXPECT_TRUE(window->messages().isEmpty())
        << window->messages().join(QLatin1Char('\n')).toStdString();
    (void)kept;
}

// Run from the build, the program finds its help beside itself (the test runs in its folder).
TEST_F(MainWindowTest, HelpLiesBesideTheProgramInTheBuild) {
    EXPECT_TRUE(QFileInfo::exists(QCoreApplication::applicationDirPath() +
                                  QStringLiteral("/help/index.html")));
}

// 次の手検索 without a selected record says why nothing happens.
TEST_F(MainWindowTest, NextMoveSearchWithoutSelectionSaysSo) {
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(writeBinaryDatabase(3))));
    window->listView()->clearSelection();
    ASSERT_TRUE(window->startNextMoveSearch());
    waitForOperation(*window);
    ASSERT_FALSE(window->messages().isEmpty());
    EXPECT_EQ(window->messages().back(), QString::fromUtf8("次の手を進められませんでした。"));
    EXPECT_EQ(window->listModel()->rowCount(), 3);
}

// A binary record whose file is gone replays from its list: KI2 on the clipboard and "/C +%n".
TEST_F(MainWindowTest, BinaryRecordWithoutFileGoesOnTheClipboard) {
    const std::string path = writeBinaryDatabase(3);
    settings.tools.replayCommand = "viewer";
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    std::vector<QStringList> started;
    window->setStarter([&](const QString&, const QStringList& args) {
        started.push_back(args);
        return true;
    });
    window->listView()->selectRow(1);
    window->launchSelected(LaunchCommand::Replay);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], (QStringList{QStringLiteral("/C"), QStringLiteral("+0")}));
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("big.kix No.2")))
        << QApplication::clipboard()->text().toStdString();
    EXPECT_EQ(window->statusPane(0),
              QStringLiteral("クリップボードへ棋譜(KI2形式)を出力しました。"));

    // Play needs the file itself.
    window->launchSelected(LaunchCommand::Play);
    EXPECT_EQ(started.size(), 1u);
    ASSERT_FALSE(window->messages().isEmpty());
    EXPECT_EQ(window->messages().back(), QStringLiteral("棋譜(/nowhere/1.KIF)がありません。"));
}

// Header search, statistics and the duplicate check run on the worker and leave their results:
// the hits listed, the report kept, the duplicates asked about (the quiet window cancels, so
// nothing is deleted).
TEST_F(MainWindowTest, SearchesStatisticsAndDuplicates) {
    const std::string path = writeBinaryDatabase(40);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));

    model::HeaderCriteria criteria;
    criteria.black = "p3";
    ASSERT_TRUE(window->startHeaderSearch(criteria));
    waitForOperation(*window);
    EXPECT_EQ(window->statusPane(1), QStringLiteral("棋譜数：6 / 40"));  // 3, 10, 17, 24, 31, 38

    ASSERT_TRUE(window->startStatistics(0));
    waitForOperation(*window);
    EXPECT_FALSE(window->lastReport().isEmpty());
    ASSERT_TRUE(window->startStatistics(1, QStringLiteral("p3")));
    waitForOperation(*window);
    EXPECT_TRUE(window->lastReport().startsWith(QStringLiteral("棋譜数：    6")))
        << window->lastReport().toStdString();

    window->showAll();
    model::DuplicateCriteria same;
    same.sameDate = false;
    same.samePlayers = false;
    same.sameMoveCount = true;  // every record has two moves: all are pairs
    ASSERT_TRUE(window->startDuplicateCheck(same));
    waitForOperation(*window);
    EXPECT_EQ(window->database().table().size(), 40);
    EXPECT_FALSE(window->messages().isEmpty());
}

TEST_F(MainWindowTest, InputHistoriesAreKeptInTheDataFolder) {
    const QString data = QString::fromStdString(folder.path()) + QStringLiteral("/");
    {
        InputHistories histories(data, settings);
        histories.enter(QStringLiteral("棋戦"), QStringLiteral("名人戦"));
        histories.enter(QStringLiteral("棋戦"), QStringLiteral("竜王戦"));
        histories.enter(QStringLiteral("棋戦"), QString());
    }
    InputHistories again(data, settings);
    ASSERT_NE(again.find(QStringLiteral("棋戦")), nullptr);
    EXPECT_EQ(again.find(QStringLiteral("棋戦"))->entries(),
              (std::vector<std::string>{"竜王戦", "名人戦"}));
    settings.historyEvent = false;
    InputHistories off(data, settings);
    EXPECT_EQ(off.find(QStringLiteral("棋戦")), nullptr);
}

// The window is shown and active, so that its shortcuts answer keys.
void showActive(MainWindow& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
}

// Delete, then Ctrl+Z brings the records back; Alt+Backspace undoes too, and once only. Each
// runs on the worker.
TEST_F(MainWindowTest, UndoKeysTakeBackADeletion) {
    const std::string path = writeBinaryDatabase(6);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    showActive(*window);
    QTableView* view = window->listView();
    EXPECT_FALSE(window->canUndo());

    view->selectRow(2);
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_TRUE(window->isBusy());  // a copy for 元に戻す and the deletion: on the worker
    waitForOperation(*window);
    EXPECT_EQ(window->database().table().size(), 5);
    EXPECT_TRUE(window->database().isModified());
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    waitForOperation(*window);  // changed on the worker
    EXPECT_EQ(window->database().table().size(), 6);
    EXPECT_EQ(window->statusPane(1), QStringLiteral("棋譜数：6 / 6"));
    EXPECT_FALSE(window->database().isModified());

    view->selectAll();
    QTest::keyClick(view, Qt::Key_Delete, Qt::ShiftModifier);  // cut
    waitForOperation(*window);                                 // changed on the worker
    EXPECT_EQ(window->database().table().size(), 0);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("DLS")));
    QTest::keyClick(view, Qt::Key_Backspace, Qt::AltModifier);
    waitForOperation(*window);  // changed on the worker
    EXPECT_EQ(window->database().table().size(), 6);
    EXPECT_EQ(window->database().lists().size(), 6);
    EXPECT_FALSE(window->canUndo());
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    waitForOperation(*window);  // changed on the worker
    EXPECT_EQ(window->database().table().size(), 6);
}

// Ctrl+B compares the first two selected records: different ones open in the viewer at the
// first move where they part (the second start later), identical ones say so.
TEST_F(MainWindowTest, CompareTwoRecords) {
    const std::string path = writeBinaryDatabase(4);  // records 0 and 2 open alike
    settings.tools.replayCommand = "viewer";
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    showActive(*window);
    std::vector<QStringList> started;
    window->setStarter([&](const QString&, const QStringList& args) {
        started.push_back(args);
        return true;
    });
    std::vector<std::pair<int, std::function<void()>>> later;
    window->setScheduler([&](int ms, std::function<void()> run) { later.emplace_back(ms, run); });

    QTableView* view = window->listView();
    view->selectionModel()->select(window->listModel()->index(0, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->selectionModel()->select(window->listModel()->index(1, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(view, Qt::Key_B, Qt::ControlModifier);
    // The records have no files: each goes on the clipboard and opens at move 1.
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], (QStringList{QStringLiteral("/C"), QStringLiteral("+1")}));
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("big.kix No.1")));
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].first, 500);
    later[0].second();
    ASSERT_EQ(started.size(), 2u);
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("big.kix No.2")));

    view->clearSelection();
    view->selectionModel()->select(window->listModel()->index(0, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->selectionModel()->select(window->listModel()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(view, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(started.size(), 2u);
    EXPECT_EQ(window->statusPane(0), QStringLiteral("違いは、ありません。"));
}

// Records copied from a text database paste into a binary one on the worker, each with the
// moves of its file; undo takes the paste back.
TEST_F(MainWindowTest, PasteIntoABinaryDatabase) {
    const std::string a = folder.write("k/a.kif", kifRecord({"７六歩(77)", "３四歩(33)"}));
    const std::string b = folder.write("k/b.kif", kifRecord({}));
    Database source;
    IndexEntry ea;
    ea.setText(IndexText::Path, a);
    IndexEntry eb;
    eb.setText(IndexText::Path, b);
    const std::vector<int32_t> slots = {source.append(std::move(ea)), source.append(std::move(eb))};
    const QString copied = fromUtf8(model::copyRecordsAsText(source.table(), slots));

    auto window = makeWindow();
    window->newDatabase(true);
    QApplication::clipboard()->setText(copied);
    QApplication::processEvents();
    ASSERT_TRUE(window->isEnabled(Command::Paste));
    ASSERT_TRUE(window->pasteText(copied));
    waitForOperation(*window);
    ASSERT_EQ(window->database().table().size(), 1);  // the record without moves is refused
    EXPECT_EQ(window->database().table().entry(0).moveCount, 2);
    EXPECT_EQ(window->database().lists().list(0).size(), 2u);
    EXPECT_EQ(window->listModel()->rowCount(), 1);
    EXPECT_TRUE(window->database().isModified());
    window->undo();
    waitForOperation(*window);
    EXPECT_EQ(window->database().table().size(), 0);

    QApplication::clipboard()->setText(QStringLiteral("not records"));
    QApplication::processEvents();
    EXPECT_FALSE(window->isEnabled(Command::Paste));
}

// Deleting by folder takes the kind and the subfolder switch; an empty folder only says so.
TEST_F(MainWindowTest, DeleteByFolder) {
    Database db;
    for (const char* p : {"/db/k/a.kif", "/db/k/b.csa", "/db/k/sub/c.kif", "/db/x/d.kif"}) {
        IndexEntry e;
        e.setText(IndexText::Path, p);
        ASSERT_GE(db.append(std::move(e)), 0);
    }
    const std::string path = folder.file("f.dls");
    ASSERT_EQ(model::saveDatabase(db, path), core::WriteResult::Ok);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));

    EXPECT_FALSE(window->startFolderDelete({" ", 4, false}));
    EXPECT_EQ(window->messages().back(), QStringLiteral("フォルダが指定されていません。"));
    ASSERT_TRUE(window->startFolderDelete({"/db/k", 0, false}));
    waitForOperation(*window);
    EXPECT_EQ(window->database().table().size(), 3);  // a.kif
    EXPECT_EQ(window->statusPane(0), QStringLiteral("1 棋譜削除しました。"));
    ASSERT_TRUE(window->startFolderDelete({"/db/k", 4, true}));
    waitForOperation(*window);
    EXPECT_EQ(window->database().table().size(), 1);
    window->undo();
    waitForOperation(*window);
    EXPECT_EQ(window->database().table().size(), 3);
}

// The view menu's toggles and fonts, another copy of the program, and the print action of the
// command line.
TEST_F(MainWindowTest, ViewTogglesFontsNewCopyAndPrinting) {
    auto window = makeWindow();
    showActive(*window);
    QAction* toolBar = nullptr;
    QAction* statusBarItem = nullptr;
    for (QAction* menu : window->menuBar()->actions()) {
        if (!menu->menu()) continue;
        for (QAction* a : menu->menu()->actions()) {
            if (a->text() == QStringLiteral("ツールバー(&T)")) toolBar = a;
            if (a->text() == QStringLiteral("ステータスバー(&S)")) statusBarItem = a;
        }
    }
    ASSERT_NE(toolBar, nullptr);
    ASSERT_NE(statusBarItem, nullptr);
    EXPECT_TRUE(window->toolBar()->isVisible());
    toolBar->trigger();
    EXPECT_FALSE(window->toolBar()->isVisible());
    statusBarItem->trigger();
    EXPECT_FALSE(window->statusBar()->isVisible());
    // An operation's progress and Cancel show while it runs.
    ASSERT_TRUE(window->startFolderDelete({"/nowhere", 4, true}));
    EXPECT_TRUE(window->statusBar()->isVisible());
    waitForOperation(*window);
    EXPECT_FALSE(window->statusBar()->isVisible());
    statusBarItem->trigger();
    EXPECT_TRUE(window->statusBar()->isVisible());

    window->setListFont({"Sans", -20, 700, true});
    EXPECT_EQ(window->listView()->font().pixelSize(), 20);
    EXPECT_TRUE(window->listView()->font().italic());
    EXPECT_EQ(settings.listFont.size, -20);
    window->setStatusFont({"Sans", -15, 0, false});
    EXPECT_EQ(window->statusBar()->findChild<QLabel*>()->font().pixelSize(), 15);

    QString program;
    window->setStarter([&](const QString& p, const QStringList&) {
        program = p;
        return false;
    });
    window->chooseNew(MainWindow::NewChoice::NewInstance);
    EXPECT_EQ(program, QApplication::applicationFilePath());
    EXPECT_EQ(window->messages().back(),
              QStringLiteral("起動に失敗しました。(") + program + QStringLiteral(")"));

    const std::string path = writeBinaryDatabase(30);
    // Another window has the database open with a change: the print still reads it.
    auto other = makeWindow();
    ASSERT_TRUE(other->openFile(fromFsPath(path)));
    other->database().setModified();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = QString::fromStdString(folder.file("list.pdf"));
    printer.setOutputFileName(pdf);
    ASSERT_TRUE(window->printDatabase(fromFsPath(path), printer));
    EXPECT_EQ(window->database().table().size(), 30);
    EXPECT_GT(QFileInfo(pdf).size(), 0);
}

// Every menu holds its commands in their order with their keys (separators and the recent
// files left out). Beyond them: 元に戻す in the Edit menu and PDF output in the File menu.
TEST_F(MainWindowTest, MenusAndKeys) {
    auto window = makeWindow();
    QStringList seen;
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            QString line = a->text();
            if (!a->shortcut().isEmpty()) line += QStringLiteral("\t") + a->shortcut().toString();
            seen << line;
            if (a->menu()) walk(a->menu());
        }
    };
    for (QAction* top : window->menuBar()->actions()) {
        seen << QStringLiteral("== ") + top->text();
        walk(top->menu());
    }
    const QString expected = QString::fromUtf8(
        "== ファイル(&F)|新規作成(&N)...\tCtrl+N|開く(&O)...\tCtrl+O|上書き保存(&S)\tCtrl+S|"
        "名前を付けて保存(&A)...|印刷(&P)...\tCtrl+P|印刷プレビュー(&V)|PDFに出力(&D)...|"
        "ページレイアウトの設定(&L)...|プリンタの設定(&R)...|棋譜を相対パスにする(&K)|"
        "Dalmirの終了(&X)|"
        "== 編集(&E)|元に戻す(&U)\tCtrl+Z|切り取り(&T)\tCtrl+X|コピー(&C)\tCtrl+C|"
        "貼り付け(&P)\tCtrl+V|削除(&D)\tDel|棋譜も削除(&S)|棋譜情報出力(&O)|"
        "すべてを選択(&A)\tCtrl+A|エラー記録を見る|"
        "== 表操作(&O)|条件検索(&F)...\tCtrl+F|局面検索(&Y)...\tCtrl+D|次の手検索(&N)|"
        "手順検索(&T)...\tCtrl+Y|全棋譜表示(&A)\tCtrl+L|フォルダ指定追加(&P)...\tCtrl+R|"
        "単独追加(&O)...|フォルダ指定削除(&E)...|表示棋譜以外を削除(&I)|"
        "全データ更新(&U)...\tCtrl+U|選択棋譜の更新(&S)...|選択棋譜のコピー(&G)...|"
        "選択した棋譜だけを表示する(&V)|選択した棋譜を表示しない(&B)|マークの編集(&M)...|"
        "マーク(&1)を反転|マークをすべて解除(&R)|棋譜登録順の変更(&C)|"
        "棋譜の重複を調べる(&D)...\tCtrl+J|二つの棋譜の違いを調べる(&2)\tCtrl+B|"
        "== ツール(&T)|再現(&R)|対局(&G)\tCtrl+G|印刷(&P)|エディタで開く(&E)\tCtrl+E|"
        "フォルダを開く(&F)|局面編集(&B)|統計計算(&S)...\tCtrl+T|対局者の統計計算(&T)...|"
        "対局者レポート(&Y)...|対局者一覧(&W)...|次の手分析(&N)...\tCtrl+M|戦型分析(&O)...|"
        "手合割分析(&H)...|"
        "自動戦型を付ける(&L)...|棋譜の解析(&A)...|設定(&C)...\tF2|"
        "== 表示(&V)|表示項目(&I)...|カード形表示(&C)...|ファイル名(&N)|"
        "フォルダを表示しない(&N)|フォルダを１段表示(&1)|フルパス表示(&F)|"
        "ファイル名の拡張子(&E)|年の表示|西暦２桁(&2)|西暦４桁(&4)|年号(&N)|"
        "表のフォント(&H)...|ステータス フォント(&F)...|ツールバー(&T)|ステータスバー(&S)|"
        "ツリー(&R)|盤面(&B)|"
        "== ヘルプ(&H)|目次(&C)\tF1|バージョン情報(&A)...");
    EXPECT_EQ(seen.join(QLatin1Char('|')), expected);
}

// The viewer's requests go through the window to its logic: F4 opens the most recent database
// (a window without a user drops unsaved changes), a registration request asks about the path
// on the clipboard and registers nothing until answered.
TEST_F(MainWindowTest, ViewerRequestsReachTheLogic) {
    const std::string path = writeBinaryDatabase(3);
    RecentDatabases recent;
    recent.add(path);
    auto owned = makeWindow(&recent);
    MainWindow& window = *owned;
    window.database().setModified();
    window.handleRequest(core::DatabaseRequest::OpenRecent);
    waitForOperation(window);  // opened on the worker
    EXPECT_EQ(window.database().table().size(), 3);
    EXPECT_FALSE(window.database().isModified());

    QApplication::clipboard()->setText(QStringLiteral("  /k/a.kif\n"));
    window.handleRequest(core::DatabaseRequest::RegisterRecord);
    EXPECT_EQ(window.messages().back(), QStringLiteral("棋譜(/k/a.kif)を登録しますか？"));
    EXPECT_FALSE(window.isBusy());
    EXPECT_EQ(window.database().table().size(), 3);
}

// Requests that come while a dialog is open wait for it, in their order, and then run one at a
// time.
TEST_F(MainWindowTest, RequestsWaitForAnOpenDialog) {
    const std::string path = writeBinaryDatabase(3);
    RecentDatabases recent;
    recent.add(path);
    auto owned = makeWindow(&recent);
    MainWindow& window = *owned;
    QDialog dialog(&window);
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    for (int i = 0; i < 200; ++i) window.handleRequest(core::DatabaseRequest::Show);
    window.handleRequest(core::DatabaseRequest::OpenRecent);
    EXPECT_EQ(window.database().table().size(), 0);

    dialog.done(QDialog::Rejected);
    QTRY_COMPARE(window.database().table().size(), 3);
    EXPECT_EQ(window.database().table().size(), 3);
}

// The player report runs on the worker over the listed records: its text is the command line's
// report, its chart has one group per year. A bad alias list stops it with a message.
TEST_F(MainWindowTest, PlayerReportShowsTextAndYears) {
    folder.write("r/a.kif", kifRecord({"７六歩(77)", "３四歩(33)", "投了"}, "2013/06/01"));
    folder.write("r/b.kif", kifRecord({"７六歩(77)", "３四歩(33)", "投了"}, "2014/02/01",
                                      "谷川浩司", "羽生 善治 九段"));
    folder.write("r/c.kif", kifRecord({"２六歩(27)", "投了"}, "2014/03/01", "谷川浩司", "森"));
    auto window = makeWindow();
    window->newDatabase(false);
    model::FolderAdd request;
    request.folder = folder.file("r");
    ASSERT_TRUE(window->startFolderAdd(request));
    waitForOperation(*window);
    ASSERT_EQ(window->database().table().size(), 3);

    ASSERT_TRUE(window->startPlayerReport(QStringLiteral("羽生善治"), folder.file("none.txt")));
    waitForOperation(*window);
    const PlayerReportView& view = window->lastPlayerReport();
    EXPECT_EQ(view.games, 2);
    EXPECT_EQ(view.text, model::playerReportText(model::playerReport(window->database().table(),
                                                                     std::string("羽生善治"), {})));
    ASSERT_EQ(view.years.size(), 2U);
    EXPECT_EQ(view.years[0].label, "2013");
    EXPECT_EQ(view.years[0].losses, 1);  // Black resigned at ply 3
    EXPECT_EQ(view.years[1].label, "2014");
    EXPECT_EQ(view.years[1].wins, 1);  // as White: Black resigned

    PlayerReportDialog dialog(view);
    EXPECT_EQ(dialog.text(), QString::fromStdString(view.text));
    EXPECT_EQ(dialog.years(), QStringList({QStringLiteral("2013"), QStringLiteral("2014")}));
    const auto bars = dialog.bars();
    ASSERT_EQ(bars.size(), 3);
    EXPECT_EQ(bars[0].first, QStringLiteral("勝ち"));
    EXPECT_EQ(bars[1].first, QStringLiteral("負け"));
    EXPECT_EQ(bars[1].second, QList<qreal>({1.0, 0.0}));

    const std::string bad = folder.write("aliases.txt", {"等号のない行"});
    EXPECT_FALSE(window->startPlayerReport(QStringLiteral("羽生善治"), bad));
    ASSERT_FALSE(window->messages().isEmpty());
    EXPECT_TRUE(window->messages().back().contains(QStringLiteral("1行目")));
}

// The header-search dialog's end, material and comment find the records dalmir-cli find's
// --end, --material/--ply and --comment words find (the same reading code).
TEST_F(MainWindowTest, HeaderSearchDialogConditionsMatchTheCommandLineWords) {
    std::vector<std::string> a = kifRecord({"７六歩(77)", "３四歩(33)", "投了"});
    a.insert(a.begin() + 8, "*四間に振る");  // after the first move
    folder.write("r/a.kif", a);
    folder.write("r/b.kif",
                 kifRecord({"７六歩(77)", "３四歩(33)", "２二角成(88)", "同　銀(31)", "中断"}));
    folder.write("r/c.kif", kifRecord({"２六歩(27)", "投了"}));
    auto window = makeWindow();
    window->newDatabase(false);
    model::FolderAdd request;
    request.folder = folder.file("r");
    ASSERT_TRUE(window->startFolderAdd(request));
    waitForOperation(*window);
    ASSERT_EQ(window->database().table().size(), 3);

    auto listed = [&](const model::RecordConditions& c) {
        window->showAll();
        EXPECT_TRUE(window->startHeaderSearch({}, c));
        waitForOperation(*window);
        std::vector<std::string> names;
        const model::IndexTable& table = window->database().table();
        for (int slot : table.displayOrder()) {
            const std::string path(table.entry(slot).path());
            names.push_back(path.substr(path.find_last_of('/') + 1));
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    struct Case {
        int end;
        const char* material;
        int ply;
        const char* comment;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {2, "", -1, "", {"a.kif", "c.kif"}},  // 投了
        {7, "", -1, "", {"b.kif"}},           // 中断
        {0, "角0枚 先手", -1, "", {"b.kif"}},
        {0, "角0枚 先手", 4, "", {"b.kif"}},
        // Found nowhere: the list stays as it was, as after the other searches.
        {0, "角0枚 先手", 2, "", {"a.kif", "b.kif", "c.kif"}},
        {0, "", -1, "四間に", {"a.kif"}},
        {2, "", -1, "四間に", {"a.kif"}},
    };
    InputHistories histories(QString::fromStdString(folder.path()) + QStringLiteral("/"), settings);
    testsupport::RecordingDalmirUi ui;
    for (const Case& t : cases) {
        HeaderSearchDialog dialog(settings, histories, QString());
        dialog.findChild<QComboBox*>(QStringLiteral("end"))->setCurrentIndex(t.end);
        dialog.findChild<QLineEdit*>(QStringLiteral("material"))
            ->setText(QString::fromUtf8(t.material));
        dialog.findChild<QSpinBox*>(QStringLiteral("materialPly"))->setValue(t.ply);
        dialog.findChild<QLineEdit*>(QStringLiteral("comment"))
            ->setText(QString::fromUtf8(t.comment));
        const std::optional<model::RecordConditions> fromDialog =
            recordConditions(ui, dialog.recordForm());
        ASSERT_TRUE(fromDialog);

        // What the command line builds from its words.
        model::RecordConditions fromWords;
        if (t.end > 0) fromWords.end = model::gameEndNamed(gameEndChoices()[t.end]);
        if (*t.material != '\0') {
            fromWords.material = model::parseMaterial(std::string(t.material)).pattern;
            fromWords.materialPly = t.ply;
        }
        fromWords.comment = std::string(t.comment);

        const std::vector<std::string> hits = listed(*fromDialog);
        EXPECT_EQ(hits, listed(fromWords)) << t.end << t.material << t.comment;
        EXPECT_EQ(hits, t.want) << t.end << t.material << t.comment;
    }
    EXPECT_TRUE(ui.messages.empty());
}

// Labelling an existing database runs on the worker and tells its counts in the status line.
// Cancel keeps the labels already given; a later run over the unlabelled records gives the rest.
TEST_F(MainWindowTest, OpeningLabelsAreGivenOnTheWorkerAndCancelKeepsThem) {
    // A 四間飛車 against a static rook, as the move list of a binary database.
    const std::vector<ListMove> fourth = {{77, 76}, {83, 84}, {67, 66}, {33, 34}, {28, 68},
                                          {84, 85}, {88, 77}, {51, 42}, {59, 48}, {42, 32},
                                          {48, 38}, {61, 52}, {38, 28}, {71, 62}, {39, 38},
                                          {63, 64}, {69, 58}, {13, 14}, {17, 16}, {93, 94}};
    Database db(1000);
    db.reset(true);
    for (int i = 0; i < 600; ++i) {
        IndexEntry e;
        e.setText(IndexText::Path, "/nowhere/" + std::to_string(i) + ".KIF");
        e.moveCount = static_cast<int>(fourth.size());
        ASSERT_GE(db.append(std::move(e), fourth), 0);
    }
    const std::string path = folder.file("fourth.dlb");
    ASSERT_EQ(model::saveDatabase(db, path), core::WriteResult::Ok);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    ASSERT_TRUE(window->database().table().entry(0).autoOpening().empty());

    // Cancelled at the second look (after 256 records).
    std::atomic<int> polls{0};
    window->runner().setStepHook([&] {
        if (++polls == 2) window->cancelOperation();
    });
    ASSERT_TRUE(window->startOpeningLabels(false));
    waitForOperation(*window);
    EXPECT_TRUE(
        window->statusPane(0).startsWith(QStringLiteral("中止しました。自動戦型　設定：256")))
        << window->statusPane(0).toStdString();
    EXPECT_NE(core::toUtf8Lossy(window->database().table().entry(0).autoOpening()).find("四間飛車"),
              std::string::npos);
    EXPECT_TRUE(window->database().table().entry(599).autoOpening().empty());
    EXPECT_TRUE(window->database().isModified());

    window->runner().setStepHook({});
    ASSERT_TRUE(window->startOpeningLabels(false));
    waitForOperation(*window);
    EXPECT_TRUE(
        window->statusPane(0).startsWith(QStringLiteral("自動戦型　設定：344　変更なし：256")))
        << window->statusPane(0).toStdString();
    EXPECT_EQ(window->database().table().entry(599).autoOpening(),
              window->database().table().entry(0).autoOpening());
    EXPECT_EQ(window->database().table().size(), 600);
}

// The tree dock computes on its worker: the window's selection goes on at once, only the
// latest selection's tree is shown, and a command settles the worker so that a result computed
// before the database changed is never shown.
TEST_F(MainWindowTest, TreeDockFollowsTheSelectionOnItsWorker) {
    const std::string path = writeBinaryDatabase(40);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    TreeDock* dock = window->treeDock();
    QAction* toggle = dock->toggleViewAction();
    toggle->trigger();
    ASSERT_FALSE(dock->isHidden());
    dock->waitForIdle();
    const auto& order = window->database().table().displayOrder();
    ASSERT_EQ(order.size(), 40u);
    // The record on row 1 was found after its first move; the others show the start.
    const int deep = order[1];
    window->database().table().entry(deep).hitPly = 1;
    const bool rook = deep % 2 == 1;
    // One row at a time, whatever keys earlier tests left pressed.
    auto select = [&](int row) {
        window->listView()->selectionModel()->select(
            window->listModel()->index(row, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    };

    select(0);
    select(1);
    dock->waitForIdle();
    EXPECT_FALSE(dock->busy());
    // The position after the first move: the twenty records that played it, all going on.
    EXPECT_EQ(dock->caption(), QString::fromUtf8("1 手目の局面：20 局"));
    ASSERT_EQ(dock->lines()->count(), 1);
    EXPECT_TRUE(dock->lines()->item(0)->text().startsWith(QString::fromUtf8("３四歩")))
        << (rook ? "after 2g2f" : "after 7g7f");

    // Back to the start, then settled before the result is taken: the old tree stays, the
    // stale result never comes.
    select(2);
    dock->settle();
    EXPECT_FALSE(dock->busy());
    QCoreApplication::sendPostedEvents(dock);
    EXPECT_EQ(dock->lines()->count(), 1);
    EXPECT_TRUE(dock->caption().isEmpty() ||
                dock->caption() == QString::fromUtf8("1 手目の局面：20 局"));

    // Asked again, the start position's tree: both first moves, twenty records each.
    select(3);
    dock->waitForIdle();
    EXPECT_EQ(dock->caption(), QString::fromUtf8("0 手目の局面：40 局"));
    ASSERT_EQ(dock->lines()->count(), 2);
    EXPECT_TRUE(dock->lines()->item(0)->text().contains(QString::fromUtf8("20局")));

    // Hidden from the menu again.
    toggle->trigger();
    EXPECT_TRUE(dock->isHidden());
}

// Saving a binary database that has a tree index builds the index again on the runner: the
// written index describes the saved lists and the window is free again afterwards.
TEST_F(MainWindowTest, SavingRebuildsAnExistingTreeIndex) {
    const std::string path = writeBinaryDatabase(30);
    {
        Database db(100);
        ASSERT_EQ(model::openDatabase(db, path).code, model::OpenResult::Ok);
        const auto index = model::TreeIndex::build(db.table(), db.lists(), 2);
        ASSERT_NE(index, nullptr);
        ASSERT_EQ(model::writeTreeIndex(path, *index), core::WriteResult::Ok);
    }
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    // A record fewer: the old index no longer describes the lists.
    window->database().removeSlot(0);
    window->database().setModified();
    model::PositionIndexReadResult r{};
    ASSERT_EQ(model::TreeIndex::open(model::treeIndexPath(path), window->database().table(),
                                     window->database().lists(), r),
              nullptr);
    EXPECT_EQ(r, model::PositionIndexReadResult::Stale);

    ASSERT_TRUE(window->saveFile(fromFsPath(path)));
    ASSERT_TRUE(window->isBusy());
    waitForOperation(*window);
    EXPECT_FALSE(window->isBusy());
    Database back(100);
    ASSERT_EQ(model::openDatabase(back, path).code, model::OpenResult::Ok);
    EXPECT_EQ(back.table().size(), 29);
    EXPECT_NE(model::TreeIndex::open(model::treeIndexPath(path), back.table(), back.lists(), r),
              nullptr);
    EXPECT_EQ(r, model::PositionIndexReadResult::Ok);
}

// Ctrl+S saves on the worker: held there on purpose (the test opens the gate), the window still
// answers keys (the selection moves), the commands that would change the database are disabled
// and the status bar says why; a Delete does nothing. Closing the window meanwhile waits for
// the save: it closes once everything is written.
TEST_F(MainWindowTest, WindowAnswersWhileTheDatabaseIsSaved) {
    const std::string path = writeBinaryDatabase(20);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    showActive(*window);
    QTableView* view = window->listView();
    view->setFocus();
    view->selectRow(3);
    window->database().setModified();

    // The save waits at its first look at Cancel; the later ones go on.
    std::binary_semaphore gate{0};
    std::atomic<bool> held{false};
    window->runner().setStepHook([&] {
        if (!held.exchange(true)) gate.acquire();
    });
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(window->backgroundWork(), BackgroundWork::Saving);
    while (!held) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);

    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(window->selectedRows(), std::vector<int>{4});
    EXPECT_EQ(window->listModel()->rowCount(), 20);  // the list stays shown
    EXPECT_FALSE(window->grab().isNull());           // and paints
    // The pair is saved through its index file.
    const std::string kix = path.substr(0, path.size() - 3) + "kix";
    EXPECT_EQ(window->statusPane(0), fromUtf8(backgroundStatusText(BackgroundWork::Saving, kix)));
    for (const Command c : {Command::Save, Command::Delete, Command::AddFolder, Command::Open,
                            Command::HeaderSearch, Command::Undo}) {
        EXPECT_FALSE(window->isEnabled(c)) << static_cast<int>(c);
    }
    EXPECT_TRUE(window->isEnabled(Command::SelectAll));
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(window->database().table().size(), 20);

    EXPECT_FALSE(window->close());  // waits for the save
    EXPECT_TRUE(window->isVisible());
    gate.release();
    waitForOperation(*window);
    EXPECT_FALSE(window->database().isModified());
    EXPECT_EQ(window->backgroundWork(), BackgroundWork::None);
    EXPECT_TRUE(window->isEnabled(Command::Delete));
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());  // closed once saved
    Database back;
    EXPECT_EQ(model::openDatabase(back, path).code, model::OpenResult::Ok);
    EXPECT_EQ(back.table().size(), 20);
}

// A save shows its share done and Cancel; Cancel pressed while the pair is being written stops
// it: the old files stay byte for byte, no staged or temporary file is left and the database
// stays modified.
TEST_F(MainWindowTest, ASaveCancelledWhileWritingKeepsTheOldPair) {
    const std::string path = writeBinaryDatabase(20);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    showActive(*window);
    window->database().setModified();
    const auto contents = [this] {
        std::map<std::string, std::string> out;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            out[entry.path().filename().string()] =
                core::readFile(entry.path().string()).value_or("?");
        }
        return out;
    };
    const auto before = contents();
    auto* cancel = window->findChild<QPushButton*>(QStringLiteral("operationCancel"));
    auto* progress = window->statusBar()->findChild<QProgressBar*>();
    ASSERT_NE(cancel, nullptr);
    ASSERT_NE(progress, nullptr);

    // Held where the DLB starts to be written (the second look at Cancel).
    std::binary_semaphore gate{0};
    std::atomic<int> polls{0};
    std::atomic<bool> held{false};
    window->runner().setStepHook([&] {
        if (++polls == 2) {
            held = true;
            gate.acquire();
        }
    });
    QTest::keyClick(window->listView(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(window->backgroundWork(), BackgroundWork::Saving);
    while (!held) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    QApplication::processEvents();
    EXPECT_TRUE(cancel->isVisible());
    EXPECT_EQ(progress->maximum(), 100);
    EXPECT_GE(progress->value(), 0);
    cancel->click();
    gate.release();
    waitForOperation(*window);

    EXPECT_EQ(window->backgroundWork(), BackgroundWork::None);
    EXPECT_TRUE(window->database().isModified());
    EXPECT_EQ(contents(), before);
    EXPECT_TRUE(window->statusPane(0).contains(QString::fromUtf8("の保存を中止しました。")))
        << window->statusPane(0).toStdString();
    // The next save writes it.
    window->runner().setStepHook({});
    QTest::keyClick(window->listView(), Qt::Key_S, Qt::ControlModifier);
    waitForOperation(*window);
    EXPECT_FALSE(window->database().isModified());
}

// A save that fails while the window waits to close keeps the window and the changes.
TEST_F(MainWindowTest, AFailedSaveKeepsTheWindowOpen) {
    const std::string path = writeBinaryDatabase(3);
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(path)));
    showActive(*window);
    window->database().setModified();
    std::binary_semaphore gate{0};
    std::atomic<bool> held{false};
    window->runner().setStepHook([&] {
        if (!held.exchange(true)) gate.acquire();
    });
    // The pair can't be written: a folder stands where the new DLB goes.
    const std::string blocked = folder.file("blocked.dlb");
    std::filesystem::create_directories(blocked);
    QTimer::singleShot(0, window.get(), [&] {
        EXPECT_FALSE(window->close());
        gate.release();
    });
    EXPECT_FALSE(window->saveFile(fromFsPath(blocked)));
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->database().isModified());
    EXPECT_FALSE(window->messages().isEmpty());
}

// Closing the window while a database is being opened stops the opening, drops what was read
// and closes once the worker has stopped.
TEST_F(MainWindowTest, ClosingDuringAnOpeningDropsIt) {
    const std::string path = writeBinaryDatabase(5);
    auto window = makeWindow();
    showActive(*window);
    std::binary_semaphore gate{0};
    std::atomic<bool> held{false};
    window->runner().setStepHook([&] {
        if (!held.exchange(true)) gate.acquire();
    });
    window->openFiles({fromFsPath(path)});
    ASSERT_EQ(window->backgroundWork(), BackgroundWork::Opening);
    while (!held) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    EXPECT_FALSE(window->close());
    gate.release();
    waitForOperation(*window);
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->database().table().size(), 0);
}

}  // namespace
}  // namespace dalmir
