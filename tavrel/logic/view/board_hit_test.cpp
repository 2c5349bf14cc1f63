#include "tavrel/logic/view/board_hit.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

using core::kSideBlack;
using core::kSideWhite;

core::Position evenWithHands() {
    core::Position pos;
    (void)core::setupHandicap(pos, core::kHandicapEven);
    return pos;
}

TEST(HitTest, SquaresFromTheColumnAndRowClampedAndTurned) {
    core::Position pos = evenWithHands();
    BoardGeometry g(CellSize{31, 32}, false);
    struct Case {
        Point p;
        int square;
    } cases[] = {
        {{127, 16}, 91},   // top-left corner of 9一
        {{125, 14}, 91},   // the gap before it still counts
        {{210, 242}, 77},  // the centre of 7七
        {{430, 300}, 19},  // bottom-right
        {{200, 2}, 71},    // above the board: rank clamped to 1
        {{200, 500}, 79},  // below: rank 9
    };
    for (const Case& c : cases) {
        BoardHit hit = hitTest(g, c.p, pos, false);
        EXPECT_EQ(hit.kind, HitKind::Square) << c.p.x << "," << c.p.y;
        EXPECT_EQ(hit.square, c.square) << c.p.x << "," << c.p.y;
    }
    BoardGeometry turned(CellSize{31, 32}, true);
    EXPECT_EQ(hitTest(turned, {127, 16}, pos, false).square, 19);
    EXPECT_EQ(hitTest(turned, {210, 242}, pos, false).square, 33);
    // Every square's own rectangle hits that square, either way round.
    for (const BoardGeometry& geo : {g, turned}) {
        for (int f = 1; f <= 9; ++f) {
            for (int r = 1; r <= 9; ++r) {
                Rect q = geo.squareRect(f, r);
                EXPECT_EQ(hitTest(geo, {q.left, q.top}, pos, false).square, f * 10 + r);
                EXPECT_EQ(hitTest(geo, {q.right - 1, q.bottom - 1}, pos, false).square, f * 10 + r);
            }
        }
    }
}

TEST(HitTest, StandsFindTheirSlotsAndTheBoxComesFirstWhenShown) {
    core::Position hands;
    core::clearPosition(hands);
    hands.cells[111] = core::makePiece(kSideBlack, core::kBishop);
    hands.cells[112] = core::makePiece(kSideBlack, core::kPawn);
    hands.cells[113] = core::makePiece(kSideWhite, core::kRook);
    hands.handEnd = 114;
    hands.pieceAt[111] = 35;
    hands.pieceAt[112] = 1;
    hands.pieceAt[113] = 37;
    hands.whereIs[35] = 111;
    hands.whereIs[1] = 112;
    hands.whereIs[37] = 113;
    ASSERT_TRUE(core::isConsistent(hands));
    BoardGeometry g(CellSize{31, 32}, false);
    core::HandCounts counts = core::countHand(hands);
    for (auto [side, type] :
         {std::pair{kSideBlack, int{core::kBishop}}, std::pair{kSideBlack, int{core::kPawn}},
          std::pair{kSideWhite, int{core::kRook}}}) {
        Point c = spotCentre(g, BoardSpot{0, side, type}, counts);
        BoardHit hit = hitTest(g, c, hands, false);
        EXPECT_EQ(hit.kind, HitKind::Stand);
        EXPECT_EQ(hit.side, side);
        EXPECT_EQ(hit.pieceType, type);
        // Turned, the stands change places and so do the hands.
        BoardGeometry t(CellSize{31, 32}, true);
        BoardHit turned = hitTest(t, spotCentre(t, BoardSpot{0, side, type}, counts), hands, false);
        EXPECT_EQ(turned.side, side);
        EXPECT_EQ(turned.pieceType, type);
    }
    // An empty part of a stand is the stand without a kind.
    BoardHit empty = hitTest(g, {5, 5}, hands, false);
    EXPECT_EQ(empty.kind, HitKind::Stand);
    EXPECT_EQ(empty.side, kSideWhite);
    EXPECT_EQ(empty.pieceType, 0);
    // The information area lies right of file 1: the bottom-right stand.
    EXPECT_EQ(hitTest(g, {480, 20}, hands, false).kind, HitKind::Stand);

    Rect box = pieceBoxRect(g);
    EXPECT_GE(box.top, g.standRect(Stand::TopLeft).bottom);
    EXPECT_LE(box.right, g.boardRect().left);
    for (int type = 1; type <= core::kKing; ++type) {
        Point tl = boxSlotTopLeft(g, type);
        BoardHit hit = hitTest(g, {tl.x + 3, tl.y + 3}, hands, true);
        EXPECT_EQ(hit.kind, HitKind::Box);
        EXPECT_EQ(hit.pieceType, type);
        EXPECT_LE(tl.y + g.cell().h, box.bottom);
        EXPECT_EQ(hitTest(g, {tl.x + 3, tl.y + 3}, hands, false).kind, HitKind::Stand);
    }
    EXPECT_EQ(boxCount(hands, core::kPawn), 17);
    EXPECT_EQ(boxCount(hands, core::kKing), 2);
}

