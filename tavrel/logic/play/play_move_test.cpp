#include "tavrel/logic/play/play_move.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

using core::packMove;

class PlayMoveTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        store.restoreStartPosition(store.position());
        doc.setMode(ViewerMode::Playing);
        clock.restart();
    }
    PlayResult enter(int from, int to) {
        return playMove(doc, clock, PlayKind::Entered, packMove(from, to), kDisplayByHand);
    }
    void loadSample() {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        ASSERT_EQ(doc.loadRecordFile(write("p.kif", std::string(testsupport::kSampleRecord))),
                  CommandResult::Done);
        doc.setMode(ViewerMode::Playing);
    }
    int cell(int sq) const { return store.position().cells[static_cast<std::size_t>(sq)]; }

    std::int64_t now = 1000;
    MoveClock clock{[this] { return now; }};
};

TEST_F(PlayMoveTest, EnteredMoveStoresThinkingTimeAndSounds) {
    now += 17;
    EXPECT_EQ(enter(77, 76), PlayResult::Done);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(store.node(store.current()).seconds, 17);
    EXPECT_EQ(store.position().sideToMove, core::kSideWhite);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(ui.pieceSounds, 1);
    EXPECT_TRUE(ui.animations.empty());  // entered by hand: no animation
    EXPECT_FALSE(clock.running());       // the caller begins the next turn
    finishEntry(doc, clock, PlayResult::Done);
    EXPECT_TRUE(clock.running());
    settings.zeroTimeOnEntry = 1;
    now += 40;
    EXPECT_EQ(enter(33, 34), PlayResult::Done);
    EXPECT_EQ(store.node(store.current()).seconds, 0);
}

TEST_F(PlayMoveTest, OverwriteQuestionGuardsADifferentContinuation) {
    loadSample();
    settings.addVariationMode = core::AddMode::Overwrite;
    ui.answer = Answer::No;
    EXPECT_EQ(enter(27, 26), PlayResult::Refused);
    EXPECT_EQ(ui.questions,
              std::vector<std::string>{std::string("棋譜を書き換えます。いいですか？")});
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(store.lineEnd(), 3);
    // The move the record already has: no question, the line after it stays.
    EXPECT_EQ(enter(77, 76), PlayResult::Done);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(store.lineEnd(), 3);
    ui.answer = Answer::Yes;
    EXPECT_EQ(enter(83, 84), PlayResult::Done);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(store.lineEnd(), 2);
    EXPECT_FALSE(store.hasVariations());
    // A continuation that is only 中断 does not count.
    store.backTo(1);
    (void)store.truncateAfter(1);
    ASSERT_EQ(store.addMove(core::kAddStoreAll, terminalEntry(core::TerminalCode::Suspend), 0),
              core::AddResult::Ok);
    EXPECT_EQ(enter(33, 34), PlayResult::Done);
    EXPECT_EQ(ui.questions.size(), 2u);
}

TEST_F(PlayMoveTest, BranchModeKeepsTheOldLine) {
    loadSample();
    settings.addVariationMode = core::AddMode::Branch;
    EXPECT_EQ(enter(27, 26), PlayResult::Done);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(store.hasVariations());
    EXPECT_EQ(store.alternativeIndex(store.current()), 2);
}

// 棋譜の分岐を作成する adds the moves as a variation even without 棋譜追加モード, and only until
// play ends; the title says so meanwhile.
TEST_F(PlayMoveTest, BranchEntryAddsAVariationUntilPlayEnds) {
    loadSample();
    settings.addVariationMode = core::AddMode::Overwrite;
    doc.setMode(ViewerMode::Viewing);
    ASSERT_EQ(store.stepForward(), core::EditResult::Ok);
    createBranch(doc, clock);
    ASSERT_EQ(doc.mode(), ViewerMode::Playing);
    EXPECT_NE(doc.title().find(std::string("（対局中）")), std::string::npos);
    EXPECT_EQ(enter(83, 84), PlayResult::Done);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(store.alternativeIndex(store.current()), 2);
    EXPECT_EQ(store.currentPly(), 2);
    endGame(doc, clock, GameEndSave::Skip);
    EXPECT_FALSE(doc.addsVariations());
    // Nothing follows the end of a line: only the warning sound.
    int beeps = ui.beeps;
    store.backTo(0);
    ASSERT_EQ(store.truncateAfter(0), core::EditResult::Ok);
    createBranch(doc, clock);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(ui.beeps, beeps + 1);
}

