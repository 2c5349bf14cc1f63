// Fast replay of a main line for the searches: the board as piece bytes and the hands as counts,
// stepped through a move list the way replayList plays it into a record store (a drop takes the
// mover's piece of that kind from the hand; an element that can't be played ends the line), but
// without the store, so that a search can look at every position of many records quickly.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/rules/position.h"
#include "dalmir/model/table/index_entry.h"
#include "dalmir/model/table/move_list.h"

namespace dalmir::model {

// A position without its piece list: enough to compare and to describe moves.
struct ReplayBoard {
    std::array<core::PieceByte, 100> cells{};  // squares 11..99; other numbers stay 0
    // Pieces in hand by side (0 White, 1 Black) and unpromoted type 1..8.
    std::array<std::array<uint8_t, 9>, 2> hand{};
    core::SideByte sideToMove = core::kSideBlack;

    static int handIndex(core::SideByte side) { return side == core::kSideBlack ? 1 : 0; }
    // The board of a full position.
    void load(const core::Position& pos);
};

// What one list element did.
struct ReplayStep {
    core::SideByte side = core::kSideBlack;  // the mover
    core::PieceByte moved = 0;               // the piece as it stood before (0 for a closing entry)
    core::PieceByte captured = 0;            // the piece taken, 0 if none
    uint8_t from = 0;  // origin square; the dropped kind for a drop; for a closing entry its byte
    uint8_t to = 0;    // destination square without the promotion flag, or the terminal code
    bool drop = false;
    bool promotes = false;
    bool closing = false;
};

// Plays one element on the board for its side to move. False (board unchanged) when it can't be
// played: a drop of a kind the side doesn't hold, a board move from a square without the side's
// piece, or onto one of its own pieces or off the board. A closing entry changes nothing.
bool playListMove(ReplayBoard& board, ListMove move, ReplayStep& step);

// The start board of an index handicap code (0..13); false for codes without a set-up.
bool startBoard(uint8_t handicap, ReplayBoard& board);

// The text of the next move as hits show it: destination ("同　" when it repeats the previous
// destination), piece word, then "打", "成(%d)" or "(%d)"; a closing entry's word.
std::string nextMoveText(const ReplayStep& step, int previousDestination);

// Stores a hit in the entry: its ply and the move after it (none when step is null).
void setHit(IndexEntry& entry, int ply, const ReplayStep* step, ListMove move,
            int previousDestination);

}  // namespace dalmir::model
