// The five statistics of the tools menu: which report each computes over the listed records
// and the title of the window that shows it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "dalmir/model/search/statistics.h"

namespace dalmir {

// In the menu's order; the values are the numbers the window's callers use.
enum class StatisticsKind : int {
    Results = 0,    // 統計計算
    Player = 1,     // 対局者の統計計算
    NextMoves = 2,  // 次の手分析
    Openings = 3,   // 戦型分析
    Handicaps = 4,  // 手合割分析
};

// The kind of a number 0..4; nullopt for any other.
std::optional<StatisticsKind> statisticsKind(int which);

// The report window's title (UTF-8), the menu item's text without its access key.
std::string statisticsTitle(StatisticsKind kind);

// The report over the table's listed records; player is the name a player's
// record counts, players keeps that count.
std::string statisticsReport(StatisticsKind kind, const model::IndexTable& table,
                             model::PlayerStatistics& players, std::string_view player);

}  // namespace dalmir
