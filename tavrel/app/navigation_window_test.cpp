// The navigation as a user drives it: keys on the board, clicks in the record and branch
// windows, and a replay running on its timer. Offscreen.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "core/text/sjis.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/window_test_context.h"
#include "tavrel/logic/view/continuous_replay.h"
#include "tavrel/logic/view/navigation.h"
#include "tests/support/qt_application.h"

namespace tavrel {
namespace {

// 1.７六歩 2.３四歩* 3.２六歩 4.８四歩 5.投了, with ６六歩 beside ply 3.
const char* const kRecord =
    "手合割：平手\r\n"
    "   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n*二手目\r\n   3 ２六歩(27)\r\n"
    "   4 ８四歩(83)\r\n   5 投了\r\n"
    "変化：3手\r\n   3 ６六歩(67)\r\n";

class NavigationWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void SetUp() override {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        settings.recordWindow.shown = 1;
        window = std::make_unique<MainWindow>(quietTestContext(settings, store, folder));
        std::string path = folder.filePath(QStringLiteral("n.kif")).toStdString();
        std::ofstream(path, std::ios::binary) << std::string(kRecord);
        ASSERT_EQ(window->openFile(QString::fromStdString(path)), CommandResult::Done);
        window->show();
        window->recordWindow()->show();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(window->board(), static_cast<Qt::Key>(k), m);
        window->board()->finishAnimation();
    }

    QTemporaryDir folder;
    Settings settings;
    core::RecordStore store;
    std::unique_ptr<MainWindow> window;
};

TEST_F(NavigationWindowTest, KeysStepTheBoard) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        int ply;
    };
    for (Case c : {Case{Qt::Key_Right, Qt::NoModifier, 1}, Case{Qt::Key_D, Qt::NoModifier, 2},
                   Case{Qt::Key_Left, Qt::NoModifier, 1}, Case{Qt::Key_End, Qt::NoModifier, 4},
                   Case{Qt::Key_Home, Qt::NoModifier, 0},
                   Case{Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier, 2},
                   Case{Qt::Key_2, Qt::NoModifier, 3}, Case{Qt::Key_S, Qt::NoModifier, 2},
                   Case{Qt::Key_1, Qt::KeypadModifier, 3}, Case{Qt::Key_F, Qt::ShiftModifier, 4},
                   Case{Qt::Key_A, Qt::ShiftModifier, 0}}) {
        key(c.key, c.modifiers);
        EXPECT_EQ(store.currentPly(), c.ply) << c.key;
    }
    // The board shows what the record says: after 1.７六歩 the pawn stands on 7-6.
    key(Qt::Key_Right);
    EXPECT_NE(store.position().cells[76], 0);
    EXPECT_EQ(store.position().cells[77], 0);
    EXPECT_EQ(window->recordWindow()->model()->current(), 1);

    // The menu names the arrow keys only where they step.
    QAction* forward = window->action(Command::StepForward);
    EXPECT_EQ(forward->text(), QString::fromUtf8("１手進める(&F)\t→"));
    window->document().setMode(ViewerMode::Playing);
    window->document().ui().documentChanged();
    EXPECT_EQ(forward->text(), QString::fromUtf8("１手進める(&F)"));
    EXPECT_EQ(forward->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
}

