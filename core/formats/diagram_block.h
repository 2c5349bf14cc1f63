// The plain-text picture of one position shared by the record, position and mail texts: both
// hands, the 9x9 board with file digits and rank numerals, optionally the player names. Lines are
// CP932 and end in CR LF; the functions append to a buffer the caller owns.
#pragma once

#include <string>
#include <string_view>

#include "core/record/record_store.h"
#include "core/rules/position.h"

namespace core {

// Player names of a diagram; a line is written only for a non-empty name.
struct DiagramNames {
    std::string_view black;
    std::string_view white;
};

// Appends the diagram block of pos: [White's name,] White's hand, file header, frame, nine rank
// lines, frame, [Black's name,] Black's hand. A handicap other than 0 uses the words
// "上手"/"下手" instead of "後手"/"先手". names null: no name lines.
void appendDiagramBlock(std::string& out, const Position& pos, HandicapType handicap,
                        const DiagramNames* names = nullptr);

// Appends the start position of the record as a block without name lines, then "下手番" when
// Black moves first in a handicap record or "後手番" when White moves first in an even record.
void appendRecordBoardBlock(std::string& out, const RecordStore& store);

// One hand line: "先手の持駒：" (or "後手", "下手", "上手") and the pieces held, rook first,
// each with its count in kanji when above 1 and a full-width space; "なし" for an empty hand.
std::string handLine(const Position& pos, SideByte side, HandicapType handicap);

// "後手番" (even game) or "上手番" (handicap) when White is to move, "下手番" when Black is to move
// in a handicap game; empty when Black is to move in an even game. No line end.
std::string sideToMoveLine(const RecordStore& store);

// Appends the side-to-move line with its line end to an expanded template. A file text that does
// not end with a line break gets one first, so that the line stays a line of its own.
void appendSideToMoveLine(std::string& text, const RecordStore& store, bool clipboard);

}  // namespace core
