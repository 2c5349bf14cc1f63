// The window at any size, driven offscreen as a user does: the board scaled to 50%, 100% and
// 200% with mouse moves at every scale, the 100% picture the same wherever it stands, panes
// that never overlap the board or each other when opened, resized and laid out again, what is
// kept when the window closes, F6 between the panes, a drag while viewing and the promotion
// picked on the board.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDockWidget>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QImage>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <fstream>

#include "core/text/sjis.h"
#include "desktop/desktop_integration.h"
#include "tavrel/app/analysis_graph.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/main_window_engine.h"
#include "tavrel/app/window_test_context.h"
#include "tavrel/logic/view/pane_layout.h"
#include "tests/support/qt_application.h"

namespace tavrel {
namespace {

using core::kSideBlack;
using core::makePiece;

QPoint qpoint(Point p) { return QPoint(p.x, p.y); }

// How many pixels of the icon's picture at 32x32 points and pixel ratio 2 are drawn; -1 when the
// picture is missing or not at the ratio's full size.
int drawnPixels(const QIcon& icon) {
    const QPixmap pm = icon.pixmap(QSize(32, 32), 2.0);
    if (pm.isNull() || pm.width() != 64 || pm.height() != 64) return -1;
    const QImage image = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0) ++drawn;
        }
    }
    return drawn;
}

class WindowLayoutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void SetUp() override {
        settings.boardType = WoodChoice::Plain;
        store.restoreStartPosition(store.position());
    }
    std::unique_ptr<MainWindow> makeWindow(bool writable = false) {
        auto w = std::make_unique<MainWindow>(quietTestContext(settings, store, folder, writable));
        w->show();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
        return w;
    }
    QPoint centre(MainWindow& w, int square) {
        return qpoint(spotCentre(w.board()->geometry(), BoardSpot{square, 0, 0}, {}));
    }
    void drag(MainWindow& w, int from, int to, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QWidget* b = w.board();
        QTest::mousePress(b, Qt::LeftButton, keys, centre(w, from));
        QTest::mouseMove(b, centre(w, to));
        QTest::mouseRelease(b, Qt::LeftButton, keys, centre(w, to));
    }
    core::PieceByte cell(int sq) { return store.position().cells[static_cast<std::size_t>(sq)]; }
    // Every shown pane's rectangle (the board and the docks) in the window's coordinates.
    std::vector<Rect> paneRects(MainWindow& w) {
        std::vector<Rect> rects;
        for (QWidget* pane : w.panes()) {
            if (!pane->isVisible()) continue;
            auto* dock = qobject_cast<QDockWidget*>(pane);
            if (dock && dock->isFloating()) continue;
            QRect r(pane->mapTo(&w, QPoint(0, 0)), pane->size());
            rects.push_back(Rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
        }
        return rects;
    }
    std::string sample() const {
        return std::string(TAVREL_TEST_DATA) + "/../../resources/samples/sample.kif";
    }

    QTemporaryDir folder;
    Settings settings;
    core::RecordStore store;
};

