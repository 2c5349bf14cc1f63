// One move of a record tree and the byte encodings it carries. Nodes live in the node array of
// a RecordStore, which owns them and their comments; a node's index is its stable identity.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/rules/position.h"

namespace core {

// Index of a node in the store's node array; 0 is the root (the start position).
using NodeIndex = std::int32_t;
inline constexpr NodeIndex kNoNode = -1;
inline constexpr NodeIndex kRootNode = 0;

// A destination byte of 0..10 ends a line of play with one of these results.
enum class TerminalCode : std::uint8_t {
    Resign = 0,           // 投了: the side to move resigns
    Suspend = 1,          // 中断: the game is suspended
    FoulLoss = 2,         // 反則負け: the side to move loses by a foul
    FoulWin = 4,          // 反則勝ち: the side to move wins by the opponent's foul
    Impasse = 5,          // 持将棋
    Mate = 6,             // 詰み: the side to move is mated
    Repetition = 7,       // 千日手
    NoMate = 8,           // 不詰: the problem has no mate
    TimeLoss = 9,         // 切れ負け
    EnteringKingWin = 10  // 入玉勝ち
};
inline constexpr std::uint8_t kLastTerminalCode = 10;

constexpr bool isTerminalCode(int destination) {
    return destination >= 0 && destination <= kLastTerminalCode;
}
constexpr std::uint8_t terminalByte(TerminalCode t) { return static_cast<std::uint8_t>(t); }

// A move as the record operations take it: origin in the low byte (a square, a hand slot 111..148
// for a drop, or any byte for a terminal entry), destination in the high byte (a square plus
// kPromoteFlag when promoting, or a terminal code 0..10).
using PackedMove = std::uint16_t;

constexpr PackedMove packMove(int origin, int destination) {
    return static_cast<PackedMove>((origin & 0xFF) | ((destination & 0xFF) << 8));
}
constexpr std::uint8_t moveOrigin(PackedMove m) { return static_cast<std::uint8_t>(m & 0xFF); }
constexpr std::uint8_t moveDestination(PackedMove m) { return static_cast<std::uint8_t>(m >> 8); }
constexpr PackedMove terminalMove(TerminalCode t, int origin = 1) {
    return packMove(origin, terminalByte(t));
}

// The `from` byte of a drop: 0x80, plus 0x10 when Black drops, plus the unpromoted type 1..7.
inline constexpr std::uint8_t kDropFlag = 0x80;
inline constexpr std::uint8_t kDropBlackFlag = 0x10;
constexpr std::uint8_t encodeDrop(PieceByte piece) {
    return static_cast<std::uint8_t>(kDropFlag | ((piece & kSideBlack) ? kDropBlackFlag : 0) |
                                     (piece & 0x07));
}
// The hand piece (side and type) a drop's `from` byte stands for.
constexpr PieceByte dropPiece(std::uint8_t from) {
    return makePiece((from & kDropBlackFlag) ? kSideBlack : kSideWhite, from & 0x07);
}

// The longest comment a node keeps, in bytes.
inline constexpr std::size_t kMaxCommentBytes = 32766;

// Notation hint bits (see the notation code): a direction-word code in bits 0..5, and this bit
// when the move could have promoted but did not.
inline constexpr std::uint8_t kHintNoPromotion = 0x40;

struct MoveNode {
    // Origin square of a board move; encodeDrop() of the piece for a drop; for a terminal entry
    // the caller's origin byte (never 0 when `to` is 0). from == to == 0 marks a free node.
    std::uint8_t from = 0;
    // Destination square plus kPromoteFlag when the move promotes; 0..10 a terminal code.
    std::uint8_t to = 0;
    // The piece as it stood before the move; for a terminal entry the side bit of the side to
    // move.
    PieceByte piece = 0;
    // The piece that stood on the destination, 0 if none.
    PieceByte captured = 0;
    std::uint8_t notation = 0;
    std::uint16_t seconds = 0;
    // First move of the continuation (the main continuation is the first child).
    NodeIndex next = kNoNode;
    // Next alternative at the same ply.
    NodeIndex sibling = kNoNode;
    NodeIndex parent = kNoNode;
    // Lines end with "\n"; null when there is none.
    std::unique_ptr<std::string> comment;

    bool isFree() const { return from == 0 && to == 0; }
    bool isTerminal() const { return to <= kLastTerminalCode; }
    bool isDrop() const { return !isTerminal() && (from & kDropFlag) != 0; }
    bool promotes() const { return !isTerminal() && (to & kPromoteFlag) != 0; }
    // Destination square without the promotion flag (the terminal code for a terminal entry).
    std::uint8_t destination() const {
        return isTerminal() ? to : static_cast<std::uint8_t>(to & ~kPromoteFlag);
    }
    bool sameMove(std::uint8_t f, std::uint8_t t) const { return from == f && to == t; }
    std::string_view commentText() const {
        return comment ? std::string_view(*comment) : std::string_view();
    }
};

}  // namespace core
