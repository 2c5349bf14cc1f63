#include "tavrel/logic/play/move_input.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

class MoveInputTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        store.restoreStartPosition(store.position());
        doc.setMode(ViewerMode::Playing);
        clock.restart();
        // The tests of the question; the choice on the board has its own.
        input.setPromotionOnBoard(false);
    }
    Point centre(int square) const { return spotCentre(g, BoardSpot{square, 0, 0}, {}); }
    Point standCentre(core::SideByte side, int type) const {
        return spotCentre(g, BoardSpot{0, side, type}, core::countHand(store.position()));
    }
    void drag(Point from, Point to, Modifiers m = {}) {
        input.press(g, from, m);
        input.release(g, to, m);
    }
    void drag(int from, int to, Modifiers m = {}) { drag(centre(from), centre(to), m); }
    void play(std::initializer_list<std::pair<int, int>> moves) {
        for (auto [f, t] : moves) drag(f, t);
    }
    core::PieceByte cell(int sq) const {
        return store.position().cells[static_cast<std::size_t>(sq)];
    }

    BoardGeometry g{CellSize{31, 32}, false};
    MoveClock clock{[] { return std::int64_t{0}; }};
    MoveInput input{doc, clock};
};

TEST_F(MoveInputTest, PickUpFollowsTheSideToMoveAndPutsBack) {
    input.press(g, centre(33), {});  // White's pawn: not Black's turn
    EXPECT_FALSE(input.held());
    input.press(g, centre(77), {});
    ASSERT_TRUE(input.held());
    EXPECT_EQ(doc.mode(), ViewerMode::PlayingPieceHeld);
    EXPECT_TRUE(input.rightClick(g, centre(55)));  // the right button puts it back
    EXPECT_FALSE(input.held());
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    drag(77, 77);  // released on its origin
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(ui.beeps, 0);
    drag(centre(77), standCentre(core::kSideBlack, core::kPawn));  // no square: refused
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(store.currentPly(), 0);
    drag(77, 76);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    EXPECT_TRUE(clock.running());
}

// While an engine is to move the board picks up nothing; afterwards it does again.
TEST_F(MoveInputTest, LockedInputPicksUpNothing) {
    bool locked = true;
    input.setLock([&locked] { return locked; });
    input.press(g, centre(77), {});
    EXPECT_FALSE(input.held());
    EXPECT_EQ(ui.beeps, 1);
    locked = false;
    drag(77, 76);
    EXPECT_EQ(store.currentPly(), 1);
}

TEST_F(MoveInputTest, ACommandEndingTheGameDropsTheHeldPiece) {
    input.press(g, centre(77), {});
    ASSERT_TRUE(input.held());
    enterTerminal(doc, clock, core::TerminalCode::Suspend);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    input.forgetIfNotHeld();
    EXPECT_FALSE(input.held());
    input.release(g, centre(76), {});  // a late release does nothing
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(cell(77), core::makePiece(core::kSideBlack, core::kPawn));
}

TEST_F(MoveInputTest, IllegalMovesNameTheirReasonAndLeaveTheRecord) {
    play({{77, 76}, {33, 34}, {88, 22}});  // 8八角成 asked: answered No
    ASSERT_EQ(store.currentPly(), 3);
    play({{31, 22}, {27, 26}});  // White takes the bishop
    int slot = core::findHandSlot(store.position(), core::kSideWhite, core::kBishop);
    ASSERT_NE(slot, 0);
    struct Case {
        Point from;
        Point to;
        const char* status;
    } cases[] = {
        {centre(43), centre(41), "動きが正しくありません。"},  // a pawn does not go backwards
        {centre(51), centre(59), "動きが正しくありません。"},
    };
    core::Position before = store.position();
    int plies = store.lineEnd();
    for (const Case& c : cases) {
        int beeps = ui.beeps;
        drag(c.from, c.to);
        EXPECT_EQ(ui.status, std::string(c.status));
        EXPECT_EQ(ui.beeps, beeps + 1);
        EXPECT_EQ(store.position(), before);
        EXPECT_EQ(store.lineEnd(), plies);
        EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    }
    EXPECT_EQ(refusalText(13), std::string("二歩です。"));
    EXPECT_EQ(refusalText(2), std::string(" 打歩詰です。"));
    EXPECT_EQ(refusalText(12), std::string("動きが正しくありません。"));
}