TEST_F(WindowLayoutTest, TheBoardFillsItsAreaAndTakesMovesAtHalfNaturalAndDoubleSize) {
    for (double f : {0.5, 1.0, 2.0}) {
        store.reset();
        store.restoreStartPosition(store.position());
        auto w = makeWindow();
        BoardWidget* board = w->board();
        const BoardGeometry natural = board->naturalGeometry();
        // The board alone at f times its natural size, the window around it.
        board->setMinimumSize(0, 0);
        board->setFixedSize(static_cast<int>(natural.designWidth() * f),
                            static_cast<int>(natural.designHeight() * f));
        QApplication::processEvents();
        const BoardGeometry g = board->geometry();
        EXPECT_NEAR(g.scale(), f, 0.01) << f;
        // A square's centre shows the board colour, a king's square dark strokes.
        QImage shot = board->grab().toImage();
        const Rect empty = g.toClient(g.squareRect(5, 5));
        EXPECT_EQ(shot.pixelColor((empty.left + empty.right) / 2, (empty.top + empty.bottom) / 2),
                  toColour(settings.boardColour))
            << f;
        const Rect king = g.toClient(g.squareRect(5, 9));
        int dark = 0;
        for (int y = king.top; y < king.bottom; ++y) {
            for (int x = king.left; x < king.right; ++x) dark += qGray(shot.pixel(x, y)) < 80;
        }
        EXPECT_GT(dark, static_cast<int>(10 * f * f)) << f;
        // Moves by the mouse at this size, a drop from the stand included.
        w->runCommand(Command::ContinuePlay);
        ASSERT_EQ(w->document().mode(), ViewerMode::Playing) << f;
        drag(*w, 77, 76);
        drag(*w, 33, 34);
        drag(*w, 88, 22, Qt::ShiftModifier);
        EXPECT_EQ(cell(22), makePiece(kSideBlack, core::kHorse)) << f;
        drag(*w, 31, 22);
        const Point bishop = spotCentre(g, BoardSpot{0, kSideBlack, core::kBishop},
                                        core::countHand(store.position()));
        QTest::mousePress(board, Qt::LeftButton, {}, qpoint(bishop));
        QTest::mouseRelease(board, Qt::LeftButton, {}, centre(*w, 55));
        EXPECT_EQ(cell(55), makePiece(kSideBlack, core::kBishop)) << f;
        EXPECT_EQ(store.currentPly(), 5) << f;
    }
}

TEST_F(WindowLayoutTest, TheHundredPercentPictureIsTheSameWhereverItStands) {
    auto w = makeWindow();
    ASSERT_EQ(w->openFile(QString::fromStdString(sample())), CommandResult::Done);
    BoardWidget* board = w->board();
    const BoardGeometry natural = board->naturalGeometry();
    const QSize size(natural.designWidth(), natural.designHeight());
    // Fitting an area of exactly the natural size is the identity: today's picture.
    board->setFixedSize(size);
    QApplication::processEvents();
    ASSERT_EQ(board->geometry().view(), ViewScale{});
    const QImage fitted = board->render();
    // The fixed 100% in a larger area: the same picture, moved to the middle.
    board->setSizeChoice(100);
    board->setFixedSize(size + QSize(200, 120));
    QApplication::processEvents();
    const ViewScale view = board->geometry().view();
    ASSERT_EQ(view.factor, 1.0);
    EXPECT_EQ(view.origin, (Point{100, 60}));
    const QImage centred = board->render().copy(QRect(QPoint(100, 60), size));
    EXPECT_EQ(fitted, centred);
    // The information box and the stands are where the 100% formulas put them.
    EXPECT_EQ(fitted.pixelColor(natural.infoRect().right - 4, natural.infoRect().bottom - 4),
              QColor(Qt::white));
}

TEST_F(WindowLayoutTest, PanesNeverOverlapWhenOpenedResizedAndLaidOutAgain) {
    settings.branchWindow.mode = BranchWindowMode::Always;
    settings.commentWindow.mode = CommentDisplay::MainWindow;
    auto w = makeWindow();
    ASSERT_EQ(w->openFile(QString::fromStdString(sample())), CommandResult::Done);
    w->runCommand(Command::RecordWindow);
    w->engines()->analysisDock()->show();
    w->engines()->graphDock()->show();
    for (QSize size : {QSize(800, 600), QSize(1400, 1000), QSize(2560, 1440), QSize(1000, 700)}) {
        w->resize(size);
        QApplication::processEvents();
        const std::vector<Rect> rects = paneRects(*w);
        EXPECT_GE(rects.size(), 5u) << size.width();
        auto overlap = firstOverlap(rects);
        EXPECT_FALSE(overlap) << size.width() << "x" << size.height() << ": panes "
                              << overlap->first << " and " << overlap->second;
        // The board keeps a usable share: never a sliver.
        EXPECT_GE(w->board()->geometry().scale(), 0.45) << size.width();
    }
    // The record list is as wide as its longest line: no horizontal scroll bar.
    w->resize(1400, 1000);
    w->resetLayout();
    QApplication::processEvents();
    QListView* list = w->recordWindow()->view();
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    // A layout kept and brought back; reset puts the panes back beside the board.
    const QByteArray kept = w->saveState();
    w->resetLayout();
    ASSERT_TRUE(w->restoreState(kept));
    QApplication::processEvents();
    EXPECT_FALSE(firstOverlap(paneRects(*w)));
    EXPECT_TRUE(w->recordDock()->isVisible());
    EXPECT_FALSE(w->recordDock()->isFloating());
}