TEST_F(PlayMoveTest, FullRecordRefusesWithTheSizeMessage) {
    core::RecordStore small(3);
    small.restoreStartPosition(small.position());
    Document d(small, settings, ui);
    EXPECT_EQ(playMove(d, clock, PlayKind::Entered, packMove(77, 76), 1), PlayResult::Done);
    EXPECT_EQ(playMove(d, clock, PlayKind::Entered, packMove(33, 34), 1), PlayResult::Done);
    core::Position before = small.position();
    EXPECT_EQ(playMove(d, clock, PlayKind::Entered, packMove(88, 22 | core::kPromoteFlag), 1),
              PlayResult::Done);
    EXPECT_EQ(small.currentPly(), 2);
    EXPECT_EQ(small.position(), before);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().first,
              std::string("棋譜サイズオーバ：設定の棋譜最大を大きくして下さい。"));
    EXPECT_EQ(ui.beeps, 1);
}

// Kings step out and back: the start position comes again after every fourth ply.
constexpr int kShuffle[4][2] = {{59, 58}, {51, 52}, {58, 59}, {52, 51}};

TEST_F(PlayMoveTest, FourthOccurrenceEndsTheGameWithRepetition) {
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 4; ++i) {
            PlayResult r = enter(kShuffle[i][0], kShuffle[i][1]);
            if (round == 2 && i == 3) {
                EXPECT_EQ(r, PlayResult::Repetition);
            } else {
                ASSERT_EQ(r, PlayResult::Done) << round << " " << i;
            }
        }
    }
    EXPECT_EQ(store.currentPly(), 12);
    core::NodeIndex end = store.node(store.current()).next;
    ASSERT_NE(end, core::kNoNode);
    EXPECT_EQ(store.node(end).to, core::terminalByte(core::TerminalCode::Repetition));
    EXPECT_EQ(ui.messages.back().first, std::string("千日手です。"));
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_FALSE(clock.running());
    finishEntry(doc, clock, PlayResult::Repetition);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
}

TEST_F(PlayMoveTest, RepetitionRulesFollowTheSettings) {
    settings.checkRules = 0;
    for (int round = 0; round < 3; ++round) {
        for (auto& m : kShuffle) ASSERT_EQ(enter(m[0], m[1]), PlayResult::Done);
    }
    EXPECT_TRUE(ui.messages.empty());
    // Replayed on screen: the message names the ply; with ルール確認 the step reports 3.
    settings.checkRules = 1;
    store.backTo(0);
    for (int k = 0; k < 11; ++k) {
        auto& m = kShuffle[k % 4];
        ASSERT_EQ(playMove(doc, clock, PlayKind::Replay, packMove(m[0], m[1]), 2),
                  PlayResult::Done);
    }
    EXPECT_EQ(playMove(doc, clock, PlayKind::Replay, packMove(52, 51), 2), PlayResult::Repetition);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, std::string("12 手で千日手です。"));
    EXPECT_EQ(store.lineEnd(), 12);  // replay writes nothing
    EXPECT_EQ(ui.animations.size(), 12u);
}

TEST_F(PlayMoveTest, ReplayOfAMoveTheRecordLacksIsRefused) {
    loadSample();
    core::Position before = store.position();
    EXPECT_EQ(playMove(doc, clock, PlayKind::Replay, packMove(27, 26), 2), PlayResult::Refused);
    EXPECT_EQ(playMove(doc, clock, PlayKind::Silent, packMove(27, 26), 2), PlayResult::Refused);
    EXPECT_EQ(store.position(), before);
    EXPECT_FALSE(doc.modified());
    int changes = ui.changes;
    EXPECT_EQ(playMove(doc, clock, PlayKind::Silent, packMove(77, 76), 2), PlayResult::Done);
    EXPECT_EQ(ui.changes, changes);  // a silent step draws nothing
    EXPECT_TRUE(ui.animations.empty());
    EXPECT_EQ(ui.pieceSounds, 0);
}

