#include "tavrel/logic/view/board_hit.h"

#include <algorithm>

namespace tavrel {

namespace {

constexpr std::array<int, 8> kBoxOrder{core::kKing,   core::kRook,   core::kBishop, core::kGold,
                                       core::kSilver, core::kKnight, core::kLance,  core::kPawn};

bool inside(const Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

Rect cellAt(const BoardGeometry& g, Point topLeft) {
    return Rect{topLeft.x, topLeft.y, topLeft.x + g.cell().w, topLeft.y + g.cell().h};
}

Point centreOf(const Rect& r) { return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

int boardLeft(const BoardGeometry& g) { return 3 * g.cell().w + 32; }
int boardRight(const BoardGeometry& g) { return boardLeft(g) + 9 * (g.cell().w + 3); }

// Screen column (0 left) and row (0 top) of a point on the board, clamped.
int columnAt(const BoardGeometry& g, Point p) {
    return std::clamp((p.x - boardLeft(g)) / (g.cell().w + 3), 0, 8);
}
int rowAt(const BoardGeometry& g, Point p) {
    return std::clamp((p.y - 14) / (g.cell().h + 3), 0, 8);
}

int squareOfCell(const BoardGeometry& g, int column, int row) {
    int file = 9 - column;
    int rank = row + 1;
    if (g.turned()) {
        file = 10 - file;
        rank = 10 - rank;
    }
    return core::makeSquare(file, rank);
}

// Stand slots on screen: column 0 is the left one, row 0 the top one.
int slotOfCell(Stand stand, int column, int row) {
    if (stand == Stand::TopLeft) return (3 - row) * 2 + (column == 1 ? 1 : 2);
    return row * 2 + (column == 0 ? 1 : 2);
}
Point slotCentre(const BoardGeometry& g, Stand stand, int column, int row) {
    int slot = slotOfCell(stand, std::clamp(column, 0, 1), std::clamp(row, 0, 3));
    return centreOf(cellAt(g, g.handSlotTopLeft(stand, slot)));
}

Point squareCentre(const BoardGeometry& g, int column, int row) {
    int sq = squareOfCell(g, column, row);
    return centreOf(g.squareRect(core::fileOf(sq), core::rankOf(sq)));
}

Point designCentre(const BoardGeometry& g, const BoardSpot& spot, const core::HandCounts& hands);
Point designPointer(const BoardGeometry& g, Point from, PointerMove move);

}  // namespace

Rect pieceBoxRect(const BoardGeometry& g) {
    CellSize c = g.cell();
    return Rect{2, 5 * c.h + 27, 3 * c.w + 29, 9 * c.h + 54};
}

Point boxSlotTopLeft(const BoardGeometry& g, int type) {
    auto it = std::find(kBoxOrder.begin(), kBoxOrder.end(), type);
    int i = static_cast<int>(it - kBoxOrder.begin());
    Rect box = pieceBoxRect(g);
    return Point{box.left + 3 + (i % 2) * (g.cell().w + 12),
                 box.top + 6 + (i / 2) * (g.cell().h + 2)};
}

int boxCount(const core::Position& pos, int type) {
    int n = 0;
    for (int id = 1; id < core::kPieceIdCount; ++id) {
        if (pos.whereIs[static_cast<std::size_t>(id)] == 0 && core::pieceTypeOfId(id) == type) ++n;
    }
    return n;
}

BoardHit hitTest(const BoardGeometry& g, Point client, const core::Position& pos, bool withBox) {
    const Point p = g.toDesign(client);
    BoardHit hit;
    if (withBox && inside(pieceBoxRect(g), p)) {
        hit.kind = HitKind::Box;
        for (int type : kBoxOrder) {
            if (inside(cellAt(g, boxSlotTopLeft(g, type)), p)) hit.pieceType = type;
        }
        return hit;
    }
    if (p.x < boardLeft(g) || p.x >= boardRight(g)) {
        Stand stand = p.x < boardLeft(g) ? Stand::TopLeft : Stand::BottomRight;
        hit.kind = HitKind::Stand;
        hit.side = g.standOf(core::kSideBlack) == stand ? core::kSideBlack : core::kSideWhite;
        core::HandCounts hands = core::countHand(pos);
        std::array<int, 9> slots = standSlots(g, hands, hit.side);
        for (int type = 1; type <= core::kKing; ++type) {
            int slot = slots[static_cast<std::size_t>(type)];
            if (slot != 0 && inside(cellAt(g, g.handSlotTopLeft(stand, slot)), p)) {
                hit.pieceType = type;
            }
        }
        return hit;
    }
    hit.kind = HitKind::Square;
    hit.square = squareOfCell(g, columnAt(g, p), rowAt(g, p));
    return hit;
}

std::array<Rect, 2> promotionChoiceRects(const BoardGeometry& g, int square) {
    const Rect promoted = g.squareRect(core::fileOf(square), core::rankOf(square));
    const int step = g.cell().w + 3;
    // Screen column 0..8 of the square: the other piece goes towards the middle.
    const int column = (promoted.left - boardLeft(g)) / step;
    const int dx = column <= 4 ? step : -step;
    Rect plain = promoted;
    plain.left += dx;
    plain.right += dx;
    return {promoted, plain};
}

int promotionChoiceAt(const BoardGeometry& g, Point client, int square) {
    const Point p = g.toDesign(client);
    const std::array<Rect, 2> r = promotionChoiceRects(g, square);
    if (inside(r[0], p)) return 1;
    if (inside(r[1], p)) return 0;
    return -1;
}

Point spotCentre(const BoardGeometry& g, const BoardSpot& spot, const core::HandCounts& hands) {
    return g.toClient(designCentre(g, spot, hands));
}

Point movePointer(const BoardGeometry& g, Point from, PointerMove move) {
    return g.toClient(designPointer(g, g.toDesign(from), move));
}

namespace {

Point designCentre(const BoardGeometry& g, const BoardSpot& spot, const core::HandCounts& hands) {
    if (core::isSquare(spot.square)) {
        return centreOf(g.squareRect(core::fileOf(spot.square), core::rankOf(spot.square)));
    }
    core::HandCounts held = hands;
    auto& counts = spot.side == core::kSideBlack ? held.black : held.white;
    int type = std::clamp(spot.handType, 1, static_cast<int>(core::kKing));
    if (counts[static_cast<std::size_t>(type)] == 0) counts[static_cast<std::size_t>(type)] = 1;
    int slot = standSlots(g, held, spot.side)[static_cast<std::size_t>(type)];
    return centreOf(cellAt(g, g.handSlotTopLeft(g.standOf(spot.side), slot)));
}

Point designPointer(const BoardGeometry& g, Point from, PointerMove move) {
    if (from.x < boardLeft(g) || from.x >= boardRight(g)) {
        Stand stand = from.x < boardLeft(g) ? Stand::TopLeft : Stand::BottomRight;
        // The slot nearest to the point.
        int column = 0;
        int row = 0;
        int best = -1;
        for (int col = 0; col < 2; ++col) {
            for (int r = 0; r < 4; ++r) {
                Point q = slotCentre(g, stand, col, r);
                int d = (q.x - from.x) * (q.x - from.x) + (q.y - from.y) * (q.y - from.y);
                if (best < 0 || d < best) {
                    best = d;
                    column = col;
                    row = r;
                }
            }
        }
        switch (move) {
            case PointerMove::Up:
                return slotCentre(g, stand, column, row - 1);
            case PointerMove::Down:
                return slotCentre(g, stand, column, row + 1);
            case PointerMove::Left:
                if (stand == Stand::BottomRight && column == 0) {
                    return squareCentre(g, 8, std::min(5 + row, 8));
                }
                return slotCentre(g, stand, column - 1, row);
            case PointerMove::Right:
                if (stand == Stand::TopLeft && column == 1) return squareCentre(g, 0, row * 2);
                return slotCentre(g, stand, column + 1, row);
        }
        return from;
    }
    int column = columnAt(g, from);
    int row = rowAt(g, from);
    switch (move) {
        case PointerMove::Up:
            return squareCentre(g, column, std::max(row - 1, 0));
        case PointerMove::Down:
            return squareCentre(g, column, std::min(row + 1, 8));
        case PointerMove::Left:
            if (column == 0) return slotCentre(g, Stand::TopLeft, 1, std::min(row / 2, 3));
            return squareCentre(g, column - 1, row);
        case PointerMove::Right:
            if (column == 8) return slotCentre(g, Stand::BottomRight, 0, std::max(row - 5, 0));
            return squareCentre(g, column + 1, row);
    }
    return from;
}

}  // namespace

}  // namespace tavrel
