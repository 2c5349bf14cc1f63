#include "tavrel/logic/view/board_geometry.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tavrel
