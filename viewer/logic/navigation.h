// Moving through the record: the replay menu's steps, a ply chosen in the record window and the
// replay mode (棋譜の再現). The steps are refused with the warning sound while a game is played
// or a position edited. Every move that happens is reported to the windows (documentChanged).
#pragma once

#include "viewer/logic/document.h"

namespace viewer {

enum class Step {
    ToStart,  // 開始局面へ
    Back,     // １手戻す; the warning sound at the start
    Forward,  // １手進める; the warning sound at the end of the line
    ToEnd,    // 最終局面へ: forward while a move follows
};

void step(CTavrelDoc& doc, Step how);

// The record window's choice of a ply on the current line; ignored while playing or editing.
void showChosenPly(CTavrelDoc& doc, int ply);

// 棋譜の再現: Viewing and Replaying swap, when the record has a move.
void toggleReplay(CTavrelDoc& doc);

}  // namespace viewer
