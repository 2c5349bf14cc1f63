#include "viewer/logic/menu_state.h"

#include "core/text/sjis.h"
#include "viewer/logic/document.h"

namespace viewer {

CommandStates commandStates(ViewerMode mode) {
    bool blocked = isPlaying(mode) || mode == ViewerMode::PrintPreview;
    return CommandStates{!blocked, !blocked};
}

std::vector<RecentMenuEntry> recentMenuEntries(const RecentFileList& list) {
    std::vector<RecentMenuEntry> entries;
    if (list.entries().empty()) {
        entries.push_back({core::sjis("最近使ったファイル"), std::nullopt});
    }
    for (int i = 0; i < list.count(); ++i) {
        const std::string& path = list.entries()[static_cast<std::size_t>(i)];
        entries.push_back({recentMenuText(i, pathToText(path)), path});
    }
    return entries;
}

std::string toolMenuText(const Settings& settings, int index) {
    if (index < 0 || index >= kToolCount) return {};
    const std::string& text = settings.tools[static_cast<std::size_t>(index)].menu;
    return text.empty() ? core::sjis("ツールメニュー") + std::to_string(index + 1) : text;
}

}  // namespace viewer
