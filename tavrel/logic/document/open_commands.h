// The ways a record comes in: the Open dialog, the recent-file list, the next or previous file of
// the folder, a file dropped on the window, the clipboard (棋譜・局面の貼り付け) and the command
// line at start-up, which also starts the mode its switches ask for. The windows only show the
// dialog asked for, hand over the input and redraw when told (documentChanged).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "tavrel/logic/document/command_line.h"
#include "tavrel/logic/document/document.h"

namespace tavrel {

// The Open filter text of filter 1..6 (CP932), "棋譜(*.kif *.KIF)" ... "すべてのﾌｧｲﾙ (*)".
std::string openFilterText(int filter);

// Loads a file and redraws; loadRecordFile's result.
CommandResult openRecordFile(Document& doc, const std::string& path);

// 開く: the save question (with 棋譜保存確認 on), then the Open dialog in 棋譜パス with the filter
// chosen last (at first the standard format's), then the file chosen. Shows its own message;
// returns Cancelled when the user said no (to the question or in the dialog).
CommandResult openRecord(Document& doc);

// An entry of the recent-file list: the save question (with 棋譜保存確認 on), then the file.
void openRecentFile(Document& doc, const std::string& path);

// 次のファイルを開く (forward) and 前のファイルを開く: the file after or before the current one in
// its folder, in siblingFile's order. The warning sound for a record without file and when there
// is no such file; a modified record is always offered for saving first.
void openSiblingFile(Document& doc, bool forward);

// A file dropped on the window. Only a readable record extension is taken, never during a game
// or the print preview; a modified record is offered for saving first. The status line then
// names the file.
void dropFile(Document& doc, const std::string& path);

// 棋譜・局面の貼り付け: the clipboard's record; refused during a game and the print preview.
void paste(Document& doc);

// Acts on the command line once the main window is shown: loads the file (or pastes the
// clipboard with "/C"), at the ply given with "+n" instead of 棋譜読込局面, then starts the first
// mode asked for: replay ("/R", with 旧再現 on and a move to replay), automatic replay ("/A",
// "/a"), resuming the game ("/G", only when the file was read), position editing ("/B"),
// printing ("/P"), which the window does: the page it is to print is returned. autoReplay starts
// continuous replay (closeAfter for "/a"), resumeGame resumes the game read; without them the
// switches are reported as not available.
enum class PrintRequest { Position, Form };
std::optional<PrintRequest> processCommandLine(
    Document& doc, const CommandLine& commandLine,
    const std::function<void(bool closeAfter)>& autoReplay = {},
    const std::function<void()>& resumeGame = {});

}  // namespace tavrel
