// How a record is handed to the viewer Tavrel or to a text editor: the tool settings, the
// expansion of an argument template, the splitting of the result into program arguments, and
// the messages of a failed start.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dalmir/model/table/index_entry.h"

namespace dalmir {

// The Tool section of the settings. Texts are UTF-8, as the settings store keeps them.
struct ToolSettings {
    std::string replayCommand;  // replay_cmd_v6: empty means the viewer found by defaultViewer
    std::string replayOptions = "/R \"%f\" +%n";
    std::string editCommand;  // empty: the desktop opens the file (kDesktopOpener)
    std::string editOptions = "\"%f\"";
    std::string playOptions = "/G \"%f\" ";
    std::string printOptions = "/P \"%f\" ";
    std::string diagramOptions = "/B";

    bool operator==(const ToolSettings&) const = default;
};

// Opens a file with the program the desktop chooses for it; エディタで開く uses it when no
// editor is set.
inline constexpr std::string_view kDesktopOpener = "xdg-open";

enum class LaunchCommand : int {
    Replay,           // 再現
    Play,             // 対局
    Print,            // 印刷
    PositionEdit,     // 局面編集: no record
    Editor,           // エディタで開く
    ClipboardReplay,  // a binary record without its file, handed over on the clipboard
};

// Expands a template: "%f" or "%F" becomes the record path, made absolute against indexFolder
// (which ends in "/") when it does not start with "/"; "%n" or "%N" the move number; "%%" a
// "%"; "%" and any other character are dropped; everything else is copied.
std::string expandTemplate(std::string_view templ, std::string_view recordPath,
                           std::string_view indexFolder, int move);

// Splits expanded arguments into the program's arguments: blanks separate, double quotes group
// (and are removed), so a quoted path with blanks stays one argument.
std::vector<std::string> splitArguments(std::string_view arguments);

// What to start for a command.
struct LaunchPlan {
    std::string program;
    std::string arguments;  // the expanded template, as the failure message shows it
    std::vector<std::string> argv;
};

// The plan of a command for one record (recordPath and indexFolder are file-system paths; both
// are ignored for position editing and the clipboard replay).
LaunchPlan launchPlan(LaunchCommand command, const ToolSettings& tools, std::string_view recordPath,
                      std::string_view indexFolder, int move);

// The move a replay opens at: the hit ply when the last search gave the record a next move.
int replayMove(const model::IndexEntry& entry);

// Whether the command needs the record's file (play, print and the editor in a binary
// database; every record command in a text database).
bool needsRecordFile(LaunchCommand command, bool binaryDatabase);

// The viewer to start when replay_cmd_v6 is empty: "tavrel" beside this program when it is
// there (exists tells), else "tavrel" as found on the PATH.
std::string defaultViewer(std::string_view programFolder,
                          const std::function<bool(const std::string&)>& exists);

// "起動に失敗しました。(%s %s)" with program and arguments, UTF-8.
std::string launchFailedMessage(std::string_view program, std::string_view arguments);
// "起動に失敗しました。(%s)" with the program path: another copy of this program did not start.
std::string newInstanceFailedMessage(std::string_view program);
// "棋譜(%s)がありません。" with the record path, UTF-8.
std::string missingRecordMessage(std::string_view path);

}  // namespace dalmir
