#include "dalmir/logic/statistics_choice.h"

#include <gtest/gtest.h>

#include <set>

#include "core/text/sjis.h"

namespace dalmir {
namespace {

// The menu's numbers 0..4 are the five kinds, each with its own title and report; other
// numbers are none.
TEST(StatisticsChoiceTest, EachKindHasItsTitleAndReport) {
    EXPECT_EQ(statisticsKind(-1), std::nullopt);
    EXPECT_EQ(statisticsKind(5), std::nullopt);
    model::IndexTable table(10);
    model::IndexEntry e;
    e.setText(model::IndexText::BlackPlayer, std::string("甲"));
    ASSERT_GE(table.append(std::move(e)), 0);
    table.rebuildDisplayOrder();
    model::PlayerStatistics players;
    const std::vector<std::string> titles = {"統計計算", "対局者の統計計算", "次の手分析",
                                             "戦型分析", "手合割分析"};
    std::set<std::string> reports;
    for (int which = 0; which < 5; ++which) {
        const auto kind = statisticsKind(which);
        ASSERT_TRUE(kind);
        EXPECT_EQ(static_cast<int>(*kind), which);
        EXPECT_EQ(statisticsTitle(*kind), titles[static_cast<std::size_t>(which)]);
        reports.insert(statisticsReport(*kind, table, players, std::string("甲")));
    }
    EXPECT_EQ(reports.size(), 5u);
    EXPECT_EQ(players.games(), 1);
}

}  // namespace
}  // namespace dalmir
