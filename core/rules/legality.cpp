#include "core/rules/legality.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace core {
namespace {

constexpr std::size_t at(int i) { return static_cast<std::size_t>(i); }

// kNeighbour[o][sq][dir]: the square one step (or one knight jump) from sq in direction dir for
// orientation o (0 Black, 1 White), 0 when it leaves the board. Knight jumps that would wrap from
// rank 1 to rank 9 (or back) are not neighbours.
using NeighbourTable = std::array<std::array<std::array<Square, kDirectionCount>, 100>, 2>;
constexpr NeighbourTable makeNeighbours() {
    NeighbourTable t{};
    for (int o = 0; o < 2; ++o) {
        for (int sq = 11; sq <= 99; ++sq) {
            if (!isSquare(sq)) continue;
            for (int dir = 0; dir < kDirectionCount; ++dir) {
                int off = o == 0 ? kDirectionOffsets[at(dir)] : -kDirectionOffsets[at(dir)];
                int d = sq + off;
                if (!isSquare(d)) continue;
                int rankStep = rankOf(d) - rankOf(sq);
                if (dir >= 8 && rankStep != 2 && rankStep != -2) continue;
                if (dir < 8 && (rankStep > 1 || rankStep < -1)) continue;
                t[at(o)][at(sq)][at(dir)] = static_cast<Square>(d);
            }
        }
    }
    return t;
}
constexpr NeighbourTable kNeighbour = makeNeighbours();

constexpr int orientation(SideByte side) { return side == kSideBlack ? 0 : 1; }
constexpr int next(int o, int sq, int dir) { return kNeighbour[at(o)][at(sq)][at(dir)]; }

constexpr bool isPieceByte(PieceByte p) { return p != 0 && p != kWall && pieceType(p) != 0; }

// Cell readers: the position as it stands, or a copy of its board with one move made on it (from
// emptied, to taking the moving piece) and optionally one more square filled. The copy costs a
// hundred bytes once and then reads as plainly as the position, which a search for attackers,
// reading many squares, gains from.
struct Cells {
    const Position& pos;
    PieceByte operator()(int sq) const { return pos.cells[at(sq)]; }
};
struct CellsAfter {
    std::array<PieceByte, 100> cells;
    CellsAfter(const Position& pos, int from, int to, PieceByte piece, int extra = -1,
               PieceByte extraPiece = 0) {
        std::memcpy(cells.data(), pos.cells.data(), cells.size());
        if (isSquare(extra)) cells[at(extra)] = extraPiece;
        if (isSquare(from)) cells[at(from)] = 0;
        cells[at(to)] = piece;
    }
    PieceByte operator()(int sq) const { return cells[at(sq)]; }
};

// Calls found(square) for every piece of side that attacks sq; stops early when found returns
// true and reports whether it did.
template <class CellsT, class Found>
bool scanAttackers(const CellsT& cells, int sq, SideByte side, Found&& found) {
    // The piece attacking sq in direction dir stands against that direction as seen by side, which
    // is the same direction in the other orientation.
    const int back = 1 - orientation(side);
    for (int dir = 0; dir < kDirectionCount; ++dir) {
        int s = next(back, sq, dir);
        if (s == 0) continue;
        PieceByte p = cells(s);
        if (p != 0) {
            if (belongsTo(p, side) && kPieceMoves[at(pieceType(p))][at(dir)] != kMoveNone &&
                found(s)) {
                return true;
            }
            continue;
        }
        if (dir >= 8) continue;
        for (s = next(back, s, dir); s != 0; s = next(back, s, dir)) {
            p = cells(s);
            if (p == 0) continue;
            if (belongsTo(p, side) && kPieceMoves[at(pieceType(p))][at(dir)] == kMoveSlide &&
                found(s)) {
                return true;
            }
            break;
        }
    }
    return false;
}

template <class CellsT>
bool attackedBy(const CellsT& cells, int sq, SideByte side) {
    return scanAttackers(cells, sq, side, [](int) { return true; });
}

// Calls visit(square) for every destination of piece p on sq oriented for side; stops early when
// visit returns true and reports whether it did.
template <class CellsT, class Visit>
bool scanDestinations(const CellsT& cells, int sq, PieceByte p, SideByte side, Visit&& visit) {
    const int o = orientation(side);
    const MoveRow& row = kPieceMoves[at(pieceType(p))];
    for (int dir = 0; dir < kDirectionCount; ++dir) {
        const std::uint8_t kind = row[at(dir)];
        if (kind == kMoveNone) continue;
        for (int s = next(o, sq, dir); s != 0; s = next(o, s, dir)) {
            PieceByte q = cells(s);
            if (q != 0 && belongsTo(q, side)) break;
            if (visit(s)) return true;
            if (q != 0 || kind == kMoveStep) break;
        }
    }
    return false;
}

// The direction (0..9, oriented for o) in which square `to` lies from square `from`, with
// adjacent set when it is one step or one knight jump away; dir is -1 when no line or knight jump
// joins them.
struct Line {
    int dir = -1;
    bool adjacent = false;
};
// Direction index by the unit step (file step * 10 + rank step, Black's view) plus 11.
constexpr std::array<std::int8_t, 23> kDirOfStep{
    1, 0, 7, -1, -1, -1, -1, -1, -1, -1, 2, -1, 6, -1, -1, -1, -1, -1, -1, -1, 3, 4, 5,
};
constexpr Line computeLine(int o, int from, int to) {
    int df = fileOf(to) - fileOf(from);
    int dr = rankOf(to) - rankOf(from);
    if (o != 0) {
        df = -df;
        dr = -dr;
    }
    const int adf = df < 0 ? -df : df;
    const int adr = dr < 0 ? -dr : dr;
    if (df == 0 && dr == 0) return {};
    if (df == 0 || dr == 0 || adf == adr) {
        const int unit = (df > 0) - (df < 0);
        const int rankUnit = (dr > 0) - (dr < 0);
        return {kDirOfStep[at(unit * 10 + rankUnit + 11)], adf <= 1 && adr <= 1};
    }
    if (adf == 1 && dr == -2) return {df < 0 ? 8 : 9, true};
    return {};
}

// computeLine for every pair of squares: the direction in the low four bits (15 for none), 16
// when adjacent.
using LineTable = std::array<std::array<std::array<std::uint8_t, 100>, 100>, 2>;
constexpr LineTable makeLines() {
    LineTable t{};
    for (int o = 0; o < 2; ++o) {
        for (int from = 0; from < 100; ++from) {
            for (int to = 0; to < 100; ++to) {
                Line line;
                if (isSquare(from) && isSquare(to)) line = computeLine(o, from, to);
                t[at(o)][at(from)][at(to)] = static_cast<std::uint8_t>(
                    (line.dir < 0 ? 15 : line.dir) | (line.adjacent ? 16 : 0));
            }
        }
    }
    return t;
}
// Built at start-up: too many steps for some compilers' constant evaluation.
const LineTable kLines = makeLines();

// The line from square `from` to square `to` oriented for o (both squares).
Line lineBetween(int o, int from, int to) {
    const std::uint8_t code = kLines[at(o)][at(from)][at(to)];
    const int dir = code & 15;
    return {dir == 15 ? -1 : dir, (code & 16) != 0};
}

// Whether the piece on square from can move to square to (any square not holding a piece of
// side): as scanDestinations visiting it, looking only along the one line that joins them.
bool reaches(const Position& pos, int from, int to, SideByte side) {
    if (belongsTo(pos.cells[at(to)], side)) return false;
    const int o = orientation(side);
    const Line line = lineBetween(o, from, to);
    if (line.dir < 0) return false;
    const std::uint8_t kind = kPieceMoves[at(pieceType(pos.cells[at(from)]))][at(line.dir)];
    if (kind == kMoveNone) return false;
    if (line.adjacent) return true;
    if (kind != kMoveSlide) return false;
    for (int s = next(o, from, line.dir); s != to; s = next(o, s, line.dir)) {
        if (pos.cells[at(s)] != 0) return false;
    }
    return true;
}

// Whether the nearest piece on the line from square king through square through (emptied; a
// piece standing on block instead) is one of attacker's that moves along it to king. False when
// no line joins the two squares.
bool attacksAlong(const Position& pos, int king, int through, int block, SideByte attacker) {
    const Line line = lineBetween(0, king, through);
    if (line.dir < 0 || line.dir >= 8) return false;
    // Seen from the attacker the way back to the king is the opposite direction for Black and
    // the same index for White.
    const int back = attacker == kSideBlack ? (line.dir + 4) % 8 : line.dir;
    bool adjacent = true;
    for (int s = next(0, king, line.dir); s != 0; s = next(0, s, line.dir), adjacent = false) {
        if (s == block) return false;
        if (s == through) continue;
        const PieceByte p = pos.cells[at(s)];
        if (p == 0) continue;
        if (!belongsTo(p, attacker)) return false;
        const std::uint8_t kind = kPieceMoves[at(pieceType(p))][at(back)];
        return kind == kMoveSlide || (adjacent && kind == kMoveStep);
    }
    return false;
}

int relativeRank(int sq, SideByte side) {
    return side == kSideBlack ? rankOf(sq) : 10 - rankOf(sq);
}

}  // namespace

