// What the menus show that follows the mode, the recent-file list and the settings: which of the
// working commands can be chosen, the recent-file entries of the File menu and the texts of the
// Tool menu's own entries. The window builds its menus from these.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/record/record_store.h"
#include "tavrel/logic/document/recent_file_list.h"
#include "tavrel/logic/document/viewer_mode.h"
#include "tavrel/logic/view/command_table.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

// The commands that are refused at times. Neither Save nor a recent file while a game is played
// or the print preview is shown.
struct CommandStates {
    bool save = true;
    bool recentFiles = true;
};
CommandStates commandStates(ViewerMode mode);

// The 対局 and 局面編集 menus' commands that follow the mode and the record.
struct PlayCommandStates {
    bool resign = false;  // 投了: in play, with 棋譜追加モード 1 or at the end of the line
    bool terminals = false;     // 中断, 入力終了 and the other terminal entries: in play
    bool takeBack = false;      // 入力の取り消し: in play after a move
    bool continuePlay = false;  // 継続対局: outside play and the preview
    bool newGame = false;       // 新規対局 and 中断局面から再開: as 継続対局
    bool playerNames = false;   // 対局者名変更: outside the preview
    bool editing = false;       // 局面編集の開始/終了: not in play nor in the preview
    bool editCommands = false;  // 平手初期配置 ... 手番変更: while editing
};
PlayCommandStates playCommandStates(ViewerMode mode, const core::RecordStore& store,
                                    const Settings& settings);

// The text of the position editing entry: "局面編集の終了(&E)\tCtrl+E" while editing, else
// "局面編集の開始(&E)\tCtrl+E".
std::string editingEntryText(ViewerMode mode);

// The entries of the context menu (right mouse button): commands of the window's table.
struct ContextEntry {
    std::optional<Command> command;  // nullopt: the separator
    std::string text;                // empty for the separator
};
// The entries of the mode's context menu; shift: Shift was held (千日手 in play). imageName is the
// proposed image file name of the preview's "画像を保存(%s)" .
std::vector<ContextEntry> contextMenuEntries(ViewerMode mode, const core::RecordStore& store,
                                             const Settings& settings, bool shift,
                                             const std::string& imageName = {});

// One entry of the File menu's recent-file part: its text (CP932) and the file it opens; nullopt
// for the entry "最近使ったファイル" that stands, never chosen, for an empty list.
struct RecentMenuEntry {
    std::string text;
    std::optional<std::string> path;
};
std::vector<RecentMenuEntry> recentMenuEntries(const RecentFileList& list);

// The Tool menu's entry 0..kToolCount-1: its ツールメニューn setting, or "ツールメニューn"
// when that is empty.
std::string toolMenuText(const Settings& settings, int index);

}  // namespace tavrel
