#include "core/board/board_geometry.h"

#include <algorithm>
#include <cmath>

namespace board {

namespace {

constexpr std::array<CellSize, 5> kClassSizes{CellSize{25, 26}, CellSize{31, 32}, CellSize{36, 39},
                                              CellSize{40, 45}, CellSize{56, 62}};

// Column of piece code 0..15 in the 24 x 2 grid.
constexpr std::array<int, 16> kWideColumn{0, 14, 12, 10, 8, 6, 4, 2, 1, 15, 13, 11, 9, 7, 5, 3};

// Hand kinds in slot order.
constexpr std::array<int, 7> kHandOrder{core::kRook,   core::kBishop, core::kGold, core::kSilver,
                                        core::kKnight, core::kLance,  core::kPawn};

}  // namespace

int sizeClassOf(int pieceSet) {
    if (pieceSet < 0 || pieceSet >= kPieceSetCount) return -1;
    if (pieceSet <= 1) return 0;
    if (pieceSet <= 4) return 1;
    if (pieceSet <= 9) return 2;
    if (pieceSet <= 13) return 3;
    return 4;
}

CellSize cellSizeOfClass(int sizeClass) {
    return kClassSizes[static_cast<std::size_t>(std::clamp(sizeClass, 0, 4))];
}

CellSize cellSizeForSet(int pieceSet, CellSize current) {
    int c = sizeClassOf(pieceSet);
    return c < 0 ? current : cellSizeOfClass(c);
}

std::optional<PictureLayout> pictureLayout(int width, int height) {
    if (width <= 0 || height <= 0) return std::nullopt;
    PictureLayout layout;
    if (width > 10 * height) {
        layout.grid = PictureGrid::Wide24x2;
        layout.columns = 24;
        layout.rows = 2;
    }
    layout.cell = CellSize{width / layout.columns, height / layout.rows};
    if (layout.cell.w <= 0 || layout.cell.h <= 0) return std::nullopt;
    return layout;
}

GridCell pictureCell(const PictureLayout& layout, bool black, int code) {
    code &= 15;
    if (layout.grid == PictureGrid::Wide24x2) {
        return GridCell{kWideColumn[static_cast<std::size_t>(code)], black ? 0 : 1};
    }
    bool promoted = code >= 8;
    int base = code & 7;
    int column = base == 0 ? 0 : 8 - base;
    return GridCell{column, (black ? 0 : 3) + (promoted ? 1 : 0)};
}

GridCell maskCell(const PictureLayout& layout, bool black, int code) {
    code &= 7;
    if (layout.grid == PictureGrid::Wide24x2) {
        return GridCell{code == 0 ? 16 : 24 - code, black ? 0 : 1};
    }
    return GridCell{code == 0 ? 0 : 8 - code, black ? 2 : 5};
}

Point BoardGeometry::toClient(Point design) const {
    return Point{m_view.origin.x + static_cast<int>(std::lround(design.x * m_view.factor)),
                 m_view.origin.y + static_cast<int>(std::lround(design.y * m_view.factor))};
}

Point BoardGeometry::toDesign(Point client) const {
    double f = m_view.factor > 0 ? m_view.factor : 1.0;
    return Point{static_cast<int>(std::floor((client.x - m_view.origin.x) / f)),
                 static_cast<int>(std::floor((client.y - m_view.origin.y) / f))};
}

Rect BoardGeometry::toClient(const Rect& design) const {
    Point a = toClient(Point{design.left, design.top});
    Point b = toClient(Point{design.right, design.bottom});
    return Rect{a.x, a.y, b.x, b.y};
}

CellSize BoardGeometry::clientCell() const {
    return CellSize{std::max(1, static_cast<int>(std::lround(m_cell.w * m_view.factor))),
                    std::max(1, static_cast<int>(std::lround(m_cell.h * m_view.factor)))};
}

Point BoardGeometry::squareTopLeft(int file, int rank) const {
    if (m_turned) {
        file = 10 - file;
        rank = 10 - rank;
    }
    return Point{3 * m_cell.w + 34 + (9 - file) * (m_cell.w + 3), 16 + (rank - 1) * (m_cell.h + 3)};
}

Rect BoardGeometry::squareRect(int file, int rank) const {
    Point p = squareTopLeft(file, rank);
    return Rect{p.x, p.y, p.x + m_cell.w, p.y + m_cell.h};
}

int BoardGeometry::squareAt(Point client) const {
    Point p = toDesign(client);
    for (int f = 1; f <= 9; ++f) {
        for (int r = 1; r <= 9; ++r) {
            Rect q = squareRect(f, r);
            if (p.x >= q.left && p.x < q.right && p.y >= q.top && p.y < q.bottom) {
                return core::makeSquare(f, r);
            }
        }
    }
    return 0;
}

Rect BoardGeometry::boardRect() const {
    int left = 3 * m_cell.w + 34 - 3;
    int top = 16 - 3;
    return Rect{left, top, left + 9 * m_cell.w + 30, top + 9 * m_cell.h + 30};
}

std::array<Point, 4> BoardGeometry::starPoints() const {
    std::array<Point, 4> points{};
    int i = 0;
    for (int k : {3, 6}) {
        for (int m : {3, 6}) {
            points[static_cast<std::size_t>(i++)] =
                Point{k * (m_cell.w + 3) + 3 * m_cell.w + 32, m * (m_cell.h + 3) + 14};
        }
    }
    return points;
}

Stand BoardGeometry::standOf(core::SideByte side) const {
    bool first = side == core::kSideBlack;
    return first != m_turned ? Stand::BottomRight : Stand::TopLeft;
}

Rect BoardGeometry::labelRect(Stand stand) const {
    int w = m_cell.w;
    int h = m_cell.h;
    Point p = stand == Stand::BottomRight ? Point{(3 * w + 15) / 2 + 12 * w + 75 - 16, 5 * h + 30}
                                          : Point{(3 * w + 15) / 2 + 1 - 16, 4 * h + 13};
    return Rect{p.x, p.y, p.x + 27, p.y + 13};
}

Rect BoardGeometry::standRect(Stand stand) const {
    int w = m_cell.w;
    int h = m_cell.h;
    if (stand == Stand::TopLeft) {
        return Rect{2, 4, (3 * w + 9) / 2 + 3 + w + 4, 4 * h + 29};
    }
    return Rect{12 * w + 75, 5 * h + 27, 15 * w + 123, 9 * h + 54};
}

std::array<int, 8> BoardGeometry::handSlots(const core::HandCounts& hands,
                                            core::SideByte side) const {
    std::array<int, 8> slots{};
    int held = 0;
    for (int type : kHandOrder) {
        if (hands.count(side, type) > 0) slots[static_cast<std::size_t>(type)] = 1 + held++;
    }
    int& pawn = slots[core::kPawn];
    if (pawn > 0) {
        if (standOf(side) == Stand::TopLeft) {
            pawn += (pawn % 2 == 1) ? 1 : 2;
        } else if (pawn % 2 == 0) {
            pawn += 1;
        }
    }
    return slots;
}

Point BoardGeometry::handSlotTopLeft(Stand stand, int slot) const {
    int w = m_cell.w;
    int h = m_cell.h;
    int row = (slot - 1) / 2;
    bool odd = slot % 2 == 1;
    if (stand == Stand::TopLeft) {
        return Point{odd ? (3 * w + 9) / 2 + 3 : 5, (3 - row) * (h + 2) + 7};
    }
    return Point{odd ? 12 * w + 79 : (3 * w + 9) / 2 + 12 * w + 77, row * (h + 2) + 5 * h + 44};
}

Rect BoardGeometry::infoRect() const {
    return Rect{12 * m_cell.w + 75, 2, 15 * m_cell.w + 122, 5 * m_cell.h + 26};
}

Rect BoardGeometry::infoClip() const {
    return Rect{12 * m_cell.w + 78, 5, 15 * m_cell.w + 117, 5 * m_cell.h + 25};
}

int BoardGeometry::defaultClientWidth() const { return std::max(15 * m_cell.w + 133, 480); }

ViewScale boardView(const BoardGeometry& natural, int width, int height, int sizeChoice) {
    const int w = natural.designWidth();
    const int h = natural.designHeight();
    double factor = 1.0;
    if (validBoardSize(sizeChoice) == kBoardSizeFit) {
        if (width > 0 && height > 0) {
            factor = std::min(static_cast<double>(width) / w, static_cast<double>(height) / h);
        }
        factor = std::clamp(factor, kMinBoardScale, kMaxBoardScale);
    } else {
        factor = sizeChoice / 100.0;
    }
    const int shownW = static_cast<int>(std::lround(w * factor));
    const int shownH = static_cast<int>(std::lround(h * factor));
    return ViewScale{factor,
                     Point{std::max(0, (width - shownW) / 2), std::max(0, (height - shownH) / 2)}};
}

int validBoardSize(int value) {
    for (int choice : kBoardSizeChoices) {
        if (value == choice) return value;
    }
    return kBoardSizeFit;
}

std::array<int, 9> standSlots(const BoardGeometry& g, const core::HandCounts& hands,
                              core::SideByte side) {
    std::array<int, 9> slots{};
    std::array<int, 8> kinds = g.handSlots(hands, side);
    int highest = 0;
    for (int t = 1; t <= 7; ++t) {
        slots[static_cast<std::size_t>(t)] = kinds[static_cast<std::size_t>(t)];
        highest = std::max(highest, kinds[static_cast<std::size_t>(t)]);
    }
    if (hands.count(side, core::kKing) > 0) slots[core::kKing] = highest + 1;
    return slots;
}

}  // namespace board