Destinations destinations(const Position& pos, int square, SideByte side) {
    Destinations list;
    if (!isSquare(square) || !isPieceByte(pos.cells[at(square)])) return list;
    scanDestinations(Cells{pos}, square, pos.cells[at(square)], side, [&list](int s) {
        list.push(s);
        return false;
    });
    return list;
}

Attackers attackers(const Position& pos, int square, SideByte side) {
    Attackers list;
    if (!isSquare(square) || belongsTo(pos.cells[at(square)], side)) return list;
    scanAttackers(Cells{pos}, square, side, [&list](int s) {
        list.push(s);
        return false;
    });
    // Insertion sort by PieceId: at most ten entries.
    for (int i = 1; i < list.count; ++i) {
        Square s = list.squares[at(i)];
        int j = i;
        for (; j > 0 && pos.pieceAt[list.squares[at(j - 1)]] > pos.pieceAt[s]; --j) {
            list.squares[at(j)] = list.squares[at(j - 1)];
        }
        list.squares[at(j)] = s;
    }
    return list;
}

bool isAttacked(const Position& pos, int square, SideByte side) {
    return isSquare(square) && attackedBy(Cells{pos}, square, side);
}

bool dropAllowed(PieceByte piece, int square, SideByte side) {
    const int type = pieceType(piece);
    const int rank = relativeRank(square, side);
    if ((type == kPawn || type == kLance) && rank == 1) return false;
    if (type == kKnight && rank <= 2) return false;
    return true;
}

