// The window as a researcher uses it: the board pane following the list, the list's keys, and
// the filter chips above the list.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "dalmir/app/board_dock.h"
#include "dalmir/app/filter_bar.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/app/statistics_dialog.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_records.h"

namespace dalmir {
namespace {

using model::Database;
using model::IndexEntry;
using model::IndexText;
using model::ListMove;

class ResearchWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }

    std::unique_ptr<MainWindow> makeWindow() {
        DalmirContext c;
        c.settings = &settings;
        c.programFolder = QString::fromStdString(folder.path()) + QStringLiteral("/");
        c.dataFolder = c.programFolder;
        c.quiet = true;
        return std::make_unique<MainWindow>(c);
    }

    static void waitForOperation(MainWindow& window) {
        if (!window.isBusy()) return;
        QSignalSpy done(&window, &MainWindow::operationDone);
        ASSERT_TRUE(done.wait(30000));
    }

    // n records: even ones open ▲７六歩, odd ones ▲２六歩, then △３四歩; black is p(i % 3).
    std::string writeDatabase(int n) {
        Database db(n);
        db.reset(true);
        for (int i = 0; i < n; ++i) {
            IndexEntry e;
            e.setText(IndexText::Path, "/nowhere/" + std::to_string(i) + ".KIF");
            e.setText(IndexText::BlackPlayer, "p" + std::to_string(i % 3));
            e.start = {2001, 1, static_cast<uint8_t>(1 + i % 28)};
            std::vector<ListMove> list = {i % 2 ? ListMove{27, 26} : ListMove{77, 76},
                                          ListMove{33, 34}};
            e.moveCount = 2;
            EXPECT_GE(db.append(std::move(e), std::move(list)), 0);
        }
        const std::string path = folder.file("research.dlb");
        EXPECT_EQ(model::saveDatabase(db, path), core::WriteResult::Ok);
        return path;
    }

    static int slotOfRow(MainWindow& window, int row) {
        return window.database().table().displayOrder()[static_cast<std::size_t>(row)];
    }

    testsupport::TempFolder folder{"dalmir_research"};
    AppSettings settings;
};

TEST_F(ResearchWindowTest, BoardPaneFollowsTheSelectionStepsAndOpensTheViewerAtItsPly) {
    settings.tools.replayCommand = "viewer";
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(writeDatabase(30))));
    std::vector<QStringList> started;
    window->setStarter([&](const QString&, const QStringList& args) {
        started.push_back(args);
        return true;
    });
    QTableView* list = window->listView();
    BoardDock* dock = window->boardDock();
    list->setFocus();
    list->selectRow(3);
    EXPECT_EQ(dock->pane().slot(), slotOfRow(*window, 3));
    EXPECT_EQ(dock->pane().ply(), 2);  // no search: the final position
    EXPECT_TRUE(dock->board()->hasPosition());
    EXPECT_EQ(dock->moves()->count(), 3);  // the start and two moves
    EXPECT_EQ(dock->moves()->currentRow(), 2);

    QTest::keyClick(list, Qt::Key_Left);
    EXPECT_EQ(dock->pane().ply(), 1);
    EXPECT_EQ(dock->moves()->currentRow(), 1);
    // Row 3 is odd: ▲２六歩 stands on 26 and 27 is empty.
    EXPECT_NE(dock->pane().board().cells[26], 0);
    EXPECT_EQ(dock->pane().board().cells[27], 0);
    QTest::keyClick(dock->board(), Qt::Key_Up);
    EXPECT_EQ(dock->pane().ply(), 0);
    QTest::keyClick(dock->board(), Qt::Key_End);
    EXPECT_EQ(dock->pane().ply(), 2);
    QTest::keyClick(list, Qt::Key_Left);

    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].last(), QStringLiteral("+1"));
    // A double click on the board (Enter there too) asks for the same.
    QTest::keyClick(dock->board(), Qt::Key_Enter);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1].last(), QStringLiteral("+1"));

    // The sorted column shows its arrow: the date, newest first.
    int dateSection = -1;
    for (int sec = 0; sec < window->listModel()->columnCount(); ++sec) {
        if (window->listModel()->columnOfSection(sec) == 6) dateSection = sec;
    }
    ASSERT_GE(dateSection, 0);
    window->clickHeader(dateSection, false);
    EXPECT_TRUE(list->horizontalHeader()->isSortIndicatorShown());
    EXPECT_EQ(list->horizontalHeader()->sortIndicatorSection(), dateSection);
    EXPECT_EQ(list->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    window->clickHeader(dateSection, false);
    EXPECT_EQ(list->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);

    // Home/End and Ctrl+Home/End go to the first and last row; the pane follows.
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentIndex().row(), 29);
    EXPECT_EQ(dock->pane().slot(), slotOfRow(*window, 29));
    QTest::keyClick(list, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(list->currentIndex().row(), 0);
    QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(list->currentIndex().row(), 29);
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(list->currentIndex().row(), 0);
    EXPECT_EQ(window->selectedRows(), std::vector<int>{0});
}