TEST_F(MoveInputTest, SecondPawnAndPromotionChoices) {
    // Black gets a pawn in hand: 7六歩 3四歩 2六歩 3五歩 2五歩 3六歩 同歩.
    play({{77, 76}, {33, 34}, {27, 26}, {34, 35}, {26, 25}, {35, 36}, {37, 36}});
    ASSERT_EQ(store.currentPly(), 7);
    EXPECT_EQ(store.position().sideToMove, core::kSideWhite);
    play({{41, 32}});
    drag(standCentre(core::kSideBlack, core::kPawn), centre(75));
    EXPECT_EQ(ui.status, std::string("二歩です。"));
    EXPECT_EQ(store.currentPly(), 8);
    settings.checkRules = 0;
    drag(standCentre(core::kSideBlack, core::kPawn), centre(75));
    EXPECT_EQ(store.currentPly(), 9);
    EXPECT_EQ(cell(75), core::makePiece(core::kSideBlack, core::kPawn));
    settings.checkRules = 1;

    // The pawn on 3六 walks into the zone; White's gold steps aside and back.
    play({{32, 42}, {36, 35}, {42, 32}, {35, 34}, {32, 42}});
    ASSERT_EQ(store.currentPly(), 14) << core::toUtf8Lossy(ui.status);
    EXPECT_TRUE(ui.questions.empty());
    drag(34, 33, Modifiers{false, true});  // Ctrl: not promoted, not asked
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(cell(33), core::makePiece(core::kSideBlack, core::kPawn));
    play({{42, 52}});
    drag(33, 32, Modifiers{true, false});  // Shift: promoted, not asked
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(cell(32), core::makePiece(core::kSideBlack, core::kPromotedPawn));
    // Without a key the question is asked; Yes promotes.
    play({{52, 42}, {25, 24}, {42, 52}});
    ui.answer = Answer::Yes;
    drag(24, 23);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(core::toUtf8Lossy(ui.questions[0]), "▲２三歩：成りますか？");
    EXPECT_EQ(cell(23), core::makePiece(core::kSideBlack, core::kPromotedPawn));
    EXPECT_EQ(store.currentPly(), 21);
}

TEST_F(MoveInputTest, RefusedOverwriteLeavesTheRecordAndKeepsPlaying) {
    play({{77, 76}, {33, 34}});
    store.backTo(0);
    settings.addVariationMode = core::AddMode::Overwrite;
    ui.answer = Answer::No;
    drag(27, 26);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(store.lineEnd(), 2);
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
}

