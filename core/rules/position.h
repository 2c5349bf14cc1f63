// Shogi positions: square numbering, the one-byte piece code, the board with both hands, the piece
// list of the 40 pieces, the standard and handicap set-ups and the start snapshot. A Position is a
// plain value; whoever needs one owns it (the viewer and the readers use a PositionSlots).
#pragma once

#include <array>
#include <cstdint>

namespace core {

// A square is file * 10 + rank: file 1..9 counted from Black's right, rank 1..9 from the top
// (White's side). Numbers ending in 0 and 0..10 are never squares (0..10 carry terminal codes in
// the record); 111..148 are hand slots.
using Square = std::uint8_t;

// A piece byte: the type 1..15 in the low four bits (promoted = unpromoted + 8, the king is 8),
// the owner in bit 0x80 (set for Black). 0 is an empty cell; kWall marks cells that are neither
// squares nor hand slots. The wall has both bits of kSideMask set, so it never counts as a piece of
// either side.
using PieceByte = std::uint8_t;

// Fixed identity of one of the 40 pieces (1..40), 0 for none. See kPieceIdFirst/kPieceIdLast.
using PieceId = std::uint8_t;

// The side byte: kSideBlack or kSideWhite.
using SideByte = std::uint8_t;

inline constexpr SideByte kSideBlack = 0x80;
inline constexpr SideByte kSideWhite = 0x00;
inline constexpr std::uint8_t kSideMask = 0xC0;  // a cell belongs to side s when (cell & mask) == s
inline constexpr PieceByte kWall = 0xFF;
inline constexpr std::uint8_t kPromotedBit = 0x08;
inline constexpr std::uint8_t kTypeMask = 0x0F;
// Added to a destination square when the move promotes.
inline constexpr std::uint8_t kPromoteFlag = 0x80;

// Piece types (low four bits of a PieceByte). 13 is no piece: gold does not promote.
inline constexpr std::uint8_t kPawn = 1;
inline constexpr std::uint8_t kLance = 2;
inline constexpr std::uint8_t kKnight = 3;
inline constexpr std::uint8_t kSilver = 4;
inline constexpr std::uint8_t kGold = 5;
inline constexpr std::uint8_t kBishop = 6;
inline constexpr std::uint8_t kRook = 7;
inline constexpr std::uint8_t kKing = 8;
inline constexpr std::uint8_t kPromotedPawn = 9;
inline constexpr std::uint8_t kPromotedLance = 10;
inline constexpr std::uint8_t kPromotedKnight = 11;
inline constexpr std::uint8_t kPromotedSilver = 12;
inline constexpr std::uint8_t kHorse = 14;
inline constexpr std::uint8_t kDragon = 15;

// Cells: squares 11..99, hand slots 111..148, walls everywhere else.
inline constexpr int kCellCount = 149;
inline constexpr int kFirstHandSlot = 111;
inline constexpr int kHandSlotEnd = 149;  // one past the last hand slot
inline constexpr int kPieceIdCount = 41;  // index 0 unused
inline constexpr PieceId kBlackKingId = 39;
inline constexpr PieceId kWhiteKingId = 40;

// PieceId ranges by unpromoted type 1..7 (pawns 1..18, lances 19..22, knights 23..26, silvers
// 27..30, golds 31..34, bishops 35..36, rooks 37..38); index 0 unused.
inline constexpr std::array<PieceId, 8> kPieceIdFirst{0, 1, 19, 23, 27, 31, 35, 37};
inline constexpr std::array<PieceId, 8> kPieceIdLast{0, 18, 22, 26, 30, 34, 36, 38};

// The unpromoted type a PieceId stands for (1..8), 0 for id 0 or above 40.
constexpr int pieceTypeOfId(int id) {
    if (id <= 0 || id >= kPieceIdCount) return 0;
    if (id >= kBlackKingId) return kKing;
    for (int t = 1; t <= 7; ++t) {
        if (id <= kPieceIdLast[t]) return t;
    }
    return 0;
}

constexpr int pieceType(PieceByte p) { return p & kTypeMask; }
constexpr SideByte sideOf(PieceByte p) { return static_cast<SideByte>(p & kSideBlack); }
// Whether the cell holds a piece of side (never true for an empty cell or a wall).
constexpr bool belongsTo(PieceByte p, SideByte side) { return p != 0 && (p & kSideMask) == side; }
constexpr SideByte opponent(SideByte side) { return static_cast<SideByte>(side ^ kSideBlack); }
constexpr PieceByte makePiece(SideByte side, int type) {
    return static_cast<PieceByte>(side | (type & kTypeMask));
}
// The form a captured piece takes in the capturer's hand: side flipped, unpromoted; a king keeps
// type 8.
constexpr PieceByte capturedForm(PieceByte p) {
    PieceByte flipped = static_cast<PieceByte>(p ^ kSideBlack);
    return pieceType(p) == kKing ? flipped : static_cast<PieceByte>(flipped & ~kPromotedBit);
}

namespace detail {
constexpr std::array<std::uint8_t, 100> makeRankTable(bool rank) {
    std::array<std::uint8_t, 100> t{};
    for (int f = 1; f <= 9; ++f) {
        for (int r = 1; r <= 9; ++r) t[f * 10 + r] = static_cast<std::uint8_t>(rank ? r : f);
    }
    return t;
}
}  // namespace detail

// Rank (1..9) and file (1..9) of every number 0..99; 0 for a number that is not a square.
inline constexpr std::array<std::uint8_t, 100> kRankOf = detail::makeRankTable(true);
inline constexpr std::array<std::uint8_t, 100> kFileOf = detail::makeRankTable(false);

constexpr int rankOf(int sq) { return sq >= 0 && sq < 100 ? kRankOf[sq] : 0; }
constexpr int fileOf(int sq) { return sq >= 0 && sq < 100 ? kFileOf[sq] : 0; }
constexpr bool isSquare(int sq) { return rankOf(sq) != 0; }
constexpr bool isHandSlot(int cell) { return cell >= kFirstHandSlot && cell < kHandSlotEnd; }
constexpr Square makeSquare(int file, int rank) { return static_cast<Square>(file * 10 + rank); }

// Movement offsets seen from Black (negate for White), in the fixed direction order: right,
// forward-right, forward, forward-left, left, back-left, back, back-right, and the two knight jumps
// forward-right and forward-left.
inline constexpr int kDirectionCount = 10;
inline constexpr std::array<int, kDirectionCount> kDirectionOffsets{-10, -11, -1, 9,   10,
                                                                    11,  1,   -9, -12, 8};

// How a piece type moves in each direction: 0 not at all, 1 one step, 2 slides.
inline constexpr std::uint8_t kMoveNone = 0;
inline constexpr std::uint8_t kMoveStep = 1;
inline constexpr std::uint8_t kMoveSlide = 2;
using MoveRow = std::array<std::uint8_t, kDirectionCount>;
inline constexpr MoveRow kGoldMoves{1, 1, 1, 1, 1, 0, 1, 0, 0, 0};
inline constexpr std::array<MoveRow, 16> kPieceMoves{{
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // 0: none
    {0, 0, 1, 0, 0, 0, 0, 0, 0, 0},  // pawn
    {0, 0, 2, 0, 0, 0, 0, 0, 0, 0},  // lance
    {0, 0, 0, 0, 0, 0, 0, 0, 1, 1},  // knight
    {0, 1, 1, 1, 0, 1, 0, 1, 0, 0},  // silver
    kGoldMoves,                      // gold
    {0, 2, 0, 2, 0, 2, 0, 2, 0, 0},  // bishop
    {2, 0, 2, 0, 2, 0, 2, 0, 0, 0},  // rook
    {1, 1, 1, 1, 1, 1, 1, 1, 0, 0},  // king
    kGoldMoves,                      // promoted pawn
    kGoldMoves,                      // promoted lance
    kGoldMoves,                      // promoted knight
    kGoldMoves,                      // promoted silver
    {1, 1, 1, 1, 1, 1, 1, 1, 0, 0},  // 13: no piece
    {1, 2, 1, 2, 1, 2, 1, 2, 0, 0},  // horse
    {2, 1, 2, 1, 2, 1, 2, 1, 0, 0},  // dragon
}};

// One position. cells and pieceAt are indexed by square or hand slot; whereIs by PieceId.
// Hand slots hold unpromoted pieces (a king only while editing) with the owner in bit 0x80, or 0
// for a free slot. handEnd is one past the last hand slot in use (kFirstHandSlot when both hands
// are empty); applying moves only ever grows it: a capture takes the first free slot from 111 and
// only when none is free takes handEnd, and a drop leaves it as it is.
// A default-constructed Position is the empty board, Black to move.
struct Position {
    std::array<PieceByte, kCellCount> cells;
    std::uint8_t handEnd;
    std::array<PieceId, kCellCount> pieceAt;
    std::array<Square, kPieceIdCount> whereIs;
    SideByte sideToMove;

