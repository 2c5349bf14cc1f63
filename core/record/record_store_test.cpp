#include "core/record/record_store.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <random>
#include <string>
#include <vector>

#include "core/text/sjis.h"
#include "tests/support/positions.h"

namespace core {
namespace {

// Builds and walks a record the way a reader or the board does: each verb stores a move and
// advances the shown position.
class RecordTest : public ::testing::Test {
protected:
    RecordStore store{kDefaultRecordCapacity};

    // Whatever a test did, the store holds together after it.
    void TearDown() override { EXPECT_TRUE(store.isConsistent()); }

    AddResult play(int from, int to, std::uint16_t seconds = 0) {
        return store.addAndAdvance(kAddStoreAll, packMove(from, to), seconds);
    }
    AddResult playPromoting(int from, int to) { return play(from, to + kPromoteFlag); }
    AddResult drop(int type, int to) {
        int slot = findHandSlot(store.position(), store.position().sideToMove, type);
        EXPECT_NE(slot, 0) << "no piece of type " << type << " in hand";
        return play(slot, to);
    }
    AddResult end(TerminalCode t) { return store.addAndAdvance(kAddStoreAll, terminalMove(t), 0); }
    void overwriteMode() { store.setAddMode(AddMode::Overwrite); }
    void back(int plies) { store.backTo(store.currentPly() - plies); }

