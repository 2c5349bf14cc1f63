// Move legality: whether a move may be played in a position and, if not, the one reason reported
// for it; where a piece can move, who attacks a square, promotion and drop rules, and the
// pawn-drop mate. Pure functions over a Position the caller owns; none of them allocates.
#pragma once

#include <array>
#include <cstdint>

#include "core/rules/position.h"

namespace core {

// Result of checkMove. When a move breaks several rules the first failing test, in the order of
// the values below (not their numbers), decides: 3, 4, 5, 9 (drop asked to promote), 14, 6, 16,
// then for a board move 10/9, 11, for a drop 15, 7, 5, 8, 13, 2, and last 12.
enum class [[nodiscard]] MoveCheckResult : std::uint8_t{
    Legal = 0,
    PawnDropMate = 2,           // "打歩詰"
    NoOrigin = 3,               // origin below 11
    OriginEmpty = 4,            // nothing on the origin square or hand slot
    NotOwnPiece = 5,            // the piece on the origin is not the mover's
    OwnPieceOnDestination = 6,  // the destination holds a piece of the mover
    DropOnOccupied = 7,         // a drop onto an occupied square
    DeadDrop = 8,               // a drop where the piece could never move again
    PromotionImpossible = 9,    // promotion asked where it cannot happen
    PromotionMissing = 10,      // promotion omitted where it is compulsory
    CannotReach = 11,           // the piece does not move that way
    LeavesKingAttacked = 12,    // "王手になる"
    SecondPawn = 13,            // "二歩"
    NotASquare = 14,            // the destination is not a square
    BeyondHand = 15,            // the hand slot lies at or beyond handEnd
    CapturesKing = 16,          // the destination holds the opposing king
};

// Checks the move from origin (a square 11..99 or a hand slot 111..148) to destination (a square,
// plus kPromoteFlag when the move promotes) for side (the mover's side byte).
[[nodiscard]] MoveCheckResult checkMove(const Position& pos, int origin, int destination,
                                        SideByte side);

// As checkMove, the same result. With kingSafe the caller knows that side's king is not attacked
// on pos: for a move other than the king's only the line the move opens to the king is then
// searched for attackers, not every line.
[[nodiscard]] MoveCheckResult checkMove(const Position& pos, int origin, int destination,
                                        SideByte side, bool kingSafe);

// Whether the move side just made from origin (a square, or a hand slot for a drop) to
// destination (a square, perhaps with kPromoteFlag) attacks the opposing king on the position
// after it, given that the king was not attacked before the move: by the moved piece itself, or
// along a line through the emptied origin.
bool givesCheck(const Position& after, int origin, int destination, SideByte side);

// Up to a few dozen squares, count first; no allocation.
template <std::size_t N>
struct SquareList {
    std::uint8_t count = 0;
    std::array<Square, N> squares{};

    void push(int sq) { squares[count++] = static_cast<Square>(sq); }
    const Square* begin() const { return squares.data(); }
    const Square* end() const { return squares.data() + count; }
    bool contains(int sq) const {
        for (std::uint8_t i = 0; i < count; ++i) {
            if (squares[i] == sq) return true;
        }
        return false;
    }
};
using Destinations = SquareList<24>;  // a dragon or horse reaches at most 20 squares
using Attackers = SquareList<10>;     // eight lines and two knight jumps

// Squares the piece on square can move to, oriented for side: by direction in the fixed order
// and, along a slide, nearest first. A line stops before a piece of side or the board's edge and
// after an enemy piece (its capture included). Empty when square holds no piece.
Destinations destinations(const Position& pos, int square, SideByte side);

// Squares of side's pieces that can move to square, in PieceId order (a king comes last).
Attackers attackers(const Position& pos, int square, SideByte side);

// Whether any piece of side attacks square.
bool isAttacked(const Position& pos, int square, SideByte side);

// Promotion state of a board move.
enum class Promotion : std::uint8_t { Impossible = 0, Optional = 1, Compulsory = 2 };

// For piece moving from origin to destination: Impossible for a hand slot as origin, a
// destination that already carries kPromoteFlag, a promoted piece or king, or a gold; otherwise by
// the mover's promotion zone (ranks 1..3 for Black, 7..9 for White) and the last ranks.
// Inline: the readers ask it for every move.
constexpr Promotion promotionState(int origin, int destination, PieceByte piece) {
    if (!isSquare(origin) || destination < 0 || (destination & kPromoteFlag) != 0 ||
        !isSquare(destination)) {
        return Promotion::Impossible;
    }
    const int type = pieceType(piece);
    if ((piece & kPromotedBit) != 0 || type == kGold || type == 0) return Promotion::Impossible;
    // Ranks counted from the mover's far side.
    const bool black = sideOf(piece) == kSideBlack;
    const int from = black ? rankOf(origin) : 10 - rankOf(origin);
    const int to = black ? rankOf(destination) : 10 - rankOf(destination);
    if (to > 3 && from > 3) return Promotion::Impossible;
    const bool stuck =
        ((type == kPawn || type == kLance) && to == 1) || (type == kKnight && to <= 2);
    return stuck ? Promotion::Compulsory : Promotion::Optional;
}

// False for a pawn or lance on the mover's last rank and a knight on its last two ranks.
bool dropAllowed(PieceByte piece, int square, SideByte side);

// Whether side has an unpromoted pawn on the file of square.
bool pawnOnFile(const Position& pos, int square, SideByte side);

// Pieces of side pinned to side's king by an enemy slider, each with the direction (0..7, from
// the king towards the pinning piece, oriented for side) of its pin line. At most eight.
struct Pin {
    Square square;
    std::uint8_t direction;
};
struct PinTable {
    std::uint8_t count = 0;
    std::array<Pin, 8> pins{};
};
PinTable pinnedPieces(const Position& pos, SideByte side);

// Whether dropping the pawn in handSlot on square mates the king standing directly in front of it
// (no capture of the pawn by an unpinned defender or along the pin line, no safe square for the
// king). False when the piece is not a pawn or no opposing king stands in front.
bool isPawnDropMate(const Position& pos, int handSlot, int square);

}  // namespace core
