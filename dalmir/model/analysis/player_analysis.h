// What the stored evaluations say of one player's moves over the listed records: the games with
// any of the player's moves scored, the player's marked moves and their average loss, for the
// player report (its text and its JSON).
#pragma once

#include <string>
#include <string_view>

#include "dalmir/model/analysis/move_losses.h"
#include "dalmir/model/search/player_report.h"

namespace dalmir::model {

struct PlayerAnalysis {
    int games = 0;      // games in which a move of the player has a loss
    SideSummary moves;  // the player's moves in those games
};

// The player is matched as playerReport matches them (the alias list's keys).
PlayerAnalysis playerAnalysis(const Database& db, std::string_view name,
                              const PlayerAliases& aliases, const EvaluationStore& store,
                              const MarkThresholds& t);

// The report's lines of the analysis ("\n解析\n  …"); empty when no game was analysed.
std::string playerAnalysisText(const PlayerAnalysis& a);
// The report's JSON object with "analysis" added (games, scored_moves, average_loss (null when
// none), blunders, dubious, slack).
std::string withPlayerAnalysisJson(const std::string& reportJson, const PlayerAnalysis& a);

}  // namespace dalmir::model
