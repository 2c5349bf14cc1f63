#include "dalmir/logic/player_report_view.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "dalmir/logic/dalmir_test_fixture.h"

namespace dalmir {
namespace {

using model::IndexEntry;
using model::IndexText;

class PlayerReportViewTest : public testsupport::DalmirFixture {
protected:
    void game(const char* black, const char* white, int result, int year) {
        IndexEntry e;
        e.setText(IndexText::BlackPlayer, std::string(black));
        e.setText(IndexText::WhitePlayer, std::string(white));
        e.result = static_cast<uint8_t>(result);
        e.start.year = static_cast<uint16_t>(year);
        ASSERT_GE(db.table().append(e), 0);
    }
};

// The text is the command line's report, and the years carry the same counts in date order,
// the undated games first under 不明, as the report lists them.
TEST_F(PlayerReportViewTest, TextAndYearsAgreeWithTheReport) {
    game("田中一郎", "山田", 1, 2021);        // 先手勝ち: a win
    game("山田", "田中 一郎 四段", 1, 2021);  // a loss as White
    game("田中一郎", "佐藤", 3, 2022);        // 千日手: a draw
    game("佐藤", "田中一郎", 2, 0);           // 後手勝ち, no date: a win
    game("佐藤", "山田", 1, 2023);            // not the player's
    db.table().rebuildDisplayOrder();

    const model::PlayerAliases none;
    PlayerReportView view = playerReportView(db.table(), std::string("田中一郎"), none);
    EXPECT_EQ(view.games, 4);
    EXPECT_EQ(view.text, model::playerReportText(
                             model::playerReport(db.table(), std::string("田中一郎"), none)));
    ASSERT_EQ(view.years.size(), 3U);
    EXPECT_EQ(view.years[0].label, "不明");
    EXPECT_EQ(view.years[0].wins, 1);
    EXPECT_EQ(view.years[1].label, "2021");
    EXPECT_EQ(view.years[1].wins, 1);
    EXPECT_EQ(view.years[1].losses, 1);
    EXPECT_EQ(view.years[2].label, "2022");
    EXPECT_EQ(view.years[2].draws, 1);

    // A name nobody played under gives an empty report, not a failure.
    view = playerReportView(db.table(), std::string("誰でもない"), none);
    EXPECT_EQ(view.games, 0);
    EXPECT_TRUE(view.years.empty());
}

TEST_F(PlayerReportViewTest, AliasListIsReadOrItsFaultTold) {
    // No list: no aliases, nothing said.
    auto aliases = readPlayerAliases(ui, folder.file("absent.txt"));
    ASSERT_TRUE(aliases);
    EXPECT_TRUE(aliases->empty());
    EXPECT_TRUE(ui.messages.empty());

    aliases = readPlayerAliases(ui, folder.write("aliases.txt", {"田中一郎 = タナカ"}));
    ASSERT_TRUE(aliases);
    EXPECT_EQ(aliases->key(std::string("タナカ")), aliases->key(std::string("田中一郎")));

    // A bad line stops the report and names the file and the line.
    const std::string bad = folder.write("bad.txt", {"田中一郎 = タナカ", "等号のない行"});
    EXPECT_FALSE(readPlayerAliases(ui, bad));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_NE(ui.messages[0].find(bad), std::string::npos);
    EXPECT_NE(ui.messages[0].find("2行目"), std::string::npos);

    // A folder where the list should be cannot be read: told, not taken as no aliases.
    EXPECT_FALSE(readPlayerAliases(ui, folder.path()));
    EXPECT_EQ(ui.messages.size(), 2U);
}

}  // namespace
}  // namespace dalmir