TEST_F(ResearchWindowTest, SearchesAddChipsThatCombineAndSwitchOff) {
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(writeDatabase(60))));
    model::HeaderCriteria byPlayer;
    byPlayer.black = "p1";
    ASSERT_TRUE(window->startHeaderSearch(byPlayer));
    waitForOperation(*window);
    EXPECT_EQ(window->listModel()->rowCount(), 20);
    ASSERT_EQ(window->filters().filters().size(), 1u);

    QString target;
    for (const auto& line : testsupport::kifRecord({"７六歩(77)"})) {
        target += QString::fromStdString(line) + QStringLiteral("\n");
    }
    int lastDone = -1, lastTotal = -1;
    QObject::connect(&window->runner(), &OperationRunner::progressChanged, window.get(),
                     [&](int done, int total) {
                         lastDone = done;
                         lastTotal = total;
                     });
    ASSERT_TRUE(window->startPositionSearch(target));
    // While the worker has the records the list is a greyed picture, not blank.
    auto* picture = window->listView()->findChild<QLabel*>(QStringLiteral("listPicture"));
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->isHidden());
    waitForOperation(*window);
    EXPECT_TRUE(picture->isHidden());
    // The search reported how far it was out of every record.
    EXPECT_EQ(lastTotal, 60);
    EXPECT_GE(lastDone, 0);
    // p1 is i % 3 == 1; ▲７六歩 is i even: i % 6 == 4.
    EXPECT_EQ(window->listModel()->rowCount(), 10);
    ASSERT_EQ(window->filterBar()->chips().size(), 2u);

    // Switching the player's chip off lists every ▲７六歩 record, on again both.
    window->filterBar()->chips()[0]->click();
    EXPECT_EQ(window->listModel()->rowCount(), 30);
    window->filterBar()->chips()[0]->click();
    EXPECT_EQ(window->listModel()->rowCount(), 10);
    // A search that finds nothing leaves the list and the chips.
    model::HeaderCriteria nobody;
    nobody.black = "nobody";
    ASSERT_TRUE(window->startHeaderSearch(nobody));
    waitForOperation(*window);
    EXPECT_EQ(window->listModel()->rowCount(), 10);
    EXPECT_EQ(window->filters().filters().size(), 2u);

    // Saved by name: the position chip can't be kept, and the user is told so.
    window->saveFilters(QStringLiteral("p1"));
    ASSERT_EQ(settings.filterStacks.size(), 1u);
    EXPECT_TRUE(window->messages().back().contains(QStringLiteral("1")));
    window->filterBar()->removers()[1]->click();
    EXPECT_EQ(window->listModel()->rowCount(), 20);
    window->showAll();
    EXPECT_TRUE(window->filters().empty());
    EXPECT_EQ(window->listModel()->rowCount(), 60);
    ASSERT_TRUE(window->recallFilters(QStringLiteral("p1")));
    EXPECT_EQ(window->listModel()->rowCount(), 20);
    EXPECT_FALSE(window->recallFilters(QStringLiteral("none")));
}

// A click on a player's row of the table lists what the header search for the player lists.
TEST_F(ResearchWindowTest, AStatisticsRowClickFiltersAsTheHeaderSearch) {
    auto window = makeWindow();
    ASSERT_TRUE(window->openFile(fromFsPath(writeDatabase(45))));
    ASSERT_TRUE(window->startPlayersTable());
    waitForOperation(*window);
    ASSERT_TRUE(window->lastTable().has_value());
    StatisticsDialog dialog(QStringLiteral("t"), *window->lastTable());
    QObject::connect(&dialog, &StatisticsDialog::filterRequested, window.get(),
                     [&](const FilterDefinition& f) { (void)window->addFilter(f); });
    QTableView* view = dialog.view();
    // Sorted by name descending: p2 first.
    view->sortByColumn(0, Qt::DescendingOrder);
    ASSERT_EQ(view->model()->index(0, 0).data().toString(), QStringLiteral("p2"));
    EXPECT_EQ(view->model()->index(0, 1).data().toInt(), 15);
    dialog.show();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(0, 1)).center());
    ASSERT_EQ(window->filters().filters().size(), 1u);
    const std::vector<int32_t> byClick = window->database().table().displayOrder();

    window->showAll();
    model::HeaderCriteria search;
    search.playerA = "p2";
    ASSERT_TRUE(window->startHeaderSearch(search));
    waitForOperation(*window);
    EXPECT_EQ(window->database().table().displayOrder(), byClick);
    EXPECT_EQ(byClick.size(), 15u);
}

}  // namespace
}  // namespace dalmir
