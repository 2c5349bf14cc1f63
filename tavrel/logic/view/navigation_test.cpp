#include "tavrel/logic/view/navigation.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

class NavigationTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        ASSERT_EQ(doc.loadRecordFile(write("n.kif", std::string(testsupport::kSampleRecord))),
                  CommandResult::Done);
        ASSERT_EQ(store.currentPly(), 0);
    }
};

// The line is 1.７六歩 2.３四歩 and the entry 中断, which counts as ply 3.
TEST_F(NavigationTest, StepsWarnOnlyAtTheEnds) {
    step(doc, Step::Back);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(ui.beeps, 1);
    for (int i = 0; i < 3; ++i) step(doc, Step::Forward);
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(ui.beeps, 1);
    step(doc, Step::Forward);
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(ui.beeps, 2);
    step(doc, Step::ToStart);
    EXPECT_EQ(store.currentPly(), 0);
    step(doc, Step::ToEnd);  // stops before 中断
    EXPECT_EQ(store.currentPly(), 2);
    step(doc, Step::Back);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(ui.beeps, 2);
    EXPECT_EQ(ui.changes, 8);  // every step redraws, also one that could not move

    settings.warningSound = 0;
    step(doc, Step::ToStart);
    step(doc, Step::Back);
    EXPECT_EQ(ui.beeps, 2);
}

TEST_F(NavigationTest, NoMovingWhilePlayingOrEditing) {
    for (ViewerMode mode : {ViewerMode::Editing, ViewerMode::Playing}) {
        doc.setMode(mode);
        ui.beeps = 0;
        for (Step s : {Step::ToStart, Step::Back, Step::Forward, Step::ToEnd}) step(doc, s);
        showChosenPly(doc, 2);
        EXPECT_EQ(store.currentPly(), 0);
        EXPECT_EQ(ui.beeps, 4);  // the record window's choice is ignored silently
        EXPECT_EQ(ui.changes, 0);
    }
}

TEST_F(NavigationTest, RecordWindowChoiceAndReplayMode) {
    showChosenPly(doc, 2);
    EXPECT_EQ(store.currentPly(), 2);
    showChosenPly(doc, 7);  // beyond the line: stays
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_EQ(ui.changes, 2);

    toggleReplay(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Replaying);
    toggleReplay(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(ui.changes, 4);
    store.reset();  // nothing to replay
    toggleReplay(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(ui.changes, 4);
}

// Main line 1.７六歩 2.３四歩 3.２六歩* 4.８四歩 5.２五歩 6.８五歩 7.投了, with ６六歩 beside
// ply 3 and ７八銀 beside ply 5.
const char* const kBranchedRecord =
    "手合割：平手\r\n"
    "   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ２六歩(27)\r\n*三手目\r\n"
    "   4 ８四歩(83)\r\n   5 ２五歩(26)\r\n   6 ８五歩(84)\r\n   7 投了\r\n"
    "変化：5手\r\n   5 ７八銀(79)\r\n"
    "変化：3手\r\n   3 ６六歩(67)\r\n";

class BranchedNavigationTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        ASSERT_EQ(doc.loadRecordFile(write("b.kif", std::string(kBranchedRecord))),
                  CommandResult::Done);
        ui.changes = 0;
    }
    MoveClock clock{[] { return std::int64_t{0}; }};
};

TEST_F(BranchedNavigationTest, EndAndBranchPointsDrawOnce) {
    struct Case {
        Step how;
        int from;
        int to;
    };
    for (Case c : {Case{Step::ToEnd, 0, 6}, Case{Step::ToEnd, 6, 6}, Case{Step::NextBranch, 0, 2},
                   Case{Step::NextBranch, 2, 4}, Case{Step::NextBranch, 4, 6},
                   Case{Step::NextBranch, 6, 6}, Case{Step::PreviousBranch, 6, 5},
                   Case{Step::PreviousBranch, 5, 3}, Case{Step::PreviousBranch, 3, 0},
                   Case{Step::PreviousBranch, 0, 0}, Case{Step::PreviousBranch, 2, 0}}) {
        ASSERT_EQ(store.goToPly(c.from), core::EditResult::Ok);
        ui.changes = 0;
        ui.animations.clear();
        step(doc, c.how);
        EXPECT_EQ(store.currentPly(), c.to) << static_cast<int>(c.how) << " from " << c.from;
        EXPECT_EQ(ui.changes, 1);
        EXPECT_TRUE(ui.animations.empty());
    }
}

// The single steps are replay steps: each one animated, with the piece sound, and no step past
// either end or onto a terminal entry.
TEST_F(BranchedNavigationTest, SingleStepsAreAnimatedReplaySteps) {
    ASSERT_EQ(store.goToPly(5), core::EditResult::Ok);
    ui.pieceSounds = 0;
    step(doc, clock, Step::Forward);
    EXPECT_EQ(store.currentPly(), 6);
    EXPECT_EQ(ui.animations.size(), 1u);
    EXPECT_EQ(ui.pieceSounds, 1);
    step(doc, clock, Step::Forward);  // 投了 is not stepped onto
    EXPECT_EQ(store.currentPly(), 6);
    EXPECT_EQ(ui.beeps, 1);
    step(doc, clock, Step::Back);
    EXPECT_EQ(store.currentPly(), 5);
    EXPECT_EQ(ui.animations.size(), 2u);
    step(doc, Step::ToStart);
    step(doc, clock, Step::Back);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(ui.beeps, 2);
    // In Replaying too; position editing refuses.
    doc.setMode(ViewerMode::Replaying);
    step(doc, clock, Step::Forward);
    EXPECT_EQ(store.currentPly(), 1);
    doc.setMode(ViewerMode::Editing);
    step(doc, clock, Step::Forward);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(ui.beeps, 3);
}