TEST(HitTest, KeyboardPointerWalksTheBoardAndBothStands) {
    core::Position pos = evenWithHands();
    BoardGeometry g(CellSize{31, 32}, false);
    auto squareAt = [&](Point p) { return hitTest(g, p, pos, false).square; };
    Point p = spotCentre(g, BoardSpot{55, kSideBlack, 0}, {});
    p = movePointer(g, p, PointerMove::Left);
    EXPECT_EQ(squareAt(p), 65);
    p = movePointer(g, p, PointerMove::Up);
    EXPECT_EQ(squareAt(p), 64);
    for (int i = 0; i < 12; ++i) p = movePointer(g, p, PointerMove::Up);
    EXPECT_EQ(squareAt(p), 61);
    for (int i = 0; i < 3; ++i) p = movePointer(g, p, PointerMove::Left);
    EXPECT_EQ(squareAt(p), 91);
    p = movePointer(g, p, PointerMove::Left);  // onto the top-left stand
    EXPECT_EQ(hitTest(g, p, pos, false).kind, HitKind::Stand);
    EXPECT_EQ(hitTest(g, p, pos, false).side, kSideWhite);
    p = movePointer(g, p, PointerMove::Right);  // and back
    EXPECT_EQ(squareAt(p), 91);
    for (int i = 0; i < 12; ++i) p = movePointer(g, p, PointerMove::Right);
    BoardHit right = hitTest(g, p, pos, false);
    EXPECT_EQ(right.kind, HitKind::Stand);
    EXPECT_EQ(right.side, kSideBlack);
    Point q = movePointer(g, p, PointerMove::Left);  // the stand's left column
    EXPECT_EQ(hitTest(g, q, pos, false).kind, HitKind::Stand);
    q = movePointer(g, q, PointerMove::Left);  // back onto file 1
    EXPECT_EQ(squareAt(q), 16);
    // Slots of a stand: Down four times stays on the stand.
    for (int i = 0; i < 4; ++i) p = movePointer(g, p, PointerMove::Down);
    EXPECT_EQ(hitTest(g, p, pos, false).kind, HitKind::Stand);
}

// The same picture at other sizes: every client point comes through the view's scale and origin.
struct ScaleCase {
    double factor;
    Point origin;
};
const ScaleCase kScales[] = {{0.5, {0, 0}},   {1.0, {37, 11}}, {1.25, {0, 90}},
                             {1.5, {200, 3}}, {2.0, {0, 0}},   {2.37, {15, 41}}};

TEST(HitTestScaled, EverySquareCentrePicksThatSquareAtEveryScale) {
    core::Position pos = evenWithHands();
    for (const ScaleCase& sc : kScales) {
        for (bool turned : {false, true}) {
            BoardGeometry g(CellSize{31, 32}, turned, ViewScale{sc.factor, sc.origin});
            for (int f = 1; f <= 9; ++f) {
                for (int r = 1; r <= 9; ++r) {
                    const int sq = core::makeSquare(f, r);
                    Point c = spotCentre(g, BoardSpot{sq, kSideBlack, 0}, {});
                    BoardHit hit = hitTest(g, c, pos, false);
                    ASSERT_EQ(hit.kind, HitKind::Square) << sc.factor << " " << sq;
                    EXPECT_EQ(hit.square, sq) << sc.factor << " turned " << turned;
                    EXPECT_EQ(g.squareAt(c), sq) << sc.factor << " turned " << turned;
                }
            }
        }
    }
}

