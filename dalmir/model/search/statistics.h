// The five statistics over the listed records (the display order, so they follow any search):
// results, one player's record, openings, handicaps and the moves played after a searched
// position. Each report is fixed-width CP932 text with CR LF line ends, as the statistics dialogs
// show it.
#pragma once

#include <string>
#include <string_view>

#include "dalmir/model/table/index_table.h"

namespace dalmir::model {

// 統計計算: wins of each side, 千日手, 持将棋, the win rates and the average move count.
std::string resultsReport(const IndexTable& table);

// 戦型分析: one row per opening text, most frequent first.
std::string openingsReport(const IndexTable& table);

// 手合割分析: one row per handicap that occurs, and the total.
std::string handicapsReport(const IndexTable& table);

// 次の手分析: one row per next move of the last position or sequence search (at most 16).
std::string nextMoveReport(const IndexTable& table);

// 対局者の統計計算. The counters of the last computation stay, so that an empty name shows them
// again.
class PlayerStatistics {
public:
    // Counts the listed games of name (CP932, at most 255 bytes used) and returns the report.
    std::string compute(const IndexTable& table, std::string_view name, bool ignoreBlanks);

    int games() const { return m_games; }
    int wins() const { return m_wins; }
    int losses() const { return m_losses; }
    int both() const { return m_both; }

private:
    std::string report() const;

    std::string m_name;
    int m_games = 0;
    int m_both = 0;
    int m_wins = 0;
    int m_losses = 0;
    int m_repetitions = 0;
    int m_jishogi = 0;
    long m_moves = 0;
};

}  // namespace dalmir::model
