#include "dalmir/logic/statistics_table.h"

#include <gtest/gtest.h>

#include <random>

namespace dalmir {
namespace {

using model::IndexEntry;
using model::IndexTable;
using model::IndexText;

IndexTable sample(int records) {
    std::mt19937 rng(11);
    const char* players[] = {"羽生", "谷川", "佐藤", "森内"};
    const char* openings[] = {"矢倉", "相矢倉", "四間飛車", ""};
    IndexTable table(records);
    for (int i = 0; i < records; ++i) {
        IndexEntry e;
        e.setText(IndexText::BlackPlayer, players[rng() % 4]);
        e.setText(IndexText::WhitePlayer, players[rng() % 4]);
        e.setText(IndexText::Opening, openings[rng() % 4]);
        e.result = static_cast<uint8_t>(rng() % 5);
        e.handicap = static_cast<uint8_t>(rng() % 3 == 0 ? 3 : 0);
        EXPECT_GE(table.append(std::move(e)), 0);
    }
    table.rebuildDisplayOrder();
    // Only every other record is listed: the tables count the list, the filters every record.
    std::vector<int32_t> half;
    for (int i = 0; i < records; i += 2) half.push_back(i);
    table.displayOrder() = half;
    return table;
}

// What the equivalent header search keeps among the listed records.
std::vector<int32_t> headerSearch(const IndexTable& table, const FilterDefinition& d) {
    std::vector<int32_t> out;
    for (int32_t slot : table.displayOrder()) {
        const IndexEntry& e = table.entry(slot);
        if (d.kind == FilterKind::Result ? e.result == d.result
                                         : model::matchesHeader(e, d.header)) {
            out.push_back(slot);
        }
    }
    return out;
}

// A row's filter on the stack gives the records of the header search for it; and, where no
// name is part of another, as many as the row counts.
TEST(StatisticsTable, EveryRowFiltersToItsHeaderSearch) {
    const IndexTable table = sample(400);
    for (StatisticsKind kind : {StatisticsKind::Openings, StatisticsKind::Handicaps,
                                StatisticsKind::Results, StatisticsKind::Player}) {
        const auto stats = statisticsTable(kind, table);
        ASSERT_TRUE(stats.has_value());
        int total = 0;
        for (const StatisticsRow& row : stats->rows) {
            total += row.count;
            if (!row.filter) continue;
            FilterStack stack;
            stack.setBase(table.displayOrder());
            Filter f;
            f.definition = *row.filter;
            f.hits = *evaluateFilter(f.definition, table);
            stack.add(f);
            const std::vector<int32_t> listed = stack.apply(table.size());
            EXPECT_EQ(listed, headerSearch(table, *row.filter)) << row.name;
            // "矢倉" is part of "相矢倉": its search finds both.
            if (row.name != "矢倉") {
                EXPECT_EQ(static_cast<int>(listed.size()), row.count) << row.name;
            }
        }
        if (kind != StatisticsKind::Player) {
            EXPECT_EQ(total, stats->listed);
        }
        for (std::size_t i = 1; i < stats->rows.size(); ++i) {
            EXPECT_GE(stats->rows[i - 1].count, stats->rows[i].count);
        }
    }
    EXPECT_FALSE(statisticsTable(StatisticsKind::NextMoves, table).has_value());
}

TEST(StatisticsTable, RatesPlayersAndCopies) {
    IndexTable table(10);
    auto add = [&](const char* black, const char* white, model::IndexResult result) {
        IndexEntry e;
        e.setText(IndexText::BlackPlayer, std::string(black));
        e.setText(IndexText::WhitePlayer, std::string(white));
        e.setText(IndexText::Opening, std::string("角換わり, 腰掛け銀"));
        e.result = static_cast<uint8_t>(result);
        EXPECT_GE(table.append(std::move(e)), 0);
    };
    add("A", "B", model::IndexResult::BlackWins);
    add("B", "A", model::IndexResult::BlackWins);
    add("A", "A", model::IndexResult::Repetition);
    table.rebuildDisplayOrder();
    const auto players = statisticsTable(StatisticsKind::Player, table);
    ASSERT_TRUE(players && players->rows.size() == 2);
    EXPECT_EQ(players->rows[0].name, "A");
    EXPECT_EQ(players->rows[0].count, 3);  // a game against oneself counts once
    EXPECT_EQ(players->rows[0].blackWins, 1);
    EXPECT_EQ(players->rows[0].whiteWins, 1);
    ASSERT_TRUE(players->rows[0].rate.has_value());
    EXPECT_DOUBLE_EQ(*players->rows[0].rate, 0.5);

    const auto openings = statisticsTable(StatisticsKind::Openings, table);
    ASSERT_TRUE(openings.has_value());
    EXPECT_EQ(statisticsCsv(*openings),
              "戦型,局数,割合(%),先手勝,後手勝,勝率\r\n"
              "\"角換わり, 腰掛け銀\",3,100.0,2,0,1.000\r\n");
    EXPECT_EQ(statisticsText(*openings),
              "戦型\t局数\t割合(%)\t先手勝\t後手勝\t勝率\n"
              "角換わり, 腰掛け銀\t3\t100.0\t2\t0\t1.000\n");
    const auto results = statisticsTable(StatisticsKind::Results, table);
    ASSERT_TRUE(results.has_value());
    EXPECT_FALSE(results->rows.back().rate.has_value());  // 千日手: nothing decided
}

}  // namespace
}  // namespace dalmir
