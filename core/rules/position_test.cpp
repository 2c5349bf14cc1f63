#include "core/rules/position.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "tests/support/positions.h"

namespace core {
namespace {

using testsupport::B;
using testsupport::diagram;
using testsupport::W;

Position standard(HandicapType type = kHandicapEven) {
    Position pos;
    EXPECT_TRUE(setupHandicap(pos, type));
    return pos;
}

int countOnBoard(const Position& pos, SideByte side) {
    int n = 0;
    for (int sq = 11; sq <= 99; ++sq) {
        if (isSquare(sq) && pos.cells[sq] != 0 && belongsTo(pos.cells[sq], side)) ++n;
    }
    return n;
}

TEST(PositionTest, SquareTablesKnowOnlyRealSquares) {
    EXPECT_EQ(rankOf(76), 6);
    EXPECT_EQ(fileOf(76), 7);
    for (int n : {0, 5, 10, 20, 50, 90, 100, 110, 111, -1}) EXPECT_FALSE(isSquare(n)) << n;
    int squares = 0;
    for (int n = 0; n < 100; ++n) squares += isSquare(n);
    EXPECT_EQ(squares, 81);
}

TEST(PositionTest, EmptyPositionHasWallsAndNoHand) {
    Position pos;
    EXPECT_TRUE(isConsistent(pos));
    EXPECT_EQ(pos.handEnd, kFirstHandSlot);
    EXPECT_EQ(pos.sideToMove, kSideBlack);
    EXPECT_EQ(pos.cells[55], 0);
    EXPECT_EQ(pos.cells[50], kWall);
    EXPECT_EQ(pos.cells[105], kWall);
}

TEST(PositionTest, StandardSetUp) {
    Position pos = standard();
    EXPECT_TRUE(isConsistent(pos));
    EXPECT_EQ(pos.cells[59], B(kKing));
    EXPECT_EQ(pos.cells[51], W(kKing));
    EXPECT_EQ(pos.cells[88], B(kBishop));
    EXPECT_EQ(pos.cells[22], W(kBishop));
    EXPECT_EQ(pos.cells[28], B(kRook));
    EXPECT_EQ(pos.cells[82], W(kRook));
    EXPECT_EQ(pos.cells[76], 0);
    EXPECT_EQ(pos.whereIs[kBlackKingId], 59);
    EXPECT_EQ(pos.whereIs[kWhiteKingId], 51);
    EXPECT_EQ(pos.whereIs[1], 17);
    EXPECT_EQ(pos.whereIs[38], 82);
    EXPECT_EQ(countOnBoard(pos, kSideBlack), 20);
    EXPECT_EQ(countOnBoard(pos, kSideWhite), 20);
    EXPECT_EQ(pos.sideToMove, kSideBlack);
}

TEST(PositionTest, HandicapSetUpsRemoveWhitePiecesAndGiveWhiteTheMove) {
    const std::vector<std::vector<int>> removed{
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
    };
    for (int type = 0; type < 14; ++type) {
        SCOPED_TRACE(type);
        Position pos = standard(type);
        EXPECT_TRUE(isConsistent(pos));
        for (int sq : removed[type]) EXPECT_EQ(pos.cells[sq], 0) << sq;
        EXPECT_EQ(countOnBoard(pos, kSideWhite), 20 - int(removed[type].size()));
        EXPECT_EQ(countOnBoard(pos, kSideBlack), 20);
        EXPECT_EQ(pos.sideToMove, type == 0 ? kSideBlack : kSideWhite);
        EXPECT_EQ(inferHandicap(pos, type), type);
    }
}

TEST(PositionTest, TenPieceHandicapLeavesKingAndPawns) {
    Position pos = standard(13);
    std::vector<int> white;
    for (int sq = 11; sq <= 99; ++sq) {
        if (isSquare(sq) && pos.cells[sq] != 0 && belongsTo(pos.cells[sq], kSideWhite)) {
            white.push_back(pieceType(pos.cells[sq]));
        }
    }
    EXPECT_EQ(white.size(), 10u);
    EXPECT_EQ(std::count(white.begin(), white.end(), int(kPawn)), 9);
    EXPECT_EQ(std::count(white.begin(), white.end(), int(kKing)), 1);
    EXPECT_EQ(pos.sideToMove, kSideWhite);
}

TEST(PositionTest, SetUpWithoutSideKeepsSideAndOtherTypesChangeNothing) {
    Position pos = diagram({{55, B(kGold)}});
    pos.sideToMove = kSideBlack;
    Position before = pos;
    EXPECT_FALSE(setupHandicap(pos, kHandicapOther));
    EXPECT_FALSE(setupHandicap(pos, kHandicapUnknown));
    EXPECT_FALSE(setupHandicap(pos, 16));
    EXPECT_FALSE(setupHandicap(pos, -1));
    EXPECT_EQ(pos, before);

    EXPECT_TRUE(setupHandicap(pos, 4, false));
    EXPECT_EQ(pos.sideToMove, kSideBlack);
    EXPECT_EQ(pos.cells[55], 0);
    // Nothing of what stood before is left: the same as setting up an empty position.
    Position fresh;
    EXPECT_TRUE(setupHandicap(fresh, 4, false));
    EXPECT_EQ(pos, fresh);
    Position played = standard();
    ASSERT_TRUE(applyMove(played, 77, 76, false));
    ASSERT_TRUE(applyMove(played, 22, 88, false));
    EXPECT_NE(played.handEnd, kFirstHandSlot);
    EXPECT_TRUE(setupHandicap(played, kHandicapEven));
    EXPECT_EQ(played, standard());
}

TEST(PositionTest, CapturingPromotedRookGivesUnpromotedRook) {
    Position pos = diagram({{59, B(kKing)}, {51, W(kKing)}, {56, B(kGold)}, {55, W(kDragon)}});
    const Position before = pos;
    const PieceId dragon = pos.pieceAt[55];
    ASSERT_TRUE(applyMove(pos, 56, 55, false));
    EXPECT_TRUE(isConsistent(pos));
    EXPECT_EQ(pos.cells[111], B(kRook));
    EXPECT_EQ(pos.whereIs[dragon], 111);
    EXPECT_EQ(pos.handEnd, 112);
    EXPECT_EQ(pos.cells[55], B(kGold));
    EXPECT_EQ(countHand(pos).count(kSideBlack, kRook), 1);

    EXPECT_TRUE(undoMove(pos, 56, 55, B(kGold), W(kDragon)));
    EXPECT_TRUE(isConsistent(pos));
    EXPECT_EQ(comparePositions(pos, before), 0);
    EXPECT_EQ(pos.whereIs[dragon], 55);
    EXPECT_EQ(pos.cells[111], 0);
}

TEST(PositionTest, CapturedKingKeepsItsType) {
    Position pos = diagram({{59, B(kKing)}, {58, W(kKing)}});
    ASSERT_TRUE(applyMove(pos, 59, 58, false));
    EXPECT_EQ(pos.cells[111], B(kKing));
    EXPECT_EQ(pos.whereIs[kWhiteKingId], 111);
    EXPECT_TRUE(undoMove(pos, 59, 58, B(kKing), W(kKing)));
    EXPECT_EQ(pos.cells[58], W(kKing));
    EXPECT_EQ(pos.whereIs[kWhiteKingId], 58);
    EXPECT_TRUE(isConsistent(pos));
}

TEST(PositionTest, DropFreesSlotAndLaterCaptureReusesIt) {
    Position pos = diagram({{59, B(kKing)},
                            {51, W(kKing)},
                            {77, B(kSilver)},
                            {76, W(kPawn)},
                            {33, W(kSilver)},
                            {44, B(kPawn)},
                            {24, W(kGold)}});
    ASSERT_TRUE(applyMove(pos, 77, 76, false));  // Black takes a pawn: slot 111
    ASSERT_TRUE(applyMove(pos, 33, 44, false));  // White takes a pawn: slot 112
    EXPECT_EQ(pos.cells[111], B(kPawn));
    EXPECT_EQ(pos.cells[112], W(kPawn));
    EXPECT_EQ(pos.handEnd, 113);

    ASSERT_TRUE(applyMove(pos, 111, 25, false));  // Black drops the pawn
    EXPECT_EQ(pos.cells[111], 0);
    EXPECT_EQ(pos.handEnd, 113);  // drops never shrink the hand
    EXPECT_TRUE(isConsistent(pos));

    ASSERT_TRUE(applyMove(pos, 25, 24, false));  // Black takes the gold: reuses slot 111
    EXPECT_EQ(pos.cells[111], B(kGold));
    EXPECT_EQ(pos.handEnd, 113);
    EXPECT_TRUE(isConsistent(pos));

    // Undo the capture, then the drop: the pawn returns to the first free slot.
    EXPECT_TRUE(undoMove(pos, 25, 24, B(kPawn), W(kGold)));
    EXPECT_EQ(pos.cells[111], 0);
    EXPECT_TRUE(undoMove(pos, 0x80 + 0x10 + kPawn, 25, B(kPawn), 0));
    EXPECT_EQ(pos.cells[111], B(kPawn));
    EXPECT_EQ(pos.cells[25], 0);
    EXPECT_TRUE(isConsistent(pos));
}

TEST(PositionTest, PromotionAndItsUndo) {
    Position pos = standard();
    ASSERT_TRUE(applyMove(pos, 77, 76, false));
    ASSERT_TRUE(applyMove(pos, 33, 34, false));
    ASSERT_TRUE(applyMove(pos, 88, 22 | kPromoteFlag, true));
    EXPECT_EQ(pos.cells[22], B(kHorse));
    EXPECT_EQ(pos.cells[111], B(kBishop));
    EXPECT_TRUE(undoMove(pos, 88, 22 | kPromoteFlag, B(kBishop), W(kBishop)));
    EXPECT_EQ(pos.cells[88], B(kBishop));
    EXPECT_EQ(pos.cells[22], W(kBishop));
    EXPECT_TRUE(isConsistent(pos));
}

TEST(PositionTest, MovesThatCannotBeMadeChangeNothing) {
    Position pos = standard();
    const Position before = pos;
    EXPECT_TRUE(applyMove(pos, 77, 5, false));     // terminal code
    EXPECT_FALSE(applyMove(pos, 77, 70, false));   // wall
    EXPECT_FALSE(applyMove(pos, 89, 101, false));  // wall beyond the board
    EXPECT_FALSE(applyMove(pos, 76, 75, false));   // empty origin
    EXPECT_FALSE(applyMove(pos, 20, 75, false));   // wall origin
    EXPECT_FALSE(applyMove(pos, 111, 55, false));  // hand slot beyond handEnd
    EXPECT_FALSE(applyMove(pos, 200, 55, false));
    EXPECT_TRUE(undoMove(pos, 77, 3, B(kPawn), 0));
    EXPECT_FALSE(undoMove(pos, 5, 55, B(kPawn), 0));
    EXPECT_FALSE(undoMove(pos, 77, 60, B(kPawn), 0));
    EXPECT_EQ(pos, before);
}

TEST(PositionTest, UndoReportsMissingCapturedPiece) {
    Position pos = standard();
    ASSERT_TRUE(applyMove(pos, 77, 76, false));
    EXPECT_FALSE(undoMove(pos, 77, 76, B(kPawn), W(kSilver)));
    EXPECT_EQ(pos.cells[77], B(kPawn));
    EXPECT_EQ(pos.cells[76], W(kSilver));
}

// Bytes that are not the last move made on the position are refused whole: a position walked
// back by a record whose move could not be applied stays as it is.
TEST(PositionTest, UndoRefusesBytesThatAreNotTheLastMove) {
    Position pos = standard();
    ASSERT_TRUE(applyMove(pos, 77, 76, false));
    const Position after = pos;
    EXPECT_FALSE(undoMove(pos, 77, 75, B(kPawn), 0));                 // destination empty
    EXPECT_FALSE(undoMove(pos, 77, 76, B(kSilver), 0));               // another piece stands there
    EXPECT_FALSE(undoMove(pos, 77, 76, W(kPawn), 0));                 // the other side's
    EXPECT_FALSE(undoMove(pos, 77, 76 | kPromoteFlag, B(kPawn), 0));  // it did not promote
    EXPECT_FALSE(undoMove(pos, 79, 76, B(kPawn), 0));                 // the origin is occupied
    EXPECT_FALSE(undoMove(pos, 77, 76, 0, 0));                        // no piece named
    EXPECT_EQ(pos, after);
    EXPECT_TRUE(undoMove(pos, 77, 76, B(kPawn), 0));
    EXPECT_EQ(pos, standard());
}

// A record may mark a king's move as promoting; the king keeps its type on the way back.
TEST(PositionTest, KingMarkedAsPromotingIsStillAKingAfterUndo) {
    Position pos = diagram({{59, B(kKing)}, {51, W(kKing)}});
    const Position before = pos;
    ASSERT_TRUE(applyMove(pos, 59, 58 | kPromoteFlag, true));
    EXPECT_EQ(pos.cells[58], B(kKing));
    EXPECT_TRUE(undoMove(pos, 59, 58 | kPromoteFlag, B(kKing), 0));
    EXPECT_EQ(pos, before);
    EXPECT_TRUE(isConsistent(pos));
}

// Each invariant broken on its own is caught.
TEST(PositionTest, ConsistencyCheckCatchesEachBrokenInvariant) {
    Position base = standard();
    ASSERT_TRUE(applyMove(base, 77, 76, false));
    ASSERT_TRUE(applyMove(base, 33, 34, false));
    ASSERT_TRUE(applyMove(base, 88, 22, false));  // Black holds a bishop in slot 111
    ASSERT_TRUE(isConsistent(base));
    struct Case {
        const char* what;
        void (*breakIt)(Position&);
    };
    const Case cases[] = {
        {"wall gone", [](Position& p) { p.cells[50] = 0; }},
        {"id on a wall", [](Position& p) { p.pieceAt[10] = 5; }},
        {"piece without id", [](Position& p) { p.cells[55] = B(kGold); }},
        {"id without piece", [](Position& p) { p.cells[59] = 0; }},
        {"id points elsewhere", [](Position& p) { p.whereIs[kBlackKingId] = 51; }},
        {"id of a piece not in play", [](Position& p) { p.whereIs[35] = 0; }},
        {"type against id", [](Position& p) { p.cells[76] = B(kLance); }},
        {"king on a non-king id", [](Position& p) { p.cells[76] = B(kKing); }},
        {"non-king on a king id", [](Position& p) { p.cells[59] = B(kGold); }},
        {"empty type", [](Position& p) { p.cells[76] = kSideBlack; }},
        {"stray bit", [](Position& p) { p.cells[76] = B(kPawn) | 0x40; }},
        {"promoted in hand", [](Position& p) { p.cells[111] = B(kHorse); }},
        {"piece beyond handEnd", [](Position& p) { p.handEnd = kFirstHandSlot; }},
        {"handEnd past the slots", [](Position& p) { p.handEnd = kHandSlotEnd + 1; }},
        {"side to move", [](Position& p) { p.sideToMove = 0x40; }},
        {"two kings of a side", [](Position& p) { p.cells[51] = B(kKing); }},
    };
    for (const Case& c : cases) {
        Position pos = base;
        c.breakIt(pos);
        EXPECT_FALSE(isConsistent(pos)) << c.what;
    }
    // A captured king in the capturer's hand is in order.
    Position kings = diagram({{59, B(kKing)}, {58, W(kKing)}});
    ASSERT_TRUE(applyMove(kings, 59, 58, false));
    EXPECT_TRUE(isConsistent(kings));
}

TEST(PositionTest, CompareReportsFirstSquareThenHandType) {
    Position a = standard();
    Position b = standard();
    EXPECT_EQ(comparePositions(a, b), 0);
    b.sideToMove = kSideWhite;
    EXPECT_EQ(comparePositions(a, b), 0);
    ASSERT_TRUE(applyMove(b, 27, 26, false));
    EXPECT_EQ(comparePositions(a, b), 26);

    // Same hands in different slots compare equal; a differing count gives the type.
    Position c = diagram({{59, B(kKing)}, {111, B(kGold)}, {112, W(kPawn)}, {113, B(kPawn)}});
    Position d = diagram({{59, B(kKing)}, {111, B(kPawn)}, {113, W(kPawn)}, {114, B(kGold)}});
    EXPECT_EQ(comparePositions(c, d), 0);
    Position e = diagram({{59, B(kKing)}, {111, B(kGold)}, {112, B(kPawn)}, {113, B(kPawn)}});
    EXPECT_EQ(comparePositions(c, e), kPawn);
}

TEST(PositionTest, SnapshotLayoutAndRestore) {
    Position pos = standard();
    ASSERT_TRUE(applyMove(pos, 77, 76, false));
    ASSERT_TRUE(applyMove(pos, 33, 34, false));
    ASSERT_TRUE(applyMove(pos, 88, 22, false));
    pos.sideToMove = kSideWhite;
    StartSnapshot snap = saveStart(pos);
    EXPECT_EQ(snap.bytes[76], B(kPawn));
    EXPECT_EQ(snap.bytes[149], 112);                      // handEnd
    EXPECT_EQ(snap.bytes[150 + kBlackKingId], 59);        // whereIs
    EXPECT_EQ(snap.bytes[150 + 41 + 22], 35);             // pieceAt: Black's bishop on 22
    EXPECT_EQ(snap.bytes[kStartSnapshotSize - 1], 0x00);  // side to move

    Position other = standard();
    restoreStart(snap, other, false);
    EXPECT_EQ(other.sideToMove, kSideBlack);
    other.sideToMove = kSideWhite;
    EXPECT_EQ(other, pos);
    Position shown;
    restoreStart(snap, shown);
    EXPECT_EQ(shown, pos);

    Position empty;
    restoreStart(StartSnapshot(), empty);
    EXPECT_EQ(empty, Position());
}

TEST(PositionTest, PieceListFromDiagramDropsSurplusAndShrinksHand) {
    std::vector<std::pair<int, PieceByte>> cells{{59, B(kKing)}, {51, W(kKing)}, {58, B(kKing)}};
    // 19 pawns: ten on the board, nine in hand; the last one in hand is surplus.
    for (int f = 1; f <= 9; ++f) cells.emplace_back(f * 10 + 7, B(kPawn));
    cells.emplace_back(12, W(kPromotedPawn));
    for (int s = 0; s < 9; ++s) cells.emplace_back(111 + s, W(kPawn));
    cells.emplace_back(125, W(kRook));
    cells.emplace_back(126, B(kPawn));  // surplus
    Position pos;
    for (auto [cell, piece] : cells) pos.cells[cell] = piece;
    pos.handEnd = 127;
    buildPieceList(pos);
    EXPECT_TRUE(isConsistent(pos));

    EXPECT_EQ(pos.whereIs[1], 12);  // the promoted pawn counts as a pawn, first in square order
    EXPECT_EQ(pos.whereIs[2], 17);
    EXPECT_EQ(pos.whereIs[18], 118);
    EXPECT_EQ(pos.cells[119], 0);              // the 19th pawn is gone
    EXPECT_EQ(pos.cells[126], 0);              // and so is the 20th
    EXPECT_EQ(pos.handEnd, 126);               // the free slots at the end are dropped
    EXPECT_EQ(pos.whereIs[37], 125);           // rook
    EXPECT_EQ(pos.whereIs[38], 0);             // unused rook id
    EXPECT_EQ(pos.whereIs[kBlackKingId], 58);  // first Black king in square order
    EXPECT_EQ(pos.cells[59], 0);               // the second one does not survive
    EXPECT_EQ(pos.whereIs[kWhiteKingId], 51);
}

TEST(PositionTest, InferHandicapFromPiecesNotInPlay) {
    // Type 2 keeps its name only while White's lance on 11 stands; likewise 10 and the knight
    // on 81.
    EXPECT_EQ(inferHandicap(standard(2), 0), 1);
    EXPECT_EQ(inferHandicap(standard(2), 2), 2);
    EXPECT_EQ(inferHandicap(standard(1), 2), 1);
    EXPECT_EQ(inferHandicap(standard(9), 10), 9);
    EXPECT_EQ(inferHandicap(standard(10), 10), 10);
    EXPECT_EQ(inferHandicap(standard(10), 0), 9);

    Position noKing = standard();
    noKing.cells[59] = 0;
    buildPieceList(noKing);
    EXPECT_EQ(inferHandicap(noKing, 0), 0);

    struct Case {
        std::vector<int> emptied;
        HandicapType want;
    };
    const std::vector<Case> cases{
        {{41}, 14},      // a single gold
        {{13}, 14},      // a single pawn
        {{22, 13}, 14},  // bishop and pawn
        {{59, 11}, 14},  // king and lance
        {{22, 82, 71}, 14},
    };
    for (const Case& c : cases) {
        Position pos = standard();
        for (int sq : c.emptied) pos.cells[sq] = 0;
        buildPieceList(pos);
        EXPECT_EQ(inferHandicap(pos, 0), c.want) << c.emptied.front();
    }
}

TEST(PositionTest, RestOfPiecesGoToWhiteHand) {
    // A mating problem: White's king, two Black pieces on the board, nothing else given.
    Position pos = diagram({{51, W(kKing)}, {53, B(kPawn)}, {111, B(kGold)}});
    ASSERT_TRUE(fillWhiteHandWithRest(pos));
    EXPECT_TRUE(isConsistent(pos));
    HandCounts hand = countHand(pos);
    EXPECT_EQ(hand.count(kSideWhite, kPawn), 17);
    EXPECT_EQ(hand.count(kSideWhite, kGold), 3);
    EXPECT_EQ(hand.count(kSideWhite, kRook), 2);
    EXPECT_EQ(hand.count(kSideBlack, kGold), 1);
    EXPECT_EQ(pos.whereIs[kBlackKingId], 0);
    EXPECT_EQ(pos.handEnd, 111 + 1 + 36);
    EXPECT_EQ(inferHandicap(pos, 0), 0);
}

TEST(PositionTest, FindHandSlotMatchesSideAndType) {
    Position pos = diagram({{111, W(kPawn)}, {112, B(kSilver)}, {113, B(kPawn)}});
    EXPECT_EQ(findHandSlot(pos, kSideBlack, kPawn), 113);
    EXPECT_EQ(findHandSlot(pos, kSideWhite, kPawn), 111);
    EXPECT_EQ(findHandSlot(pos, kSideWhite, kSilver), 0);
}

TEST(PositionTest, SlotsAreIndependent) {
    PositionSlots slots;
    ASSERT_TRUE(setupHandicap(slots[0], kHandicapEven));
    slots[1] = slots[0];
    ASSERT_TRUE(applyMove(slots[1], 77, 76, false));
    EXPECT_EQ(comparePositions(slots[0], slots[1]), 76);
    EXPECT_EQ(slots[2], Position());
}

}  // namespace
}  // namespace core
