#include "tavrel/logic/play/position_editor.h"

#include <cstddef>

namespace tavrel {

namespace {

using core::PieceByte;
using core::PieceId;
using core::Position;
using core::SideByte;

constexpr std::size_t at(int i) { return static_cast<std::size_t>(i); }

void put(Position& pos, int cell, PieceByte piece, PieceId id) {
    pos.cells[at(cell)] = piece;
    pos.pieceAt[at(cell)] = id;
    pos.whereIs[at(id)] = static_cast<core::Square>(cell);
}

// Empties a cell; the piece is then in the box until it is put somewhere.
void lift(Position& pos, int cell) {
    PieceId id = pos.pieceAt[at(cell)];
    if (id != 0) pos.whereIs[at(id)] = 0;
    pos.cells[at(cell)] = 0;
    pos.pieceAt[at(cell)] = 0;
}

// A free hand slot (the first hole, else one more at the end); 0 when the hands are full.
int freeHandSlot(const Position& pos) {
    for (int s = core::kFirstHandSlot; s < pos.handEnd; ++s) {
        if (pos.cells[at(s)] == 0) return s;
    }
    return pos.handEnd < core::kHandSlotEnd ? pos.handEnd : 0;
}

void putInHand(Position& pos, int slot, PieceByte piece, PieceId id) {
    put(pos, slot, piece, id);
    if (slot >= pos.handEnd) pos.handEnd = static_cast<std::uint8_t>(slot + 1);
}

void trimHands(Position& pos) {
    while (pos.handEnd > core::kFirstHandSlot && pos.cells[at(pos.handEnd - 1)] == 0) {
        --pos.handEnd;
    }
}

// The hand form of a piece for side: unpromoted (a king stays a king).
PieceByte handForm(PieceByte piece, SideByte side) {
    int type = core::pieceType(piece);
    return core::makePiece(side, type == core::kKing ? type : (type & 7));
}

int boardKingSquare(const Position& pos, SideByte side) {
    for (int sq = 11; sq <= 99; ++sq) {
        PieceByte p = pos.cells[at(sq)];
        if (core::isSquare(sq) && core::belongsTo(p, side) && core::pieceType(p) == core::kKing) {
            return sq;
        }
    }
    return 0;
}

// The kings' ids follow their sides on the board (id 39 Black's, 40 White's), which the rules
// rely on to find a king.
void settleKingIds(Position& pos) {
    auto swapIds = [&] {
        int a = pos.whereIs[core::kBlackKingId];
        int b = pos.whereIs[core::kWhiteKingId];
        if (a != 0) pos.pieceAt[at(a)] = core::kWhiteKingId;
        if (b != 0) pos.pieceAt[at(b)] = core::kBlackKingId;
        pos.whereIs[core::kBlackKingId] = static_cast<core::Square>(b);
        pos.whereIs[core::kWhiteKingId] = static_cast<core::Square>(a);
    };
    int black = boardKingSquare(pos, core::kSideBlack);
    if (black != 0 && pos.pieceAt[at(black)] != core::kBlackKingId) swapIds();
    int white = boardKingSquare(pos, core::kSideWhite);
    if (white != 0 && pos.pieceAt[at(white)] != core::kWhiteKingId) swapIds();
}

PieceId boxPiece(const Position& pos, int type) {
    for (int id = 1; id < core::kPieceIdCount; ++id) {
        if (pos.whereIs[at(id)] == 0 && core::pieceTypeOfId(id) == type) {
            return static_cast<PieceId>(id);
        }
    }
    return 0;
}

// The cell a taken piece comes from (0 for the box), its piece byte and id.
struct Taken {
    int cell = 0;
    PieceByte piece = 0;
    PieceId id = 0;
};

bool take(const Position& pos, const EditSpot& from, Taken& t) {
    switch (from.place) {
        case EditPlace::Square:
            if (!core::isSquare(from.square) || pos.pieceAt[at(from.square)] == 0) return false;
            t.cell = from.square;
            break;
        case EditPlace::Hand:
            t.cell = core::findHandSlot(pos, from.side, from.type);
            if (t.cell == 0) return false;
            break;
        case EditPlace::Box: {
            t.id = boxPiece(pos, from.type);
            if (t.id == 0) return false;
            SideByte side = core::kSideBlack;
            if (from.type == core::kKing && boardKingSquare(pos, core::kSideBlack) != 0) {
                side = core::kSideWhite;
            }
            t.piece = core::makePiece(side, from.type);
            return true;
        }
    }
    t.piece = pos.cells[at(t.cell)];
    t.id = pos.pieceAt[at(t.cell)];
    return true;
}

bool samePlace(const EditSpot& from, const EditSpot& to, const Taken& t, SideByte handSide) {
    if (from.place != to.place) return false;
    switch (to.place) {
        case EditPlace::Square:
            return from.square == to.square;
        case EditPlace::Hand:
            return t.cell != 0 && handSide == to.side;
        case EditPlace::Box:
            return true;
    }
    return false;
}

}  // namespace

EditMoveResult moveEditedPiece(Position& pos, const EditSpot& from, const EditSpot& to) {
    Taken t;
    if (!take(pos, from, t)) return EditMoveResult::Refused;
    if (samePlace(from, to, t, from.side)) return EditMoveResult::Unchanged;
    Position next = pos;
    if (t.cell != 0) lift(next, t.cell);
    switch (to.place) {
        case EditPlace::Box:
            break;
        case EditPlace::Hand: {
            int slot = freeHandSlot(next);
            if (slot == 0) return EditMoveResult::Refused;
            putInHand(next, slot, handForm(t.piece, to.side), t.id);
            break;
        }
        case EditPlace::Square: {
            if (!core::isSquare(to.square)) return EditMoveResult::Refused;
            SideByte mover = core::sideOf(t.piece);
            PieceId capturedId = next.pieceAt[at(to.square)];
            if (capturedId != 0) {
                PieceByte captured = next.cells[at(to.square)];
                lift(next, to.square);
                int slot = freeHandSlot(next);
                if (slot == 0) return EditMoveResult::Refused;
                putInHand(next, slot, handForm(captured, mover), capturedId);
            }
            if (core::pieceType(t.piece) == core::kKing && boardKingSquare(next, mover) != 0) {
                return EditMoveResult::Refused;
            }
            put(next, to.square, t.piece, t.id);
            break;
        }
    }
    trimHands(next);
    settleKingIds(next);
    pos = next;
    return EditMoveResult::Moved;
}

bool cycleEditedPiece(Position& pos, int square) {
    if (!core::isSquare(square)) return false;
    PieceByte p = pos.cells[at(square)];
    if (p == 0) return false;
    int type = core::pieceType(p);
    PieceByte turned = static_cast<PieceByte>(p ^ core::kSideBlack);
    if (type == core::kKing) {
        if (boardKingSquare(pos, core::opponent(core::sideOf(p))) != 0) return false;
        pos.cells[at(square)] = turned;
    } else if (type == core::kGold) {
        pos.cells[at(square)] = turned;
    } else if (type & core::kPromotedBit) {
        pos.cells[at(square)] = static_cast<PieceByte>(turned & ~core::kPromotedBit);
    } else {
        pos.cells[at(square)] = static_cast<PieceByte>(p | core::kPromotedBit);
    }
    settleKingIds(pos);
    return true;
}

void applyEditCommand(Position& pos, EditCommand command) {
    SideByte side = pos.sideToMove;
    switch (command) {
        case EditCommand::EvenSetup:
            // The even game has a set-up: cannot fail.
            (void)core::setupHandicap(pos, core::kHandicapEven);
            return;
        case EditCommand::MateSetup:
            core::clearPosition(pos);
            put(pos, 51, core::makePiece(core::kSideWhite, core::kKing), core::kWhiteKingId);
            // A full hand leaves the rest in the box.
            (void)core::fillWhiteHandWithRest(pos);
            pos.sideToMove = core::kSideBlack;
            return;
        case EditCommand::AllToBox:
            core::clearPosition(pos);
            pos.sideToMove = side;
            return;
        case EditCommand::BoxToWhite:
            // A full hand leaves the rest in the box.
            (void)core::fillWhiteHandWithRest(pos);
            return;
        case EditCommand::Flip: {
            Position flipped = pos;
            for (int sq = 11; sq <= 99; ++sq) {
                if (!core::isSquare(sq)) continue;
                flipped.cells[at(sq)] = 0;
                flipped.pieceAt[at(sq)] = 0;
            }
            for (int sq = 11; sq <= 99; ++sq) {
                PieceId id = pos.pieceAt[at(sq)];
                if (!core::isSquare(sq) || id == 0) continue;
                put(flipped, 110 - sq, static_cast<PieceByte>(pos.cells[at(sq)] ^ core::kSideBlack),
                    id);
            }
            for (int s = core::kFirstHandSlot; s < pos.handEnd; ++s) {
                if (pos.cells[at(s)] != 0) {
                    flipped.cells[at(s)] =
                        static_cast<PieceByte>(pos.cells[at(s)] ^ core::kSideBlack);
                }
            }
            flipped.sideToMove = core::opponent(side);
            pos = flipped;
            settleKingIds(pos);
            return;
        }
        case EditCommand::ChangeSide:
            pos.sideToMove = core::opponent(side);
            return;
    }
}

int countAllPieces(const Position& pos) {
    int n = 0;
    for (int cell = 0; cell < core::kCellCount; ++cell) {
        PieceByte p = pos.cells[at(cell)];
        if (p != 0 && p != core::kWall) ++n;
    }
    for (int type = 1; type <= core::kKing; ++type) {
        for (int id = 1; id < core::kPieceIdCount; ++id) {
            if (pos.whereIs[at(id)] == 0 && core::pieceTypeOfId(id) == type) ++n;
        }
    }
    return n;
}

namespace {

// The start of the record follows the pieces: the handicap they stand for, the side to move,
// and whether the set-up differs from the handicap's own.
void storeStart(core::RecordStore& store) {
    const Position& pos = store.position();
    core::HandicapType type = core::inferHandicap(pos, store.handicap());
    Position standard;
    bool own = core::setupHandicap(standard, type) && core::comparePositions(standard, pos) == 0 &&
               pos.sideToMove == core::firstMoverOf(type);
    store.setHandicap(type);
    store.setFirstMover(pos.sideToMove);
    store.setCustomStart(!own);
    store.saveStartPosition(pos);
}

}  // namespace

bool startEditing(Document& doc) {
    ViewerMode mode = doc.mode();
    if (isPlaying(mode) || mode == ViewerMode::PrintPreview) {
        doc.warningSound();
        return false;
    }
    if (isEditing(mode)) return true;
    if (doc.askSaveBeforeDiscard(true) == Answer::Cancel) return false;
    core::RecordStore& store = doc.store();
    Position shown = store.position();
    store.reset();
    store.position() = shown;
    storeStart(store);
    doc.setNewRecordNames();
    doc.setMode(ViewerMode::Editing);
    doc.ui().documentChanged();
    return true;
}

void endEditing(Document& doc) {
    if (!isEditing(doc.mode())) return;
    storeStart(doc.store());
    doc.setMode(ViewerMode::Viewing);
    doc.ui().documentChanged();
}

void editCommand(Document& doc, EditCommand command) {
    if (!isEditing(doc.mode())) {
        doc.warningSound();
        return;
    }
    core::RecordStore& store = doc.store();
    applyEditCommand(store.position(), command);
    if (command == EditCommand::Flip) {
        std::string black = store.playerName(core::PlayerField::Black);
        std::string blackShort = store.playerName(core::PlayerField::BlackShort);
        store.setPlayerName(core::PlayerField::Black, store.playerName(core::PlayerField::White));
        store.setPlayerName(core::PlayerField::BlackShort,
                            store.playerName(core::PlayerField::WhiteShort));
        store.setPlayerName(core::PlayerField::White, black);
        store.setPlayerName(core::PlayerField::WhiteShort, blackShort);
    }
    storeStart(store);
    doc.ui().documentChanged();
}

EditMoveResult editMove(Document& doc, const EditSpot& from, const EditSpot& to) {
    doc.setMode(afterPutDown(doc.mode()));
    EditMoveResult r = moveEditedPiece(doc.store().position(), from, to);
    if (r == EditMoveResult::Refused) {
        doc.warningSound();
    } else if (r == EditMoveResult::Moved) {
        storeStart(doc.store());
    }
    doc.ui().documentChanged();
    return r;
}

bool editCycle(Document& doc, int square) {
    if (!cycleEditedPiece(doc.store().position(), square)) return false;
    storeStart(doc.store());
    doc.ui().pieceSound();
    doc.ui().documentChanged();
    return true;
}

}  // namespace tavrel