TEST_F(WindowLayoutTest, TheRecordListAsAWindowOfItsOwnWhenAskedFor) {
    auto w = makeWindow();
    w->runCommand(Command::RecordWindow);
    ASSERT_TRUE(w->recordDock()->isVisible());
    w->runCommand(Command::RecordSeparate);
    EXPECT_TRUE(w->recordDock()->isFloating());
    EXPECT_TRUE(w->recordWindow()->isVisible());
    EXPECT_TRUE(w->action(Command::RecordSeparate)->isChecked());
    w->resetLayout();
    EXPECT_FALSE(w->recordDock()->isFloating());
    EXPECT_TRUE(w->recordWindow()->isVisible());
}

// Closing the window hides its parts; what was shown is read before that.
TEST_F(WindowLayoutTest, ClosingKeepsTheRecordListAndToolbarShown) {
    settings.toolbar[0] = 1;
    settings.recordWindow.shown = 0;
    {
        auto w = makeWindow();
        w->runCommand(Command::RecordWindow);
        ASSERT_TRUE(w->recordWindow()->isVisible());
        ASSERT_TRUE(w->close());
        EXPECT_FALSE(w->recordWindow()->isVisible());
        EXPECT_EQ(settings.recordWindow.shown, 1);
        EXPECT_EQ(settings.toolbar[0], 1);
    }
    // Destroyed after the close: the close's reading stays.
    EXPECT_EQ(settings.recordWindow.shown, 1);
    EXPECT_EQ(settings.toolbar[0], 1);
    {
        // A window destroyed without a close reads what is set, not what is drawn.
        auto w = makeWindow();  // the record list not shown yet
        ASSERT_FALSE(w->recordShown());
        w->runCommand(Command::MainToolbar);
        w->hide();
    }
    EXPECT_EQ(settings.recordWindow.shown, 0);
    EXPECT_EQ(settings.toolbar[0], 0);
}