TEST_F(MoveInputTest, EditingDragsBetweenBoardHandsAndBox) {
    doc.setMode(ViewerMode::Viewing);
    ASSERT_TRUE(startEditing(doc));
    EXPECT_EQ(doc.mode(), ViewerMode::Editing);
    // Any piece, also of the side not to move, onto an occupied square: captured into a hand.
    drag(33, 77);
    EXPECT_EQ(cell(77), core::makePiece(core::kSideWhite, core::kPawn));
    EXPECT_EQ(core::countHand(store.position()).white[core::kPawn], 1);
    // Into the box and back out of it.
    Point box = boxSlotTopLeft(g, core::kPawn);
    drag(centre(77), Point{box.x + 5, box.y + 5});
    EXPECT_EQ(cell(77), 0);
    EXPECT_EQ(boxCount(store.position(), core::kPawn), 1);
    drag(Point{box.x + 5, box.y + 5}, centre(55));
    EXPECT_EQ(cell(55), core::makePiece(core::kSideBlack, core::kPawn));
    // Right clicks cycle a piece through its four forms.
    for (core::PieceByte want : {core::makePiece(core::kSideBlack, core::kPromotedPawn),
                                 core::makePiece(core::kSideWhite, core::kPawn),
                                 core::makePiece(core::kSideWhite, core::kPromotedPawn),
                                 core::makePiece(core::kSideBlack, core::kPawn)}) {
        EXPECT_TRUE(input.rightClick(g, centre(55)));
        EXPECT_EQ(cell(55), want);
    }
    EXPECT_EQ(ui.pieceSounds, 4);
    EXPECT_FALSE(input.rightClick(g, centre(56)));  // an empty square: the context menu
    EXPECT_EQ(countAllPieces(store.position()), 40);
    endEditing(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
}

// A record of four plies viewed at its start.
class ViewingInputTest : public MoveInputTest {
protected:
    void SetUp() override {
        MoveInputTest::SetUp();
        play({{77, 76}, {33, 34}, {27, 26}, {83, 84}});
        endGame(doc, clock, GameEndSave::Skip);
        store.backTo(0);
        ASSERT_EQ(doc.mode(), ViewerMode::Viewing);
        ui.questions.clear();
    }
};

TEST_F(ViewingInputTest, ADragOnTheRecordsOwnMoveStepsToIt) {
    const int moves = store.moveCount();
    input.press(g, centre(77), {});
    ASSERT_TRUE(input.held());
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);  // no game starts
    input.forgetIfNotHeld();                     // a redraw meanwhile keeps the piece
    ASSERT_TRUE(input.held());
    input.release(g, centre(76), {});
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(store.moveCount(), moves);  // stepped, nothing added
    EXPECT_EQ(store.lineEnd(), 4);        // the rest of the record stays
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_TRUE(ui.questions.empty());
    // White's reply as recorded, then Black's.
    drag(33, 34);
    drag(27, 26);
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(store.moveCount(), moves);
}

TEST_F(ViewingInputTest, AnotherMoveIsAddedAsTheAddModeSays) {
    settings.addVariationMode = core::AddMode::Branch;
    drag(27, 26);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_TRUE(store.hasVariations());
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(cell(26), core::makePiece(core::kSideBlack, core::kPawn));
    EXPECT_EQ(store.node(store.current()).seconds, 0);  // no clock ran

    // Overwriting asks; No leaves the record and the position as they were.
    store.backTo(0);
    settings.addVariationMode = core::AddMode::Overwrite;
    ui.answer = Answer::No;
    const int moves = store.moveCount();
    drag(57, 56);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(store.moveCount(), moves);
    EXPECT_FALSE(input.held());
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
}

TEST_F(ViewingInputTest, TheSettingOffAndIllegalDragsEnterNothing) {
    input.setDragWhileViewing(false);
    EXPECT_FALSE(input.takesMouse());
    input.press(g, centre(77), {});
    EXPECT_FALSE(input.held());
    input.setDragWhileViewing(true);
    EXPECT_TRUE(input.takesMouse());
    input.press(g, centre(33), {});  // White's pawn, Black to move
    EXPECT_FALSE(input.held());
    drag(77, 75);  // a pawn does not jump
    EXPECT_EQ(ui.status, std::string("動きが正しくありません。"));
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_FALSE(input.held());
}