    // The rooks go out and back: after every four plies the start position returns.
    void shuffleRooks(int rounds) {
        for (int i = 0; i < rounds; ++i) {
            ASSERT_EQ(play(28, 38), AddResult::Ok);
            ASSERT_EQ(play(82, 72), AddResult::Ok);
            ASSERT_EQ(play(38, 28), AddResult::Ok);
            ASSERT_EQ(play(72, 82), AddResult::Ok);
        }
    }
    // 1. ７六歩 2. ３四歩 3. ２六歩 4. ８四歩 ...
    void playOpening(int plies) {
        const int moves[][2] = {{77, 76}, {33, 34}, {27, 26}, {83, 84}, {26, 25}, {84, 85}};
        for (int i = 0; i < plies; ++i) ASSERT_EQ(play(moves[i][0], moves[i][1]), AddResult::Ok);
    }
    std::vector<NodeIndex> childrenOf(NodeIndex n) const {
        std::vector<NodeIndex> kids;
        for (NodeIndex c = store.node(n).next; c != kNoNode; c = store.node(c).sibling) {
            kids.push_back(c);
        }
        return kids;
    }
    // Nodes in use besides the root.
    int nodesInUse() const {
        int count = 0;
        for (NodeIndex i = 1; i < store.capacity(); ++i) count += store.isInUse(i) ? 1 : 0;
        return count;
    }
    Position replayed(NodeIndex n) const {
        Position pos;
        EXPECT_EQ(store.positionAt(n, pos), EditResult::Ok);
        return pos;
    }
    static Position evenStart() {
        Position pos;
        setupHandicap(pos, kHandicapEven);
        return pos;
    }
};

TEST_F(RecordTest, SameMoveTwiceInBranchModeReusesTheNodeAndKeepsItsComment) {
    playOpening(2);
    NodeIndex second = store.current();
    ASSERT_EQ(store.appendComment(2, "good"), CommentResult::Ok);
    back(1);
    ASSERT_EQ(store.addMove(kAddStoreAll, packMove(33, 34), 7), AddResult::Ok);
    EXPECT_EQ(store.current(), second);
    EXPECT_EQ(nodesInUse(), 2);
    EXPECT_EQ(store.node(second).commentText(), "good\n");
    EXPECT_EQ(store.node(second).seconds, 7);
    // addMove leaves the ply and the board to its caller, as a reader's goTo takes them along.
    ASSERT_EQ(store.goTo(second), EditResult::Ok);
}

TEST_F(RecordTest, DifferentMoveInBranchModeBecomesAnAlternative) {
    playOpening(3);
    back(2);
    ASSERT_EQ(play(83, 84), AddResult::Ok);  // an alternative to ３四歩
    NodeIndex alt = store.current();
    ASSERT_EQ(play(27, 26), AddResult::Ok);
    NodeIndex afterAlt = store.current();

    NodeIndex first = store.node(kRootNode).next;
    std::vector<NodeIndex> kids = childrenOf(first);
    ASSERT_EQ(kids.size(), 2u);
    EXPECT_EQ(kids[1], alt);
    EXPECT_EQ(store.parentOf(alt), first);
    EXPECT_EQ(store.parentOf(kids[0]), first);
    EXPECT_EQ(store.parentOf(afterAlt), alt);
    EXPECT_EQ(store.parentOf(kRootNode), kNoNode);
    EXPECT_EQ(store.alternativeIndex(kids[0]), 1);
    EXPECT_EQ(store.alternativeIndex(alt), 2);
    EXPECT_TRUE(store.hasVariations());
    EXPECT_TRUE(store.isInVariation(afterAlt));
    EXPECT_FALSE(store.isInVariation(kids[0]));
    EXPECT_TRUE(store.hasAlternativeAt(2));
    EXPECT_FALSE(store.hasAlternativeAt(1));
    EXPECT_EQ(store.lineEnd(), 3);
    EXPECT_EQ(store.nodeAtPly(2), alt);
    EXPECT_EQ(store.nodeAtPly(4), kNoNode);
    EXPECT_EQ(store.moveCount(), 5);

    ASSERT_EQ(store.makeFirstAlternative(alt), EditResult::Ok);
    EXPECT_EQ(childrenOf(first), (std::vector<NodeIndex>{alt, kids[0]}));
    EXPECT_FALSE(store.isInVariation(afterAlt));
}

TEST_F(RecordTest, OverwriteModeDiscardsContinuationAlternativesCommentsAndBookmarks) {
    playOpening(4);
    back(3);
    ASSERT_EQ(play(83, 84), AddResult::Ok);  // alternative at ply 2
    NodeIndex alt = store.current();
    ASSERT_EQ(store.appendComment(2, "alt"), CommentResult::Ok);
    ASSERT_EQ(store.setBookmark(alt, "mark"), BookmarkResult::Ok);
    back(1);
    overwriteMode();
    // Even the move that was already there replaces everything after ply 1.
    ASSERT_EQ(play(33, 34), AddResult::Ok);
    EXPECT_EQ(childrenOf(store.nodeAtPly(1)).size(), 1u);
    EXPECT_EQ(store.node(store.current()).next, kNoNode);
    EXPECT_EQ(store.lineEnd(), 2);
    EXPECT_EQ(nodesInUse(), 2);
    EXPECT_EQ(store.bookmarkCount(), 0);
    EXPECT_FALSE(store.anyComment());
}

TEST_F(RecordTest, SuspensionIsNeverRecordedOverAContinuationOrAtTheStart) {
    EXPECT_EQ(end(TerminalCode::Suspend), AddResult::Ok);
    EXPECT_EQ(nodesInUse(), 0);

    playOpening(2);
    back(1);
    for (AddMode mode : {AddMode::Branch, AddMode::Overwrite}) {
        store.setAddMode(mode);
        EXPECT_EQ(end(TerminalCode::Suspend), AddResult::Ok);
        EXPECT_EQ(nodesInUse(), 2);
        EXPECT_EQ(childrenOf(store.current()).size(), 1u);
    }
}

TEST_F(RecordTest, SuspensionAtTheEndOfALineIsTakenOverByTheNextMove) {
    playOpening(1);
    ASSERT_EQ(end(TerminalCode::Suspend), AddResult::Ok);
    NodeIndex suspend = store.node(store.current()).next;
    ASSERT_NE(suspend, kNoNode);
    EXPECT_EQ(store.current(), store.nodeAtPly(1));  // only 投了 becomes current
    EXPECT_EQ(store.node(suspend).piece, kSideWhite);
    EXPECT_EQ(store.lineEndOfMoves(), 1);
    EXPECT_EQ(store.lineEnd(), 2);

    ASSERT_EQ(play(33, 34), AddResult::Ok);
    EXPECT_EQ(store.current(), suspend);
    EXPECT_EQ(store.node(suspend).to, 34);
    EXPECT_EQ(nodesInUse(), 2);
}

TEST_F(RecordTest, TerminalEntriesReplaceEachOtherAndResignationEndsTheLine) {
    playOpening(2);
    ASSERT_EQ(end(TerminalCode::Impasse), AddResult::Ok);
    NodeIndex t = store.node(store.current()).next;
    ASSERT_EQ(end(TerminalCode::Suspend), AddResult::Ok);  // dropped: a result is already there
    EXPECT_EQ(store.node(t).to, terminalByte(TerminalCode::Impasse));
    ASSERT_EQ(end(TerminalCode::Resign), AddResult::Ok);  // replaces it in place
    EXPECT_EQ(store.current(), t);
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(store.node(t).to, terminalByte(TerminalCode::Resign));
    EXPECT_EQ(store.node(t).from, 1);  // never 0 with code 0: the node is not free
    EXPECT_EQ(store.node(t).piece, kSideBlack);
    EXPECT_EQ(store.node(t).notation, 1);
    EXPECT_EQ(nodesInUse(), 3);
    // Nothing can follow the resignation.
    EXPECT_EQ(play(27, 26), AddResult::NoPlace);
    EXPECT_EQ(store.lineEndOfMoves(), 2);
}

TEST_F(RecordTest, MovesThatNameNoPieceAreRefused) {
    EXPECT_EQ(play(55, 54), AddResult::NoPlace);   // empty origin
    EXPECT_EQ(play(77, 70), AddResult::NoPlace);   // destination not a square
    EXPECT_EQ(play(111, 55), AddResult::NoPlace);  // hand slot beyond the hand
    EXPECT_EQ(play(105, 55), AddResult::NoPlace);  // wall between board and hands
    EXPECT_EQ(nodesInUse(), 0);
    EXPECT_EQ(store.dirty(), 0u);
}

TEST_F(RecordTest, TheNodeBeyondCapacityIsRefusedAndTheRecordStaysAsItWas) {
    // 4999 moves fill the 5000 nodes with the root.
    shuffleRooks(1249);
    ASSERT_EQ(play(28, 38), AddResult::Ok);
    ASSERT_EQ(play(82, 72), AddResult::Ok);
    ASSERT_EQ(play(38, 28), AddResult::Ok);
    ASSERT_EQ(store.currentPly(), 4999);
    const NodeIndex current = store.current();
    const std::uint32_t dirty = store.dirty();
    const Position shown = store.position();

    EXPECT_EQ(play(72, 82), AddResult::CapacityReached);
    back(3);
    EXPECT_EQ(play(27, 26), AddResult::CapacityReached);  // no room for an alternative either
    EXPECT_EQ(store.node(store.current()).sibling, kNoNode);
    EXPECT_EQ(childrenOf(store.current()).size(), 1u);
    EXPECT_EQ(store.dirty(), dirty);
    ASSERT_EQ(store.goToPly(4999), EditResult::Ok);
    EXPECT_EQ(store.current(), current);
    EXPECT_EQ(store.position(), shown);
    EXPECT_EQ(store.moveCount(), 4999);
    // Not even a terminal entry fits at the end of the full line.
    ASSERT_EQ(store.goToPly(4999), EditResult::Ok);
    EXPECT_EQ(end(TerminalCode::Resign), AddResult::CapacityReached);
}

TEST_F(RecordTest, CumulativeSecondsAddEverySecondPlyOfTheSameSide) {
    const int moves[][2] = {{77, 76}, {33, 34}, {27, 26}, {83, 84}, {26, 25}, {84, 85}};
    std::uint16_t seconds = 1;
    for (const auto& m : moves) {
        ASSERT_EQ(play(m[0], m[1], seconds), AddResult::Ok);
        seconds = static_cast<std::uint16_t>(seconds * 2);
    }
    // Black's third move is ply 5: plies 1, 3 and 5 count.
    EXPECT_EQ(store.cumulativeSeconds(store.nodeAtPly(5)), 1u + 4u + 16u);
    EXPECT_EQ(store.cumulativeSeconds(store.nodeAtPly(6)), 2u + 8u + 32u);
    EXPECT_EQ(store.sideTotal(kSideBlack), 21u);
    EXPECT_EQ(store.sideTotal(kSideWhite), 42u);
    EXPECT_EQ(store.totalSeconds(), 63u);
    store.clearAllTimes();
    EXPECT_EQ(store.totalSeconds(), 0u);
}

TEST_F(RecordTest, MoveCountAndTotalSecondsSeeEveryNodeInUseAndNoFreedOne) {
    ASSERT_EQ(play(77, 76, 5), AddResult::Ok);
    ASSERT_EQ(play(33, 34, 7), AddResult::Ok);
    ASSERT_EQ(play(27, 26, 11), AddResult::Ok);
    EXPECT_EQ(store.moveCount(), 3);
    EXPECT_EQ(store.totalSeconds(), 23u);
    back(2);
    ASSERT_EQ(store.deleteSubtree(store.node(store.current()).next), EditResult::Ok);
    EXPECT_EQ(store.moveCount(), 1);
    EXPECT_EQ(store.totalSeconds(), 5u);
    // Freed nodes are taken again; the terminal entry holds seconds but is no move.
    ASSERT_EQ(play(83, 84, 13), AddResult::Ok);
    ASSERT_EQ(play(27, 26, 17), AddResult::Ok);
    ASSERT_EQ(play(84, 85, 19), AddResult::Ok);
    ASSERT_EQ(store.addAndAdvance(kAddStoreAll, terminalMove(TerminalCode::Resign), 23),
              AddResult::Ok);
    EXPECT_EQ(store.moveCount(), 4);
    EXPECT_EQ(store.totalSeconds(), 5u + 13u + 17u + 19u + 23u);
    store.reset();
    EXPECT_EQ(store.moveCount(), 0);
    EXPECT_EQ(store.totalSeconds(), 0u);
}

TEST_F(RecordTest, DeletingTheFirstOfThreeAlternativesPromotesTheSecond) {
    playOpening(1);
    NodeIndex parent = store.current();
    ASSERT_EQ(play(33, 34), AddResult::Ok);
    ASSERT_EQ(play(27, 26), AddResult::Ok);  // continuation of the first alternative
    ASSERT_EQ(store.appendComment(3, "gone"), CommentResult::Ok);
    ASSERT_EQ(store.setBookmark(store.current(), "gone"), BookmarkResult::Ok);
    back(2);
    ASSERT_EQ(play(83, 84), AddResult::Ok);
    back(1);
    ASSERT_EQ(play(43, 44), AddResult::Ok);
    back(1);
    std::vector<NodeIndex> kids = childrenOf(parent);
    ASSERT_EQ(kids.size(), 3u);

    ASSERT_EQ(store.deleteAlternative(kids[0]), EditResult::Ok);
    EXPECT_EQ(childrenOf(parent), (std::vector<NodeIndex>{kids[1], kids[2]}));
    EXPECT_EQ(store.alternativeIndex(kids[1]), 1);
    EXPECT_EQ(nodesInUse(), 3);
    EXPECT_FALSE(store.anyComment());
    EXPECT_EQ(store.bookmarkCount(), 0);

    // A freed node is the first one handed out again.
    ASSERT_EQ(play(27, 26), AddResult::Ok);
    EXPECT_EQ(store.current(), kids[0]);

    ASSERT_EQ(store.deleteChildMove(parent, packMove(43, 44)), EditResult::Ok);
    EXPECT_EQ(store.deleteChildMove(parent, packMove(43, 44)), EditResult::NotFound);
    EXPECT_EQ(childrenOf(parent), (std::vector<NodeIndex>{kids[1], kids[0]}));
}

TEST_F(RecordTest, DeletingTheShownLineStepsTheBoardBackToWhatSurvives) {
    playOpening(6);
    ASSERT_EQ(store.truncateAfter(3), EditResult::Ok);
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(store.lineEnd(), 3);
    EXPECT_EQ(store.position(), replayed(store.nodeAtPly(3)));

    ASSERT_EQ(store.deleteSubtree(store.nodeAtPly(2)), EditResult::Ok);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(store.current(), store.nodeAtPly(1));
    EXPECT_EQ(nodesInUse(), 1);

    ASSERT_EQ(store.truncateAfter(0), EditResult::Ok);
    EXPECT_EQ(store.current(), kRootNode);
    EXPECT_EQ(store.position(), evenStart());
    EXPECT_EQ(store.deleteSubtree(kRootNode), EditResult::NoNode);
}

TEST_F(RecordTest, DropsAreStoredByPieceAndReplayedFromTheFirstMatchingHandSlot) {
    // ７六歩 ３四歩 ２二角成 同銀 — each side then holds a bishop.
    ASSERT_EQ(play(77, 76), AddResult::Ok);
    ASSERT_EQ(play(33, 34), AddResult::Ok);
    ASSERT_EQ(playPromoting(88, 22), AddResult::Ok);
    EXPECT_EQ(store.node(store.current()).piece, makePiece(kSideBlack, kBishop));
    EXPECT_EQ(store.node(store.current()).captured, makePiece(kSideWhite, kBishop));
    ASSERT_EQ(play(31, 22), AddResult::Ok);
    ASSERT_EQ(drop(kBishop, 55), AddResult::Ok);
    const MoveNode& d = store.node(store.current());
    EXPECT_EQ(d.from, kDropFlag | kDropBlackFlag | kBishop);
    EXPECT_TRUE(d.isDrop());
    EXPECT_EQ(store.position().cells[55], makePiece(kSideBlack, kBishop));
    EXPECT_EQ(store.position(), replayed(store.current()));

    back(1);
    EXPECT_EQ(store.position().cells[55], 0);
    EXPECT_EQ(countHand(store.position()).count(kSideBlack, kBishop), 1);
    // Dropping never promotes.
    int slot = findHandSlot(store.position(), kSideBlack, kBishop);
    EXPECT_EQ(play(slot, 55 + kPromoteFlag), AddResult::NoPlace);
}

TEST_F(RecordTest, SteppingBackAndForthReproducesEveryReplayedPosition) {
    std::mt19937 rng(20240611);
    std::vector<Position> seen{store.position()};
    std::vector<NodeIndex> line{kRootNode};
    // Random piece moves (not necessarily legal): board moves with captures and promotions,
    // and drops, never capturing a king.
    while (store.currentPly() < 300) {
        const Position& pos = store.position();
        SideByte side = pos.sideToMove;
        std::vector<int> origins;
        for (int c = 11; c < pos.handEnd; ++c) {
            if ((isSquare(c) || isHandSlot(c)) && pos.cells[c] != 0 &&
                belongsTo(pos.cells[c], side)) {
                origins.push_back(c);
            }
        }
        ASSERT_FALSE(origins.empty());
        int from = origins[rng() % origins.size()];
        int to = 11 + static_cast<int>(rng() % 89);
        if (!isSquare(to) || belongsTo(pos.cells[to], side) || pieceType(pos.cells[to]) == kKing) {
            continue;
        }
        if (isHandSlot(from) && pos.cells[to] != 0) continue;
        int type = pieceType(pos.cells[from]);
        bool promote = isSquare(from) && type < kGold && rng() % 3 == 0;
        ASSERT_EQ(play(from, to + (promote ? kPromoteFlag : 0)), AddResult::Ok);
        seen.push_back(store.position());
        line.push_back(store.current());
    }
    for (int ply = 300; ply >= 0; --ply) {
        SCOPED_TRACE(ply);
        EXPECT_EQ(comparePositions(store.position(), seen[ply]), 0);
        EXPECT_EQ(store.position().sideToMove, seen[ply].sideToMove);
        EXPECT_EQ(comparePositions(replayed(line[ply]), seen[ply]), 0);
        store.backOne();
    }
    EXPECT_EQ(store.currentPly(), 0);
    for (int ply = 1; ply <= 300; ++ply) {
        ASSERT_EQ(store.stepForward(), EditResult::Ok);
        EXPECT_EQ(comparePositions(store.position(), seen[ply]), 0) << ply;
    }
    ASSERT_EQ(store.goTo(line[123]), EditResult::Ok);
    EXPECT_EQ(store.currentPly(), 123);
    EXPECT_EQ(comparePositions(store.position(), seen[123]), 0);
    EXPECT_EQ(store.position().sideToMove, seen[123].sideToMove);
}

// A capture the board has no hand slot for is kept in the record but leaves the shown position
// as it was; stepping back over it must not take back a move that was never made.
TEST_F(RecordTest, SteppingBackOverAMoveTheBoardCouldNotMakeKeepsThePosition) {
    Position start = testsupport::diagram(
        {{59, makePiece(kSideBlack, kKing)}, {58, makePiece(kSideWhite, kKing)}});
    ASSERT_TRUE(fillWhiteHandWithRest(start));  // every slot of the hands is taken
    store.position() = start;
    store.saveStartPosition();
    store.setCustomStart(true);
    ASSERT_EQ(play(59, 58), AddResult::Ok);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(comparePositions(store.position(), start), 0);
    EXPECT_EQ(store.repetitionCount(), 1);
    EXPECT_TRUE(isConsistent(store.slot(kRepetitionSlot)));
    EXPECT_TRUE(store.backOne());
    EXPECT_EQ(store.position(), start);
    EXPECT_TRUE(isConsistent(store.position()));
}

TEST_F(RecordTest, RepetitionIsCountedAcrossTheWholeLine) {
    EXPECT_EQ(store.repetitionCount(), 1);
    shuffleRooks(1);
    EXPECT_EQ(store.repetitionCount(), 2);
    ASSERT_EQ(play(28, 38), AddResult::Ok);
    EXPECT_EQ(store.repetitionCount(), 2);  // as after ply 1
    back(1);
    shuffleRooks(2);
    EXPECT_EQ(store.repetitionCount(), 4);
    EXPECT_EQ(store.position(), evenStart());  // the scratch replay leaves slot 0 alone
    // One ply earlier the position (White to move) has occurred three times.
    back(1);
    EXPECT_EQ(store.repetitionCount(), 3);
}

TEST_F(RecordTest, SelectChildFollowsTheChosenAlternative) {
    playOpening(2);
    back(1);
    ASSERT_EQ(play(83, 84), AddResult::Ok);
    back(1);
    EXPECT_EQ(store.selectChild(43, 44), EditResult::NotFound);
    ASSERT_EQ(store.selectChild(83, 84), EditResult::Ok);
    EXPECT_EQ(store.position().cells[84], makePiece(kSideWhite, kPawn));
    EXPECT_EQ(store.position().sideToMove, kSideBlack);
    EXPECT_EQ(store.stepForward(store.nodeAtPly(1)), EditResult::NotFound);  // not a child
}

TEST_F(RecordTest, CommentsGrowUpToTheirLimit) {
    playOpening(3);
    ASSERT_EQ(store.appendComment(0, "before the first move"), CommentResult::Ok);
    ASSERT_EQ(store.appendComment(2, "a\n"), CommentResult::Ok);
    ASSERT_EQ(store.appendComment(2, "b"), CommentResult::Ok);
    EXPECT_EQ(store.comment(2), "a\nb\n");
    EXPECT_EQ(store.appendComment(7, "x"), CommentResult::NoNode);

    std::string big(kMaxCommentBytes - 4, 'x');
    EXPECT_EQ(store.appendComment(2, big), CommentResult::TooLong);
    EXPECT_EQ(store.comment(2), "a\nb\n");
    EXPECT_EQ(store.appendComment(2, std::string(kMaxCommentBytes - 5, 'x')), CommentResult::Ok);
    EXPECT_EQ(store.comment(2).size(), kMaxCommentBytes);
    EXPECT_EQ(store.replaceComment(3, std::string(kMaxCommentBytes, 'y')), CommentResult::TooLong);
    EXPECT_EQ(store.replaceComment(3, "new"), CommentResult::Ok);
    EXPECT_EQ(store.comment(3), "new\n");

    ASSERT_EQ(store.deleteCommentsFrom(2), EditResult::Ok);
    EXPECT_EQ(store.comment(2), "");
    EXPECT_EQ(store.comment(3), "");
    EXPECT_TRUE(store.anyComment());
    ASSERT_EQ(store.appendComment(3, "z"), CommentResult::Ok);
    ASSERT_EQ(store.deleteCommentsBack(2), EditResult::Ok);
    EXPECT_EQ(store.comment(0), "");
    EXPECT_EQ(store.comment(3), "z\n");
    store.deleteAllComments();
    EXPECT_FALSE(store.anyComment());
}

TEST_F(RecordTest, BookmarkNamesAreCutAndKeptUnique) {
    playOpening(3);
    std::string name300(300, 'n');
    ASSERT_EQ(store.setBookmark(store.nodeAtPly(1), name300), BookmarkResult::Ok);
    EXPECT_EQ(store.bookmarkAt(0)->name, std::string(255, 'n'));
    // A two-byte character across the limit is left out whole.
    std::string kanji = std::string(254, 'a') + std::string("歩");
    ASSERT_EQ(store.setBookmark(store.nodeAtPly(2), kanji), BookmarkResult::Ok);
    EXPECT_EQ(store.bookmarkAt(1)->name, std::string(254, 'a'));

    EXPECT_EQ(store.setBookmark(store.nodeAtPly(3), name300), BookmarkResult::DuplicateName);
    ASSERT_EQ(store.setBookmark(store.nodeAtPly(1), "renamed"), BookmarkResult::Ok);
    EXPECT_EQ(store.bookmarkCount(), 2);
    EXPECT_EQ(store.bookmarkByName("renamed"), store.nodeAtPly(1));
    EXPECT_EQ(store.setBookmark(99, "x"), BookmarkResult::NoNode);

    store.setDuplicateBookmarkNames(true);
    ASSERT_EQ(store.setBookmark(store.nodeAtPly(3), "renamed"), BookmarkResult::Ok);
    EXPECT_EQ(store.bookmarkByName("renamed"), store.nodeAtPly(1));  // the first registered
    EXPECT_EQ(store.bookmarkOf(store.nodeAtPly(3)), 2);
    ASSERT_TRUE(store.moveBookmark(2, 0));
    EXPECT_EQ(store.bookmarkByName("renamed"), store.nodeAtPly(3));
}

TEST_F(RecordTest, TheBookmarkTableHoldsAtMost1024) {
    shuffleRooks(257);
    for (int ply = 1; ply <= kMaxBookmarks; ++ply) {
        ASSERT_EQ(store.setBookmark(store.nodeAtPly(ply), std::to_string(ply)), BookmarkResult::Ok);
    }
    EXPECT_EQ(store.setBookmark(store.nodeAtPly(1025), "one more"), BookmarkResult::TableFull);
    EXPECT_EQ(store.setBookmark(store.nodeAtPly(7), "renamed"), BookmarkResult::Ok);

    store.saveBookmarks();
    store.clearBookmarks();
    ASSERT_EQ(store.truncateAfter(1000), EditResult::Ok);
    store.restoreBookmarks();  // entries of freed nodes do not come back
    EXPECT_EQ(store.bookmarkCount(), 1000);
    EXPECT_EQ(store.bookmarkByName("renamed"), store.nodeAtPly(7));
    ASSERT_TRUE(store.deleteBookmarkByName("renamed"));
    ASSERT_TRUE(store.deleteBookmarkOf(store.nodeAtPly(8)));
    ASSERT_TRUE(store.deleteBookmarkAt(0));
    EXPECT_EQ(store.bookmarkAt(0)->name, "2");
    EXPECT_EQ(store.bookmarkAt(997), nullptr);
}

struct TimeCase {
    std::uint16_t black;
    std::uint16_t white;
    const char* text;
};

class TimeUsedTextTest : public RecordTest, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(TimeUsedTextTest, ShowsTheTwoSideTotals) {
    store.setHeader(HeaderField::TimeUsed, "kept");
    ASSERT_EQ(play(77, 76, GetParam().black), AddResult::Ok);
    ASSERT_EQ(play(33, 34, GetParam().white), AddResult::Ok);
    store.fillTimeUsed();
    EXPECT_EQ(store.header(HeaderField::TimeUsed), std::string(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Forms, TimeUsedTextTest,
                         ::testing::Values(TimeCase{0, 0, "kept"},
                                           TimeCase{3660, 120, "▲1時間01分△0時間02分"},
                                           TimeCase{3661, 120, "▲1時間01分01秒△0時間02分00秒"},
                                           TimeCase{59, 61, "▲0分59秒△1分01秒"},
                                           TimeCase{600, 5, "▲10分00秒△0分05秒"}));

TEST_F(RecordTest, HeaderFieldsAndNamesAreSingleLinesCutAtTheirSize) {
    std::string longText = std::string(99, 'x') + std::string("歩") + "tail";
    store.setHeader(HeaderField::Title, longText);
    EXPECT_EQ(store.header(HeaderField::Title), std::string(99, 'x'));
    store.setHeader(HeaderField::User5, "first\r\nsecond");
    EXPECT_EQ(store.header(HeaderField::User5), "first");
    store.setPlayerName(PlayerField::Black, std::string(100, 'b'));
    store.setPlayerName(PlayerField::WhiteShort, std::string(300, 'w'));
    EXPECT_EQ(store.playerName(PlayerField::Black).size(), kPlayerNameBytes);
    EXPECT_EQ(store.playerName(PlayerField::WhiteShort).size(), kShortNameBytes);
    EXPECT_EQ(headerKeyword(HeaderField::TimeUsed), std::string("消費時間"));
    EXPECT_EQ(headerKeyword(HeaderField::Remarks), std::string("備考"));
    EXPECT_EQ(headerKeyword(HeaderField::User1), "");

    store.clearHeader();
    EXPECT_EQ(store.header(HeaderField::Title), "");
    EXPECT_EQ(store.playerName(PlayerField::Black), "");
}

TEST_F(RecordTest, HandicapRecordsStartWithWhiteAndReplayFromTheirSetUp) {
    store.setHandicap(2);  // 右香落ち
    store.setFirstMover(kSideWhite);
    ASSERT_EQ(store.goTo(kRootNode), EditResult::Ok);
    EXPECT_EQ(store.position().cells[91], 0);
    EXPECT_EQ(store.position().sideToMove, kSideWhite);
    ASSERT_EQ(play(33, 34, 10), AddResult::Ok);
    ASSERT_EQ(play(77, 76, 20), AddResult::Ok);
    EXPECT_EQ(store.node(store.nodeAtPly(1)).piece, makePiece(kSideWhite, kPawn));
    EXPECT_EQ(store.sideTotal(kSideWhite), 10u);
    ASSERT_EQ(end(TerminalCode::Resign), AddResult::Ok);
    EXPECT_EQ(store.node(store.current()).piece, kSideWhite);

    // A diagram start replays from the saved snapshot.
    Position custom = evenStart();
    custom.cells[55] = makePiece(kSideBlack, kGold);
    store.saveStartPosition(custom);
    store.setCustomStart(true);
    EXPECT_EQ(replayed(kRootNode).cells[55], makePiece(kSideBlack, kGold));
    EXPECT_EQ(replayed(kRootNode).sideToMove, kSideWhite);
}

TEST_F(RecordTest, ResetFreesEverythingButKeepsTheHeader) {
    store.setHeader(HeaderField::Event, "cup");
    playOpening(3);
    ASSERT_EQ(store.appendComment(2, "c"), CommentResult::Ok);
    ASSERT_EQ(store.setBookmark(store.current(), "b"), BookmarkResult::Ok);
    EXPECT_GT(store.dirty(), 0u);
    store.reset();
    EXPECT_EQ(store.current(), kRootNode);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(nodesInUse(), 0);
    EXPECT_EQ(store.bookmarkCount(), 0);
    EXPECT_FALSE(store.anyComment());
    EXPECT_EQ(store.header(HeaderField::Event), "cup");
    store.markClean();
    EXPECT_EQ(store.dirty(), 0u);
    ASSERT_EQ(store.goTo(kRootNode), EditResult::Ok);
    ASSERT_EQ(play(77, 76), AddResult::Ok);
    EXPECT_EQ(store.current(), 1);
    EXPECT_EQ(store.dirty(), 1u);
}

// Random edits of every kind, the check after each: adding in both modes (alternatives,
// terminal entries, capacity refusals), deleting subtrees and alternatives, promoting an
// alternative, truncating, bookmarks, stepping about and starting over.
TEST(RecordStoreConsistencyTest, EveryEditLeavesTheStoreConsistent) {
    std::mt19937 rng(7);
    RecordStore small(60);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    // Kings and pawns of the side to move: a few different moves for every ply.
    const auto someMove = [&](int ply) {
        static const int kMoves[2][4][2] = {{{59, 58}, {58, 59}, {77, 76}, {27, 26}},
                                            {{51, 52}, {52, 51}, {33, 34}, {83, 84}}};
        const int* m = kMoves[ply % 2][pick(4)];
        return packMove(m[0], m[1]);
    };
    const auto anyNode = [&] {
        std::vector<NodeIndex> used;
        for (NodeIndex i = 1; i < small.capacity(); ++i) {
            if (small.isInUse(i)) used.push_back(i);
        }
        return used.empty() ? kNoNode
                            : used[static_cast<std::size_t>(pick(static_cast<int>(used.size())))];
    };
    for (int round = 0; round < 3000; ++round) {
        const NodeIndex some = anyNode();
        switch (pick(10)) {
            case 0:
            case 1:
            case 2:
                (void)small.addAndAdvance(kAddStoreAll, someMove(small.currentPly()),
                                          static_cast<std::uint16_t>(pick(60)));
                break;
            case 3:
                small.setAddMode(pick(2) == 0 ? AddMode::Overwrite : AddMode::Branch);
                (void)small.addAndAdvance(kAddStoreAll,
                                          terminalMove(static_cast<TerminalCode>(pick(11))), 0);
                break;
            case 4:
                if (some != kNoNode) (void)small.deleteSubtree(some);
                break;
            case 5:
                if (some != kNoNode) (void)small.deleteAlternative(some);
                break;
            case 6:
                if (some != kNoNode) (void)small.makeFirstAlternative(some);
                break;
            case 7:
                (void)small.truncateAfter(pick(small.lineEnd() + 1));
                break;
            case 8:
                if (some != kNoNode) {
                    (void)small.setBookmark(some, std::to_string(pick(5)));
                    (void)small.goTo(some);
                }
                break;
            default:
                if (pick(20) == 0) {
                    small.reset();
                } else {
                    small.backTo(pick(small.currentPly() + 1));
                }
                break;
        }
        ASSERT_TRUE(small.isConsistent()) << round;
    }
}

TEST(RecordStoreCapacityTest, ANonPositiveCapacityMeansTheDefault) {
    RecordStore zero(0);
    EXPECT_EQ(zero.capacity(), kDefaultRecordCapacity);
    RecordStore tiny(3);
    EXPECT_EQ(tiny.addAndAdvance(kAddStoreAll, packMove(77, 76), 0), AddResult::Ok);
    EXPECT_EQ(tiny.addAndAdvance(kAddStoreAll, packMove(33, 34), 0), AddResult::Ok);
    EXPECT_EQ(tiny.addAndAdvance(kAddStoreAll, packMove(27, 26), 0), AddResult::CapacityReached);
    EXPECT_EQ(tiny.currentPly(), 2);
}

// Kings stepping back and forth: a line of any length without captures.
PackedMove shuttle(int ply) {
    static const int kSteps[4][2] = {{59, 58}, {51, 52}, {58, 59}, {52, 51}};
    return packMove(kSteps[ply % 4][0], kSteps[ply % 4][1]);
}

// Nodes are allocated as the record grows: a store asks for memory only for what it holds, node
// indices stay where they were, and the capacity still refuses the node beyond it.
TEST(RecordStoreCapacityTest, StorageGrowsOnDemandUpToTheCapacity) {
    RecordStore huge(2000000000);
    EXPECT_EQ(huge.capacity(), kMaxRecordCapacity);
    EXPECT_FALSE(huge.isInUse(kMaxRecordCapacity - 1));
    EXPECT_TRUE(huge.node(kMaxRecordCapacity - 1).isFree());

    const int capacity = 3001;  // beyond the first allocation, and not a power of two
    RecordStore store(capacity);
    for (int ply = 0; ply < capacity - 1; ++ply) {
        ASSERT_EQ(store.addAndAdvance(kAddStoreAll, shuttle(ply), 0), AddResult::Ok) << ply;
    }
    EXPECT_EQ(store.addAndAdvance(kAddStoreAll, shuttle(capacity - 1), 0),
              AddResult::CapacityReached);
    ASSERT_EQ(store.goToPly(1), EditResult::Ok);
    EXPECT_EQ(store.addAndAdvance(kAddStoreAll, packMove(77, 76), 0),
              AddResult::CapacityReached);  // nor an alternative
    EXPECT_EQ(store.node(1).from, 59);
    EXPECT_EQ(store.node(capacity - 1).parent, capacity - 2);
    Position end;
    ASSERT_EQ(store.positionAt(capacity - 1, end), EditResult::Ok);
    EXPECT_EQ(end.cells[59], kSideBlack | kKing);

    // A freed node is reused before the storage grows again.
    ASSERT_EQ(store.truncateAfter(capacity - 3), EditResult::Ok);
    ASSERT_EQ(store.goToPly(capacity - 3), EditResult::Ok);
    ASSERT_EQ(store.addAndAdvance(kAddStoreAll, shuttle(capacity - 3), 0), AddResult::Ok);
    EXPECT_EQ(store.current(), capacity - 2);
}

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
TEST(RecordStoreCapacityTest, ALargeCapacityCostsNothingUntilUsed) {
    auto inUse = [] {
        struct mallinfo2 m = mallinfo2();
        return m.uordblks + m.hblkhd;
    };
    const std::size_t before = inUse();
    RecordStore store(kMaxRecordCapacity);
    EXPECT_LT(inUse() - before, std::size_t{1} << 20);
}
#endif

}  // namespace
}  // namespace core
