#include "tavrel/logic/view/board_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tavrel {
namespace {

TEST(BoardGeometry, SizeClasses) {
    struct Case {
        int set;
        CellSize size;
    } cases[] = {{0, {25, 26}}, {1, {25, 26}},  {2, {31, 32}},  {4, {31, 32}},  {5, {36, 39}},
                 {9, {36, 39}}, {10, {40, 45}}, {13, {40, 45}}, {14, {56, 62}}, {17, {56, 62}}};
    for (const Case& c : cases) EXPECT_EQ(cellSizeForSet(c.set, {1, 1}), c.size) << c.set;
    EXPECT_EQ(cellSizeForSet(18, {40, 45}), (CellSize{40, 45}));
}

TEST(BoardGeometry, SquaresOfSetThree) {
    BoardGeometry g(cellSizeForSet(3, {}), false);
    EXPECT_EQ(g.squareTopLeft(9, 1), (Point{127, 16}));
    EXPECT_EQ(g.squareTopLeft(1, 9), (Point{399, 296}));
    EXPECT_EQ(g.squareAt({128, 17}), 91);
    EXPECT_EQ(g.squareAt({126, 17}), 0);
}

TEST(BoardGeometry, TurnedBoardSwapsSquaresAndStands) {
    BoardGeometry plain(cellSizeForSet(3, {}), false);
    BoardGeometry turned(cellSizeForSet(3, {}), true);
    EXPECT_EQ(turned.squareTopLeft(1, 1), plain.squareTopLeft(9, 9));
    EXPECT_EQ(turned.squareTopLeft(9, 1), plain.squareTopLeft(1, 9));
    EXPECT_EQ(plain.standOf(core::kSideBlack), Stand::BottomRight);
    EXPECT_EQ(turned.standOf(core::kSideBlack), Stand::TopLeft);
    EXPECT_EQ(turned.standOf(core::kSideWhite), Stand::BottomRight);
}

TEST(BoardGeometry, StarPointsAndLabels) {
    BoardGeometry g({31, 32}, false);
    EXPECT_EQ(g.starPoints()[0], (Point{3 * 34 + 93 + 32, 3 * 35 + 14}));
    EXPECT_EQ(g.labelRect(Stand::BottomRight), (Rect{54 + 372 + 75 - 16, 190, 54 + 431 + 27, 203}));
    EXPECT_EQ(g.labelRect(Stand::TopLeft), (Rect{54 + 1 - 16, 141, 39 + 27, 154}));
}

TEST(BoardGeometry, ExternalPictureGrids) {
    auto wide = pictureLayout(744, 64);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->grid, PictureGrid::Wide24x2);
    EXPECT_EQ(wide->cell, (CellSize{31, 32}));
    auto grid = pictureLayout(248, 192);
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->grid, PictureGrid::Grid8x6);
    EXPECT_EQ(grid->cell, (CellSize{31, 32}));
    EXPECT_FALSE(pictureLayout(0, 10));
    EXPECT_FALSE(pictureLayout(7, 5));

    EXPECT_EQ(pictureCell(*wide, true, 0), (GridCell{0, 0}));
    EXPECT_EQ(pictureCell(*wide, true, 1), (GridCell{14, 0}));
    EXPECT_EQ(pictureCell(*wide, false, 15), (GridCell{3, 1}));
    EXPECT_EQ(pictureCell(*wide, true, 8), (GridCell{1, 0}));
    EXPECT_EQ(maskCell(*wide, true, 0), (GridCell{16, 0}));
    EXPECT_EQ(maskCell(*wide, false, 1), (GridCell{23, 1}));
    EXPECT_EQ(maskCell(*wide, true, 7), (GridCell{17, 0}));

    EXPECT_EQ(pictureCell(*grid, true, 0), (GridCell{0, 0}));
    EXPECT_EQ(pictureCell(*grid, true, 7), (GridCell{1, 0}));   // rook second from left
    EXPECT_EQ(pictureCell(*grid, true, 1), (GridCell{7, 0}));   // pawn at the right
    EXPECT_EQ(pictureCell(*grid, true, 15), (GridCell{1, 1}));  // dragon below the rook
    EXPECT_EQ(pictureCell(*grid, false, 9), (GridCell{7, 4}));
    EXPECT_EQ(pictureCell(*grid, false, 8), (GridCell{0, 4}));
    EXPECT_EQ(maskCell(*grid, true, 6), (GridCell{2, 2}));
    EXPECT_EQ(maskCell(*grid, false, 0), (GridCell{0, 5}));
}

TEST(BoardGeometry, PawnOnlyStands) {
    BoardGeometry g({31, 32}, false);
    core::HandCounts hands;
    hands.black[core::kPawn] = 3;
    hands.white[core::kPawn] = 1;
    EXPECT_EQ(g.handSlots(hands, core::kSideBlack)[core::kPawn], 1);  // bottom right
    EXPECT_EQ(g.handSlots(hands, core::kSideWhite)[core::kPawn], 2);  // top left
    EXPECT_EQ(g.handSlotTopLeft(Stand::BottomRight, 1), (Point{12 * 31 + 79, 5 * 32 + 44}));
    EXPECT_EQ(g.handSlotTopLeft(Stand::TopLeft, 2), (Point{5, 3 * 34 + 7}));
}

