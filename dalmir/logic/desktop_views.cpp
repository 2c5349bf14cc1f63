#include "dalmir/logic/desktop_views.h"

#include <filesystem>

#include "dalmir/model/table/dls_file.h"

namespace dalmir {

namespace {

bool exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec);
}

}  // namespace

void showHelp(DalmirUi& ui, const std::string& programFolder) {
    const std::string candidates[] = {programFolder + "help/index.html",
                                      programFolder + "../share/dalmir/help/dalmir/index.html"};
    for (const std::string& file : candidates) {
        if (exists(file) && ui.openWithDesktop(file)) return;
    }
    ui.beep();
    ui.showMessage("ヘルプ(" + candidates[1] + ")が開けませんでした。");
}

std::string versionText() { return "Dalmir V" + std::string(model::kDlsVersion); }

void showErrorLog(DalmirUi& ui, const std::string& logPath) {
    if (!exists(logPath)) {
        ui.showMessage("エラー記録はありません。");
        return;
    }
    if (!ui.openWithDesktop(logPath)) {
        ui.beep();
        ui.showMessage("エラー記録の表示に失敗しました。");
    }
}

}  // namespace dalmir
