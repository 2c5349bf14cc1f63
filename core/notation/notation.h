// Move notation: the origin form of KIF files ("７六歩(77)") and the traditional form of KI2
// files and the move list ("７六歩", "６八金左", "同銀不成"), the hint that lets the traditional
// form be written later without the position, and the origin search that reads it back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/rules/move_node.h"
#include "core/rules/position.h"

namespace core {

// Side marks before a move: 0 none, 1 "▲"/"△", 2 "▲"/"▽", 3 and 4 the user-defined marks
// (0xF0A7 for Black; 0xF0A5 resp. 0xF0A6 for White).
enum class MarkStyle : std::uint8_t { None = 0, Up = 1, Down = 2, UserUp = 3, UserDown = 4 };

// How the traditional form writes the destination: full-width ("７六", repeat "同　"), the
// square followed by "同" on a repeat (the last-move display), or two ASCII digits (repeat "同").
enum class DestinationForm : std::uint8_t {
    FullWidth = 0,
    SquareAndSame = 2,
    HalfWidth = 3,
    HalfWidthAlt = 4,
};

// Settings the texts follow.
struct NotationOptions {
    bool dragonAsRyu = false;     // "棋譜竜表記": a dragon is "竜" rather than "龍"
    bool dropMarkOnLast = false;  // "棋譜最終手の打": always "打" in the last-move display
};

// Direction-word codes of the notation hint (bits 0..5); 0 ambiguous with no separating word
// (for a drop: "打" is needed), 1 unambiguous.
inline constexpr std::uint8_t kHintAmbiguous = 0;
inline constexpr std::uint8_t kHintUnique = 1;
inline constexpr std::uint8_t kHintCodeMask = 0x3F;
inline constexpr int kDirectionWordCount = 15;

// The word of a direction code ("上", "右引" ...); empty for codes 0 and 1 and out of range.
std::string_view directionWord(int code);

// "投了", "中断" ... for terminal codes 0..10; empty for 3 and anything else.
std::string_view terminalWord(int code);

// The word of a piece type as records write it: "成香", "成桂", "成銀" for the promoted lance,
// knight and silver; "竜" or "龍" for the dragon; otherwise its kanji.
std::string_view pieceWord(int type, bool dragonAsRyu);

// The side mark of markStyle for side; empty for MarkStyle::None.
std::string_view sideMark(SideByte side, MarkStyle style);

// The side that played a node: the piece's side for a move, the side bit kept for a terminal
// entry.
constexpr SideByte moverOf(const MoveNode& node) { return sideOf(node.piece); }

// Origin form of a node: mark, destination ("同　" when it repeats previousDestination, the
// previous move's destination or 0), piece word, then "成(77)", "(77)" or "打"; a terminal entry is
// its word. Padded with ASCII spaces to width bytes.
std::string originFormText(const MoveNode& node, int previousDestination, MarkStyle style,
                           int width, const NotationOptions& options = {});

// Traditional form of a node from its notation hint: mark, destination in form, piece word,
// direction word, "成" or "不成", "打" where needed. Padded to width bytes (0: not padded).
std::string traditionalText(const MoveNode& node, int previousDestination, DestinationForm form,
                            MarkStyle style, int width, const NotationOptions& options = {});

// The notation hint of the move origin -> destination (kPromoteFlag for promotion) on the
// position before it: the direction-word code, plus kHintNoPromotion when the piece could have
// promoted and did not. Terminal moves (destination below 11) give kHintUnique.
std::uint8_t computeNotationHint(const Position& before, int origin, int destination);

// The direction word at the start of text, longest first ("左上" before "左"): its code 2..14,
// 0 when there is none; length receives its bytes.
int readDirectionWord(std::string_view text, std::size_t& length);

// The origin square of piece (side and type as on the board) moving to destination, read from
// the text after the piece word in traditional form (a direction word, then perhaps "成", "不成"
// or "生"). 0 when no board piece fits: the move is then a drop.
int findOrigin(const Position& pos, int destination, PieceByte piece, std::string_view text);

// Direction of a move from square o to square d seen from Black: ±1 along the file, ±10 along the
// rank, ±9 and ±11 on the diagonals, ±12 and ±8 for the knight jumps; 100 when no line joins them.
int moveDirection(int o, int d);

}  // namespace core
