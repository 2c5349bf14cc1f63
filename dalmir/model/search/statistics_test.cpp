#include "dalmir/model/search/statistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text/sjis.h"

namespace dalmir::model {
namespace {

struct Game {
    const char* black;
    const char* white;
    uint8_t result;
    uint16_t moves;
    const char* opening = "";
    uint8_t handicap = 0;
    const char* next = "";
};

IndexTable tableOf(const std::vector<Game>& games) {
    IndexTable table(5000);
    for (const Game& g : games) {
        IndexEntry e;
        e.setText(IndexText::BlackPlayer, std::string(g.black));
        e.setText(IndexText::WhitePlayer, std::string(g.white));
        e.setText(IndexText::Opening, std::string(g.opening));
        e.setText(IndexText::NextMove, std::string(g.next));
        e.result = g.result;
        e.moveCount = g.moves;
        e.handicap = g.handicap;
        EXPECT_GE(table.append(e), 0);
    }
    table.rebuildDisplayOrder();
    return table;
}

TEST(StatisticsTest, ResultsReport) {
    IndexTable table = tableOf({{"甲", "乙", 1, 100},
                                {"甲", "乙", 2, 80},
                                {"甲", "乙", 1, 91},
                                {"甲", "乙", 4, 120},
                                {"甲", "乙", 3, 200}});
    EXPECT_EQ(resultsReport(table), std::string("先手(下手)勝ち：     2\r\n"
                                                "後手(上手)勝ち：     1\r\n"
                                                "千日手　　　　：     1\r\n"
                                                "持将棋　　　　：     1\r\n"
                                                "先手(下手)勝率： 0.667\r\n"
                                                "後手(上手)勝率： 0.333\r\n"
                                                "平均手数　　　： 118.200"));
    EXPECT_EQ(resultsReport(tableOf({})), std::string("先手(下手)勝ち：     0\r\n"
                                                      "後手(上手)勝ち：     0\r\n"
                                                      "千日手　　　　：     0\r\n"
                                                      "持将棋　　　　：     0"));
}

TEST(StatisticsTest, PlayerAgainstHimselfCountsInNeitherWinsNorLosses) {
    IndexTable table = tableOf({{"羽生 善治", "谷川浩司", 1, 100},
                                {"谷川浩司", "羽生善治", 1, 60},
                                {"羽生善治", "羽生善治", 2, 50},
                                {"森内俊之", "谷川浩司", 4, 90}});
    PlayerStatistics stats;
    EXPECT_EQ(stats.compute(table, std::string("羽生善治"), true),
              std::string("棋譜数：    3\r\n\r\n"
                          "勝ち　：    1\r\n"
                          "負け　：    1\r\n"
                          "千日手：    0\r\n"
                          "持将棋：    0\r\n"
                          "勝率　： 0.500\r\n"
                          "'羽生善治'同士：    1\r\n"
                          "平均手数： 70.000"));
    EXPECT_TRUE(stats.compute(table, std::string("羽生善治"), false)
                    .starts_with(std::string("棋譜数：    2\r\n")));
    // An empty name shows the last counters again.
    EXPECT_EQ(stats.compute(table, "", false),
              stats.compute(table, std::string("羽生善治"), false));
    EXPECT_EQ(stats.compute(tableOf({}), std::string("誰か"), false),
              std::string("棋譜数：    0\r\n\r\n勝ち　：    0\r\n負け　：    0\r\n千日手：    0\r\n"
                          "持将棋：    0"));
}

TEST(StatisticsTest, OpeningsReportOrdersRowsAndKeepsTrailingBlanksApart) {
    IndexTable table = tableOf({{"a", "b", 1, 10, "矢倉"},
                                {"a", "b", 2, 10, "矢倉 "},
                                {"a", "b", 1, 10, "四間飛車"},
                                {"a", "b", 2, 10, "四間飛車"},
                                {"a", "b", 3, 10, ""}});
    const std::string rule = "────────────────────────────\r\n";
    EXPECT_EQ(openingsReport(table),
              std::string("                  戦型       　棋譜数  割合(%)  先手勝率\r\n" + rule +
                          "                      （なし）：    1  20.0%\r\n"
                          "  1:                  四間飛車：    2  40.0%    0.500\r\n"
                          "  2:                     矢倉 ：    1  20.0%    0.000\r\n"
                          "  3:                      矢倉：    1  20.0%    1.000\r\n" +
                          rule + "計                                  5   100%    0.500\r\n"));
}

TEST(StatisticsTest, HandicapReportOfEvenGamesOnly) {
    IndexTable table = tableOf({{"a", "b", 1, 10}, {"a", "b", 1, 10}});
    EXPECT_EQ(handicapsReport(table), std::string(" 1:    平手　　：     2 100.0%\r\n"
                                                  "---------------------------------\r\n"
                                                  "                計    2局\r\n"));
    table = tableOf({{"a", "b", 1, 10, "", 10}, {"a", "b", 1, 10, "", 15}, {"a", "b", 1, 10}});
    EXPECT_EQ(handicapsReport(table), std::string(" 1:    平手　　：     1  33.3%\r\n"
                                                  "11:  左五枚落ち：     1  33.3%\r\n"
                                                  "---------------------------------\r\n"
                                                  "                計    3局\r\n"));
}

TEST(StatisticsTest, NextMoveReportKeepsSixteenRowsSummingToAHundred) {
    const std::vector<std::string> moves = {"７六歩(77)", "２六歩(27)", "５六歩(57)", "１六歩(17)",
                                            "９六歩(97)", "３六歩(37)", "４六歩(47)", "６六歩(67)",
                                            "８六歩(87)", "７八金(69)", "５八金(49)", "４八銀(39)",
                                            "６八銀(79)", "７八銀(79)", "５八飛(28)", "６八飛(28)",
                                            "７八飛(28)", "４八飛(28)", "６八玉(59)", "４八玉(59)"};
    std::vector<Game> games;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        for (std::size_t k = 0; k < (i < 4 ? 2 : 1); ++k) {
            games.push_back(
                {"a", "b", static_cast<uint8_t>(k == 0 ? 1 : 2), 10, "", 0, moves[i].c_str()});
        }
    }
    games.push_back({"a", "b", 1, 10});  // no next move
    IndexTable table = tableOf(games);
    std::string report = nextMoveReport(table);
    std::vector<std::string> lines;
    for (std::size_t p = 0, e; p < report.size(); p = e + 2) {
        e = report.find("\r\n", p);
        if (e == std::string::npos) e = report.size();
        lines.push_back(report.substr(p, e - p));
    }
    ASSERT_EQ(lines.size(), 22u);  // header, rule, 16 rows, rule, total, empty, version
    EXPECT_EQ(lines[0], std::string("   次の手　  　棋譜数(%)   　先手勝率"));
    EXPECT_EQ(lines[2], std::string(" 1.７六歩(77)     2 ( 10%)     0.500      1勝      1敗"));
    EXPECT_EQ(lines[6], std::string(" 5.９六歩(97)     1 (  5%)     1.000      1勝      0敗"));
    int sum = 0, rows = 0;
    for (std::size_t i = 2; i < 18; ++i) {
        sum += std::stoi(lines[i].substr(lines[i].find(" (") + 2));
        ++rows;
    }
    EXPECT_EQ(rows, 16);
    EXPECT_EQ(sum, 100);  // of the 20 records placed in rows; four continuations are left out
    EXPECT_EQ(lines[19], std::string("計               25            0.833     20勝      4敗"));
    EXPECT_EQ(lines[20], "");
    EXPECT_EQ(lines[21], "Dalmir V6.20");

    table.entry(0).handicap = 3;
    EXPECT_TRUE(nextMoveReport(table).starts_with(
        std::string("   次の手　　棋譜数(%)　先手(下手)勝率\r\n")));
}

}  // namespace
}  // namespace dalmir::model
