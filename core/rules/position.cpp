#include "core/rules/position.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

namespace core {
namespace {

constexpr std::size_t at(int i) { return static_cast<std::size_t>(i); }

// Squares of PieceIds 1..40 in the standard set-up (index 0 unused).
constexpr std::array<Square, kPieceIdCount> kStandardSquares{
    0,
    // pawns 1..18
    17, 93, 97, 13, 27, 83, 87, 23, 37, 73, 77, 33, 47, 63, 67, 43, 57, 53,
    // lances 19..22, knights 23..26, silvers 27..30, golds 31..34
    19, 91, 99, 11, 29, 81, 89, 21, 39, 71, 79, 31, 49, 61, 69, 41,
    // bishops, rooks, kings
    88, 22, 28, 82, 59, 51};

// White's squares emptied by each handicap type 0..13, in removal order (0 ends a list).
constexpr std::array<std::array<Square, 10>, 14> kHandicapRemovals{{
    {},
    {11},
    {91},
    {22},
    {82},
    {82, 11},
    {22, 82},
    {22, 82, 91},
    {22, 82, 91, 11},
    {22, 82, 91, 11, 81},
    {22, 82, 91, 11, 21},
    {22, 82, 91, 11, 21, 81},
    {22, 82, 91, 11, 21, 81, 31, 71},
    {22, 82, 91, 11, 21, 81, 31, 71, 41, 61},
}};

// Free hand slot for one more piece: the first free slot from 111, else handEnd (grown). 0 when
// the hand is full.
int takeHandSlot(Position& pos) {
    for (int s = kFirstHandSlot; s < pos.handEnd; ++s) {
        if (pos.cells[at(s)] == 0) return s;
    }
    if (pos.handEnd >= kHandSlotEnd) return 0;
    return pos.handEnd++;
}

bool hasHandRoom(const Position& pos) {
    if (pos.handEnd < kHandSlotEnd) return true;
    for (int s = kFirstHandSlot; s < pos.handEnd; ++s) {
        if (pos.cells[at(s)] == 0) return true;
    }
    return false;
}

void place(Position& pos, int cell, PieceByte piece, PieceId id) {
    pos.cells[at(cell)] = piece;
    pos.pieceAt[at(cell)] = id;
    if (id != 0) pos.whereIs[id] = static_cast<Square>(cell);
}

void removeAt(Position& pos, int cell) {
    PieceId id = pos.pieceAt[at(cell)];
    if (id != 0 && pos.whereIs[id] == cell) pos.whereIs[id] = 0;
    pos.cells[at(cell)] = 0;
    pos.pieceAt[at(cell)] = 0;
}

constexpr bool isPiece(PieceByte p) { return p != 0 && p != kWall && pieceType(p) != 0; }

}  // namespace

Position::Position() { clearPosition(*this); }

namespace {

// The cells of the empty board: walls around the squares, empty hand slots.
constexpr std::array<PieceByte, kCellCount> makeEmptyCells() {
    std::array<PieceByte, kCellCount> cells{};
    for (int i = 0; i < kCellCount; ++i) {
        cells[static_cast<std::size_t>(i)] = (isSquare(i) || isHandSlot(i)) ? 0 : kWall;
    }
    return cells;
}
constexpr std::array<PieceByte, kCellCount> kEmptyCells = makeEmptyCells();

}  // namespace

void clearPosition(Position& pos) {
    pos.cells = kEmptyCells;
    pos.handEnd = kFirstHandSlot;
    pos.pieceAt.fill(0);
    pos.whereIs.fill(0);
    pos.sideToMove = kSideBlack;
}

int findHandSlot(const Position& pos, SideByte side, int type) {
    PieceByte want = makePiece(side, type);
    for (int s = kFirstHandSlot; s < pos.handEnd; ++s) {
        if (pos.cells[at(s)] == want) return s;
    }
    return 0;
}

namespace {

// The start of each handicap, set up once: every piece on its square, then the handicap's pieces
// taken away. Black to move.
std::array<Position, kHandicapRemovals.size()> makeHandicapStarts() {
    std::array<Position, kHandicapRemovals.size()> starts;
    for (std::size_t type = 0; type < starts.size(); ++type) {
        Position& pos = starts[type];
        for (int id = 1; id < kPieceIdCount; ++id) {
            Square sq = kStandardSquares[at(id)];
            SideByte owner = rankOf(sq) >= 7 ? kSideBlack : kSideWhite;
            place(pos, sq, makePiece(owner, pieceTypeOfId(id)), static_cast<PieceId>(id));
        }
        for (Square sq : kHandicapRemovals[type]) {
            if (sq == 0) break;
            removeAt(pos, sq);
        }
    }
    return starts;
}

}  // namespace

bool setupHandicap(Position& pos, HandicapType type, bool setSideToMove) {
    static const std::array<Position, kHandicapRemovals.size()> kStarts = makeHandicapStarts();
    if (type < 0 || type >= static_cast<int>(kStarts.size())) return false;
    const SideByte side = pos.sideToMove;
    pos = kStarts[at(type)];
    pos.sideToMove = setSideToMove ? firstMoverOf(type) : side;
    return true;
}

bool applyMove(Position& pos, int origin, int destination, bool promote) {
    if (destination < 11) return true;
    int to = destination & ~kPromoteFlag;
    if (!isSquare(to)) return false;
    bool fromHand = isHandSlot(origin) && origin < pos.handEnd;
    if (!isSquare(origin) && !fromHand) return false;
    if (origin == to || !isPiece(pos.cells[at(origin)])) return false;
    PieceByte captured = pos.cells[at(to)];
    if (captured != 0 && !hasHandRoom(pos)) return false;

    if (promote) pos.cells[at(origin)] |= kPromotedBit;
    if (captured != 0) {
        PieceId capturedId = pos.pieceAt[at(to)];
        int slot = takeHandSlot(pos);
        place(pos, slot, capturedForm(captured), capturedId);
        pos.cells[at(to)] = 0;
        pos.pieceAt[at(to)] = 0;
    }
    PieceId id = pos.pieceAt[at(origin)];
    place(pos, to, pos.cells[at(origin)], id);
    pos.cells[at(origin)] = 0;
    pos.pieceAt[at(origin)] = 0;
    assert(isConsistent(pos));
    return true;
}

bool undoMove(Position& pos, int origin, int destination, PieceByte moved, PieceByte captured) {
    if (destination <= 10) return true;
    int to = destination & ~kPromoteFlag;
    bool drop = origin >= 100;
    if (!isSquare(to) || (!drop && !isSquare(origin))) return false;
    if (drop && !hasHandRoom(pos)) return false;
    const bool promoted = (destination & kPromoteFlag) != 0;
    const PieceByte landed = promoted ? static_cast<PieceByte>(moved | kPromotedBit) : moved;
    if (pieceType(moved) == 0 || pos.cells[at(to)] != landed ||
        (!drop && pos.cells[at(origin)] != 0)) {
        return false;
    }
    if (promoted && pieceType(moved) != kKing) {
        moved = static_cast<PieceByte>(moved & (kSideBlack | 0x07));
    }

    PieceId movedId = pos.pieceAt[at(to)];
    pos.pieceAt[at(to)] = 0;
    if (!drop) place(pos, origin, moved, movedId);
    pos.cells[at(to)] = captured;

    bool found = true;
    if (captured != 0) {
        found = false;
        PieceByte inHand = capturedForm(captured);
        for (int s = pos.handEnd - 1; s >= kFirstHandSlot; --s) {
            if (pos.cells[at(s)] == inHand) {
                PieceId capturedId = pos.pieceAt[at(s)];
                pos.cells[at(s)] = 0;
                pos.pieceAt[at(s)] = 0;
                place(pos, to, captured, capturedId);
                found = true;
                break;
            }
        }
    }
    if (drop) place(pos, takeHandSlot(pos), moved, movedId);
    // A captured piece missing from the hand is left on the destination without an id.
    assert(!found || isConsistent(pos));
    return found;
}

bool isConsistent(const Position& pos) {
    if (pos.sideToMove != kSideBlack && pos.sideToMove != kSideWhite) return false;
    if (pos.handEnd < kFirstHandSlot || pos.handEnd > kHandSlotEnd) return false;
    std::array<int, 2> boardKings{};
    for (int cell = 0; cell < kCellCount; ++cell) {
        const PieceByte p = pos.cells[at(cell)];
        const PieceId id = pos.pieceAt[at(cell)];
        const bool hand = isHandSlot(cell);
        if (!isSquare(cell) && !hand) {
            if (p != kWall || id != 0) return false;
            continue;
        }
        if (p == 0) {
            if (id != 0) return false;
            continue;
        }
        const int type = pieceType(p);
        if ((p & ~(kSideBlack | kTypeMask)) != 0 || type == 0) return false;
        if (hand && (cell >= pos.handEnd || type > kKing)) return false;
        if (id == 0 || id >= kPieceIdCount || pos.whereIs[id] != cell) return false;
        const int idType = pieceTypeOfId(id);
        if (type == kKing) {
            if (idType != kKing) return false;
            if (!hand && ++boardKings[sideOf(p) == kSideBlack ? 1 : 0] > 1) return false;
        } else if ((type & 0x07) != idType) {
            return false;
        }
    }
    for (int id = 1; id < kPieceIdCount; ++id) {
        const int where = pos.whereIs[at(id)];
        if (where != 0 && (where >= kCellCount || pos.pieceAt[at(where)] != id)) return false;
    }
    return true;
}

HandCounts countHand(const Position& pos) {
    HandCounts counts;
    for (int s = kFirstHandSlot; s < pos.handEnd; ++s) {
        PieceByte p = pos.cells[at(s)];
        int type = pieceType(p);
        if (p == 0 || type == 0 || type > kKing) continue;
        auto& side = sideOf(p) == kSideBlack ? counts.black : counts.white;
        ++side[at(type)];
    }
    return counts;
}

int comparePositions(const Position& a, const Position& b) {
    for (int sq = 11; sq <= 99; ++sq) {
        if (a.cells[at(sq)] != b.cells[at(sq)]) return sq;
    }
    HandCounts ha = countHand(a);
    HandCounts hb = countHand(b);
    for (int type = 1; type <= 7; ++type) {
        if (ha.black[at(type)] != hb.black[at(type)] || ha.white[at(type)] != hb.white[at(type)]) {
            return type;
        }
    }
    return 0;
}

namespace {
void writeSnapshot(const Position& pos, std::array<std::uint8_t, kStartSnapshotSize>& bytes) {
    auto it = std::copy(pos.cells.begin(), pos.cells.end(), bytes.begin());
    *it++ = pos.handEnd;
    it = std::copy(pos.whereIs.begin(), pos.whereIs.end(), it);
    it = std::copy(pos.pieceAt.begin(), pos.pieceAt.end(), it);
    *it = pos.sideToMove;
}
}  // namespace

StartSnapshot::StartSnapshot() { writeSnapshot(Position(), bytes); }

StartSnapshot saveStart(const Position& pos) {
    StartSnapshot snap;
    writeSnapshot(pos, snap.bytes);
    return snap;
}

void restoreStart(const StartSnapshot& snapshot, Position& pos, bool withSideToMove) {
    auto it = snapshot.bytes.begin();
    std::copy_n(it, kCellCount, pos.cells.begin());
    it += kCellCount;
    pos.handEnd = *it++;
    std::copy_n(it, kPieceIdCount, pos.whereIs.begin());
    it += kPieceIdCount;
    std::copy_n(it, kCellCount, pos.pieceAt.begin());
    it += kCellCount;
    if (withSideToMove) pos.sideToMove = *it;
}

void buildPieceList(Position& pos) {
    pos.pieceAt.fill(0);
    pos.whereIs.fill(0);
    auto cellsInOrder = [&](auto&& visit) {
        for (int sq = 11; sq <= 99; ++sq) {
            if (isSquare(sq)) visit(sq);
        }
        for (int s = kFirstHandSlot; s < pos.handEnd; ++s) visit(s);
    };
    // Anything that is not a piece of type 1..15 cannot stay in a cell.
    cellsInOrder([&](int cell) {
        if (!isPiece(pos.cells[at(cell)])) pos.cells[at(cell)] = 0;
    });
    for (int type = 1; type <= 7; ++type) {
        int next = kPieceIdFirst[at(type)];
        cellsInOrder([&](int cell) {
            PieceByte p = pos.cells[at(cell)];
            if (p == 0 || pieceType(p) == kKing || (p & 0x07) != type) return;
            if (next > kPieceIdLast[at(type)]) {
                pos.cells[at(cell)] = 0;
                return;
            }
            place(pos, cell, p, static_cast<PieceId>(next++));
        });
    }
    cellsInOrder([&](int cell) {
        PieceByte p = pos.cells[at(cell)];
        if (pieceType(p) != kKing) return;
        PieceId id = sideOf(p) == kSideBlack ? kBlackKingId : kWhiteKingId;
        if (pos.whereIs[id] != 0) {
            pos.cells[at(cell)] = 0;
            return;
        }
        place(pos, cell, p, id);
    });
    while (pos.handEnd > kFirstHandSlot && pos.cells[at(pos.handEnd - 1)] == 0) --pos.handEnd;
}

HandicapType inferHandicap(const Position& pos, HandicapType previous) {
    std::array<int, 9> missing{};
    int total = 0;
    for (int id = 1; id < kPieceIdCount; ++id) {
        if (pos.whereIs[at(id)] == 0) {
            ++missing[at(pieceTypeOfId(id))];
            ++total;
        }
    }
    const int kings = missing[kKing];
    if (total == kings) return kHandicapEven;
    if (kings != 0) return kHandicapOther;

    auto only = [&](std::array<int, 8> want) {
        for (int t = 1; t <= 7; ++t) {
            if (missing[at(t)] != want[at(t)]) return false;
        }
        return true;
    };
    //                  -  P  L  N  S  G  B  R
    if (only({0, 0, 1, 0, 0, 0, 0, 0})) {
        return previous == 2 && pos.cells[11] == makePiece(kSideWhite, kLance) ? 2 : 1;
    }
    if (only({0, 0, 0, 0, 0, 0, 1, 0})) return 3;
    if (only({0, 0, 0, 0, 0, 0, 0, 1})) return 4;
    if (total == 1) return kHandicapOther;
    if (only({0, 0, 1, 0, 0, 0, 0, 1})) return 5;
    if (only({0, 0, 0, 0, 0, 0, 1, 1})) return 6;
    if (only({0, 0, 1, 0, 0, 0, 1, 1})) return 7;
    if (only({0, 0, 2, 0, 0, 0, 1, 1})) return 8;
    if (only({0, 0, 2, 1, 0, 0, 1, 1})) {
        return previous == 10 && pos.cells[81] == makePiece(kSideWhite, kKnight) ? 10 : 9;
    }
    if (only({0, 0, 2, 2, 0, 0, 1, 1})) return 11;
    if (only({0, 0, 2, 2, 2, 0, 1, 1})) return 12;
    if (only({0, 0, 2, 2, 2, 2, 1, 1})) return 13;
    return kHandicapOther;
}

bool fillWhiteHandWithRest(Position& pos) {
    for (int id = 1; id <= 38; ++id) {
        if (pos.whereIs[at(id)] != 0) continue;
        int slot = takeHandSlot(pos);
        if (slot == 0) return false;
        place(pos, slot, makePiece(kSideWhite, pieceTypeOfId(id)), static_cast<PieceId>(id));
    }
    return true;
}

}  // namespace core
