#include "dalmir/model/search/player_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>

#include "core/text/sjis.h"
#include "dalmir/model/table/index_codes.h"

namespace dalmir::model {
namespace {

TEST(PlayerNamesTest, WidthsBlanksAndTitlesDoNotSeparateAPlayer) {
    const char* same[] = {"羽生善治",       "羽生 善治",           "羽生　善治",
                          "羽生善治九段",   "羽生善治名人",        "羽生善治 竜王・名人",
                          "羽生善治(九段)", "羽生善治（永世七冠）"};
    for (const char* name : same) {
        EXPECT_EQ(normalisedPlayerName(std::string(name)), "羽生善治") << name;
    }
    EXPECT_EQ(normalisedPlayerName(std::string("ＡＢＣ　Ｄｅｆ")), "abcdef");
    EXPECT_EQ(normalisedPlayerName(std::string("Abc Def")), "abcdef");
    // A name that is nothing but a title keeps it.
    EXPECT_EQ(normalisedPlayerName(std::string("名人")), "名人");
    EXPECT_NE(normalisedPlayerName(std::string("羽生善治")),
              normalisedPlayerName(std::string("羽生善")));
}

TEST(PlayerNamesTest, AliasesJoinNamesAndBadLinesAreReported) {
    std::string error;
    auto aliases = PlayerAliases::parse(
        "# 別名\n羽生善治 = Habu Yoshiharu, はぶ\r\n\n大山康晴=大山十五世名人\n", error);
    ASSERT_TRUE(aliases) << core::toUtf8Lossy(error);
    EXPECT_EQ(aliases->key(std::string("HABU yoshiharu")),
              aliases->key(std::string("羽生 善治 九段")));
    EXPECT_EQ(aliases->key(std::string("はぶ")), "羽生善治");
    EXPECT_EQ(aliases->key(std::string("大山十五世名人")), "大山康晴");
    EXPECT_EQ(aliases->key(std::string("谷川浩司")), "谷川浩司");
    // The same list written in CP932 reads the same.
    auto fromSjis = PlayerAliases::parse(std::string("羽生善治 = はぶ\n"), error);
    ASSERT_TRUE(fromSjis);
    EXPECT_EQ(fromSjis->key(std::string("はぶ")), "羽生善治");

    EXPECT_FALSE(PlayerAliases::parse("羽生善治 = はぶ\nno equals sign\n", error));
    EXPECT_NE(core::toUtf8Lossy(error).find("2行目"), std::string::npos);
    EXPECT_FALSE(PlayerAliases::parse(" = はぶ\n", error));
}

// Random databases: players written in many spellings, random results, years and labels. The
// report must agree with a count made from what the generator knows.
TEST(PlayerReportTest, CountsEqualADirectCountOnRandomDatabases) {
    const std::vector<std::vector<const char*>> spellings = {
        {"羽生善治", "羽生 善治", "羽生善治九段", "ﾊﾌﾞ", "はぶ"},
        {"谷川浩司", "谷川　浩司", "谷川浩司名人"},
        {"佐藤康光", "佐藤康光九段"},
        {"Anna Smith", "ＡＮＮＡ　ＳＭＩＴＨ", "anna smith 四段"},
    };
    const char* labels[] = {"▲四間飛車(美濃囲い) △居飛車穴熊", "角換わり ▲居飛車 △居飛車", "",
                            "香落ち"};
    std::string error;
    auto aliases = PlayerAliases::parse("羽生善治 = ﾊﾌﾞ, はぶ\n", error);
    ASSERT_TRUE(aliases);
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        IndexTable table(2000);
        struct Truth {
            int black, white, result, year;
        };
        std::vector<Truth> truth;
        int n = static_cast<int>(rng() % 300) + 1;
        for (int i = 0; i < n; ++i) {
            Truth t{static_cast<int>(rng() % 4), static_cast<int>(rng() % 4),
                    static_cast<int>(rng() % kResultCount),
                    static_cast<int>(rng() % 3 == 0 ? 0 : 1990 + rng() % 30)};
            IndexEntry e;
            auto spell = [&](int who) {
                const auto& names = spellings[static_cast<std::size_t>(who)];
                return std::string(names[rng() % names.size()]);
            };
            e.setText(IndexText::BlackPlayer, spell(t.black));
            e.setText(IndexText::WhitePlayer, spell(t.white));
            e.result = static_cast<uint8_t>(t.result);
            e.start.year = static_cast<uint16_t>(t.year);
            e.setText(IndexText::AutoOpening, std::string(labels[rng() % 4]));
            ASSERT_GE(table.append(e), 0);
            truth.push_back(t);
        }
        table.rebuildDisplayOrder();
        for (int who = 0; who < 4; ++who) {
            PlayerReport r = playerReport(table, std::string(spellings[who][0]), *aliases);
            Tally want;
            Tally wantBlack;
            std::map<int, int> years;
            for (const Truth& t : truth) {
                if (t.black != who && t.white != who) continue;
                bool black = t.black == who;  // a game against oneself counts as Black's
                int outcome = t.result == 1                      ? (black ? 1 : -1)
                              : t.result == 2                    ? (black ? -1 : 1)
                              : (t.result == 3 || t.result == 4) ? 0
                                                                 : 2;
                want.add(outcome);
                if (black) wantBlack.add(outcome);
                ++years[t.year];
            }
            EXPECT_EQ(r.total.games, want.games) << seed << " " << who;
            EXPECT_EQ(r.total.wins, want.wins);
            EXPECT_EQ(r.total.losses, want.losses);
            EXPECT_EQ(r.total.draws, want.draws);
            EXPECT_EQ(r.total.others, want.others);
            EXPECT_EQ(r.asBlack.games, wantBlack.games);
            EXPECT_EQ(r.asBlack.wins + r.asWhite.wins, want.wins);
            ASSERT_EQ(r.byYear.size(), years.size());
            for (const auto& [year, tally] : r.byYear) EXPECT_EQ(tally.games, years[year]);
            int own = 0, theirs = 0, opponents = 0;
            for (const auto& row : r.byOwnOpening) own += row.second.games;
            for (const auto& row : r.byOpponentOpening) theirs += row.second.games;
            for (const auto& row : r.byOpponent) opponents += row.second.games;
            EXPECT_EQ(own, want.games);
            EXPECT_EQ(theirs, want.games);
            EXPECT_EQ(opponents, want.games);
            EXPECT_LE(r.longestWinStreak, want.wins);
            EXPECT_LE(r.longestLossStreak, want.losses);
        }
    }
}

TEST(PlayerReportTest, OpeningsStreaksAndTheJsonForm) {
    IndexTable table;
    auto add = [&](const char* black, const char* white, IndexResult result, int year,
                   const char* label) {
        IndexEntry e;
        e.setText(IndexText::BlackPlayer, std::string(black));
        e.setText(IndexText::WhitePlayer, std::string(white));
        e.result = static_cast<uint8_t>(result);
        e.start = {static_cast<uint16_t>(year), 1, 1};
        e.setText(IndexText::AutoOpening, std::string(label));
        ASSERT_GE(table.append(e), 0);
    };
    // Listed out of date order: the streaks follow the dates.
    add("甲", "乙", IndexResult::BlackWins, 2003, "▲四間飛車(美濃囲い) △居飛車穴熊");
    add("乙", "甲", IndexResult::BlackWins, 2001, "▲居飛車(舟囲い) △三間飛車");
    add("甲", "丙", IndexResult::BlackWins, 2002, "▲四間飛車 △居飛車");
    add("丙", "甲", IndexResult::WhiteWins, 2004, "");
    add("甲", "乙", IndexResult::Repetition, 2005, "角換わり ▲居飛車 △居飛車");
    table.rebuildDisplayOrder();
    PlayerReport r = playerReport(table, std::string("甲"), PlayerAliases{});
    EXPECT_EQ(r.total.games, 5);
    EXPECT_EQ(r.total.wins, 3);
    EXPECT_EQ(r.total.losses, 1);
    EXPECT_EQ(r.total.draws, 1);
    EXPECT_EQ(r.longestWinStreak, 3);  // 2002, 2003, 2004
    EXPECT_EQ(r.longestLossStreak, 1);
    ASSERT_FALSE(r.byOwnOpening.empty());
    EXPECT_EQ(r.byOwnOpening[0].first, "四間飛車");
    EXPECT_EQ(r.byOwnOpening[0].second.games, 2);
    bool noneRow = false;
    for (const auto& row : r.byOwnOpening) noneRow = noneRow || row.first == "（なし）";
    EXPECT_TRUE(noneRow);
    EXPECT_EQ(r.byOpponent[0].first, "乙");
    EXPECT_EQ(r.byOpponent[0].second.games, 3);

    nlohmann::json j = nlohmann::json::parse(playerReportJson(r));
    EXPECT_EQ(j["total"]["wins"], 3);
    EXPECT_EQ(j["by_year"].size(), 5u);
    EXPECT_EQ(j["by_own_opening"][0]["opening"], "四間飛車");
    EXPECT_NE(playerReportText(r).find("最長連勝 3"), std::string::npos);

    // Nobody of that name: an empty report, not a failure.
    EXPECT_EQ(playerReport(table, std::string("丁"), PlayerAliases{}).total.games, 0);
    EXPECT_EQ(playerReport(table, "", PlayerAliases{}).total.games, 0);
}

}  // namespace
}  // namespace dalmir::model
