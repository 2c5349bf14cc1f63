// What the menus show that follows the mode, the recent-file list and the settings: which of the
// working commands can be chosen, the recent-file entries of the File menu and the texts of the
// Tool menu's own entries. The window builds its menus from these.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "viewer/logic/recent_file_list.h"
#include "viewer/logic/viewer_mode.h"
#include "viewer/settings/settings.h"

namespace viewer {

// The commands that are refused at times. Neither Save nor a recent file while a game is played
// or the print preview is shown.
struct CommandStates {
    bool save = true;
    bool recentFiles = true;
};
CommandStates commandStates(ViewerMode mode);

// One entry of the File menu's recent-file part: its text (CP932) and the file it opens; nullopt
// for the entry "最近使ったファイル" that stands, never chosen, for an empty list.
struct RecentMenuEntry {
    std::string text;
    std::optional<std::string> path;
};
std::vector<RecentMenuEntry> recentMenuEntries(const RecentFileList& list);

// The Tool menu's entry 0..kToolCount-1 (CP932): its ツールメニューn setting, or "ツールメニューn"
// when that is empty.
std::string toolMenuText(const Settings& settings, int index);

}  // namespace viewer
