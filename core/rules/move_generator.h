// Every legal move of a position: board moves from each piece's destinations (promoting and not
// where both are allowed), drops of each kind of piece in hand to every empty square, each kept
// only when checkMove accepts it. Used to generate games and to count positions.
#pragma once

#include <vector>

#include "core/rules/move_node.h"
#include "core/rules/position.h"

namespace core {

// Appends to moves every legal move of side in pos, as packed moves (a drop's origin is the first
// hand slot holding that kind of piece). Returns the number appended.
int legalMoves(const Position& pos, SideByte side, std::vector<PackedMove>& moves);

}  // namespace core
