#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "core/text/sjis.h"
#include "tests/support/qt_application.h"
#include "viewer/app/game_dialogs.h"
#include "viewer/app/record_info_pages.h"
#include "viewer/app/window_test_context.h"

namespace viewer {
namespace {

using core::sjis;

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
    EXPECT_FALSE(w->action(QStringLiteral("resign"))->isEnabled());
    NewGameFields seen;
    w->setNewGameSource([&](const NewGameFields& shown) -> std::optional<NewGameFields> {
        seen = shown;
        NewGameFields f;
        f.black = sjis("甲");
        f.white = sjis("乙");
        return f;
    });
    QTest::keyClick(w->board(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(seen.header.front().second, automaticDateText());
    EXPECT_EQ(w->document().mode(), ViewerMode::Playing);
    EXPECT_TRUE(w->windowTitle().contains(QString::fromUtf8("（対局中")));
    EXPECT_TRUE(w->turnTimer()->isActive());
    EXPECT_TRUE(w->action(QStringLiteral("resign"))->isEnabled());
    EXPECT_FALSE(w->action(QStringLiteral("newGame"))->isEnabled());
    EXPECT_EQ(store.playerName(core::PlayerField::Black), sjis("甲"));

    QTest::keyClick(w->board(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(w->document().mode(), ViewerMode::Viewing);
    EXPECT_FALSE(w->turnTimer()->isActive());
    EXPECT_FALSE(w->action(QStringLiteral("resign"))->isEnabled());
    EXPECT_EQ(store.node(store.current()).to, core::terminalByte(core::TerminalCode::Resign));
    // The quiet window was asked whether to save, and declined.
    ASSERT_FALSE(w->shownMessages().empty());
    EXPECT_EQ(w->shownMessages().back(), sjis("棋譜を保存しますか？"));
}

// A cancelled sheet leaves the window viewing.
TEST_F(GameWindowTest, CancelledSheetStaysViewing) {
    auto w = makeWindow();
    w->setNewGameSource([](const NewGameFields&) { return std::nullopt; });
    w->action(QStringLiteral("newGame"))->trigger();
    EXPECT_EQ(w->document().mode(), ViewerMode::Viewing);
    EXPECT_FALSE(w->turnTimer()->isActive());
}

// The players page: a handicap turns the labels into 下手 and 上手, and 先手後手未定 fills in the
// names of the sides.
TEST_F(GameWindowTest, PlayersPageFollowsTheHandicap) {
    Histories histories;
    NewGameFields fields = newGameDefaults(store);
    NewGameSheet sheet(ChoiceSource{&settings, &histories, {}}, fields);
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
    sheet.eventPage()->setValue(core::HeaderField::Event, sjis("棋聖戦"));
    NewGameFields out = sheet.fields();
    EXPECT_EQ(out.handicap, 3);
    EXPECT_EQ(out.white, sjis("上手"));
    bool hasEvent = false;
    for (const auto& [field, value] : out.header) {
        if (field == core::HeaderField::Event) hasEvent = value == sjis("棋聖戦");
    }
    EXPECT_TRUE(hasEvent);
}

TEST_F(GameWindowTest, PlayerNamesDialogOffersUndecidedNames) {
    Histories histories;
    histories[HistoryField::Players].add(sjis("前の相手"));
    PlayerNamesDlg dialog(ChoiceSource{&settings, &histories, {}}, sjis("甲"), sjis("乙"),
                          core::kHandicapEven);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("対局者名変更"));
    EXPECT_EQ(dialog.blackBox()->currentText(), QString::fromUtf8("甲"));
    EXPECT_EQ(dialog.blackBox()->itemText(0), QString::fromUtf8("前の相手"));
    QTest::mouseClick(dialog.undecidedButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.black(), sjis("先手"));
    EXPECT_EQ(dialog.white(), sjis("後手"));
}

}  // namespace
}  // namespace viewer
