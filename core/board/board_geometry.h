// Where everything of the board display lies, computed from the cell size of the piece pictures
// and the orientation flag. The formulas give the picture at its natural (100%) size in "design"
// pixels; a view scale and origin map it onto the client area, so that the same picture fills a
// window of any size. The drawing code and the tests use the same formulas; nothing here draws.
// Both programs draw their boards with it.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "core/rules/position.h"

namespace board {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;  // exclusive
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct CellSize {
    int w = 31;
    int h = 32;
    friend bool operator==(const CellSize&, const CellSize&) = default;
};

inline constexpr int kPieceSetCount = 18;
// The two sets of the 盤・駒の設定 dialog's choice: 標準 writes every piece as it is usually
// written (成香, 成桂, 成銀 in two characters), 一文字 writes each piece in one character.
inline constexpr int kStandardPieceSet = 3;
inline constexpr int kOneCharacterPieceSet = 4;
// Size class 0..4 of a piece set 0..17; -1 for 18 or more.
int sizeClassOf(int pieceSet);
// The cell size of a size class 0..4.
CellSize cellSizeOfClass(int sizeClass);
// The cell size of piece set; a set of 18 or more leaves `current` unchanged.
CellSize cellSizeForSet(int pieceSet, CellSize current);

// The grid of an external piece picture (a single image of equal cells).
enum class PictureGrid { Wide24x2, Grid8x6 };
struct PictureLayout {
    PictureGrid grid = PictureGrid::Grid8x6;
    int columns = 8;
    int rows = 6;
    CellSize cell;
};
// Wider than ten times its height: 24 x 2; otherwise 8 x 6. nullopt when the cells would be
// empty.
std::optional<PictureLayout> pictureLayout(int width, int height);
struct GridCell {
    int column = 0;
    int row = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};
// The cell of the picture of piece code 0..15 (0 king, 1 pawn .. 7 rook, 8 second king form,
// 9..15 promoted) for the first (black) or second player.
GridCell pictureCell(const PictureLayout& layout, bool black, int code);
// The cell of the outline mask of unpromoted code 0..7.
GridCell maskCell(const PictureLayout& layout, bool black, int code);

// Which piece stand a hand is drawn on.
enum class Stand { TopLeft, BottomRight };

// How the design picture is put on the client area: client = origin + design * factor.
struct ViewScale {
    double factor = 1.0;
    Point origin;
    friend bool operator==(const ViewScale&, const ViewScale&) = default;
};

// The board size choice of the View menu: 0 fits the picture to the area, else a fixed percent.
inline constexpr int kBoardSizeFit = 0;
inline constexpr int kBoardSizeChoices[] = {100, 125, 150, 200};
// Fitting never makes the picture smaller than this, so that it stays usable.
inline constexpr double kMinBoardScale = 0.25;
inline constexpr double kMaxBoardScale = 8.0;

class BoardGeometry {
public:
    BoardGeometry(CellSize cell, bool turned, ViewScale view = {})
        : m_cell(cell), m_turned(turned), m_view(view) {}

    CellSize cell() const { return m_cell; }
    bool turned() const { return m_turned; }
    const ViewScale& view() const { return m_view; }
    double scale() const { return m_view.factor; }
    // The size of the design picture (the board, both stands and the information box) at 100%.
    int designWidth() const { return defaultClientWidth(); }
    int designHeight() const { return defaultClientHeight() - 40; }

    // Client point of a design point and back; a client point maps to the design pixel under it.
    Point toClient(Point design) const;
    Point toDesign(Point client) const;
    Rect toClient(const Rect& design) const;
    // The cell size on screen.
    CellSize clientCell() const;

    // In design pixels from here on, unless said otherwise.
    // Top-left corner of the square of file f and rank r (1..9 each).
    Point squareTopLeft(int file, int rank) const;
    Rect squareRect(int file, int rank) const;
    // The square (file*10+rank) at a client point (scaled), 0 when none.
    int squareAt(Point p) const;
    // The area behind the squares, with a margin of the gaps around them.
    Rect boardRect() const;
    // Centres of the four star points.
    std::array<Point, 4> starPoints() const;

    // The stand a side's hand is drawn on (the first player's is bottom right unless turned).
    Stand standOf(core::SideByte side) const;
    Rect standRect(Stand stand) const;
    // The 27 x 13 side label box of a stand.
    Rect labelRect(Stand stand) const;
    // Slot numbers 1.. of the kinds a side holds, in the order rook, bishop, gold, silver,
    // knight, lance, pawn (index = piece type 1..7; 0 for kinds not held), pawns moved to their
    // own place on the stand.
    std::array<int, 8> handSlots(const core::HandCounts& hands, core::SideByte side) const;
    // Top-left of slot s (1..) on a stand.
    Point handSlotTopLeft(Stand stand, int slot) const;

    // The white information rectangle with its frame, and the clip of its lines.
    Rect infoRect() const;
    Rect infoClip() const;
    // The x of the information lines and the y of line k for a line height L.
    int infoTextX() const { return 12 * m_cell.w + 78; }
    static int infoLineY(int k, int lineHeight) { return k * lineHeight + 5; }
    // (character height + external leading) * 6 / 5.
    static int infoLineHeight(int charHeight, int externalLeading) {
        return (charHeight + externalLeading) * 6 / 5;
    }

    // Default client width (15w + 133, at least 480) and the height below the menu and status
    // bars (9h + 101); a window adds its frame.
    int defaultClientWidth() const;
    int defaultClientHeight() const { return 9 * m_cell.h + 101; }

private:
    CellSize m_cell;
    bool m_turned;
    ViewScale m_view;
};

// The view of the picture on an area of width x height client pixels: fit (kBoardSizeFit) makes it
// as large as fits, else the percent fixes the factor; either way the picture is centred, and one
// larger than the area starts at the top-left corner so that its top-left stays reachable.
ViewScale boardView(const BoardGeometry& natural, int width, int height, int sizeChoice);
// A board size choice read from a profile: 0 or one of kBoardSizeChoices, anything else 0.
int validBoardSize(int value);

// Slot numbers of the kinds in a side's hand as drawn (index = type 1..7, and 8 for a king held
// while editing, which follows the other kinds); 0 for kinds not held.
std::array<int, 9> standSlots(const BoardGeometry& g, const core::HandCounts& hands,
                              core::SideByte side);

}  // namespace board
