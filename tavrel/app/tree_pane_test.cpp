// The tree pane in the main window, driven as a user does: a database chosen, the tree of the
// position on the board computed off the GUI thread, a click that plays a move (following the
// record or adding a variation), sorting by a header, a double click that opens a record, and a
// book's moves beside the database's.
#include "tavrel/app/tree_pane.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "core/ipc/open_database.h"
#include "core/text/sjis.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/tree/opening_tree.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/window_test_context.h"
#include "tests/support/qt_application.h"

namespace tavrel {
namespace {

namespace dm = dalmir::model;

const char* const kRecord =
    "手合割：平手\r\n"
    "   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ２六歩(27)\r\n";

class TreePaneWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void SetUp() override {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        window = std::make_unique<MainWindow>(quietTestContext(settings, store, folder));
        recordPath = folder.filePath(QStringLiteral("a.kif")).toStdString();
        std::ofstream(recordPath, std::ios::binary) << std::string(kRecord);
        ASSERT_EQ(window->openFile(QString::fromStdString(recordPath)), CommandResult::Done);
        pane = window->treePane();
        ASSERT_NE(pane, nullptr);
        pane->show();
        window->show();
        writeDatabase();
        pane->openDatabase(folder.filePath(QStringLiteral("games.DLB")));
        pane->waitForIdle();
    }

    // Three games: 7g7f 3c3d (the record's own line), 7g7f 8c8d, and 2g2f.
    void writeDatabase() {
        dm::Database db;
        db.reset(true);
        auto add = [&](std::initializer_list<const char*> words, const std::string& file) {
            dm::ReplayBoard board;
            ASSERT_TRUE(dm::startBoard(0, board));
            std::vector<dm::ListMove> list;
            dm::ReplayStep step;
            for (const char* w : words) {
                dm::ListMove m;
                ASSERT_TRUE(dm::listMoveOfUsi(board, w, m));
                ASSERT_TRUE(dm::playListMove(board, m, step));
                list.push_back(m);
            }
            dm::IndexEntry e;
            e.setText(dm::IndexText::Path, file);
            e.result = 1;
            ASSERT_GE(db.append(std::move(e), std::move(list)), 0);
        };
        add({"7g7f", "3c3d"}, recordPath);
        add({"7g7f", "8c8d"}, recordPath);
        add({"2g2f"}, recordPath);
        ASSERT_EQ(dm::saveDatabase(db, folder.filePath(QStringLiteral("games.DLB")).toStdString()),
                  core::WriteResult::Ok);
    }
    int rowOf(const char* usi) {
        for (int r = 0; r < pane->model()->rowCount(); ++r) {
            if (pane->state().moveAt(r) == std::string(usi)) return r;
        }
        return -1;
    }

