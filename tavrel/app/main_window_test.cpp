#include "tavrel/app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMenuBar>
#include <QMimeData>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <map>

#include "core/text/sjis.h"
#include "tavrel/app/window_test_context.h"
#include "tavrel/settings/environment_file.h"
#include "tests/support/qt_application.h"

// fontconfig keeps its caches until the process ends; the leak checker is told so.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace tavrel {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }

    std::unique_ptr<MainWindow> makeWindow(bool writable = false) {
        return std::make_unique<MainWindow>(quietTestContext(settings, store, folder, writable));
    }
    std::string sample() const {
        return std::string(TAVREL_TEST_DATA) + "/../../resources/samples/sample.kif";
    }

    QTemporaryDir folder;
    Settings settings;
    core::RecordStore store;
};

std::optional<Command> commandOf(const MainWindow& w, const QAction* a) {
    for (int i = 0; i < kCommandCount; ++i) {
        if (w.action(static_cast<Command>(i)) == a) return static_cast<Command>(i);
    }
    return std::nullopt;
}

void collectMenus(QMenu* menu, std::vector<QMenu*>& menus) {
    menus.push_back(menu);
    for (QAction* a : menu->actions()) {
        if (a->menu()) collectMenus(a->menu(), menus);
    }
}

// Walks every menu as a user would: each entry of a command has a handler, no two entries of one
// menu (nor two menus of the bar) share a letter, and pressing an enabled entry's letter in the
// open menu chooses that entry, even where the letter is also one of the window's keys.
TEST_F(MainWindowTest, EveryMenuLetterChoosesItsEntryWhichHasAHandler) {
    settings.oldReplay = 1;
    auto w = makeWindow();
    w->resize(640, 480);
    ASSERT_EQ(w->openFile(QString::fromStdString(sample())), CommandResult::Done);
    w->show();
    QApplication::setActiveWindow(w.get());
    std::vector<Command> chosen;
    w->setCommandFilter([&chosen](Command c) {
        chosen.push_back(c);
        return true;
    });
    std::map<int, QString> bar;
    std::vector<QMenu*> menus;
    for (QAction* top : w->menuBar()->actions()) {
        const int letter = QKeySequence::mnemonic(top->text())[0].toCombined();
        EXPECT_TRUE(bar.emplace(letter, top->text()).second) << top->text().toStdString();
        collectMenus(top->menu(), menus);
    }
    int pressed = 0;
    for (QMenu* menu : menus) {
        std::map<int, QString> letters;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            if (std::optional<Command> c = commandOf(*w, a)) {
                EXPECT_TRUE(w->hasHandler(*c)) << a->text().toStdString();
            }
            const QKeySequence letter = QKeySequence::mnemonic(a->text());
            if (letter.isEmpty()) continue;
            EXPECT_TRUE(letters.emplace(letter[0].toCombined(), a->text()).second)
                << menu->title().toStdString() << ": " << a->text().toStdString() << " and "
                << letters[letter[0].toCombined()].toStdString();
        }
        for (QAction* a : menu->actions()) {
            const std::optional<Command> c = commandOf(*w, a);
            const QKeySequence letter = QKeySequence::mnemonic(a->text());
            if (!c || letter.isEmpty()) continue;
            menu->popup(QPoint(0, 0));
            ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
            if (!a->isEnabled()) {
                menu->hide();
                continue;
            }
            chosen.clear();
            QTest::keyClick(menu, static_cast<Qt::Key>(letter[0].key()));
            EXPECT_EQ(chosen, std::vector<Command>{*c}) << a->text().toStdString();
            EXPECT_FALSE(menu->isVisible()) << a->text().toStdString();
            menu->hide();
            ++pressed;
        }
    }
    EXPECT_GT(pressed, 100);
}

