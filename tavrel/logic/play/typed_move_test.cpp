#include "tavrel/logic/play/typed_move.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

using core::packMove;

// Black holds a pawn and a bishop; White's pawn on 3四 has advanced.
core::Position sample() {
    core::Position pos;
    (void)core::setupHandicap(pos, core::kHandicapEven);
    EXPECT_TRUE(core::applyMove(pos, 77, 76, false));
    EXPECT_TRUE(core::applyMove(pos, 33, 34, false));
    EXPECT_TRUE(core::applyMove(pos, 88, 22, true));   // takes the bishop
    EXPECT_TRUE(core::applyMove(pos, 31, 22, false));  // takes the horse back
    EXPECT_TRUE(core::applyMove(pos, 27, 26, false));
    EXPECT_TRUE(core::applyMove(pos, 34, 35, false));
    EXPECT_TRUE(core::applyMove(pos, 26, 25, false));
    EXPECT_TRUE(core::applyMove(pos, 35, 36, false));
    EXPECT_TRUE(core::applyMove(pos, 37, 36, false));  // takes the pawn
    EXPECT_TRUE(core::applyMove(pos, 22, 33, false));
    pos.sideToMove = core::kSideBlack;
    return pos;
}

TEST(TypedMove, TextsToMovesOrErrors) {
    core::Position pos = sample();
    ASSERT_NE(core::findHandSlot(pos, core::kSideBlack, core::kPawn), 0);
    int bishopSlot = core::findHandSlot(pos, core::kSideBlack, core::kBishop);
    ASSERT_NE(bishopSlot, 0);
    struct Case {
        const char* text;
        TypedKind kind;
        core::PackedMove move;
        const char* error;
    } cases[] = {
        {"make", TypedKind::Resign, 0, ""},
        {"QUIT", TypedKind::Suspend, 0, ""},
        {"return", TypedKind::EndInput, 0, ""},
        {"ret", TypedKind::EndInput, 0, ""},
        {"back1", TypedKind::TakeBack, 0, ""},
        {"2425", TypedKind::Move, packMove(25, 24), ""},
        {"2425 ", TypedKind::Move, packMove(25, 24), ""},
        {"3536", TypedKind::Move, packMove(36, 35), ""},
        {"55ka", TypedKind::Move, packMove(bishopSlot, 55), ""},
        {"55KA", TypedKind::Move, packMove(bishopSlot, 55), ""},
        {"55Ka", TypedKind::Move, packMove(bishopSlot, 55), ""},
        {"55fu", TypedKind::Error, 0, "ルール　エラー"},  // every file has a Black pawn
        {"55hi", TypedKind::Error, 0, "エラー　駒がありません。"},
        {"55ou", TypedKind::Error, 0, "エラー　駒の名前が違います。"},
        {"55ry", TypedKind::Error, 0, "エラー　駒の名前が違います。"},
        {"55xx", TypedKind::Error, 0, "エラー　駒の名前が違います。"},
        {"76fu", TypedKind::Error, 0, "エラー  打てません。"},  // a pawn stands there
        {"0afu", TypedKind::Error, 0, "エラー  打てません。"},
        {"75fu", TypedKind::Error, 0, "ルール　エラー"},        // a second pawn on file 7
        {"5455", TypedKind::Error, 0, "エラー　動けません。"},  // nothing on 5五
        {"3334", TypedKind::Error, 0, "エラー　動けません。"},  // not the mover's piece
        {"7", TypedKind::Error, 0, "エラー　動けません。"},
        {"", TypedKind::Error, 0, "エラー　動けません。"},
        {"5859", TypedKind::Move, packMove(59, 58), ""},
        {"5759", TypedKind::Error, 0, "ルール　エラー"},
        {"2425n", TypedKind::Error, 0, "ルール　エラー"},  // 2四 is outside the zone
        {"3233", TypedKind::Error, 0, "エラー　動けません。"},
    };
    for (const Case& c : cases) {
        TypedMove m = parseTypedMove(c.text, pos);
        EXPECT_EQ(m.kind, c.kind) << c.text;
        EXPECT_EQ(m.move, c.move) << c.text;
        EXPECT_EQ(m.error, std::string(c.error)) << c.text;
    }
}

TEST(TypedMove, PromotionFormsAndForcedPromotion) {
    core::Position pos;
    core::clearPosition(pos);
    core::Position even;
    (void)core::setupHandicap(even, core::kHandicapEven);
    pos = even;
    ASSERT_TRUE(core::applyMove(pos, 27, 24, false));
    ASSERT_TRUE(core::applyMove(pos, 23, 55, false));  // out of the way
    ASSERT_TRUE(core::applyMove(pos, 21, 65, false));
    EXPECT_EQ(parseTypedMove("2324", pos).move, packMove(24, 23));
    EXPECT_EQ(parseTypedMove("2324n", pos).move, packMove(24, 23 | core::kPromoteFlag));
    EXPECT_EQ(parseTypedMove("2324+", pos).move, packMove(24, 23 | core::kPromoteFlag));
    ASSERT_TRUE(core::applyMove(pos, 24, 22, false));
    // A pawn onto the last rank promotes by itself.
    EXPECT_EQ(parseTypedMove("2122", pos).move, packMove(22, 21 | core::kPromoteFlag));
}

class TypedMoveFlow : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        store.restoreStartPosition(store.position());
        doc.setMode(ViewerMode::Playing);
        clock.restart();
    }
    MoveClock clock{[] { return std::int64_t{0}; }};
};

TEST_F(TypedMoveFlow, ErrorsReopenMovesAndWordsPlay) {
    EXPECT_TRUE(enterTypedMove(doc, clock, "7577"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, std::string("ルール　エラー"));
    EXPECT_EQ(ui.messages[0].second, "Tavrel");
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_FALSE(enterTypedMove(doc, clock, "7677"));
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    // With ルール確認 0 the dialog still checks the rules.
    settings.checkRules = 0;
    EXPECT_TRUE(enterTypedMove(doc, clock, "5551"));
    EXPECT_FALSE(enterTypedMove(doc, clock, "back"));
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_FALSE(enterTypedMove(doc, clock, "make"));
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(store.node(store.current()).to, core::terminalByte(core::TerminalCode::Resign));
}

}  // namespace
}  // namespace tavrel
