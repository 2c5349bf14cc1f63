#include "dalmir/logic/player_report_view.h"

#include <filesystem>
#include <system_error>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"

namespace dalmir {

std::optional<model::PlayerAliases> readPlayerAliases(DalmirUi& ui, const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) return model::PlayerAliases{};
    const std::optional<std::string> text = core::readFile(path);
    if (!text) {
        ui.showMessage("別名リスト(" + path + ")を読めません。");
        return std::nullopt;
    }
    std::string error;
    std::optional<model::PlayerAliases> aliases = model::PlayerAliases::parse(*text, error);
    if (!aliases) {
        ui.showMessage("別名リスト(" + path + ")：" + core::toUtf8Lossy(error));
    }
    return aliases;
}

PlayerReportView playerReportView(const model::IndexTable& table, std::string_view nameCp932,
                                  const model::PlayerAliases& aliases) {
    const model::PlayerReport report = model::playerReport(table, nameCp932, aliases);
    PlayerReportView view;
    view.text = model::playerReportText(report);
    view.games = report.total.games;
    for (const auto& [year, t] : report.byYear) {
        view.years.push_back({year, year == 0 ? std::string("不明") : std::to_string(year), t.wins,
                              t.losses, t.draws});
    }
    return view;
}

PlayerReportView playerReportView(const model::Database& db, std::string_view name,
                                  const model::PlayerAliases& aliases,
                                  const model::EvaluationStore* store,
                                  const model::MarkThresholds& thresholds) {
    PlayerReportView view = playerReportView(db.table(), name, aliases);
    if (store != nullptr) {
        view.text +=
            model::playerAnalysisText(model::playerAnalysis(db, name, aliases, *store, thresholds));
    }
    return view;
}

}  // namespace dalmir