// Every key of the table is one Qt reads back as written, a key of the whole window.
TEST_F(MainWindowTest, EveryTableKeyIsAWindowKey) {
    auto w = makeWindow();
    for (const CommandEntry& e : commandTable()) {
        QAction* a = w->action(e.command);
        EXPECT_EQ(a->shortcutContext(), Qt::ApplicationShortcut);
        if (e.command == Command::StepForward || e.command == Command::StepBack) continue;
        ASSERT_EQ(a->shortcuts().size(), static_cast<qsizetype>(e.keys.size())) << e.text;
        for (std::size_t i = 0; i < e.keys.size(); ++i) {
            const QKeySequence key = a->shortcuts()[static_cast<qsizetype>(i)];
            EXPECT_EQ(key.count(), 1) << e.keys[i];
            EXPECT_EQ(key.toString(QKeySequence::PortableText).toStdString(), e.keys[i]);
        }
    }
}

// The Edit menu's truncation and branch and the replay toolbar act through the window.
TEST_F(MainWindowTest, TruncateBranchAndReplayToolbar) {
    auto w = makeWindow();
    ASSERT_EQ(w->openFile(QString::fromStdString(sample())), CommandResult::Done);
    w->show();
    w->action(Command::ToStart)->trigger();
    w->action(Command::StepForward)->trigger();
    ASSERT_EQ(store.currentPly(), 1);
    ASSERT_TRUE(w->action(Command::TruncateAfter)->isEnabled());
    w->action(Command::TruncateAfter)->trigger();
    EXPECT_EQ(store.lineEnd(), 1);
    EXPECT_TRUE(w->windowTitle().contains(QStringLiteral(" *")));
    EXPECT_FALSE(w->action(Command::TruncateAfter)->isEnabled());
    EXPECT_FALSE(w->action(Command::CreateBranch)->isEnabled());
    w->action(Command::StepBack)->trigger();
    ASSERT_TRUE(w->action(Command::CreateBranch)->isEnabled());
    w->action(Command::CreateBranch)->trigger();
    EXPECT_EQ(w->document().mode(), ViewerMode::Playing);
    EXPECT_TRUE(w->document().addsVariations());

    settings.toolbar[1] = 0;
    QToolBar* replay = w->replayToolbar();
    ASSERT_TRUE(replay->isHidden());
    EXPECT_TRUE(replay->actions().contains(w->action(Command::StepForward)));
    w->action(Command::ReplayToolbar)->trigger();
    EXPECT_FALSE(replay->isHidden());
    EXPECT_TRUE(w->action(Command::ReplayToolbar)->isChecked());
    EXPECT_EQ(settings.toolbar[1], 1);
}

// The board area shows the board colour or grain inside the squares, dark lines between them,
// and a dark kanji stroke in a square holding a piece.
// Run from the build, F1 finds the help beside the program (the test runs in its folder), and
// the help covers what a new user does first.
TEST_F(MainWindowTest, HelpLiesBesideTheProgramInTheBuild) {
    QFile help(QCoreApplication::applicationDirPath() + QStringLiteral("/help/index.html"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly)) << help.fileName().toStdString();
    const QString text = QString::fromUtf8(help.readAll());
    for (const char* anchor : {"id=\"open\"", "id=\"step\"", "id=\"input\"", "id=\"play\"",
                               "id=\"engine\"", "id=\"keys\""}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(anchor))) << anchor;
    }
}

TEST_F(MainWindowTest, ScreenshotShowsBoardAndPieces) {
    settings.boardType = WoodChoice::Plain;  // plain colour: easy to recognise
    auto w = makeWindow();
    w->resize(640, 480);
    ASSERT_EQ(w->openFile(QString::fromStdString(sample())), CommandResult::Done);
    w->show();
    QApplication::processEvents();
    QImage shot = w->board()->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    w->grab().save(QDir::temp().filePath(QStringLiteral("tavrel_window_test.png")));
    // The picture scaled to the board's area: its design points mapped to the client.
    BoardGeometry g = w->board()->geometry();
    QColor board = toColour(settings.boardColour);
    // An empty square (5, 5) is board-coloured at its centre.
    Rect empty = g.toClient(g.squareRect(5, 5));
    EXPECT_EQ(shot.pixelColor((empty.left + empty.right) / 2, (empty.top + empty.bottom) / 2),
              board);
    // The line left of file 9 is dark.
    Point corner = g.toClient(g.squareTopLeft(9, 5));
    const int gap = std::max(1, static_cast<int>(2 * g.scale()));
    EXPECT_LT(qGray(shot.pixel(corner.x - gap, corner.y + 5)), 100);
    // Square (5, 9) holds Black's king: dark pixels (the kanji) inside it.
    Rect king = g.toClient(g.squareRect(5, 9));
    int dark = 0;
    for (int y = king.top; y < king.bottom; ++y) {
        for (int x = king.left; x < king.right; ++x) dark += qGray(shot.pixel(x, y)) < 80;
    }
    EXPECT_GT(dark, 10);
    // The information area is white with text in it.
    Rect info = g.toClient(g.infoRect());
    EXPECT_EQ(shot.pixelColor(info.right - 4, info.bottom - 4), QColor(Qt::white));
    // Outside everything: the background colour.
    EXPECT_EQ(shot.pixelColor(shot.width() - 2, shot.height() - 2),
              toColour(settings.backgroundColour));
}

