// The player report of the tools menu: the alias list it reads, the report as text, and the
// results by year its chart draws.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dalmir/logic/dalmir_ui.h"
#include "dalmir/model/analysis/player_analysis.h"
#include "dalmir/model/search/player_report.h"

namespace dalmir {

// The window's title (UTF-8).
inline constexpr const char* kPlayerReportTitle = "対局者レポート";

// Reads the alias list at path. A missing file means no aliases; a file that cannot be read or
// holds a line that is not an alias line is told through ui (naming the file and the line) and
// gives nullopt: the report is not made with half a list.
std::optional<model::PlayerAliases> readPlayerAliases(DalmirUi& ui, const std::string& path);

// One bar group of the chart: a year (0 for games without a date) and its results.
struct YearResults {
    int year = 0;
    std::string label;  // "2021", "不明" (UTF-8)
    int wins = 0;
    int losses = 0;
    int draws = 0;
};

struct PlayerReportView {
    std::string text;  // the report's text (UTF-8, LF), the same as dalmir-cli report prints
    std::vector<YearResults> years;
    int games = 0;
};

// The report over the table's listed records for the name.
PlayerReportView playerReportView(const model::IndexTable& table, std::string_view nameCp932,
                                  const model::PlayerAliases& aliases);
// The same with the player's analysed moves after it when the database has stored evaluations
// (store may be null: none).
PlayerReportView playerReportView(const model::Database& db, std::string_view name,
                                  const model::PlayerAliases& aliases,
                                  const model::EvaluationStore* store,
                                  const model::MarkThresholds& thresholds);

}  // namespace dalmir
