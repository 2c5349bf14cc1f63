// The statistics as tables: one row per opening, player, handicap or result over the listed
// records, with its count, its share of the list, the wins of each side and the first player's
// win rate. Each row carries the filter that lists its records (the header search a user would
// make for it), so a click on a row narrows the list to them. Copy as tab-separated text or CSV.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dalmir/logic/filter_stack.h"
#include "dalmir/logic/statistics_choice.h"
#include "dalmir/model/table/index_table.h"

namespace dalmir {

struct StatisticsRow {
    std::string name;  // the opening, player, handicap or result (UTF-8)
    int count = 0;
    double share = 0;  // percent of the listed records
    int blackWins = 0;
    int whiteWins = 0;
    // The first player's wins among the decided games, 0..1; nullopt when none was decided.
    std::optional<double> rate;
    // The filter of the row's records; nullopt for a row without one (no opening given).
    std::optional<FilterDefinition> filter;
};

struct StatisticsTable {
    std::string nameHeading;  // the first column's heading
    // The wins columns: 先手勝/後手勝, or for players the player's own 勝/負.
    std::string firstWinsHeading;
    std::string secondWinsHeading;
    std::vector<StatisticsRow> rows;
    int listed = 0;
};

// The table of a kind over the listed records, most frequent first (equal counts by name):
// results, openings, handicaps, and for Player every player (both sides) with their own wins
// and losses. Nullopt for the next moves, which stay text.
std::optional<StatisticsTable> statisticsTable(StatisticsKind kind, const model::IndexTable& table);

// The table as lines of tab-separated cells, headings first; or as CSV (RFC 4180 quoting).
std::string statisticsText(const StatisticsTable& table);
std::string statisticsCsv(const StatisticsTable& table);
// The column headings, in the order of the text and the CSV.
std::vector<std::string> statisticsHeadings(const StatisticsTable& table);

}  // namespace dalmir
