#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <utility>

#include "core/text/sjis.h"
#include "tavrel/app/game_dialogs.h"
#include "tavrel/app/main_window_engine.h"
#include "tavrel/app/record_info_pages.h"
#include "tavrel/app/window_test_context.h"
#include "tests/support/qt_application.h"

namespace tavrel {
namespace {

class GameWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void SetUp() override { store.restoreStartPosition(store.position()); }

    std::unique_ptr<MainWindow> makeWindow() {
        auto w = std::make_unique<MainWindow>(quietTestContext(settings, store, folder));
        w->show();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
        return w;
    }

    QTemporaryDir folder;
    Settings settings;
    core::RecordStore store;
};

// Ctrl+N runs the sheet, the game starts with its clock; Ctrl+G resigns and ends it.
TEST_F(GameWindowTest, NewGameByKeyRunsTheClockUntilResignation) {
    auto w = makeWindow();
    EXPECT_FALSE(w->action(Command::Resign)->isEnabled());
    NewGameFields seen;
    w->setNewGameSource([&](const NewGameFields& shown) -> std::optional<NewGameFields> {
        seen = shown;
        NewGameFields f;
        f.black = std::string("甲");
        f.white = std::string("乙");
        return f;
    });
    QTest::keyClick(w->board(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(seen.header.front().second, automaticDateText());
    EXPECT_EQ(w->document().mode(), ViewerMode::Playing);
    EXPECT_TRUE(w->windowTitle().contains(QString::fromUtf8("（対局中")));
    EXPECT_TRUE(w->turnTimer()->isActive());
    EXPECT_TRUE(w->action(Command::Resign)->isEnabled());
    EXPECT_FALSE(w->action(Command::NewGame)->isEnabled());
    EXPECT_EQ(store.playerName(core::PlayerField::Black), std::string("甲"));

    QTest::keyClick(w->board(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(w->document().mode(), ViewerMode::Viewing);
    EXPECT_FALSE(w->turnTimer()->isActive());
    EXPECT_FALSE(w->action(Command::Resign)->isEnabled());
    EXPECT_EQ(store.node(store.current()).to, core::terminalByte(core::TerminalCode::Resign));
    // The quiet window was asked whether to save, and declined.
    ASSERT_FALSE(w->shownMessages().empty());
    EXPECT_EQ(w->shownMessages().back(), std::string("棋譜を保存しますか？"));
}

// Shift+Enter opens the move dialog in play whichever pane has the focus: the window itself right
// after the sheet, the record window, the board; never outside play.
TEST_F(GameWindowTest, TypedMoveKeyIsTheWindowsWhereverTheFocusIs) {
    auto w = makeWindow();
    w->recordWindow()->show();
    int asked = 0;
    w->setTypedMoveSource([&asked]() -> std::optional<std::string> {
        ++asked;
        return std::nullopt;
    });
    QTest::keyClick(w.get(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(asked, 0);
    w->setNewGameSource([](const NewGameFields&) -> std::optional<NewGameFields> {
        NewGameFields f;
        f.black = std::string("甲");
        f.white = std::string("乙");
        return f;
    });
    w->action(Command::NewGame)->trigger();
    ASSERT_EQ(w->document().mode(), ViewerMode::Playing);
    const std::vector<QWidget*> panes{w.get(), w->recordWindow(), w->board()};
    for (QWidget* pane : panes) {
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_Return, Qt::ShiftModifier);
    }
    EXPECT_EQ(asked, 3);
    QTest::keyClick(w->recordWindow(), Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
    EXPECT_EQ(asked, 4);
}

// A cancelled sheet leaves the window viewing.
TEST_F(GameWindowTest, CancelledSheetStaysViewing) {
    auto w = makeWindow();
    w->setNewGameSource([](const NewGameFields&) { return std::nullopt; });
    w->action(Command::NewGame)->trigger();
    EXPECT_EQ(w->document().mode(), ViewerMode::Viewing);
    EXPECT_FALSE(w->turnTimer()->isActive());
}

// The players page: a handicap turns the labels into 下手 and 上手, and 先手後手未定 fills in the
// names of the sides.
TEST_F(GameWindowTest, PlayersPageFollowsTheHandicap) {
    Histories histories;
    NewGameFields fields = newGameDefaults(store);
    NewGameSheet sheet(ChoiceSource{&settings, &histories, {}, {}}, fields);
    sheet.show();
    GamePlayersPage* page = sheet.playersPage();
    EXPECT_EQ(sheet.windowTitle(), QString::fromUtf8("新規対局"));
    EXPECT_EQ(sheet.tabs()->count(), 3);
    EXPECT_EQ(page->blackLabel()->text(), QString::fromUtf8("先手："));
    page->handicapBox()->setCurrentIndex(3);
    EXPECT_EQ(page->blackLabel()->text(), QString::fromUtf8("下手："));
    EXPECT_EQ(page->whiteLabel()->text(), QString::fromUtf8("上手："));
    QTest::mouseClick(page->undecidedButton(), Qt::LeftButton);
    EXPECT_EQ(page->blackBox()->currentText(), QString::fromUtf8("下手"));
    sheet.eventPage()->setValue(core::HeaderField::Event, std::string("棋聖戦"));
    NewGameFields out = sheet.fields();
    EXPECT_EQ(out.handicap, 3);
    EXPECT_EQ(out.white, std::string("上手"));
    bool hasEvent = false;
    for (const auto& [field, value] : out.header) {
        if (field == core::HeaderField::Event) hasEvent = value == std::string("棋聖戦");
    }
    EXPECT_TRUE(hasEvent);
}

TEST_F(GameWindowTest, PlayerNamesDialogOffersUndecidedNames) {
    Histories histories;
    histories[HistoryField::Players].add(std::string("前の相手"));
    PlayerNamesDlg dialog(ChoiceSource{&settings, &histories, {}, {}}, std::string("甲"),
                          std::string("乙"), core::kHandicapEven);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("対局者名変更"));
    EXPECT_EQ(dialog.blackBox()->currentText(), QString::fromUtf8("甲"));
    EXPECT_EQ(dialog.blackBox()->itemText(0), QString::fromUtf8("前の相手"));
    QTest::mouseClick(dialog.undecidedButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.black(), std::string("先手"));
    EXPECT_EQ(dialog.white(), std::string("後手"));
}

// The players page offers the registered engines for each side and the time control, and hands
// them back with the other values.
TEST_F(GameWindowTest, PlayersPageChoosesEnginesAndTimes) {
    Histories histories;
    NewGameFields fields = newGameDefaults(store);
    fields.players.whiteEngine = "Gone";  // no longer registered: a human plays White
    fields.players.time = TimeControl{300, 0, 5};
    ChoiceSource source{&settings, &histories, "", {"Alpha", "Beta"}};
    NewGameSheet sheet(source, fields);
    GamePlayersPage* page = sheet.playersPage();
    ASSERT_EQ(page->blackPlayerBox()->count(), 3);
    EXPECT_EQ(page->whitePlayerBox()->currentIndex(), 0);
    EXPECT_EQ(page->initialMinutesBox()->value(), 5);
    EXPECT_EQ(page->incrementBox()->value(), 5);
    page->blackPlayerBox()->setCurrentIndex(2);
    page->byoyomiBox()->setValue(30);
    page->incrementBox()->setValue(0);
    const NewGameFields chosen = sheet.fields();
    EXPECT_EQ(chosen.players.blackEngine, "Beta");
    EXPECT_EQ(chosen.players.whiteEngine, "");
    EXPECT_EQ(chosen.players.time, (TimeControl{300, 30, 0}));
}

// Two fake engines play each other without blocking the window; Black's resigns at its fourth
// turn, and the game ends with 投了 and the engines' names as players.
TEST_F(GameWindowTest, EnginesPlayEachOtherUntilOneResigns) {
    qputenv("FAKE_USI_ARGS", "--resign-after 3");
    auto w = makeWindow();
    w->engines()->setEngines({usi::EngineEntry{"Fake", FAKE_USI_ENGINE, {}}});
    w->setNewGameSource([](const NewGameFields&) -> std::optional<NewGameFields> {
        NewGameFields f;
        f.players.blackEngine = "Fake";
        f.players.whiteEngine = "Fake";
        f.players.time = TimeControl{60, 1, 0};
        return f;
    });
    w->action(Command::NewGame)->trigger();
    ASSERT_NE(w->engineGame(), nullptr);
    EXPECT_TRUE(w->engineGame()->active());
    EXPECT_EQ(w->document().mode(), ViewerMode::Playing);
    QTRY_COMPARE_WITH_TIMEOUT(w->document().mode(), ViewerMode::Viewing, 15000);
    qunsetenv("FAKE_USI_ARGS");
    EXPECT_EQ(store.currentPly(), 7);
    EXPECT_EQ(store.node(store.current()).to, core::terminalByte(core::TerminalCode::Resign));
    EXPECT_EQ(store.playerName(core::PlayerField::Black), "Fake");
    EXPECT_FALSE(w->engineGame()->active());
    ASSERT_FALSE(w->shownMessages().empty());
    EXPECT_EQ(w->shownMessages().back(), std::string("棋譜を保存しますか？"));
}

// A human plays Black against the engine: the engine answers the move typed at the board, and
// the human's resignation ends its game.
TEST_F(GameWindowTest, EngineAnswersTheHumansMove) {
    auto w = makeWindow();
    w->engines()->setEngines({usi::EngineEntry{"Fake", FAKE_USI_ENGINE, {}}});
    w->setNewGameSource([](const NewGameFields&) -> std::optional<NewGameFields> {
        NewGameFields f;
        f.players.whiteEngine = "Fake";
        return f;
    });
    w->action(Command::NewGame)->trigger();
    EXPECT_FALSE(w->engineGame()->engineToMove());
    std::optional<std::string> typed = "7677";
    w->setTypedMoveSource([&typed] { return std::exchange(typed, std::nullopt); });
    QTest::keyClick(w->board(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(store.currentPly(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(store.currentPly(), 2, 15000);
    EXPECT_EQ(w->document().mode(), ViewerMode::Playing);
    EXPECT_FALSE(w->engineGame()->engineToMove());
    w->action(Command::Resign)->trigger();
    EXPECT_EQ(w->document().mode(), ViewerMode::Viewing);
    QTRY_VERIFY_WITH_TIMEOUT(!w->engineGame()->active(), 5000);
}

// A real engine, as a user has it, plays Black on the clock (btime/wtime with byoyomi) against
// the scripted engine, which resigns at its fourth turn.
TEST_F(GameWindowTest, ARealEnginePlaysAFewMoves) {
#ifndef REAL_USI_ENGINE
    GTEST_SKIP() << "no real USI engine installed (Debian's gpsshogi package has one)";
#else
    qputenv("FAKE_USI_ARGS", "--resign-after 3");
    auto w = makeWindow();
    w->engines()->setEngines({usi::EngineEntry{"Real", REAL_USI_ENGINE, {}},
                              usi::EngineEntry{"Fake", FAKE_USI_ENGINE, {}}});
    w->setNewGameSource([](const NewGameFields&) -> std::optional<NewGameFields> {
        NewGameFields f;
        f.players.blackEngine = "Real";
        f.players.whiteEngine = "Fake";
        f.players.time = TimeControl{0, 1, 0};
        return f;
    });
    w->action(Command::NewGame)->trigger();
    ASSERT_NE(w->engineGame(), nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(w->document().mode(), ViewerMode::Viewing, 30000);
    qunsetenv("FAKE_USI_ARGS");
    ASSERT_EQ(w->document().mode(), ViewerMode::Viewing);
    // Black's four moves and White's three, all played, then White's resignation.
    EXPECT_EQ(store.currentPly(), 8);
    EXPECT_EQ(store.node(store.current()).to, core::terminalByte(core::TerminalCode::Resign));
    EXPECT_EQ(store.playerName(core::PlayerField::Black), "Real");
    QTRY_VERIFY_WITH_TIMEOUT(!w->engineGame()->active(), 5000);
    EXPECT_FALSE(w->engineGame()->active());
#endif
}

}  // namespace
}  // namespace tavrel