    Settings settings;
    core::RecordStore store;
    QTemporaryDir folder;
    std::string recordPath;
    std::unique_ptr<MainWindow> window;
    TreePane* pane = nullptr;
};

TEST_F(TreePaneWindowTest, ShowsTheTreeOfTheBoardAndFollowsSteps) {
    QAbstractItemModelTester tester(pane->model());
    ASSERT_EQ(pane->model()->rowCount(), 2);
    EXPECT_EQ(pane->model()->index(0, 0).data().toString(), QString::fromUtf8("７六歩(77)"));
    EXPECT_EQ(pane->model()->index(0, 1).data().toString(), QStringLiteral("2"));
    EXPECT_EQ(pane->statusText(), QString::fromUtf8("局数 3（終局 0）"));

    ASSERT_EQ(store.goToPly(1), core::EditResult::Ok);
    window->documentChanged();
    pane->waitForIdle();
    ASSERT_EQ(pane->model()->rowCount(), 2);
    EXPECT_GE(rowOf("3c3d"), 0);
    EXPECT_GE(rowOf("8c8d"), 0);
}

TEST_F(TreePaneWindowTest, AClickPlaysTheMoveAsAVariationWhereTheRecordGoesOn) {
    ASSERT_EQ(store.goToPly(1), core::EditResult::Ok);
    window->documentChanged();
    pane->waitForIdle();
    const int row = rowOf("8c8d");
    ASSERT_GE(row, 0);
    const QRect cell = pane->table()->visualRect(pane->model()->index(row, 0));
    QTest::mouseClick(pane->table()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_TRUE(store.isInVariation(store.current()));
    EXPECT_TRUE(store.hasVariations());
    pane->waitForIdle();
    EXPECT_EQ(pane->model()->rowCount(), 0);  // the game with 8c8d ends there
    EXPECT_EQ(pane->statusText(), QString::fromUtf8("局数 1（終局 1）"));
}

TEST_F(TreePaneWindowTest, HeadersSortAndADoubleClickOpensTheRecord) {
    pane->table()->sortByColumn(static_cast<int>(TreeColumn::Move), Qt::AscendingOrder);
    EXPECT_EQ(pane->state().moveAt(0), "2g2f");
    pane->table()->sortByColumn(static_cast<int>(TreeColumn::Count), Qt::DescendingOrder);
    EXPECT_EQ(pane->state().moveAt(0), "7g7f");

    // Another record on the board first: the double click brings the database's back.
    ASSERT_EQ(store.goToPly(2), core::EditResult::Ok);
    const QModelIndex record =
        pane->model()->index(rowOf("7g7f"), static_cast<int>(TreeColumn::Record));
    pane->table()->scrollTo(record);
    const QRect cell = pane->table()->visualRect(record);
    ASSERT_TRUE(cell.isValid());
    // The press of a double click comes first (a click there plays nothing).
    QTest::mouseClick(pane->table()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(store.currentPly(), 2);
    QTest::mouseDClick(pane->table()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(store.currentPly(), 0);  // opened at the ply where it reaches the position
    EXPECT_EQ(store.lineEnd(), 3);
}

TEST_F(TreePaneWindowTest, ABookAddsItsMovesBeside) {
    const QString book = folder.filePath(QStringLiteral("book.db"));
    std::ofstream(book.toStdString(), std::ios::binary)
        << "#YANEURAOU-DB2016 1.00\n"
           "sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1\n"
           "5g5f none 0 0 4\n7g7f none 0 0 1\n";
    ASSERT_TRUE(pane->openBook(book));
    pane->waitForIdle();
    ASSERT_EQ(pane->model()->rowCount(), 3);
    const int only = rowOf("5g5f");
    ASSERT_GE(only, 0);
    EXPECT_EQ(pane->state().cellText(only, TreeColumn::Count), "0");
    EXPECT_EQ(pane->state().cellText(only, TreeColumn::Book), "4");
    EXPECT_EQ(pane->state().cellText(rowOf("7g7f"), TreeColumn::Book), "1");
}

TEST_F(TreePaneWindowTest, AFileThatIsNoDatabaseLeavesThePaneEmpty) {
    pane->openDatabase(folder.filePath(QStringLiteral("a.kif")));
    pane->waitForIdle();
    EXPECT_EQ(pane->model()->rowCount(), 0);
}

// The sources of the last run: remembered while the pane is hidden and opened when it shows;
// the user's choice wins over them; a file no longer there is said and stays remembered.
TEST_F(TreePaneWindowTest, TheLastRunsSourcesOpenWhenThePaneShows) {
    const QString book = folder.filePath(QStringLiteral("book.db"));
    std::ofstream(book.toStdString(), std::ios::binary)
        << "#YANEURAOU-DB2016 1.00\n"
           "sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1\n"
           "5g5f none 0 0 4\n";
    const QString games = folder.filePath(QStringLiteral("games.DLB"));
    EXPECT_EQ(pane->databasePath(), games);
    EXPECT_TRUE(pane->bookPath().isEmpty());

    pane->openDatabase({});
    pane->waitForIdle();
    pane->hide();
    pane->restore(games, book);
    pane->waitForIdle();
    EXPECT_EQ(pane->model()->rowCount(), 0) << "nothing opened while hidden";
    pane->show();
    pane->waitForIdle();
    EXPECT_EQ(pane->model()->rowCount(), 3);
    EXPECT_EQ(pane->databasePath(), games);
    EXPECT_EQ(pane->bookPath(), book);

    // Files gone: the pane says so and keeps their paths for the next run.
    pane->hide();
    const QString gone = folder.filePath(QStringLiteral("gone.DLB"));
    const QString goneBook = folder.filePath(QStringLiteral("gone.db"));
    pane->restore(gone, goneBook);
    pane->show();
    pane->waitForIdle();
    EXPECT_TRUE(pane->sourceText().contains(QStringLiteral("gone.DLB")));
    EXPECT_TRUE(pane->sourceText().contains(QStringLiteral("gone.db")));
    EXPECT_EQ(pane->databasePath(), gone);
    EXPECT_EQ(pane->bookPath(), goneBook);

    // Chosen while a restore waits: the choice stays.
    pane->hide();
    pane->restore(gone, {});
    pane->openDatabase(games);
    pane->show();
    pane->waitForIdle();
    EXPECT_EQ(pane->databasePath(), games);
}

// Dalmir as the pane reads it: its note, scripted.
struct FakeDalmirNote : core::OpenDatabaseProbe {
    std::shared_ptr<std::optional<std::string>> text =
        std::make_shared<std::optional<std::string>>();
    std::optional<std::string> noteText() override { return *text; }
    uint64_t startTime(long pid) override { return pid == 55 ? 9 : 0; }
};

// The source menu offers the database Dalmir has open only when it has one (saying why not);
// chosen, the pane shows it, follows Dalmir to another database at its next refresh and says
// when Dalmir has unsaved changes; a file chosen ends the following.
TEST_F(TreePaneWindowTest, TheDatabaseDalmirHasOpenIsASource) {
    auto probe = std::make_unique<FakeDalmirNote>();
    auto note = probe->text;
    pane->setDalmirProbe(std::move(probe));
    EXPECT_EQ(pane->dalmirAction()->text(), QString::fromUtf8("Dalmirで開いているデータベース"));
    EXPECT_FALSE(pane->dalmirAction()->isEnabled());
    EXPECT_EQ(pane->dalmirAction()->toolTip(), QString::fromUtf8("Dalmirが起動していません。"));
    EXPECT_FALSE(pane->followDalmir());
    *note = core::openDatabaseNoteText({55, 9, "", true});
    EXPECT_FALSE(pane->dalmirAction()->isEnabled());

    // Dalmir has another database of one game (2g2f) open, with unsaved changes.
    dm::Database other;
    other.reset(true);
    dm::IndexEntry e;
    e.setText(dm::IndexText::Path, recordPath);
    ASSERT_GE(other.append(std::move(e), {{27, 26}}), 0);
    const std::string otherPath = folder.filePath(QStringLiteral("other.DLB")).toStdString();
    ASSERT_EQ(dm::saveDatabase(other, otherPath), core::WriteResult::Ok);
    *note = core::openDatabaseNoteText({55, 9, otherPath, false});
    ASSERT_TRUE(pane->dalmirAction()->isEnabled());
    ASSERT_TRUE(pane->followDalmir());
    pane->waitForIdle();
    EXPECT_TRUE(pane->followsDalmir());
    ASSERT_EQ(pane->model()->rowCount(), 1);
    EXPECT_EQ(pane->state().moveAt(0), "2g2f");
    EXPECT_TRUE(pane->statusText().contains(QString::fromUtf8("保存されていない変更")));
    EXPECT_TRUE(pane->sourceText().contains(QStringLiteral("other.DLB")));

    // Dalmir opens the three games: the next step follows.
    const std::string games = folder.filePath(QStringLiteral("games.DLB")).toStdString();
    *note = core::openDatabaseNoteText({55, 9, games, true});
    window->documentChanged();
    pane->waitForIdle();
    EXPECT_EQ(pane->model()->rowCount(), 2);
    EXPECT_FALSE(pane->statusText().contains(QString::fromUtf8("保存されていない変更")));

    pane->openDatabase(QString::fromStdString(otherPath));
    pane->waitForIdle();
    EXPECT_FALSE(pane->followsDalmir());
    *note = core::openDatabaseNoteText({55, 9, games, true});
    window->documentChanged();
    pane->waitForIdle();
    EXPECT_EQ(pane->model()->rowCount(), 1);
}

}  // namespace
}  // namespace tavrel