TEST(HitTestScaled, StandSlotsAndThePieceBoxAtEveryScale) {
    core::Position pos = evenWithHands();
    // Black holds a rook and three pawns, White a bishop.
    core::HandCounts hands{};
    hands.black[core::kRook] = 1;
    hands.black[core::kPawn] = 3;
    hands.white[core::kBishop] = 1;
    for (const ScaleCase& sc : kScales) {
        BoardGeometry g(CellSize{31, 32}, false, ViewScale{sc.factor, sc.origin});
        for (auto [side, type] :
             {std::pair{kSideBlack, int(core::kRook)}, std::pair{kSideBlack, int(core::kPawn)},
              std::pair{kSideWhite, int(core::kBishop)}}) {
            Point c = spotCentre(g, BoardSpot{0, side, type}, hands);
            // The slot a drag starts from is on the side's own stand.
            Point d = g.toDesign(c);
            Stand stand = g.standOf(side);
            Rect r = g.standRect(stand);
            EXPECT_TRUE(d.x >= r.left && d.x < r.right && d.y >= r.top && d.y < r.bottom)
                << sc.factor << " type " << type;
            BoardHit hit = hitTest(g, c, pos, false);
            EXPECT_EQ(hit.kind, HitKind::Stand) << sc.factor;
            EXPECT_EQ(hit.side, side) << sc.factor;
        }
        // The piece box of editing: each kind's slot centre hits that kind.
        for (int type = core::kPawn; type <= core::kKing; ++type) {
            Point tl = boxSlotTopLeft(g, type);
            Point c = g.toClient(Point{tl.x + 15, tl.y + 16});
            BoardHit hit = hitTest(g, c, pos, true);
            EXPECT_EQ(hit.kind, HitKind::Box) << sc.factor;
            EXPECT_EQ(hit.pieceType, type) << sc.factor;
        }
    }
}

TEST(HitTestScaled, PromotionZoneRanksAndTheKeyboardPointerAtEveryScale) {
    core::Position pos = evenWithHands();
    for (const ScaleCase& sc : kScales) {
        BoardGeometry g(CellSize{31, 32}, false, ViewScale{sc.factor, sc.origin});
        // The three ranks of Black's zone, clicked near their squares' edges, stay in the zone.
        for (int r = 1; r <= 3; ++r) {
            Rect q = g.toClient(g.squareRect(5, r));
            EXPECT_EQ(hitTest(g, Point{q.left + 1, q.top + 1}, pos, false).square,
                      core::makeSquare(5, r))
                << sc.factor;
            EXPECT_EQ(hitTest(g, Point{q.right - 2, q.bottom - 2}, pos, false).square,
                      core::makeSquare(5, r))
                << sc.factor;
        }
        // The pointer walks from 5五 across the board one square per key.
        Point p = spotCentre(g, BoardSpot{55, kSideBlack, 0}, {});
        p = movePointer(g, p, PointerMove::Up);
        EXPECT_EQ(g.squareAt(p), 54) << sc.factor;
        p = movePointer(g, p, PointerMove::Right);
        EXPECT_EQ(g.squareAt(p), 44) << sc.factor;
        for (int i = 0; i < 4; ++i) p = movePointer(g, p, PointerMove::Right);
        p = movePointer(g, p, PointerMove::Right);  // off file 1 onto Black's stand
        EXPECT_EQ(hitTest(g, p, pos, false).kind, HitKind::Stand) << sc.factor;
        EXPECT_EQ(hitTest(g, p, pos, false).side, kSideBlack) << sc.factor;
    }
}

}  // namespace
}  // namespace tavrel