TEST_F(WindowLayoutTest, F6AndShiftF6WalkTheShownPanes) {
    settings.commentWindow.mode = CommentDisplay::MainWindow;
    auto w = makeWindow();
    w->runCommand(Command::RecordWindow);
    w->board()->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(w->board()->hasFocus());
    QTest::keyClick(w.get(), Qt::Key_F6);
    EXPECT_TRUE(w->recordDock()->isAncestorOf(QApplication::focusWidget()));
    // On through the comment pane back to the board; the hidden branch list is skipped.
    for (int i = 0; i < 5 && !w->board()->hasFocus(); ++i) QTest::keyClick(w.get(), Qt::Key_F6);
    EXPECT_TRUE(w->board()->hasFocus());
    QTest::keyClick(w.get(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_FALSE(w->board()->hasFocus());
    EXPECT_FALSE(w->branchDock()->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(w.get(), Qt::Key_F6);
    EXPECT_TRUE(w->board()->hasFocus());
}

TEST_F(WindowLayoutTest, ADragWhileViewingEntersTheMove) {
    auto w = makeWindow();
    ASSERT_EQ(w->document().mode(), ViewerMode::Viewing);
    drag(*w, 77, 76);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(cell(76), makePiece(kSideBlack, core::kPawn));
    EXPECT_EQ(w->document().mode(), ViewerMode::Viewing);
    // Off: a drag does nothing and the arrow keys still step.
    w->runCommand(Command::DragWhileViewing);
    drag(*w, 33, 34);
    EXPECT_EQ(store.currentPly(), 1);
    QTest::keyClick(w->board(), Qt::Key_Left);
    w->board()->finishAnimation();
    EXPECT_EQ(store.currentPly(), 0);
}

TEST_F(WindowLayoutTest, PromotionIsPickedOnTheBoardWithTheMouseOrTheKeys) {
    auto w = makeWindow();
    w->runCommand(Command::ContinuePlay);
    for (auto [from, to] : {std::pair{77, 76}, std::pair{33, 34}}) drag(*w, from, to);
    // The bishop reaches the zone: both pieces are offered at 2二, no question asked.
    drag(*w, 88, 22);
    ASSERT_TRUE(w->moveInput().promotionChoice());
    EXPECT_TRUE(w->shownMessages().empty());
    // Escape puts it back.
    QTest::keyClick(w->board(), Qt::Key_Escape);
    EXPECT_FALSE(w->moveInput().promotionChoice());
    EXPECT_FALSE(w->moveInput().held());
    EXPECT_EQ(cell(88), makePiece(kSideBlack, core::kBishop));
    EXPECT_EQ(store.currentPly(), 2);
    // Again, and the mouse picks the plain bishop.
    drag(*w, 88, 22);
    ASSERT_TRUE(w->moveInput().promotionChoice());
    const BoardGeometry g = w->board()->geometry();
    const Rect plain = g.toClient(promotionChoiceRects(g, 22)[1]);
    QTest::mouseClick(w->board(), Qt::LeftButton, {},
                      QPoint((plain.left + plain.right) / 2, (plain.top + plain.bottom) / 2));
    EXPECT_EQ(cell(22), makePiece(kSideBlack, core::kBishop));
    EXPECT_EQ(store.currentPly(), 3);

    // With the keys: the pointer starts on the promoted piece; Right, Left, Enter picks it.
    drag(*w, 31, 22);
    const Point bishop =
        spotCentre(g, BoardSpot{0, kSideBlack, core::kBishop}, core::countHand(store.position()));
    QTest::mousePress(w->board(), Qt::LeftButton, {}, qpoint(bishop));
    QTest::mouseRelease(w->board(), Qt::LeftButton, {}, centre(*w, 55));
    ASSERT_EQ(cell(55), makePiece(kSideBlack, core::kBishop));
    drag(*w, 41, 42);
    drag(*w, 55, 33);  // 3三: in the zone, the bishop may promote
    ASSERT_TRUE(w->moveInput().promotionChoice());
    QTest::keyClick(w->board(), Qt::Key_Right);
    QTest::keyClick(w->board(), Qt::Key_Left);
    QTest::keyClick(w->board(), Qt::Key_Return);
    EXPECT_FALSE(w->moveInput().promotionChoice());
    EXPECT_EQ(cell(33), makePiece(kSideBlack, core::kHorse));
    EXPECT_EQ(store.currentPly(), 7);
}

// Every toolbar button and the window itself carry a vector picture that is sharp at pixel
// ratio 2: drawn at the doubled size, not blank, and not the same picture for two commands.
TEST_F(WindowLayoutTest, ToolbarAndWindowIconsAreVectorPicturesSharpAtDoubleRatio) {
    auto w = makeWindow();
    std::vector<QImage> pictures;
    int buttons = 0;
    for (QToolBar* bar : w->findChildren<QToolBar*>()) {
        for (QAction* a : bar->actions()) {
            if (a->isSeparator()) continue;
            ++buttons;
            const int drawn = drawnPixels(a->icon());
            EXPECT_GT(drawn, 64 * 64 / 20) << a->text().toStdString();
            EXPECT_LT(drawn, 64 * 64) << a->text().toStdString();
            pictures.push_back(a->icon().pixmap(QSize(32, 32), 2.0).toImage());
        }
    }
    EXPECT_GE(buttons, 11);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        for (std::size_t j = i + 1; j < pictures.size(); ++j) {
            EXPECT_NE(pictures[i], pictures[j]) << i << " and " << j;
        }
    }
    EXPECT_GT(drawnPixels(w->windowIcon()), 64 * 64 / 4);
    // Each program has its own picture.
    const QIcon dalmir = desktop::programIcon(QStringLiteral("dalmir"));
    EXPECT_GT(drawnPixels(dalmir), 64 * 64 / 4);
    EXPECT_NE(dalmir.pixmap(QSize(32, 32), 2.0).toImage(),
              w->windowIcon().pixmap(QSize(32, 32), 2.0).toImage());
    EXPECT_TRUE(desktop::programIcon(QStringLiteral("nothing")).isNull());
}

// The evaluation graph's axis labels as the chart draws them.
QStringList axisLabels(AnalysisGraph& graph) {
    QStringList labels;
    for (QGraphicsItem* item : graph.scene()->items()) {
        if (!item->isVisible()) continue;
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item)) labels << text->toPlainText();
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item)) labels << text->text();
    }
    return labels;
}

