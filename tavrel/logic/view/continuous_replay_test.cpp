#include "tavrel/logic/view/continuous_replay.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

using Kind = StopDecision::Kind;

TEST(ReplaySpeedTest, KeysWalkTheTable) {
    struct Case {
        int from;
        int faster;
        int slower;
    };
    for (Case c : {Case{60, 50, 70}, Case{59, 58, 69}, Case{49, 48, 50}, Case{50, 49, 60},
                   Case{1, 1, 2}, Case{2, 1, 3}, Case{240, 230, 250}, Case{241, 231, 241},
                   Case{250, 240, 250}, Case{0, 1, 2}, Case{999, 240, 250}}) {
        EXPECT_EQ(fasterInterval(c.from), c.faster) << c.from;
        EXPECT_EQ(slowerInterval(c.from), c.slower) << c.from;
    }
    EXPECT_EQ(replaySpeedText(5), std::string("再現速度： 0.5 秒／手"));
    EXPECT_EQ(replaySpeedText(250), std::string("再現速度： 25.0 秒／手"));
    EXPECT_EQ(replayDisplayFlag(3), kDisplayByHand);
    EXPECT_EQ(replayDisplayFlag(4), kDisplayAnimated);
}

// Every combination of コメント停止 and 分岐停止 (0 go on, 1 stop, 2 pause) for a position with a
// comment before a branch, with a comment only, and before a branch only. Waits: 500 and 1500.
TEST(StopDecisionTest, EveryCombination) {
    const StopDecision go{}, stop{Kind::Stop, 0}, p500{Kind::Pause, 500}, p1500{Kind::Pause, 1500};
    // [comment setting][branch setting]
    const StopDecision both[3][3] = {{go, stop, p1500}, {stop, stop, stop}, {p500, stop, p1500}};
    const StopDecision commentOnly[3] = {go, stop, p500};
    const StopDecision branchOnly[3] = {go, stop, p1500};
    for (int c = 0; c < 3; ++c) {
        for (int b = 0; b < 3; ++b) {
            ReplayStops s{static_cast<ReplayStop>(c), 500, static_cast<ReplayStop>(b), 1500};
            EXPECT_EQ(stopDecision(true, true, s), both[c][b]) << c << b;
            EXPECT_EQ(stopDecision(true, false, s), commentOnly[c]) << c << b;
            EXPECT_EQ(stopDecision(false, true, s), branchOnly[b]) << c << b;
            EXPECT_EQ(stopDecision(false, false, s), go) << c << b;
        }
    }
    // The larger wait wins either way; a wait of 0 or less is no pause.
    EXPECT_EQ(stopDecision(true, true, ReplayStops{ReplayStop::Wait, 2000, ReplayStop::Wait, 1500}),
              (StopDecision{Kind::Pause, 2000}));
    EXPECT_EQ(stopDecision(true, false, ReplayStops{ReplayStop::Wait, 0, ReplayStop::Never, 0}),
              go);
    EXPECT_EQ(stopDecision(false, true, ReplayStops{ReplayStop::Never, 0, ReplayStop::Wait, -5}),
              go);
}

struct FakeHost : ReplayHost {
    std::vector<int> timers;  // every period started
    bool timerOn = false;
    bool shift = false;
    std::vector<bool> runningChanges;
    void startReplayTimer(int ms) override {
        timers.push_back(ms);
        timerOn = true;
    }
    void stopReplayTimer() override { timerOn = false; }
    bool shiftHeld() const override { return shift; }
    void replayRunningChanged(bool running) override { runningChanges.push_back(running); }
};

// 1.７六歩 2.３四歩* 3.２六歩 4.８四歩 5.投了, ６六歩 beside ply 3.
const char* const kRecord =
    "手合割：平手\r\n"
    "   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n*二手目\r\n   3 ２六歩(27)\r\n"
    "   4 ８四歩(83)\r\n   5 投了\r\n"
    "変化：3手\r\n   3 ６六歩(67)\r\n";

class ContinuousReplayTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        settings.replaySpeed = 5;
        settings.commentWindow.mode = CommentDisplay::MainWindow;
        settings.stopAtComments = ReplayStop::Never;
        settings.stopAtBranches = ReplayStop::Never;
        ASSERT_EQ(doc.loadRecordFile(write("r.kif", std::string(kRecord))), CommandResult::Done);
    }
    // Ticks until the replay ends (at most n ticks); the plies reached after each tick.
    std::vector<int> run(int n = 20) {
        std::vector<int> plies;
        for (int i = 0; i < n && replay.running(); ++i) {
            EXPECT_TRUE(host.timerOn);
            replay.timerFired();
            plies.push_back(store.currentPly());
        }
        return plies;
    }
    FakeHost host;
    MoveClock clock{[] { return std::int64_t{0}; }};
    ContinuousReplay replay{doc, clock, host};
};

TEST_F(ContinuousReplayTest, ForwardsToTheEndBeforeTheTerminalEntry) {
    ASSERT_TRUE(replay.start(ReplayDirection::Forward));
    EXPECT_EQ(store.currentPly(), 1);  // the first step comes at once
    EXPECT_FALSE(replay.start(ReplayDirection::Forward));
    EXPECT_EQ(run(), (std::vector<int>{2, 3, 4, 4}));
    EXPECT_FALSE(replay.running());
    EXPECT_EQ(host.timers, (std::vector<int>{500, 500, 500, 500}));
    EXPECT_EQ(host.runningChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(ui.animations.size(), 4u);
    EXPECT_FALSE(replay.pauseMessageShown());
}

TEST_F(ContinuousReplayTest, BackwardsEndsAtTheStartAndFastOnesAreNotAnimated) {
    settings.replaySpeed = 3;
    ASSERT_EQ(store.goToPly(3), core::EditResult::Ok);
    ASSERT_TRUE(replay.start(ReplayDirection::Backward));
    EXPECT_EQ(run(), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(host.timers, (std::vector<int>{300, 300, 300}));
    EXPECT_TRUE(ui.animations.empty());
}

TEST_F(ContinuousReplayTest, StopsAtACommentAndSpaceResumesPastIt) {
    settings.stopAtComments = ReplayStop::Pause;
    ASSERT_TRUE(replay.start(ReplayDirection::Forward));
    EXPECT_EQ(run(), (std::vector<int>{2, 2}));
    EXPECT_FALSE(replay.running());
    EXPECT_EQ(ui.status, replayPauseMessage());
    EXPECT_TRUE(replay.pauseMessageShown());

    replay.toggle();  // Space: resumes at once past the comment
    EXPECT_TRUE(replay.running());
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_FALSE(replay.pauseMessageShown());
    replay.toggle();  // Space again: paused
    EXPECT_FALSE(replay.running());
    EXPECT_EQ(ui.status, replayPauseMessage());

    // Started afresh at the comment, the first check stops before anything moves.
    replay.clearPauseMessage();
    EXPECT_EQ(ui.status, "");
    ASSERT_EQ(store.goToPly(2), core::EditResult::Ok);
    replay.requestStop(StopRequest::Stop);  // nothing running: nothing happens
    settings.stopAtComments = ReplayStop::Pause;
    ContinuousReplay fresh{doc, clock, host};
    ASSERT_TRUE(fresh.start(ReplayDirection::Forward));
    EXPECT_FALSE(fresh.running());
    EXPECT_EQ(store.currentPly(), 2);
}

TEST_F(ContinuousReplayTest, PausesAndShift) {
    settings.stopAtComments = ReplayStop::Wait;
    settings.commentWaitMs = 700;
    settings.stopAtBranches = ReplayStop::Wait;
    settings.branchWaitMs = 1200;
    ASSERT_TRUE(replay.start(ReplayDirection::Forward));
    // At ply 2 a comment before a branch: the longer wait, then the step.
    EXPECT_EQ(run(), (std::vector<int>{2, 2, 3, 4, 4}));
    EXPECT_EQ(host.timers, (std::vector<int>{500, 500, 1200, 500, 500}));

    ASSERT_EQ(store.goToPly(0), core::EditResult::Ok);
    host.timers.clear();
    host.shift = true;
    settings.stopAtComments = ReplayStop::Pause;
    ASSERT_TRUE(replay.start(ReplayDirection::Forward));
    EXPECT_EQ(run(), (std::vector<int>{2, 3, 4, 4}));
    EXPECT_EQ(host.timers, (std::vector<int>{500, 500, 500, 500}));

    // Comments not displayed: no stop either.
    ASSERT_EQ(store.goToPly(0), core::EditResult::Ok);
    host.shift = false;
    settings.commentWindow.mode = CommentDisplay::None;
    ASSERT_TRUE(replay.start(ReplayDirection::Forward));
    EXPECT_EQ(run().back(), 4);
}

TEST_F(ContinuousReplayTest, SpeedKeysRestartTheWait) {
    replay.faster();  // not running: nothing
    EXPECT_EQ(settings.replaySpeed, 5);
    ASSERT_TRUE(replay.start(ReplayDirection::Forward));
    replay.faster();
    EXPECT_EQ(settings.replaySpeed, 4);
    EXPECT_EQ(ui.status, replaySpeedText(4));
    replay.faster();
    replay.faster();
    replay.faster();
    EXPECT_EQ(settings.replaySpeed, 1);
    replay.faster();
    EXPECT_EQ(settings.replaySpeed, 1);
    replay.slower();
    EXPECT_EQ(settings.replaySpeed, 2);
    EXPECT_EQ(host.timers, (std::vector<int>{500, 400, 300, 200, 200, 200}));
    replay.timerFired();
    EXPECT_EQ(host.timers.back(), 200);
    EXPECT_EQ(store.currentPly(), 2);
}

TEST_F(ContinuousReplayTest, AChangeFromOutsideEndsIt) {
    ASSERT_TRUE(replay.start(ReplayDirection::Forward));
    replay.documentChanged();  // a command changed the record or the mode
    EXPECT_FALSE(replay.running());
    EXPECT_FALSE(host.timerOn);

    ASSERT_TRUE(replay.start(ReplayDirection::Forward));
    // A new record read underneath: the next tick only ends the replay.
    ASSERT_EQ(doc.loadRecordFile(write("s.kif", std::string(kRecord))), CommandResult::Done);
    int ply = store.currentPly();
    replay.timerFired();
    EXPECT_FALSE(replay.running());
    EXPECT_EQ(store.currentPly(), ply);
    EXPECT_FALSE(replay.pauseMessageShown());

    // A replay ending in play restarts the clock it stopped.
    doc.setMode(ViewerMode::Playing);
    ASSERT_EQ(store.goToPly(0), core::EditResult::Ok);
    clock.restart();
    ASSERT_TRUE(replay.start(ReplayDirection::Forward));
    EXPECT_FALSE(clock.running());
    replay.requestStop(StopRequest::Stop);
    EXPECT_TRUE(clock.running());
    EXPECT_FALSE(replay.pauseMessageShown());
}

TEST_F(ContinuousReplayTest, NotWhileEditing) {
    doc.setMode(ViewerMode::Editing);
    EXPECT_FALSE(replay.start(ReplayDirection::Forward));
    EXPECT_FALSE(replay.startAfter(0));
    EXPECT_TRUE(host.runningChanges.empty());
}

TEST_F(ContinuousReplayTest, StartAfterWaitsFirst) {
    ASSERT_TRUE(replay.startAfter(500));
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_TRUE(replay.running());
    replay.timerFired();
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_FALSE(replay.startAfter(10));
}

}  // namespace
}  // namespace tavrel