TEST_F(PlayMoveTest, MarkersTakeBackStepBackAndForward) {
    loadSample();
    store.backTo(0);
    stepForwardInPlay(doc, clock);
    stepForwardInPlay(doc, clock);
    EXPECT_EQ(store.currentPly(), 2);
    stepForwardInPlay(doc, clock);  // the next entry is 中断: nothing is played
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(ui.animations.size(), 2u);

    stepBackInPlay(doc, clock);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(store.lineEnd(), 3);  // the record is unchanged
    ASSERT_EQ(ui.animations.size(), 3u);
    EXPECT_EQ(ui.animations.back().from.square, 34);
    EXPECT_EQ(ui.animations.back().to.square, 33);

    // Taking back a move that is not the last of its line keeps it.
    takeBack(doc, clock);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(store.moveCount(), 2);
    // Entered moves taken back are deleted.
    store.backTo(0);
    (void)store.truncateAfter(0);
    EXPECT_EQ(enter(77, 76), PlayResult::Done);
    EXPECT_EQ(enter(33, 34), PlayResult::Done);
    clock.restart();
    now += 5;
    takeBack(doc, clock);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(store.moveCount(), 1);
    EXPECT_TRUE(clock.running());
    EXPECT_EQ(clock.elapsed(), 0);  // the turn starts again
    EXPECT_EQ(cell(33), core::makePiece(core::kSideWhite, core::kPawn));
    takeBack(doc, clock);
    takeBack(doc, clock);  // at the start: the warning only
    EXPECT_EQ(store.moveCount(), 0);
    EXPECT_EQ(store.currentPly(), 0);
}

TEST_F(PlayMoveTest, NextMoveMustPassTheRules) {
    // A continuation that is not legal here is not played while ルール確認 is on.
    ASSERT_EQ(store.addAndAdvance(core::kAddStoreAll, packMove(77, 75), 0), core::AddResult::Ok);
    ASSERT_TRUE(store.backOne());
    stepForwardInPlay(doc, clock);
    EXPECT_EQ(store.currentPly(), 0);
    settings.checkRules = 0;
    stepForwardInPlay(doc, clock);
    EXPECT_EQ(store.currentPly(), 1);
}

TEST_F(PlayMoveTest, TerminalEntriesEndTheGame) {
    EXPECT_EQ(enter(77, 76), PlayResult::Done);
    enterTerminal(doc, clock, core::TerminalCode::Resign);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(store.node(store.current()).to, core::terminalByte(core::TerminalCode::Resign));
    EXPECT_EQ(ui.pieceSounds, 1);  // a terminal entry makes no piece sound
    // Not in play: refused with the warning.
    enterTerminal(doc, clock, core::TerminalCode::Suspend);
    EXPECT_EQ(ui.beeps, 1);
    // 千日手 from the menu reports 3.
    store.backTo(0);
    EXPECT_EQ(
        playMove(doc, clock, PlayKind::Entered, terminalEntry(core::TerminalCode::Repetition), 1),
        PlayResult::Repetition);
    continuePlay(doc, clock);
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
}

TEST_F(PlayMoveTest, DropAnimationStartsOnTheStand) {
    EXPECT_EQ(enter(77, 76), PlayResult::Done);
    EXPECT_EQ(enter(33, 34), PlayResult::Done);
    EXPECT_EQ(enter(88, 22 | core::kPromoteFlag), PlayResult::Done);
    EXPECT_EQ(cell(22), core::makePiece(core::kSideBlack, core::kHorse));
    EXPECT_EQ(enter(31, 22), PlayResult::Done);
    EXPECT_EQ(enter(27, 26), PlayResult::Done);
    int slot = core::findHandSlot(store.position(), core::kSideWhite, core::kBishop);
    ASSERT_NE(slot, 0);
    EXPECT_EQ(playMove(doc, clock, PlayKind::Stored, packMove(slot, 55), kDisplayAnimated),
              PlayResult::Done);
    ASSERT_EQ(ui.animations.size(), 1u);
    const AnimatedMove& a = ui.animations[0];
    EXPECT_EQ(a.from.square, 0);
    EXPECT_EQ(a.from.side, core::kSideWhite);
    EXPECT_EQ(a.from.handType, core::kBishop);
    EXPECT_EQ(a.to.square, 55);
    EXPECT_EQ(a.piece, core::makePiece(core::kSideWhite, core::kBishop));
    EXPECT_EQ(store.node(store.current()).seconds, 0);  // kind 2 takes no thinking time
}

}  // namespace
}  // namespace tavrel
