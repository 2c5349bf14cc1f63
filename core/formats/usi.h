// Moves and positions in the notation of the Universal Shogi Interface: "7g7f", "P*5e",
// "8h2b+"; SFEN "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/record/record_store.h"
#include "core/rules/move_node.h"
#include "core/rules/position.h"

namespace core {

// The move of a node ("7g7f", "P*5e", "8h2b+"); empty for a terminal entry.
std::string usiMove(const MoveNode& node);

// The move a USI word ("7g7f", "P*5e", "8h2b+") names for the side to move in pos, when that
// move is legal there: origin (a square, or for a drop the first hand slot holding the piece) and
// destination (plus kPromoteFlag) packed. nullopt for anything else.
std::optional<PackedMove> legalUsiMove(const Position& pos, std::string_view word);

// The stored form of a packed move made in pos (the node a record would keep, with its notation
// hint), for the notation texts. REQUIRES: the move is legal in pos.
MoveNode moveNodeOf(const Position& pos, PackedMove move);

// The SFEN of a position: ranks a..i from the top, files 9 to 1, Black upper case, promoted
// pieces with "+", the side to move "b"/"w", hands in the order R B G S N L P (Black's first)
// with counts before the letters, "-" for empty hands, then the move number.
std::string sfen(const Position& pos, int moveNumber = 1);

// The main line as one USI command: "position startpos moves ..." when the record starts from
// the even set-up with Black to move, else "position sfen <sfen> moves ..."; terminal entries
// are left out. Without moves the " moves" part is omitted.
std::string usiPositionCommand(const RecordStore& store);

}  // namespace core