// Black's pawn on 2四, facing White's pawn on 2三 at the edge of the zone.
class PromotionChoiceTest : public MoveInputTest {
protected:
    void SetUp() override {
        MoveInputTest::SetUp();
        input.setPromotionOnBoard(true);
        play({{27, 26}, {33, 34}, {26, 25}, {34, 35}, {25, 24}, {41, 32}});
        ASSERT_EQ(store.currentPly(), 6);
        ASSERT_EQ(cell(24), core::makePiece(core::kSideBlack, core::kPawn));
    }
    Point choiceCentre(int which) const {
        Rect r = promotionChoiceRects(g, 23)[static_cast<std::size_t>(which)];
        return g.toClient(Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
};

TEST_F(PromotionChoiceTest, TheMousePicksEitherPieceOnTheBoard) {
    drag(24, 23);
    ASSERT_TRUE(input.promotionChoice());
    EXPECT_EQ(input.promotionChoice()->destination, 23);
    EXPECT_TRUE(ui.questions.empty());  // no modal question
    EXPECT_TRUE(input.held());          // the piece waits, the record too
    EXPECT_EQ(store.currentPly(), 6);
    input.press(g, choiceCentre(0), {});  // the promoted one
    EXPECT_FALSE(input.promotionChoice());
    EXPECT_EQ(cell(23), core::makePiece(core::kSideBlack, core::kPromotedPawn));
    EXPECT_EQ(store.currentPly(), 7);
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);

    // Back, and this time the plain pawn.
    store.backTo(6);
    drag(24, 23);
    input.press(g, choiceCentre(1), {});
    input.release(g, choiceCentre(1), {});  // the click's release does nothing more
    EXPECT_EQ(cell(23), core::makePiece(core::kSideBlack, core::kPawn));
    EXPECT_EQ(store.currentPly(), 7);
}

TEST_F(PromotionChoiceTest, EscapeOrAClickElsewherePutsThePieceBack) {
    drag(24, 23);
    ASSERT_TRUE(input.promotionChoice());
    EXPECT_TRUE(input.rightClick(g, centre(55)));  // Escape and the right button alike
    EXPECT_FALSE(input.promotionChoice());
    EXPECT_FALSE(input.held());
    EXPECT_EQ(cell(24), core::makePiece(core::kSideBlack, core::kPawn));
    EXPECT_EQ(store.currentPly(), 6);
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    drag(24, 23);
    input.press(g, centre(99), {});
    EXPECT_FALSE(input.held());
    EXPECT_EQ(store.currentPly(), 6);
}

TEST_F(PromotionChoiceTest, ShiftAndCtrlStillDecideWithoutTheChoice) {
    drag(24, 23, Modifiers{true, false});
    EXPECT_FALSE(input.promotionChoice());
    EXPECT_EQ(cell(23), core::makePiece(core::kSideBlack, core::kPromotedPawn));
    store.backTo(6);
    drag(24, 23, Modifiers{false, true});
    EXPECT_FALSE(input.promotionChoice());
    EXPECT_EQ(cell(23), core::makePiece(core::kSideBlack, core::kPawn));
}

TEST_F(PromotionChoiceTest, TheChoiceSitsBesideTheDestinationTowardsTheMiddleAtAnyScale) {
    for (double f : {0.5, 1.0, 2.0}) {
        BoardGeometry scaled(CellSize{31, 32}, false, ViewScale{f, {20, 10}});
        for (int sq : {13, 53, 93}) {
            auto r = promotionChoiceRects(scaled, sq);
            EXPECT_EQ(r[0], scaled.squareRect(core::fileOf(sq), core::rankOf(sq)));
            EXPECT_EQ(r[1].top, r[0].top);
            // Both cells stay on the board.
            EXPECT_GE(r[1].left, scaled.boardRect().left) << sq;
            EXPECT_LE(r[1].right, scaled.boardRect().right) << sq;
            const Rect c = scaled.toClient(r[1]);
            EXPECT_EQ(promotionChoiceAt(scaled, Point{(c.left + c.right) / 2, c.top + 2}, sq), 0);
        }
        // 1三 is at the right edge: the plain piece goes left of it.
        EXPECT_LT(promotionChoiceRects(scaled, 13)[1].left,
                  promotionChoiceRects(scaled, 13)[0].left);
        EXPECT_GT(promotionChoiceRects(scaled, 93)[1].left,
                  promotionChoiceRects(scaled, 93)[0].left);
    }
}

}  // namespace
}  // namespace tavrel
