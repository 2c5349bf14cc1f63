// Moving through the record: the replay menu's steps, a ply chosen in the record window and the
// replay mode (棋譜の再現). The steps are refused with the warning sound while a game is played
// or a position edited. Every move that happens is reported to the windows (documentChanged).
#pragma once

#include <string>

#include "tavrel/logic/document/document.h"
#include "tavrel/logic/play/play_move.h"

namespace tavrel {

enum class Step {
    ToStart,  // 開始局面へ
    Back,     // １手戻す; the warning sound at the start
    Forward,  // １手進める; the warning sound at the end of the line
    ToEnd,    // 最終局面へ: forward to the end of the line, stopping before a terminal entry
    PreviousBranch,  // 前の分岐まで戻す: back to ply 0 or a ply that has alternatives
    NextBranch,  // 次の分岐まで進める: forward until the next ply has alternatives or ends
};

// The jumps move silently and redraw once.
void step(Document& doc, Step how);

// The commands as the window runs them, with the game's clock:
// - １手進める and １手戻す are PlayMove replay steps (animated, with the piece sound and, with
//   再現時の千日手検出, the repetition message); in Playing they are the game's own steps.
// - 最終局面へ and 次の分岐まで進める also work in Playing: silent steps that never play a
//   terminal entry, after which the turn clock restarts.
// - Everything else as step(doc, how).
void step(Document& doc, MoveClock& clock, Step how);

// Plays a child of the node shown as the next move (a replay step, animated, with the piece
// sound); false when it is no child there, a terminal entry or cannot be made.
bool playChild(Document& doc, MoveClock& clock, core::NodeIndex child);

// Choosing variation n (1..9; 1 is the main continuation) at the position shown: played as a
// replay step, animated. Nothing when it does not exist or is a terminal entry.
void chooseVariation(Document& doc, MoveClock& clock, int n);

// 指定手数へ: ply n of the current line, or its end when the line is shorter. Refused with the
// warning sound while playing or editing.
void jumpToPly(Document& doc, int n);

// The menu texts of the single steps: with "\t→" / "\t←" when the arrow keys act.
std::string stepForwardMenuText(bool arrowsAct);
std::string stepBackMenuText(bool arrowsAct);
// Whether the arrow keys step through the record in this mode (not while the board takes them
// as its pointer keys in play and editing).
bool arrowKeysStep(ViewerMode mode);

// The record window's choice of a ply on the current line; ignored while playing or editing.
void showChosenPly(Document& doc, int ply);

// 棋譜の再現: Viewing and Replaying swap, when the record has a move.
void toggleReplay(Document& doc);

// 棋譜の再現 as the menu chooses it: leaves Replaying; from Viewing, with 棋譜読込選択 1 and a
// record that has moves, asks whether to open another record first (Cancel ends, Yes opens and
// ends when nothing was loaded); a record without moves is opened first. Then Replaying when the
// record has moves, else "指し手がありません。" and the warning sound.
void chooseReplayMode(Document& doc);

}  // namespace tavrel