// Opened beside the board at the default size and at 800x600, the graph of a long game shows
// whole axis labels: never one cut to "…".
TEST_F(WindowLayoutTest, TheGraphsAxisLabelsAreWholeAtTheDefaultSize) {
    auto w = makeWindow();
    std::vector<std::optional<int>> scores;
    for (int ply = 0; ply < 151; ++ply) scores.push_back((ply * 97) % 6001 - 3000);
    AnalysisGraph* graph = w->engines()->graph();
    graph->setScores(scores, 40);
    w->engines()->analysisDock()->show();
    w->engines()->graphDock()->show();
    for (QSize size : {QSize(), QSize(800, 600)}) {
        if (size.isValid()) w->resize(size);
        // The dock, the view and then the chart's own layout each settle in a pass of events.
        for (int pass = 0; pass < 3; ++pass) QApplication::processEvents();
        graph->grab();
        const QStringList labels = axisLabels(*graph);
        const std::string shown =
            QStringLiteral("%1x%2: ").arg(graph->width()).arg(graph->height()).toStdString() +
            labels.join(QStringLiteral(" | ")).toStdString();
        EXPECT_TRUE(labels.contains(QStringLiteral("3000"))) << shown;
        EXPECT_TRUE(labels.contains(QStringLiteral("-3000"))) << shown;
        EXPECT_TRUE(labels.contains(QStringLiteral("100"))) << shown;
        for (const QString& label : labels) {
            EXPECT_FALSE(label.contains(QChar(0x2026)) || label.contains(QStringLiteral("...")))
                << size.width() << ": " << shown;
        }
    }
}

// Opening the analysis pane and the graph from the menu at 1400x1000 takes a third of the
// height under the board: the board shrinks with the height it gives up, never to a sliver.
TEST_F(WindowLayoutTest, OpeningTheAnalysisPaneLeavesTheBoardMostOfTheHeight) {
    auto w = makeWindow();
    w->resize(1400, 1000);
    QApplication::processEvents();
    const double alone = w->board()->geometry().scale();
    w->runCommand(Command::AnalysisView);
    w->runCommand(Command::GraphView);
    for (int pass = 0; pass < 3; ++pass) QApplication::processEvents();
    ASSERT_TRUE(w->engines()->analysisDock()->isVisible());
    EXPECT_LE(w->engines()->analysisDock()->height(), 1000 * 2 / 5);
    EXPECT_GE(w->board()->geometry().scale(), 0.6 * alone);
}

}  // namespace
}  // namespace tavrel
