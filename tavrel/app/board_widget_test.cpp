#include "tavrel/app/board_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <deque>

#include "core/text/sjis.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/window_test_context.h"
#include "tests/support/qt_application.h"

namespace tavrel {
namespace {

using core::kSideBlack;
using core::kSideWhite;
using core::makePiece;

// The board driven as a user drives it: real mouse presses, moves and releases at square
// centres, keys to the focused board, menu actions triggered.
class BoardInputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void SetUp() override {
        store.restoreStartPosition(store.position());
        window = std::make_unique<MainWindow>(quietTestContext(settings, store, folder));
        window->resize(640, 480);
        window->show();
        QApplication::setActiveWindow(window.get());
        board()->setFocus();
        QApplication::processEvents();
    }
    BoardWidget* board() { return window->board(); }
    QPoint centre(int square) {
        Point p = spotCentre(board()->geometry(), BoardSpot{square, 0, 0}, {});
        return QPoint(p.x, p.y);
    }
    QPoint stand(core::SideByte side, int type) {
        Point p = spotCentre(board()->geometry(), BoardSpot{0, side, type},
                             core::countHand(store.position()));
        return QPoint(p.x, p.y);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QTest::mousePress(board(), Qt::LeftButton, keys, from);
        QTest::mouseMove(board(), (from + to) / 2);
        QTest::mouseMove(board(), to);
        QTest::mouseRelease(board(), Qt::LeftButton, keys, to);
    }
    void drag(int from, int to, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        drag(centre(from), centre(to), keys);
    }
    void trigger(Command command) {
        QAction* a = window->action(command);
        ASSERT_TRUE(a->isEnabled()) << commandEntry(command).text;
        a->trigger();
    }
    core::PieceByte cell(int sq) { return store.position().cells[static_cast<std::size_t>(sq)]; }

    QTemporaryDir folder;
    Settings settings;
    core::RecordStore store;
    std::unique_ptr<MainWindow> window;
};

TEST_F(BoardInputTest, DragsPlayMovesDropsAndPromotions) {
    trigger(Command::ContinuePlay);
    ASSERT_EQ(window->document().mode(), ViewerMode::Playing);
    drag(77, 76);
    drag(33, 34);
    drag(88, 22, Qt::ControlModifier);  // takes the bishop, stays a bishop
    EXPECT_EQ(cell(22), makePiece(kSideBlack, core::kBishop));
    drag(31, 22);
    ASSERT_EQ(store.currentPly(), 4);
    drag(stand(kSideBlack, core::kBishop), centre(55));  // a drop from the stand
    EXPECT_EQ(cell(55), makePiece(kSideBlack, core::kBishop));
    EXPECT_EQ(core::countHand(store.position()).black[core::kBishop], 0);
    drag(71, 62);
    drag(55, 33, Qt::ShiftModifier);  // into the zone: promoted without the question
    EXPECT_EQ(cell(33), makePiece(kSideBlack, core::kHorse));
    EXPECT_EQ(store.currentPly(), 7);
    EXPECT_TRUE(window->shownMessages().empty());  // no question was asked
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("新規棋譜 - Tavrel（対局中）"));
}

TEST_F(BoardInputTest, IllegalDragLeavesTheRecordUntouched) {
    trigger(Command::ContinuePlay);
    core::Position before = store.position();
    const std::uint32_t changes = store.dirty();  // entering play dated the record
    drag(77, 75);
    EXPECT_EQ(store.position(), before);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(store.dirty(), changes);
    EXPECT_EQ(window->statusText(), QString::fromUtf8("動きが正しくありません。"));
    EXPECT_EQ(window->document().mode(), ViewerMode::Playing);
    EXPECT_FALSE(window->moveInput().held());
    // A right click while holding puts the piece back.
    QTest::mousePress(board(), Qt::LeftButton, Qt::NoModifier, centre(77));
    EXPECT_EQ(window->document().mode(), ViewerMode::PlayingPieceHeld);
    QTest::mouseClick(board(), Qt::RightButton, Qt::NoModifier, centre(50 + 5));
    EXPECT_EQ(window->document().mode(), ViewerMode::Playing);
    QTest::mouseRelease(board(), Qt::LeftButton, Qt::NoModifier, centre(76));
    EXPECT_EQ(store.currentPly(), 0);
}