TEST_F(NavigationWindowTest, ClickOnARecordLineJumpsThere) {
    RecordWindow* rw = window->recordWindow();
    QAbstractItemModelTester tester(rw->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    ASSERT_EQ(rw->model()->rowCount(), 6);
    QTest::mouseClick(rw->view()->viewport(), Qt::LeftButton, {}, rw->linePoint(3));
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(rw->model()->current(), 3);
    EXPECT_EQ(rw->windowTitle(), QString::fromUtf8("棋譜 3手 / 4手"));
    // The current line is coloured, a line with alternatives too.
    QModelIndex line3 = rw->model()->index(3);
    QModelIndex line1 = rw->model()->index(1);
    EXPECT_NE(rw->model()->data(line3, Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_EQ(rw->model()->data(line1, Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    // Its menu deletes the move and what follows.
    QMenu* menu = window->buildRecordMenu(4, 0);
    QAction* del = menu->actions().back();
    EXPECT_EQ(del->text(), QString::fromUtf8("削除(&D) △８四歩"));
    del->trigger();
    EXPECT_EQ(store.lineEnd(), 3);
    EXPECT_EQ(rw->model()->rowCount(), 4);
}

TEST_F(NavigationWindowTest, ClickInTheBranchWindowPlaysThatMove) {
    settings.branchWindow.mode = BranchWindowMode::WhenBranches;
    QTest::keyClick(window->board(), Qt::Key_Right);
    window->board()->finishAnimation();
    EXPECT_FALSE(window->branchWindow()->isVisible());
    key(Qt::Key_Right);
    BranchWindow* bw = window->branchWindow();
    ASSERT_TRUE(bw->isVisible());
    ASSERT_EQ(bw->rows().size(), 2u);
    QTest::mouseClick(bw, Qt::LeftButton, {}, bw->rowPoint(1));
    window->board()->finishAnimation();
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(store.node(store.current()).to, 66);
    EXPECT_FALSE(bw->isVisible());  // no alternatives after ６六歩

    // Its menu puts a move first.
    ASSERT_TRUE(store.backOne());
    window->document().ui().documentChanged();
    QMenu* menu = window->buildBranchMenu(1);
    ASSERT_EQ(menu->actions().size(), 3);
    menu->actions()[1]->trigger();
    EXPECT_EQ(store.node(store.node(store.current()).next).to, 66);
    EXPECT_TRUE(window->document().modified());
    EXPECT_TRUE(window->windowTitle().contains(QStringLiteral(" *")));
}

TEST_F(NavigationWindowTest, TimedReplayAdvancesAndStopsAtAComment) {
    settings.replaySpeed = 1;
    settings.commentWindow.mode = CommentDisplay::MainWindow;
    settings.stopAtComments = ReplayStop::Pause;
    settings.stopAtBranches = ReplayStop::Never;
    ReplayDriver* driver = window->replayDriver();
    QSignalSpy running(driver, &ReplayDriver::runningChanged);
    key(Qt::Key_F);
    EXPECT_TRUE(driver->replay().running());
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_FALSE(window->action(Command::StepForward)->isEnabled());
    // The window's timer makes the next step.
    QTRY_COMPARE_WITH_TIMEOUT(store.currentPly(), 2, 5000);
    // At the comment of ply 2 the next tick stops it with the pause message.
    QTRY_VERIFY_WITH_TIMEOUT(!driver->replay().running(), 5000);
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_EQ(window->statusText(), QString::fromUtf8("一時停止（スペースキーで連続再現を再開）"));
    EXPECT_TRUE(window->action(Command::StepForward)->isEnabled());
    EXPECT_EQ(running.count(), 2);

    // Space resumes past the comment; a record read meanwhile ends the replay.
    key(Qt::Key_Space);
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(window->statusText(), QString());
    std::string path = folder.filePath(QStringLiteral("n.kif")).toStdString();
    ASSERT_EQ(window->openFile(QString::fromStdString(path)), CommandResult::Done);
    EXPECT_FALSE(driver->replay().running());
    EXPECT_FALSE(driver->timer().isActive());
}

// "/a" replays the record from the position shown and closes the program when it ends; closing
// is refused while it runs.
TEST_F(NavigationWindowTest, AutoReplaySwitchClosesAtTheEnd) {
    settings.stopAtBranches = ReplayStop::Never;  // else it would stop before ply 3
    std::string path = folder.filePath(QStringLiteral("n.kif")).toStdString();
    window->processCommandLine(parseCommandLine(argumentTokens({"/a", path})));
    ReplayDriver* driver = window->replayDriver();
    ASSERT_TRUE(driver->replay().running());
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    for (int i = 0; i < 20 && driver->replay().running(); ++i) driver->tick();
    EXPECT_FALSE(driver->replay().running());
    EXPECT_EQ(store.currentPly(), 4);
    QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 5000);
}

TEST_F(NavigationWindowTest, ReplayModeShowsItsDialog) {
    settings.oldReplay = 1;
    window->document().setMode(ViewerMode::Viewing);
    chooseReplayMode(window->document());
    ASSERT_NE(window->replayDialog(), nullptr);
    EXPECT_TRUE(window->replayDialog()->isVisible());
    EXPECT_TRUE(window->windowTitle().endsWith(QString::fromUtf8("（再現中）")));
    window->replayDialog()->next()->click();
    window->board()->finishAnimation();
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(intervalOfSpeedBar(speedBarValue(37)), 37);
    chooseReplayMode(window->document());
    EXPECT_FALSE(window->replayDialog()->isVisible());
}

}  // namespace
}  // namespace tavrel
