#include "usi/usi_engine.h"

#include <gtest/gtest.h>

#include "usi/usi_test_support.h"

namespace usi {
namespace {

using testsupport::ManualClock;
using testsupport::RecordingEvents;
using testsupport::RecordingLink;

class UsiEngineTest : public ::testing::Test {
protected:
    UsiEngineTest() { core::setupHandicap(start, core::kHandicapEven); }

    // Runs the handshake to "readyok".
    void handshake() {
        engine.start();
        engine.receive("id name Fake Engine 1.0");
        engine.receive("id author Someone");
        engine.receive("option name USI_Hash type spin default 256 min 1 max 1024");
        engine.receive("option name Style type combo default A var A var B");
        engine.receive("usiok");
        engine.receive("readyok");
    }
    // A search of a set length, as the analysis asks for it.
    void goTimed(std::int64_t ms = 1000) {
        GoLimits limits;
        limits.infinite = true;
        limits.stopAfter = ms;
        engine.go(start, "position startpos", limits);
    }

    RecordingLink link;
    RecordingEvents events;
    ManualClock clock;
    UsiEngine engine{link, events, clock.clock()};
    core::Position start;
};

TEST_F(UsiEngineTest, HandshakeSendsTheStartOptionsThenAsksReady) {
    engine.setStartOptions({{"USI_Hash", "5000"}, {"Style", "C"}, {"Unknown", "1"}});
    handshake();
    EXPECT_EQ(link.sent, (std::vector<std::string>{"usi", "setoption name USI_Hash value 1024",
                                                   "setoption name Unknown value 1", "isready"}));
    EXPECT_EQ(engine.name(), "Fake Engine 1.0");
    EXPECT_EQ(engine.author(), "Someone");
    ASSERT_EQ(engine.options().size(), 2u);
    EXPECT_EQ(events.ready, 1);
    EXPECT_EQ(engine.state(), UsiEngine::State::Ready);
}

TEST_F(UsiEngineTest, ASearchAskedBeforeReadyWaitsAndTheFirstOneStartsAGame) {
    engine.start();
    goTimed();
    EXPECT_EQ(link.last(), "usi");
    engine.receive("usiok");
    engine.receive("readyok");
    EXPECT_EQ(link.sent, (std::vector<std::string>{"usi", "isready", "usinewgame",
                                                   "position startpos", "go infinite"}));
    engine.receive("info depth 1 score cp 30 pv 7g7f");
    engine.receive("bestmove 7g7f");
    ASSERT_EQ(events.bestMoves.size(), 1u);
    EXPECT_EQ(events.infos.size(), 1u);
    goTimed();
    // One game, one "usinewgame".
    EXPECT_EQ(link.sent[link.sent.size() - 2], "position startpos");
    engine.gameOver(GameOutcome::Draw);
    engine.receive("bestmove 2g2f");
    goTimed();
    EXPECT_EQ(link.sent[link.sent.size() - 3], "usinewgame");
}

TEST_F(UsiEngineTest, MissingUsiOkOrReadyOkTimesOutQuitsAndKills) {
    engine.start();
    clock.now += UsiTimeouts{}.usiOk - 1;
    engine.tick();
    EXPECT_TRUE(events.failures.empty());
    clock.now += 1;
    engine.tick();
    EXPECT_EQ(link.last(), "quit");
    EXPECT_EQ(link.kills, 0);
    EXPECT_TRUE(events.failures.empty());
    clock.now += 3000;
    engine.tick();
    ASSERT_EQ(events.failures.size(), 1u);
    EXPECT_NE(events.failures[0].find("usiok"), std::string::npos);
    EXPECT_EQ(link.kills, 1);
    EXPECT_EQ(engine.state(), UsiEngine::State::Ended);

    RecordingLink link2;
    RecordingEvents events2;
    UsiEngine second(link2, events2, clock.clock());
    second.start();
    second.receive("usiok");
    clock.now += 30000;
    second.tick();
    // It went when told to: the failure is reported with its exit.
    second.exited(0, false);
    ASSERT_EQ(events2.failures.size(), 1u);
    EXPECT_EQ(link2.kills, 0);
    EXPECT_NE(events2.failures[0].find("readyok"), std::string::npos);
}

TEST_F(UsiEngineTest, AnIllegalBestMoveIsReportedNotPassedOn) {
    handshake();
    goTimed();
    engine.receive("bestmove 3c3d");
    EXPECT_TRUE(events.bestMoves.empty());
    ASSERT_EQ(events.warnings.size(), 1u);
    EXPECT_NE(events.warnings[0].find("bestmove 3c3d"), std::string::npos);
    // The session goes on.
    EXPECT_EQ(engine.state(), UsiEngine::State::Ready);
    goTimed();
    engine.receive("bestmove resign");
    ASSERT_EQ(events.bestMoves.size(), 1u);
    EXPECT_EQ(events.bestMoves[0].kind, UsiBestMove::Kind::Resign);
}

TEST_F(UsiEngineTest, UnknownLinesAreQuietAndBrokenInfoLinesAreWarnings) {
    engine.start();
    engine.receive("Engine 3.1 by Someone, compiled today");
    engine.receive("usiok");
    engine.receive("readyok");
    goTimed();
    engine.receive("\x01\x02 garbage \xff");
    engine.receive("info depth many");
    engine.receive("");
    EXPECT_EQ(events.unknownLines,
              (std::vector<std::string>{"Engine 3.1 by Someone, compiled today",
                                        "\x01\x02 garbage \xff"}));
    ASSERT_EQ(events.warnings.size(), 1u);
    EXPECT_NE(events.warnings[0].find("info depth many"), std::string::npos);
    EXPECT_TRUE(events.infos.empty());
    EXPECT_TRUE(events.failures.empty());
    EXPECT_EQ(engine.state(), UsiEngine::State::Searching);
}

TEST_F(UsiEngineTest, AnExitMidSearchFails) {
    handshake();
    goTimed();
    engine.exited(0, true);
    ASSERT_EQ(events.failures.size(), 1u);
    EXPECT_EQ(events.failures[0], "エンジンが異常終了しました");
    // Lines after the end change nothing.
    engine.receive("bestmove 7g7f");
    EXPECT_TRUE(events.bestMoves.empty());

    RecordingEvents quitEvents;
    RecordingLink quitLink;
    UsiEngine quitting(quitLink, quitEvents, clock.clock());
    quitting.start();
    quitting.receive("usiok");
    quitting.receive("readyok");
    quitting.quit();
    quitting.exited(0, false);
    EXPECT_EQ(quitEvents.quits, 1);
    EXPECT_TRUE(quitEvents.failures.empty());
}

TEST_F(UsiEngineTest, ANewPositionStopsTheSearchAndDropsItsAnswer) {
    handshake();
    GoLimits infinite;
    infinite.infinite = true;
    engine.go(start, "position startpos", infinite);
    core::Position second = start;
    ASSERT_TRUE(core::applyMove(second, 77, 76, false));
    second.sideToMove = core::kSideWhite;
    engine.go(second, "position startpos moves 7g7f", infinite);
    EXPECT_EQ(link.last(), "stop");
    // Info of the old search is no longer of interest.
    engine.receive("info depth 5 score cp 1 pv 2g2f");
    engine.receive("bestmove 2g2f");
    EXPECT_TRUE(events.infos.empty());
    EXPECT_TRUE(events.bestMoves.empty());
    EXPECT_EQ(link.sent[link.sent.size() - 2], "position startpos moves 7g7f");
    EXPECT_EQ(link.last(), "go infinite");
    // The new search is checked against its own position: White's reply is legal now.
    engine.stop();
    engine.receive("bestmove 3c3d");
    ASSERT_EQ(events.bestMoves.size(), 1u);
    EXPECT_EQ(events.bestMoves[0].move, "3c3d");
}

TEST_F(UsiEngineTest, ATimedSearchIsStoppedOnTimeThenQuitThenKilled) {
    handshake();
    goTimed(1000);
    // Lines of the search do not move its deadline.
    clock.now += 999;
    engine.receive("info depth 1 score cp 3 pv 7g7f");
    engine.tick();
    EXPECT_EQ(link.last(), "go infinite");
    clock.now += 1;
    engine.tick();
    EXPECT_EQ(link.last(), "stop");
    clock.now += 4999;
    engine.receive("info depth 2 score cp 3 pv 7g7f");
    engine.tick();
    EXPECT_EQ(link.last(), "stop");
    clock.now += 1;
    engine.tick();
    EXPECT_EQ(link.last(), "quit");
    EXPECT_TRUE(events.failures.empty());
    clock.now += 3000;
    engine.tick();
    EXPECT_EQ(link.kills, 1);
    ASSERT_EQ(events.failures.size(), 1u);
    EXPECT_NE(events.failures[0].find("bestmove"), std::string::npos);
    EXPECT_EQ(events.quits, 0);
    EXPECT_EQ(engine.state(), UsiEngine::State::Ended);
}

TEST_F(UsiEngineTest, AnEngineOnTheClockGetsAGraceBeforeStop) {
    handshake();
    GoLimits limits;
    limits.blackTime = 0;
    limits.whiteTime = 0;
    limits.byoyomi = 1000;
    engine.go(start, "position startpos", limits);
    EXPECT_EQ(link.last(), "go btime 0 wtime 0 byoyomi 1000");
    clock.now += 1000 + 4999;
    engine.tick();
    EXPECT_EQ(link.last(), "go btime 0 wtime 0 byoyomi 1000");
    clock.now += 1;
    engine.tick();
    EXPECT_EQ(link.last(), "stop");
}

TEST_F(UsiEngineTest, ClosedOutputFailsTheSessionAfterQuit) {
    handshake();
    goTimed();
    engine.outputClosed();
    EXPECT_EQ(link.last(), "quit");
    EXPECT_TRUE(events.failures.empty());
    clock.now += 3000;
    engine.tick();
    EXPECT_EQ(link.kills, 1);
    EXPECT_EQ(events.failures, (std::vector<std::string>{"エンジンが出力を閉じました"}));
    // After a quit asked for, a closed output is the usual end.
    RecordingEvents quitEvents;
    RecordingLink quitLink;
    UsiEngine quitting(quitLink, quitEvents, clock.clock());
    quitting.start();
    quitting.quit();
    quitting.outputClosed();
    quitting.exited(0, false);
    EXPECT_EQ(quitEvents.quits, 1);
    EXPECT_TRUE(quitEvents.failures.empty());
}

TEST_F(UsiEngineTest, QuitKillsAnEngineThatStaysOn) {
    handshake();
    engine.quit();
    EXPECT_EQ(link.last(), "quit");
    clock.now += 3000;
    engine.tick();
    EXPECT_EQ(link.kills, 1);
    EXPECT_EQ(events.quits, 1);
    EXPECT_TRUE(events.failures.empty());
}

TEST_F(UsiEngineTest, StartFailureGivesTheSystemsReason) {
    engine.startFailed("No such file or directory");
    ASSERT_EQ(events.failures.size(), 1u);
    EXPECT_EQ(events.failures[0], "エンジンを起動できません：No such file or directory");
}

TEST(SearchBudget, FollowsTheClockOfTheSideToMove) {
    GoLimits limits;
    EXPECT_EQ(searchBudget(limits, core::kSideBlack), -1);
    limits.blackTime = 60000;
    limits.whiteTime = 1000;
    limits.byoyomi = 3000;
    EXPECT_EQ(searchBudget(limits, core::kSideBlack), 63000);
    EXPECT_EQ(searchBudget(limits, core::kSideWhite), 4000);
    limits.infinite = true;
    EXPECT_EQ(searchBudget(limits, core::kSideWhite), -1);
    limits.stopAfter = 500;
    EXPECT_EQ(searchBudget(limits, core::kSideWhite), 500);
    limits.ponder = true;
    EXPECT_EQ(searchBudget(limits, core::kSideWhite), -1);
}

}  // namespace
}  // namespace usi
