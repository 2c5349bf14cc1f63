// The move dialog (CSasiteDlg, Shift+Enter in play): a move typed destination first, as "7677"
// (to 7六 from 7七) or "55fu" (a pawn dropped on 5五), with "n" or "+" after it for a promotion, or
// one of the words make (resign), quit (interrupt), ret... (end input) and back... (take back). The
// text is checked against the position shown; the rules are always checked.
#pragma once

#include <string>
#include <string_view>

#include "core/rules/move_node.h"
#include "tavrel/logic/play/play_move.h"

namespace tavrel {

enum class TypedKind { Move, Resign, Suspend, EndInput, TakeBack, Error };

struct TypedMove {
    TypedKind kind = TypedKind::Error;
    core::PackedMove move = 0;  // Move: origin square or hand slot, destination (+ promotion)
    std::string error;          // Error: the message
};

TypedMove parseTypedMove(std::string_view text, const core::Position& pos);

// Acts on the dialog's text: the move or word goes to PlayMove and the game, an error is shown
// with the warning. Returns true when the dialog is to open again (after an error).
bool enterTypedMove(Document& doc, MoveClock& clock, std::string_view text);

}  // namespace tavrel
