// The Western notation of moves, positions and records for readers without Japanese: squares as
// a file digit and a rank letter ("7f"), moves as "P-7f", "Bx2b+", "S*5e", "G6i-5h", the diagram
// with two-letter piece codes, and the record in columns with chess-style, shogi-style or no move
// numbers. Texts are plain ASCII apart from the player names and end lines with CR LF.
#pragma once

#include <string>
#include <string_view>

#include "core/rules/move_node.h"
#include "core/rules/position.h"

namespace core {

// "P", "L", ... "+R" for piece types 1..15; empty for 0, 13 and anything else.
std::string_view englishPieceLetter(int type);

// "resigns", "quit", ... for terminal codes 0..10; empty for 3 and anything else.
std::string_view englishTerminalWord(int code);

// "Lance   ", "Right Lance" ... for handicap types 0..14 (0 is "Even     "); empty otherwise.
std::string_view englishHandicapName(HandicapType type);

// "7f" for square 76; empty when sq is not a square.
std::string englishSquare(int sq);

// The move in English notation, padded with blanks to minWidth bytes.
std::string englishMoveText(const MoveNode& node, int minWidth = 0);

// Side markers of the diagram cells: "b"/"w", or a blank for Black and "v" for White.
enum class EnglishMarkers : std::uint8_t { Letters, BlankAndV };

// "White in hand: R B2 P " or "White in hand: nothing" (no line end).
std::string englishHandLine(const Position& pos, SideByte side);

// Appends the diagram of pos: ["White: " name,] White's hand, file header, frame, nine ranks a..i,
// frame, ["Black: " name,] Black's hand. Empty names write no name line.
void appendEnglishDiagram(std::string& out, const Position& pos, std::string_view blackName,
                          std::string_view whiteName, EnglishMarkers markers);

}  // namespace core
