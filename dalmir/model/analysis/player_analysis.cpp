#include "dalmir/model/analysis/player_analysis.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "core/text/translation.h"

namespace dalmir::model {

namespace {

int marked(const SideSummary& s, MoveMark m) { return s.marks[static_cast<std::size_t>(m)]; }

}  // namespace

PlayerAnalysis playerAnalysis(const Database& db, std::string_view name,
                              const PlayerAliases& aliases, const EvaluationStore& store,
                              const MarkThresholds& t) {
    PlayerAnalysis out;
    const std::string want = aliases.key(name);
    if (want.empty()) return out;
    const IndexTable& table = db.table();
    for (const int32_t slot : table.displayOrder()) {
        if (slot < 0 || slot >= db.lists().size()) continue;
        const IndexEntry& e = table.entry(slot);
        const bool black = aliases.key(e.blackPlayer()) == want;
        const bool white = !black && aliases.key(e.whitePlayer()) == want;
        if (!black && !white) continue;
        const RecordLossSummary s =
            summariseLosses(moveLosses(store, e.handicap, db.lists().list(slot), t));
        const SideSummary& own = black ? s.black : s.white;
        if (own.scored == 0) continue;
        ++out.games;
        for (std::size_t k = 0; k < own.marks.size(); ++k) out.moves.marks[k] += own.marks[k];
        out.moves.scored += own.scored;
        out.moves.lossSum += own.lossSum;
    }
    return out;
}

std::string playerAnalysisText(const PlayerAnalysis& a) {
    if (a.games == 0) return {};
    char average[32] = "-";
    if (auto v = a.moves.averageLoss()) std::snprintf(average, sizeof average, "%.1f", *v);
    std::string line = core::translate("%1局 %2手  平均損失 %3  悪手 %4  疑問手 %5  緩手 %6");
    int n = 1;
    for (const std::string& value :
         {std::to_string(a.games), std::to_string(a.moves.scored), std::string(average),
          std::to_string(marked(a.moves, MoveMark::Blunder)),
          std::to_string(marked(a.moves, MoveMark::Dubious)),
          std::to_string(marked(a.moves, MoveMark::Slack))}) {
        const std::string mark = "%" + std::to_string(n++);
        if (const std::size_t at = line.find(mark); at != std::string::npos) {
            line.replace(at, mark.size(), value);
        }
    }
    return "\n" + std::string(core::translate("解析")) + "\n  " + line + "\n";
}

std::string withPlayerAnalysisJson(const std::string& reportJson, const PlayerAnalysis& a) {
    nlohmann::ordered_json j = nlohmann::ordered_json::parse(reportJson, nullptr, false);
    if (j.is_discarded() || !j.is_object()) return reportJson;
    nlohmann::ordered_json analysis;
    analysis["games"] = a.games;
    analysis["scored_moves"] = a.moves.scored;
    if (auto v = a.moves.averageLoss()) {
        analysis["average_loss"] = *v;
    } else {
        analysis["average_loss"] = nullptr;
    }
    analysis["blunders"] = marked(a.moves, MoveMark::Blunder);
    analysis["dubious"] = marked(a.moves, MoveMark::Dubious);
    analysis["slack"] = marked(a.moves, MoveMark::Slack);
    j["analysis"] = analysis;
    // One line, as the report's own JSON is printed.
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace dalmir::model