TEST_F(BoardInputTest, KeyboardPointerPicksAndPutsDown) {
    trigger(Command::ContinuePlay);
    QTest::mouseMove(board(), centre(27));
    QTest::keyClick(board(), Qt::Key_Return);
    EXPECT_EQ(window->document().mode(), ViewerMode::PlayingPieceHeld);
    QTest::keyClick(board(), Qt::Key_Up);
    EXPECT_EQ(board()->pointer(), centre(26));
    QTest::keyClick(board(), Qt::Key_Return);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(cell(26), makePiece(kSideBlack, core::kPawn));
    // The arrows move the pointer in play, not through the record.
    QTest::keyClick(board(), Qt::Key_Left);
    EXPECT_EQ(board()->pointer(), centre(36));
    EXPECT_EQ(store.currentPly(), 1);
    // Escape with nothing held opens the context menu: nothing changes.
    QTest::keyClick(board(), Qt::Key_Escape);
    EXPECT_EQ(store.currentPly(), 1);
}

TEST_F(BoardInputTest, TypedMovesAndTerminalEntries) {
    trigger(Command::ContinuePlay);
    std::deque<std::string> texts{"7577", "7677"};
    window->setTypedMoveSource([&]() -> std::optional<std::string> {
        if (texts.empty()) return std::nullopt;
        std::string t = texts.front();
        texts.pop_front();
        return t;
    });
    QTest::keyClick(board(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(texts.empty());
    EXPECT_EQ(store.currentPly(), 1);
    ASSERT_EQ(window->shownMessages().size(), 1u);
    EXPECT_EQ(window->shownMessages()[0], std::string("ルール　エラー"));
    trigger(Command::Resign);
    EXPECT_EQ(window->document().mode(), ViewerMode::Viewing);
    EXPECT_FALSE(window->action(Command::Resign)->isEnabled());
    EXPECT_EQ(store.node(store.current()).to, core::terminalByte(core::TerminalCode::Resign));
}

TEST_F(BoardInputTest, EditingDragIntoTheBox) {
    trigger(Command::Editing);
    ASSERT_EQ(window->document().mode(), ViewerMode::Editing);
    EXPECT_FALSE(window->recordWindow()->isVisible());
    EXPECT_EQ(window->action(Command::Editing)->text(), QString::fromUtf8("局面編集の終了(&E)"));
    const BoardGeometry g = board()->geometry();
    Point slot = g.toClient(boxSlotTopLeft(g, core::kPawn));
    drag(centre(77), QPoint(slot.x + 10, slot.y + 10));
    EXPECT_EQ(cell(77), 0);
    EXPECT_EQ(boxCount(store.position(), core::kPawn), 1);
    // The box is drawn beside the board with the pawn in it.
    QImage shot = board()->grab().toImage();
    Rect box = g.toClient(pieceBoxRect(g));
    EXPECT_EQ(shot.pixelColor(box.left + 3, box.bottom - 4), toColour(settings.pieceBoxColour));
    trigger(Command::EvenSetup);
    EXPECT_EQ(boxCount(store.position(), core::kPawn), 0);
    trigger(Command::Editing);
    EXPECT_EQ(window->document().mode(), ViewerMode::Viewing);
}

TEST_F(BoardInputTest, AnimationRunsOnATimerAndACutShortByTheNextInput) {
    settings.animationSpeed = 0;
    trigger(Command::ContinuePlay);
    drag(77, 76);
    drag(33, 34);
    trigger(Command::StepBack);
    trigger(Command::StepBack);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_TRUE(board()->animating());  // the take-back travels home
    trigger(Command::StepForward);      // the running travel lands, the next one starts
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_TRUE(board()->animating());
    trigger(Command::StepForward);
    EXPECT_EQ(store.currentPly(), 2);
    int steps = 0;
    while (board()->animating() && steps < 10000) {
        board()->animationStep();
        ++steps;
    }
    EXPECT_FALSE(board()->animating());
    EXPECT_GT(steps, 5);
    // A press during a travel lands it first and is handled at once.
    trigger(Command::StepBack);
    ASSERT_TRUE(board()->animating());
    drag(33, 34);
    EXPECT_FALSE(board()->animating());
    EXPECT_EQ(store.currentPly(), 2);
}

}  // namespace
}  // namespace tavrel
