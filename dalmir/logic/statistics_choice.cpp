#include "dalmir/logic/statistics_choice.h"

namespace dalmir {

std::optional<StatisticsKind> statisticsKind(int which) {
    if (which < static_cast<int>(StatisticsKind::Results) ||
        which > static_cast<int>(StatisticsKind::Handicaps)) {
        return std::nullopt;
    }
    return static_cast<StatisticsKind>(which);
}

std::string statisticsTitle(StatisticsKind kind) {
    switch (kind) {
        case StatisticsKind::Results:
            return "統計計算";
        case StatisticsKind::Player:
            return "対局者の統計計算";
        case StatisticsKind::NextMoves:
            return "次の手分析";
        case StatisticsKind::Openings:
            return "戦型分析";
        case StatisticsKind::Handicaps:
            break;
    }
    return "手合割分析";
}

std::string statisticsReport(StatisticsKind kind, const model::IndexTable& table,
                             model::PlayerStatistics& players, std::string_view player) {
    switch (kind) {
        case StatisticsKind::Results:
            return model::resultsReport(table);
        case StatisticsKind::Player:
            return players.compute(table, player, false);
        case StatisticsKind::NextMoves:
            return model::nextMoveReport(table);
        case StatisticsKind::Openings:
            return model::openingsReport(table);
        case StatisticsKind::Handicaps:
            break;
    }
    return model::handicapsReport(table);
}

}  // namespace dalmir