TEST_F(MainWindowTest, TitleAndRecordWindowFollowTheRecord) {
    auto w = makeWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tavrel"));
    ASSERT_EQ(w->openFile(QString::fromStdString(sample())), CommandResult::Done);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("sample.kif - Tavrel"));
    EXPECT_EQ(w->recordWindow()->windowTitle(), QString::fromUtf8("棋譜 6手"));
    store.markDirty();
    w->updateTitle();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("sample.kif * - Tavrel"));
}

TEST_F(MainWindowTest, CommandLineFileAndPly) {
    auto w = makeWindow();
    w->processCommandLine(parseCommandLine(argumentTokens({"/R", sample(), "+3"})));
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(w->document().mode(), ViewerMode::Viewing);  // 旧再現 is off
    EXPECT_EQ(settings.positionAfterLoad,
              PositionAfterLoad::EndIfSuspended);  // restored after the load
    w->processCommandLine(parseCommandLine(argumentTokens({"/B"})));
    EXPECT_EQ(w->document().mode(), ViewerMode::Editing);
    EXPECT_EQ(store.moveCount(), 0);
}

// The window hands a dropped file to the logic and shows what it decided.
TEST_F(MainWindowTest, DroppedFileIsLoadedAndNamedInTheStatusLine) {
    auto w = makeWindow();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(sample()))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window: without a drag in progress the application would not deliver it.
    static_cast<QObject*>(w.get())->event(&drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("sample.kif - Tavrel"));
    EXPECT_TRUE(w->statusText().endsWith(QString::fromUtf8("sample.kif がドロップされました。")));
}

// The File menu lists what the logic gives and enables it as the mode allows.
TEST_F(MainWindowTest, RecentFilesFollowTheListAndTheMode) {
    auto w = makeWindow();
    QMenu* file = w->menuBar()->actions().value(0)->menu();
    ASSERT_TRUE(file);
    auto recent = [&]() -> QAction* {
        for (QAction* a : file->actions()) {
            if (a->data().toString() == QString::fromStdString(sample())) return a;
        }
        return nullptr;
    };
    EXPECT_FALSE(recent());
    ASSERT_EQ(w->openFile(QString::fromStdString(sample())), CommandResult::Done);
    Q_EMIT file->aboutToShow();
    QAction* entry = recent();
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->text().startsWith(QStringLiteral("&1 ")));
    EXPECT_TRUE(entry->isEnabled());
    w->document().setMode(ViewerMode::Playing);
    w->refreshAll();
    EXPECT_FALSE(entry->isEnabled());
    EXPECT_FALSE(w->action(Command::Save)->isEnabled());
}

// A quiet window answers No: while a position is edited it stays open.
TEST_F(MainWindowTest, CloseWhileEditingAsksFirst) {
    auto w = makeWindow();
    w->show();
    w->document().setMode(ViewerMode::Editing);
    EXPECT_FALSE(w->close());
    ASSERT_FALSE(w->shownMessages().empty());
    EXPECT_EQ(w->shownMessages().back(), std::string("プログラムを終了しますか？"));
    w->document().setMode(ViewerMode::Viewing);
    EXPECT_TRUE(w->close());
}