bool pawnOnFile(const Position& pos, int square, SideByte side) {
    const int file = fileOf(square);
    if (file == 0) return false;
    const PieceByte pawn = makePiece(side, kPawn);
    for (int rank = 1; rank <= 9; ++rank) {
        if (pos.cells[at(file * 10 + rank)] == pawn) return true;
    }
    return false;
}

PinTable pinnedPieces(const Position& pos, SideByte side) {
    PinTable table;
    const int king = kingSquare(pos, side);
    if (!isSquare(king)) return table;
    const int o = orientation(side);
    const SideByte enemy = opponent(side);
    for (int dir = 0; dir < 8; ++dir) {
        int shield = 0;
        for (int s = next(o, king, dir); s != 0; s = next(o, s, dir)) {
            PieceByte p = pos.cells[at(s)];
            if (p == 0) continue;
            if (shield == 0) {
                if (!belongsTo(p, side)) break;
                shield = s;
                continue;
            }
            // Seen from the enemy's side, moving towards the king is the same direction index.
            if (belongsTo(p, enemy) && kPieceMoves[at(pieceType(p))][at(dir)] == kMoveSlide) {
                table.pins[table.count++] =
                    Pin{static_cast<Square>(shield), static_cast<std::uint8_t>(dir)};
            }
            break;
        }
    }
    return table;
}

bool isPawnDropMate(const Position& pos, int handSlot, int square) {
    if (!isHandSlot(handSlot) || !isSquare(square)) return false;
    const PieceByte pawn = pos.cells[at(handSlot)];
    if (pieceType(pawn) != kPawn) return false;
    const SideByte side = sideOf(pawn);
    const SideByte defender = opponent(side);
    const int kingSq = side == kSideBlack ? square - 1 : square + 1;
    if (!isSquare(kingSq)) return false;
    const PieceByte king = pos.cells[at(kingSq)];
    if (king != makePiece(defender, kKing)) return false;

    // Can a defender other than the king take the pawn?
    const PinTable pins = pinnedPieces(pos, defender);
    const int o = orientation(defender);
    auto canCapture = [&](int from) {
        if (from == kingSq) return false;
        for (int i = 0; i < pins.count; ++i) {
            if (pins.pins[at(i)].square != from) continue;
            const int dir = pins.pins[at(i)].direction;
            for (int s = next(o, kingSq, dir); s != 0; s = next(o, s, dir)) {
                if (s == square) return true;
            }
            return false;
        }
        return true;
    };
    if (scanAttackers(Cells{pos}, square, defender, canCapture)) return false;

    // Can the king step to a square the dropping side does not attack, the pawn's included?
    const CellsAfter withPawn(pos, -1, square, pawn);
    const bool escapes = scanDestinations(withPawn, kingSq, king, defender, [&](int s) {
        return !attackedBy(CellsAfter(pos, kingSq, s, king, square, pawn), s, side);
    });
    return !escapes;
}

