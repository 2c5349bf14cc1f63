#include "tavrel/logic/play/position_editor.h"

#include <gtest/gtest.h>

#include <random>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"
#include "tavrel/logic/view/board_hit.h"

namespace tavrel {
namespace {

using core::kSideBlack;
using core::kSideWhite;
using core::makePiece;

core::Position even() {
    core::Position pos;
    (void)core::setupHandicap(pos, core::kHandicapEven);
    return pos;
}

EditSpot square(int sq) { return EditSpot{EditPlace::Square, sq, kSideBlack, 0}; }
EditSpot hand(core::SideByte side, int type = 0) {
    return EditSpot{EditPlace::Hand, 0, side, type};
}
EditSpot box(int type = 0) { return EditSpot{EditPlace::Box, 0, kSideBlack, type}; }

// A king on the board is found by the rules as its side's king.
bool kingsFollowSides(const core::Position& pos) {
    for (core::SideByte side : {kSideBlack, kSideWhite}) {
        for (int sq = 11; sq <= 99; ++sq) {
            if (core::isSquare(sq) &&
                pos.cells[static_cast<std::size_t>(sq)] == makePiece(side, core::kKing) &&
                core::kingSquare(pos, side) != sq) {
                return false;
            }
        }
    }
    return true;
}

// The invariants every editing step keeps.
void expectSound(const core::Position& pos) {
    EXPECT_TRUE(core::isConsistent(pos));
    EXPECT_EQ(countAllPieces(pos), 40);
    EXPECT_TRUE(kingsFollowSides(pos));
}

TEST(PositionEditor, DragsCaptureIntoTheMoversHandAndRefuseWhatCannotBe) {
    core::Position pos = even();
    EXPECT_EQ(moveEditedPiece(pos, square(88), square(22)), EditMoveResult::Moved);
    EXPECT_EQ(pos.cells[22], makePiece(kSideBlack, core::kBishop));
    EXPECT_EQ(core::countHand(pos).black[core::kBishop], 1);
    // A promoted piece put into a hand is unpromoted and belongs to that hand.
    ASSERT_TRUE(cycleEditedPiece(pos, 22));
    EXPECT_EQ(pos.cells[22], makePiece(kSideBlack, core::kHorse));
    EXPECT_EQ(moveEditedPiece(pos, square(22), hand(kSideWhite)), EditMoveResult::Moved);
    EXPECT_EQ(core::countHand(pos).white[core::kBishop], 1);
    EXPECT_EQ(moveEditedPiece(pos, hand(kSideWhite, core::kBishop), hand(kSideWhite)),
              EditMoveResult::Unchanged);
    EXPECT_EQ(moveEditedPiece(pos, square(55), square(54)), EditMoveResult::Refused);  // empty
    EXPECT_EQ(moveEditedPiece(pos, hand(kSideBlack, core::kRook), square(55)),
              EditMoveResult::Refused);
    EXPECT_EQ(moveEditedPiece(pos, square(77), square(77)), EditMoveResult::Unchanged);
    // A second king of a side on the board is refused; kings may wait in a hand.
    core::Position before = pos;
    EXPECT_EQ(moveEditedPiece(pos, square(51), square(58)), EditMoveResult::Moved);
    EXPECT_EQ(core::countHand(pos).black[core::kKing], 0);
    EXPECT_EQ(pos.cells[58], makePiece(kSideWhite, core::kKing));
    EXPECT_EQ(moveEditedPiece(pos, square(59), hand(kSideWhite)), EditMoveResult::Moved);
    EXPECT_EQ(core::countHand(pos).white[core::kKing], 1);
    EXPECT_EQ(moveEditedPiece(pos, hand(kSideWhite, core::kKing), square(55)),
              EditMoveResult::Refused);  // White already has its king on 5八
    expectSound(pos);
    (void)before;
    // From the box: a king comes as the side that has none on the board.
    EXPECT_EQ(moveEditedPiece(pos, square(58), box()), EditMoveResult::Moved);
    EXPECT_EQ(moveEditedPiece(pos, box(core::kKing), square(59)), EditMoveResult::Moved);
    EXPECT_EQ(pos.cells[59], makePiece(kSideBlack, core::kKing));
    EXPECT_EQ(core::kingSquare(pos, kSideBlack), 59);
    expectSound(pos);
}

TEST(PositionEditor, RightClicksCycleTheFourForms) {
    core::Position pos = even();
    const core::PieceByte pawn[] = {
        makePiece(kSideBlack, core::kPromotedPawn), makePiece(kSideWhite, core::kPawn),
        makePiece(kSideWhite, core::kPromotedPawn), makePiece(kSideBlack, core::kPawn)};
    for (core::PieceByte want : pawn) {
        ASSERT_TRUE(cycleEditedPiece(pos, 77));
        EXPECT_EQ(pos.cells[77], want);
    }
    ASSERT_TRUE(cycleEditedPiece(pos, 69));  // gold: only the side changes
    EXPECT_EQ(pos.cells[69], makePiece(kSideWhite, core::kGold));
    EXPECT_FALSE(cycleEditedPiece(pos, 59));  // White has a king on the board
    EXPECT_FALSE(cycleEditedPiece(pos, 55));
    EXPECT_EQ(moveEditedPiece(pos, square(51), box()), EditMoveResult::Moved);
    ASSERT_TRUE(cycleEditedPiece(pos, 59));
    EXPECT_EQ(pos.cells[59], makePiece(kSideWhite, core::kKing));
    EXPECT_EQ(core::kingSquare(pos, kSideWhite), 59);
    EXPECT_EQ(core::kingSquare(pos, kSideBlack), 0);
    expectSound(pos);
}

TEST(PositionEditor, Commands) {
    core::Position pos = even();
    applyEditCommand(pos, EditCommand::AllToBox);
    EXPECT_EQ(boxCount(pos, core::kPawn), 18);
    EXPECT_EQ(boxCount(pos, core::kKing), 2);
    expectSound(pos);

    applyEditCommand(pos, EditCommand::BoxToWhite);
    EXPECT_EQ(core::countHand(pos).white[core::kRook], 2);
    EXPECT_EQ(core::countHand(pos).white[core::kPawn], 18);
    EXPECT_EQ(boxCount(pos, core::kKing), 2);  // kings stay in the box
    expectSound(pos);

    pos = even();
    pos.sideToMove = kSideWhite;
    applyEditCommand(pos, EditCommand::MateSetup);
    EXPECT_EQ(pos.cells[51], makePiece(kSideWhite, core::kKing));
    EXPECT_EQ(core::kingSquare(pos, kSideBlack), 0);
    EXPECT_EQ(core::countHand(pos).white[core::kGold], 4);
    EXPECT_EQ(core::countHand(pos).black[core::kGold], 0);
    EXPECT_EQ(pos.sideToMove, kSideBlack);
    for (int sq = 11; sq <= 99; ++sq) {
        if (core::isSquare(sq) && sq != 51) {
            EXPECT_EQ(pos.cells[static_cast<std::size_t>(sq)], 0);
        }
    }
    expectSound(pos);

    pos = even();
    EXPECT_EQ(moveEditedPiece(pos, square(88), square(22)), EditMoveResult::Moved);
    applyEditCommand(pos, EditCommand::Flip);
    EXPECT_EQ(pos.cells[88], makePiece(kSideWhite, core::kBishop));  // from 2二, turned
    EXPECT_EQ(pos.cells[22], 0);
    EXPECT_EQ(pos.cells[51], makePiece(kSideWhite, core::kKing));
    EXPECT_EQ(core::countHand(pos).white[core::kBishop], 1);
    EXPECT_EQ(pos.sideToMove, kSideWhite);
    expectSound(pos);
    applyEditCommand(pos, EditCommand::ChangeSide);
    EXPECT_EQ(pos.sideToMove, kSideBlack);
    applyEditCommand(pos, EditCommand::EvenSetup);
    EXPECT_EQ(pos, even());
}

// Random drags between any places, right clicks and commands keep the 40 pieces, and 平手初期配置
// always brings back the standard position.
TEST(PositionEditor, RandomEditingKeepsFortyPieces) {
    std::mt19937 rng(20261209);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto randomSpot = [&](bool taking) {
        switch (pick(3)) {
            case 0:
                return square(10 * (1 + pick(9)) + 1 + pick(9));
            case 1:
                return hand(pick(2) ? kSideBlack : kSideWhite, taking ? 1 + pick(8) : 0);
            default:
                return box(taking ? 1 + pick(8) : 0);
        }
    };
    for (int run = 0; run < 40; ++run) {
        core::Position pos = even();
        for (int step = 0; step < 300; ++step) {
            int what = pick(20);
            if (what == 0) {
                applyEditCommand(pos, static_cast<EditCommand>(pick(6)));
            } else if (what < 5) {
                (void)cycleEditedPiece(pos, 10 * (1 + pick(9)) + 1 + pick(9));
            } else {
                core::Position before = pos;
                if (moveEditedPiece(pos, randomSpot(true), randomSpot(false)) ==
                    EditMoveResult::Refused) {
                    ASSERT_EQ(pos, before);
                }
            }
            ASSERT_TRUE(core::isConsistent(pos)) << run << " " << step;
            ASSERT_EQ(countAllPieces(pos), 40) << run << " " << step;
            ASSERT_TRUE(kingsFollowSides(pos)) << run << " " << step;
        }
        applyEditCommand(pos, EditCommand::EvenSetup);
        ASSERT_EQ(pos, even());
    }
}

class EditingTest : public testsupport::DocumentFixture {};

TEST_F(EditingTest, StartAndEndKeepThePositionAsANewRecord) {
    settings.positionAfterLoad = PositionAfterLoad::End;
    ASSERT_EQ(doc.loadRecordFile(write("e.kif", std::string(testsupport::kSampleRecord))),
              CommandResult::Done);
    store.markDirty();
    ui.answer = Answer::Cancel;
    EXPECT_FALSE(startEditing(doc));  // the save question cancelled
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    ui.answer = Answer::No;
    core::Position shown = store.position();
    ASSERT_TRUE(startEditing(doc));
    EXPECT_EQ(doc.mode(), ViewerMode::Editing);
    EXPECT_EQ(store.moveCount(), 0);
    EXPECT_EQ(store.position(), shown);
    EXPECT_EQ(doc.recordName(), std::string("新規棋譜"));
    EXPECT_EQ(doc.title(), std::string("Tavrel（局面編集中）"));

    editCommand(doc, EditCommand::EvenSetup);
    EXPECT_EQ(store.handicap(), core::kHandicapEven);
    EXPECT_EQ(editMove(doc, square(22), box()), EditMoveResult::Moved);
    EXPECT_EQ(store.handicap(), 3);  // 角落ち
    store.setPlayerName(core::PlayerField::Black, std::string("甲"));
    store.setPlayerName(core::PlayerField::White, std::string("乙"));
    editCommand(doc, EditCommand::Flip);
    EXPECT_EQ(store.playerName(core::PlayerField::Black), std::string("乙"));
    EXPECT_EQ(store.playerName(core::PlayerField::White), std::string("甲"));
    EXPECT_EQ(editMove(doc, square(55), square(56)), EditMoveResult::Refused);
    EXPECT_EQ(ui.beeps, 1);
    endEditing(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(store.firstMover(), kSideWhite);
    core::Position start;
    store.restoreStartPosition(start);
    EXPECT_EQ(start, store.position());
    // Outside editing the commands are refused.
    editCommand(doc, EditCommand::AllToBox);
    EXPECT_EQ(ui.beeps, 2);
    EXPECT_EQ(boxCount(store.position(), core::kPawn), 0);
    doc.setMode(ViewerMode::Playing);
    EXPECT_FALSE(startEditing(doc));
}

}  // namespace
}  // namespace tavrel
