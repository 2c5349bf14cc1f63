// What lies under a client point of the board display: a square, a stand slot of a side's hand
// or the piece box of position editing; and the points the keyboard pointer and the move
// animation go to. Built on BoardGeometry: hitTest, spotCentre and movePointer take and give
// client points (the view's scale applied); the rectangles and slots are design pixels. Nothing
// here draws.
#pragma once

#include <array>

#include "core/rules/position.h"
#include "tavrel/logic/document/document_ui.h"
#include "tavrel/logic/view/board_geometry.h"

namespace tavrel {

enum class HitKind { None, Square, Stand, Box };

struct BoardHit {
    HitKind kind = HitKind::None;
    int square = 0;                          // 11..99 for Square
    core::SideByte side = core::kSideBlack;  // whose hand, for Stand
    int pieceType = 0;                       // Stand and Box: the kind whose slot was hit, 0 none
    friend bool operator==(const BoardHit&, const BoardHit&) = default;
};

// The piece box shown while editing: below the top-left stand, left of the board. Its slots
// hold the kinds in the order king, rook, bishop, gold, silver, knight, lance, pawn in two
// columns.
Rect pieceBoxRect(const BoardGeometry& g);
Point boxSlotTopLeft(const BoardGeometry& g, int type);

// Pieces of a type (1..8) in the box: not on the board and not in a hand.
int boxCount(const core::Position& pos, int type);

// A point left of the board (x < 3w + 32) is the top-left stand, one right of file 1 the
// bottom-right stand (with the kind of the slot under it, if any); on the board the square from
// the column and row of the point, clamped. withBox: the piece box (editing) is tested first.
BoardHit hitTest(const BoardGeometry& g, Point p, const core::Position& pos, bool withBox);

// The centre of a square or of the stand slot of a kind (placed as if the kind were held).
Point spotCentre(const BoardGeometry& g, const BoardSpot& spot, const core::HandCounts& hands);

// The promotion choice drawn on the board at a destination square: the promoted piece on the
// square itself, the unpromoted one on the square beside it towards the middle of the board (in
// screen columns). Design pixels, [0] promoted, [1] unpromoted.
std::array<Rect, 2> promotionChoiceRects(const BoardGeometry& g, int square);
// What a client point picks of that choice: 1 promoted, 0 unpromoted, -1 neither.
int promotionChoiceAt(const BoardGeometry& g, Point client, int square);

// The keyboard pointer: from the point, one square or stand slot in the direction on screen,
// between the board and the stands; returns the centre of the spot reached.
enum class PointerMove { Left, Right, Up, Down };
Point movePointer(const BoardGeometry& g, Point from, PointerMove move);

}  // namespace tavrel