MoveCheckResult checkMove(const Position& pos, int origin, int destination, SideByte side) {
    return checkMove(pos, origin, destination, side, false);
}

MoveCheckResult checkMove(const Position& pos, int origin, int destination, SideByte side,
                          bool kingSafe) {
    if (origin < 11) return MoveCheckResult::NoOrigin;
    if (origin >= kCellCount) return MoveCheckResult::BeyondHand;
    const PieceByte piece = pos.cells[at(origin)];
    if (piece == 0) return MoveCheckResult::OriginEmpty;
    if (!belongsTo(piece, side)) return MoveCheckResult::NotOwnPiece;
    const bool drop = origin >= 100;
    const bool promote = destination >= 0 && (destination & kPromoteFlag) != 0;
    if (promote && drop) return MoveCheckResult::PromotionImpossible;
    const int to = destination & ~kPromoteFlag;
    if (destination < 0 || !isSquare(to)) return MoveCheckResult::NotASquare;
    const PieceByte target = pos.cells[at(to)];
    if (target != 0 && belongsTo(target, side)) return MoveCheckResult::OwnPieceOnDestination;
    if (pieceType(target) == kKing) return MoveCheckResult::CapturesKing;

    if (!drop) {
        const Promotion state = promotionState(origin, to, piece);
        if (state == Promotion::Compulsory && !promote) return MoveCheckResult::PromotionMissing;
        if (state == Promotion::Impossible && promote) return MoveCheckResult::PromotionImpossible;
        const int fromRank = rankOf(origin);
        const int toRank = rankOf(to);
        if (pieceType(piece) == kKnight &&
            ((fromRank == 1 && toRank == 9) || (fromRank == 9 && toRank == 1))) {
            return MoveCheckResult::CannotReach;
        }
        if (!reaches(pos, origin, to, side)) return MoveCheckResult::CannotReach;
    } else {
        if (origin >= pos.handEnd) return MoveCheckResult::BeyondHand;
        if (target != 0) return MoveCheckResult::DropOnOccupied;
        if (sideOf(piece) != side) return MoveCheckResult::NotOwnPiece;
        if (!dropAllowed(piece, to, side)) return MoveCheckResult::DeadDrop;
        if (pieceType(piece) == kPawn) {
            if (pawnOnFile(pos, to, side)) return MoveCheckResult::SecondPawn;
            if (isPawnDropMate(pos, origin, to)) return MoveCheckResult::PawnDropMate;
        }
    }

    const int king = kingSquare(pos, side);
    if (!isSquare(king)) return MoveCheckResult::Legal;
    bool attacked = false;
    if (kingSafe && origin != king) {
        // Only a line through the emptied origin can newly reach the king: a drop opens none,
        // and the piece landing on `to` blocks whatever line runs through it.
        attacked = !drop && attacksAlong(pos, king, origin, to, opponent(side));
    } else {
        const PieceByte moving = promote ? static_cast<PieceByte>(piece | kPromotedBit) : piece;
        const int kingAfter = origin == king ? to : king;
        attacked = attackedBy(CellsAfter(pos, origin, to, moving), kingAfter, opponent(side));
    }
    return attacked ? MoveCheckResult::LeavesKingAttacked : MoveCheckResult::Legal;
}

bool givesCheck(const Position& after, int origin, int destination, SideByte side) {
    const int king = kingSquare(after, opponent(side));
    const int to = destination & ~kPromoteFlag;
    if (!isSquare(king) || !isSquare(to) || !belongsTo(after.cells[at(to)], side)) return false;
    if (reaches(after, to, king, side)) return true;
    return isSquare(origin) && attacksAlong(after, king, origin, -1, side);
}

}  // namespace core