// In a game, 最終局面へ and 次の分岐まで進める go forward silently, never onto a terminal
// entry, and the turn clock runs again afterwards.
TEST_F(BranchedNavigationTest, JumpsForwardInPlayRestartTheClock) {
    doc.setMode(ViewerMode::Playing);
    step(doc, clock, Step::NextBranch);
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_TRUE(clock.running());
    clock.stop();
    step(doc, clock, Step::ToEnd);
    EXPECT_EQ(store.currentPly(), 6);
    EXPECT_TRUE(clock.running());
    EXPECT_FALSE(store.node(store.current()).isTerminal());
    EXPECT_TRUE(ui.animations.empty());
    EXPECT_EQ(ui.beeps, 0);
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    // Going back to the start is still no game's command.
    step(doc, clock, Step::ToStart);
    EXPECT_EQ(store.currentPly(), 6);
    EXPECT_EQ(ui.beeps, 1);
}

TEST_F(BranchedNavigationTest, ChoosingAVariation) {
    ASSERT_EQ(store.goToPly(4), core::EditResult::Ok);
    chooseVariation(doc, clock, 3);  // only two moves at ply 5
    chooseVariation(doc, clock, 0);
    EXPECT_EQ(store.currentPly(), 4);
    EXPECT_EQ(ui.changes, 0);

    chooseVariation(doc, clock, 2);
    EXPECT_EQ(store.currentPly(), 5);
    EXPECT_EQ(store.alternativeIndex(store.current()), 2);
    EXPECT_EQ(ui.animations.size(), 1u);
    EXPECT_EQ(ui.changes, 1);

    step(doc, Step::ToStart);
    chooseVariation(doc, clock, 1);
    EXPECT_EQ(store.currentPly(), 1);

    step(doc, Step::ToEnd);
    ASSERT_EQ(store.currentPly(), 6);
    chooseVariation(doc, clock, 1);  // 投了 is not played
    EXPECT_EQ(store.currentPly(), 6);
}

TEST_F(BranchedNavigationTest, JumpToPlyAndMenuTexts) {
    jumpToPly(doc, 4);
    EXPECT_EQ(store.currentPly(), 4);
    jumpToPly(doc, 99);
    EXPECT_EQ(store.currentPly(), store.lineEnd());
    jumpToPly(doc, -3);
    EXPECT_EQ(store.currentPly(), 0);
    doc.setMode(ViewerMode::Editing);
    jumpToPly(doc, 2);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(ui.beeps, 1);

    EXPECT_EQ(stepForwardMenuText(true), std::string("１手進める(&F)\t→"));
    EXPECT_EQ(stepForwardMenuText(false), std::string("１手進める(&F)"));
    EXPECT_EQ(stepBackMenuText(true), std::string("１手戻す(&B)\t←"));
    EXPECT_EQ(stepBackMenuText(false), std::string("１手戻す(&B)"));
    EXPECT_FALSE(arrowKeysStep(ViewerMode::Editing));
    EXPECT_FALSE(arrowKeysStep(ViewerMode::Playing));
    EXPECT_TRUE(arrowKeysStep(ViewerMode::Viewing));
}

TEST_F(BranchedNavigationTest, ReplayModeQuestionAndEmptyRecord) {
    settings.offerReplayAfterLoad = 1;
    ui.answers = {Answer::Cancel, Answer::No};
    chooseReplayMode(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    chooseReplayMode(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Replaying);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(doc.title().ends_with(std::string("（再現中）")), true);
    chooseReplayMode(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);

    ui.answers = {Answer::Yes};  // the Open dialog is cancelled: nothing changes
    chooseReplayMode(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(ui.dialogs.size(), 1u);

    store.reset();  // no moves: Open first, then the refusal
    chooseReplayMode(doc);
    EXPECT_EQ(ui.dialogs.size(), 2u);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(ui.status, std::string("指し手がありません。"));
    EXPECT_GE(ui.beeps, 1);
}

}  // namespace
}  // namespace tavrel

namespace tavrel {
namespace {

// Kings walking to and fro: the start position comes back every four plies.
const char* const kShuffleRecord =
    "手合割：平手\r\n"
    "   1 ５八玉(59)\r\n   2 ５二玉(51)\r\n   3 ５九玉(58)\r\n   4 ５一玉(52)\r\n"
    "   5 ５八玉(59)\r\n   6 ５二玉(51)\r\n   7 ５九玉(58)\r\n   8 ５一玉(52)\r\n"
    "   9 ５八玉(59)\r\n  10 ５二玉(51)\r\n  11 ５九玉(58)\r\n  12 ５一玉(52)\r\n";

// Stepping by hand through a repetition says so, as the continuous replay does.
TEST_F(NavigationTest, SingleStepsReportARepetition) {
    ASSERT_EQ(doc.loadRecordFile(write("r.kif", std::string(kShuffleRecord))), CommandResult::Done);
    settings.detectRepetitionInReplay = 1;
    MoveClock clock{[] { return std::int64_t{0}; }};
    for (int k = 0; k < 11; ++k) step(doc, clock, Step::Forward);
    EXPECT_TRUE(ui.messages.empty());
    step(doc, clock, Step::Forward);
    EXPECT_EQ(store.currentPly(), 12);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, std::string("12 手で千日手です。"));
}

}  // namespace
}  // namespace tavrel