    Position();
    friend bool operator==(const Position&, const Position&) = default;
};

// Empties the board and both hands, clears the piece list and gives Black the move.
void clearPosition(Position& pos);

// Square of the side's king, 0 when it has none.
constexpr int kingSquare(const Position& pos, SideByte side) {
    return pos.whereIs[side == kSideBlack ? kBlackKingId : kWhiteKingId];
}

// First hand slot below handEnd holding side's piece of the given unpromoted type; 0 if none.
int findHandSlot(const Position& pos, SideByte side, int type);

// A few positions owned together: slot 0 is the position shown, the others scratch copies.
inline constexpr int kPositionSlotCount = 4;
struct PositionSlots {
    std::array<Position, kPositionSlotCount> slots;

    Position& operator[](int i) { return slots.at(static_cast<std::size_t>(i)); }
    const Position& operator[](int i) const { return slots.at(static_cast<std::size_t>(i)); }
};

// Handicap types 0..15; the giver plays White. 14 ("その他") and 15 (unrecognised name) have no
// set-up of their own: the position comes from a diagram.
using HandicapType = int;
inline constexpr HandicapType kHandicapEven = 0;
inline constexpr HandicapType kHandicapOther = 14;
inline constexpr HandicapType kHandicapUnknown = 15;
inline constexpr int kHandicapCount = 16;

// Black moves first in an even game, White in every handicap.
constexpr SideByte firstMoverOf(HandicapType type) {
    return type == kHandicapEven ? kSideBlack : kSideWhite;
}

// Builds the standard set-up minus the handicap's pieces (types 0..13), empties both hands and
// rebuilds the piece list; with setSideToMove also gives the move to the type's first mover.
// Types 14, 15 and out-of-range values change nothing and return false.
bool setupHandicap(Position& pos, HandicapType type, bool setSideToMove = true);

// Whether the position keeps the invariants every operation here relies on and preserves:
// - cells that are neither squares nor hand slots hold kWall; hand slots from handEnd on are free;
// - every other cell is empty or holds a side bit and a type 1..15, unpromoted in a hand slot;
// - a cell holds a piece exactly when pieceAt names an id for it, and whereIs of that id is the
//   cell; an id in play stands where whereIs says (0: not in play);
// - the piece's type agrees with its id: kings are ids 39 and 40 only, and any other id holds a
//   piece of its range's type, promoted or not, so there are never more than two kings;
// - no side has two kings on the board; the side to move is kSideBlack or kSideWhite.
// applyMove and undoMove assert it in debug builds.
bool isConsistent(const Position& pos);

// Moves the piece on origin (a square, or a hand slot below handEnd for a drop) to destination
// (its promotion bit is ignored), capturing what stands there into the mover's hand; with promote
// the piece lands promoted. A destination below 11 (a terminal code) changes nothing and returns
// true. Returns false and changes nothing when the move cannot be made at all: the destination is
// not a square, the origin holds no piece, or the hand has no room for the captured piece.
bool applyMove(Position& pos, int origin, int destination, bool promote);

// Inverse of applyMove given the four bytes the record keeps per move: origin (a square, or for a
// drop any value >= 100), destination (with the promotion bit when the move promoted), the piece
// as it stood before the move and the piece captured (0 if none). Returns whether the captured
// piece was found in the hand (true when nothing was captured). False and nothing changes when
// the bytes name no move or are not the last move made on pos: the destination must hold the
// moved piece as the move left it and, for a board move, the origin must be empty. A king marked
// as promoting goes back a king.
bool undoMove(Position& pos, int origin, int destination, PieceByte moved, PieceByte captured);

// 0 when a and b hold the same pieces on the same squares and the same pieces in hand; otherwise
// the first differing square (11..99), or else the first type (1..7) whose hand count differs for
// either side. The side to move, slot order in the hands and the piece list are not compared.
int comparePositions(const Position& a, const Position& b);

// Pieces in hand per side and type (1..7; 8 counts a king in hand while editing).
struct HandCounts {
    std::array<std::uint8_t, 9> black{};
    std::array<std::uint8_t, 9> white{};