TEST(BoardGeometry, HandSlotsFollowKindsHeld) {
    BoardGeometry g({31, 32}, false);
    core::HandCounts hands;
    for (int t : {core::kRook, core::kGold, core::kPawn}) {
        hands.black[static_cast<std::size_t>(t)] = 1;
        hands.white[static_cast<std::size_t>(t)] = 1;
    }
    auto black = g.handSlots(hands, core::kSideBlack);
    EXPECT_EQ(black[core::kRook], 1);
    EXPECT_EQ(black[core::kGold], 2);
    EXPECT_EQ(black[core::kPawn], 3);  // odd stays on the bottom-right stand
    EXPECT_EQ(black[core::kBishop], 0);
    auto white = g.handSlots(hands, core::kSideWhite);
    EXPECT_EQ(white[core::kPawn], 4);  // odd -> next even on the top-left stand
    hands.white[core::kSilver] = 1;
    EXPECT_EQ(g.handSlots(hands, core::kSideWhite)[core::kPawn], 6);  // even -> +2
    EXPECT_EQ(g.handSlotTopLeft(Stand::TopLeft, 3), (Point{(93 + 9) / 2 + 3, 2 * 34 + 7}));
}

TEST(BoardGeometry, InfoAreaAndDefaultSize) {
    BoardGeometry g({31, 32}, false);
    EXPECT_EQ(g.infoRect(), (Rect{447, 2, 587, 186}));
    EXPECT_EQ(g.infoClip(), (Rect{450, 5, 582, 185}));
    EXPECT_EQ(g.defaultClientWidth(), 598);
    EXPECT_EQ(BoardGeometry({25, 26}, false).defaultClientWidth(), 508);
    EXPECT_EQ(BoardGeometry::infoLineHeight(13, 2), 18);
    EXPECT_EQ(BoardGeometry::infoLineY(3, 18), 59);
}

TEST(BoardView, FitFillsTheAreaKeepingTheProportionsAndCentres) {
    BoardGeometry natural({31, 32}, false);
    const int w = natural.designWidth();
    const int h = natural.designHeight();
    // The natural size is the 100% picture at the top-left corner.
    EXPECT_EQ(boardView(natural, w, h, kBoardSizeFit), (ViewScale{1.0, {0, 0}}));
    // Twice as wide and high: factor 2, nothing left over.
    EXPECT_EQ(boardView(natural, 2 * w, 2 * h, kBoardSizeFit), (ViewScale{2.0, {0, 0}}));
    // A wide area: the height decides, the picture is centred across.
    ViewScale wide = boardView(natural, 4 * w, 2 * h, kBoardSizeFit);
    EXPECT_DOUBLE_EQ(wide.factor, 2.0);
    EXPECT_EQ(wide.origin, (Point{w, 0}));
    // A tall one: the width decides, centred down.
    ViewScale tall = boardView(natural, w, 3 * h, kBoardSizeFit);
    EXPECT_DOUBLE_EQ(tall.factor, 1.0);
    EXPECT_EQ(tall.origin, (Point{0, h}));
    // The picture never leaves the area and touches two of its sides.
    for (auto [aw, ah] :
         {std::pair{800, 500}, std::pair{1400, 900}, std::pair{2560, 1300}, std::pair{333, 777}}) {
        BoardGeometry g({31, 32}, false, boardView(natural, aw, ah, kBoardSizeFit));
        Rect shown = g.toClient(Rect{0, 0, w, h});
        EXPECT_GE(shown.left, 0);
        EXPECT_GE(shown.top, 0);
        EXPECT_LE(shown.right, aw);
        EXPECT_LE(shown.bottom, ah);
        EXPECT_TRUE(shown.width() >= aw - 1 || shown.height() >= ah - 1) << aw << "x" << ah;
    }
    // A tiny area still gives a usable picture; one not laid out yet the natural size.
    EXPECT_DOUBLE_EQ(boardView(natural, 10, 10, kBoardSizeFit).factor, kMinBoardScale);
    EXPECT_DOUBLE_EQ(boardView(natural, 0, 0, kBoardSizeFit).factor, 1.0);
}

TEST(BoardView, FixedSizesIgnoreTheAreaAndUnknownChoicesFit) {
    BoardGeometry natural({31, 32}, false);
    const int w = natural.designWidth();
    const int h = natural.designHeight();
    for (int percent : kBoardSizeChoices) {
        ViewScale v = boardView(natural, 3000, 2000, percent);
        EXPECT_DOUBLE_EQ(v.factor, percent / 100.0);
        EXPECT_EQ(v.origin.x, (3000 - static_cast<int>(std::lround(w * v.factor))) / 2);
        // Larger than the area: held at the top-left so that nothing is out of reach above.
        EXPECT_EQ(boardView(natural, 100, 100, percent).origin, (Point{0, 0}));
    }
    EXPECT_EQ(validBoardSize(150), 150);
    EXPECT_EQ(validBoardSize(0), kBoardSizeFit);
    for (int bad : {-5, 1, 99, 175, 100000}) EXPECT_EQ(validBoardSize(bad), kBoardSizeFit) << bad;
    EXPECT_DOUBLE_EQ(boardView(natural, w * 3, h * 3, 175).factor, 3.0);
}

TEST(BoardView, ClientAndDesignPointsRoundTripInsideOnePixel) {
    for (double f : {0.5, 1.0, 1.25, 1.5, 2.0, 2.37}) {
        BoardGeometry g({31, 32}, false, ViewScale{f, {13, 7}});
        for (Point d : {Point{0, 0}, Point{127, 16}, Point{399, 296}, Point{600, 400}}) {
            Point back = g.toDesign(g.toClient(d));
            EXPECT_LE(std::abs(back.x - d.x), 1) << f;
            EXPECT_LE(std::abs(back.y - d.y), 1) << f;
        }
        EXPECT_EQ(g.clientCell().w, static_cast<int>(std::lround(31 * f)));
        // A client point left of or above the origin is outside the picture.
        EXPECT_EQ(g.squareAt(Point{0, 0}), 0);
    }
}

}  // namespace
}  // namespace tavrel