TEST_F(MainWindowTest, MenusCarryAccelerators) {
    auto w = makeWindow();
    QAction* open = w->action(Command::Open);
    ASSERT_TRUE(open);
    EXPECT_EQ(open->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* paste = w->action(Command::Paste);
    ASSERT_TRUE(paste);
    EXPECT_TRUE(paste->shortcuts().contains(QKeySequence(Qt::SHIFT | Qt::Key_Insert)));
    QAction* turn = w->action(Command::Turn);
    ASSERT_TRUE(turn);
    turn->trigger();
    EXPECT_TRUE(w->board()->turned());
}

TEST_F(MainWindowTest, EnvironmentWrittenOnlyToWritableFolder) {
    std::string env = QDir(folder.path()).filePath(QStringLiteral("Tavrel95.env")).toStdString();
    makeWindow(false).reset();
    EXPECT_FALSE(std::filesystem::exists(env));
    settings.pieceSet = 7;
    makeWindow(true).reset();
    ASSERT_TRUE(std::filesystem::exists(env));
    Settings read;
    EXPECT_EQ(ReadEnvironmentFile(env, read), core::ReadResult::Ok);
    EXPECT_EQ(read.pieceSet, 7);
}

// 盤・駒の設定: 標準 and 一文字 choose their sets and follow the set number; OK keeps the set.
TEST_F(MainWindowTest, PieceStyleButtonsChooseTheirSets) {
    settings.pieceSet = 7;
    auto w = makeWindow();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        auto* standard = dialog->findChild<QRadioButton*>(QStringLiteral("standardPieces"));
        auto* one = dialog->findChild<QRadioButton*>(QStringLiteral("oneCharacterPieces"));
        auto* set = dialog->findChild<QSpinBox*>(QStringLiteral("pieceSet"));
        if (!standard || !one || !set) return;
        seen = true;
        EXPECT_FALSE(standard->isChecked() || one->isChecked());  // set 7 is neither
        QTest::mouseClick(one, Qt::LeftButton);
        EXPECT_EQ(set->value(), 4);
        set->setValue(3);
        EXPECT_TRUE(standard->isChecked());
        EXPECT_FALSE(one->isChecked());
        QTest::mouseClick(one, Qt::LeftButton);
        EXPECT_EQ(set->value(), 4);
        qobject_cast<QDialog*>(dialog)->accept();
    });
    w->action(Command::PieceSettings)->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(settings.pieceSet, 4);
}

TEST_F(MainWindowTest, ExternalPictureThatCannotBeReadFallsBack) {
    settings.externalPieces = 1;
    settings.pieceBitmap = "/nonexistent/pieces.bmp";
    auto w = makeWindow();
    EXPECT_EQ(settings.externalPieces, 0);
    ASSERT_FALSE(w->shownMessages().empty());
    EXPECT_EQ(w->shownMessages().front(),
              "/nonexistent/pieces.bmp" + std::string(" が読み込めません。"));
    EXPECT_EQ(w->board()->geometry().cell(), (CellSize{31, 32}));
}

TEST_F(MainWindowTest, ExternalPictureSetsTheCellSize) {
    QImage grid(248, 192, QImage::Format_RGB32);
    grid.fill(Qt::black);
    QString path = QDir(folder.path()).filePath(QStringLiteral("pieces.png"));
    ASSERT_TRUE(grid.save(path));
    QImage wide(56 * 24, 62 * 2, QImage::Format_RGB32);
    wide.fill(Qt::black);
    QString widePath = QDir(folder.path()).filePath(QStringLiteral("wide.png"));
    ASSERT_TRUE(wide.save(widePath));
    settings.externalPieces = 1;
    settings.pieceBitmap = path.toStdString();
    auto w = makeWindow();
    EXPECT_EQ(w->board()->geometry().cell(), (CellSize{31, 32}));
    settings.pieceBitmap = widePath.toStdString();
    EXPECT_EQ(w->board()->reloadPictures(), "");
    EXPECT_EQ(w->board()->geometry().cell(), (CellSize{56, 62}));
}

}  // namespace
}  // namespace tavrel
