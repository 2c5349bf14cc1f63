// The ways a record comes in besides the Open dialog: a file dropped on the window, the clipboard
// (棋譜・局面の貼り付け) and the command line at start-up, which also starts the mode its switches
// ask for. The windows only hand over the input and redraw when told (documentChanged).
#pragma once

#include <string>

#include "viewer/logic/command_line.h"
#include "viewer/logic/document.h"

namespace viewer {

// A file dropped on the window. Only a readable record extension is taken, never during a game
// or the print preview; a modified record is offered for saving first. The status line then
// names the file.
void dropFile(CTavrelDoc& doc, const std::string& path);

// 棋譜・局面の貼り付け: the clipboard's record; refused during a game and the print preview.
void paste(CTavrelDoc& doc);

// Acts on the command line once the main window is shown: loads the file (or pastes the
// clipboard with "/C"), at the ply given with "+n" instead of 棋譜読込局面, then starts the first
// mode asked for: replay ("/R", with 旧再現 on and a move to replay), automatic replay ("/A",
// "/a"), resuming the game ("/G", only when the file was read), position editing ("/B"),
// printing ("/P").
void processCommandLine(CTavrelDoc& doc, const CommandLine& commandLine);

}  // namespace viewer