    int count(SideByte side, int type) const {
        return (side == kSideBlack ? black : white)[static_cast<std::size_t>(type)];
    }
};
HandCounts countHand(const Position& pos);

// The 341-byte copy of a start position: cells (149), handEnd (1), whereIs (41), pieceAt (149),
// sideToMove (1). A default-constructed snapshot holds the empty board.
inline constexpr int kStartSnapshotSize = 341;
struct StartSnapshot {
    std::array<std::uint8_t, kStartSnapshotSize> bytes;

    StartSnapshot();
    friend bool operator==(const StartSnapshot&, const StartSnapshot&) = default;
};

StartSnapshot saveStart(const Position& pos);
// Copies the snapshot into pos; the side to move only with withSideToMove (the shown position).
void restoreStart(const StartSnapshot& snapshot, Position& pos, bool withSideToMove = true);

// Gives fresh PieceIds to a position whose cells were filled from a diagram: per type 1..7 the
// pieces on the squares, then in the hands, take the ids of the type's range in order; pieces
// beyond the 40-piece set are removed (kings beyond the first of each side too). Free slots at the
// end of the hand are dropped.
void buildPieceList(Position& pos);

// The handicap type a position's pieces not in play stand for (after buildPieceList). previous is
// the type read so far: it decides between 1 and 2, and between 9 and 10, when the lance on 11 or
// the knight on 81 of White is still in place.
HandicapType inferHandicap(const Position& pos, HandicapType previous);

// Puts every piece 1..38 not in play into White's hand (used when a diagram gives no White hand).
// Returns false when the hand ran out of slots (the pieces left over stay out of play).
bool fillWhiteHandWithRest(Position& pos);

}  // namespace core
