#include "tavrel/logic/play/engine_game.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"
#include "tavrel/logic/play/game_play.h"
#include "usi/usi_test_support.h"

namespace tavrel {
namespace {

using core::kSideBlack;
using core::kSideWhite;
using core::packMove;
using testsupport::RecordingLink;

class EngineGameTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        store.restoreStartPosition(store.position());
        enterPlay(doc, moveClock);
        ASSERT_EQ(doc.mode(), ViewerMode::Playing);
    }

    // An engine for side, through its handshake.
    usi::UsiEngine& engine(core::SideByte side) {
        const std::size_t i = side == kSideBlack ? 0 : 1;
        engines[i] =
            std::make_unique<usi::UsiEngine>(links[i], game.events(side), [this] { return ms; });
        game.attach(side, engines[i].get());
        engines[i]->start();
        engines[i]->receive("usiok");
        engines[i]->receive("readyok");
        links[i].sent.clear();
        return *engines[i];
    }
    testsupport::RecordingLink& link(core::SideByte side) {
        return links[side == kSideBlack ? 0 : 1];
    }
    bool sent(core::SideByte side, const std::string& line) {
        const auto& s = link(side).sent;
        return std::find(s.begin(), s.end(), line) != s.end();
    }
    // A human move after `seconds`, then the game looks at the record.
    void humanMove(int from, int to, int seconds) {
        ms += seconds * 1000;
        finishEntry(
            doc, moveClock,
            playMove(doc, moveClock, PlayKind::Entered, packMove(from, to), kDisplayByHand));
        game.update();
    }
    void think(int seconds) { ms += seconds * 1000; }
    const core::MoveNode& last() const { return store.node(store.current()); }
    std::optional<core::TerminalCode> ending() const { return endingEntry(store); }

    std::int64_t ms = 1'000'000;
    MoveClock moveClock{[this] { return ms / 1000; }};
    EngineGame game{doc, moveClock, [this] { return ms; }};
    std::array<testsupport::RecordingLink, 2> links;
    std::array<std::unique_ptr<usi::UsiEngine>, 2> engines;
};

TEST(EngineGameLimits, ByoyomiOrIncrementFromTheClocks) {
    EXPECT_EQ(goCommand(gameGoLimits(TimeControl{600, 10, 0}, 590000, 600000)),
              "go btime 590000 wtime 600000 byoyomi 10000");
    EXPECT_EQ(goCommand(gameGoLimits(TimeControl{300, 10, 5}, 1000, -5)),
              "go btime 1000 wtime 0 binc 5000 winc 5000");
}

TEST(EngineGameLimits, OutcomeFollowsTheEntryAndItsMover) {
    using core::TerminalCode;
    EXPECT_EQ(gameOutcomeFor(TerminalCode::Resign, kSideBlack, kSideBlack), usi::GameOutcome::Lose);
    EXPECT_EQ(gameOutcomeFor(TerminalCode::Resign, kSideBlack, kSideWhite), usi::GameOutcome::Win);
    EXPECT_EQ(gameOutcomeFor(TerminalCode::EnteringKingWin, kSideWhite, kSideWhite),
              usi::GameOutcome::Win);
    EXPECT_EQ(gameOutcomeFor(TerminalCode::Repetition, kSideWhite, kSideBlack),
              usi::GameOutcome::Draw);
    EXPECT_EQ(gameOutcomeFor(TerminalCode::Suspend, kSideWhite, kSideBlack),
              usi::GameOutcome::Draw);
}

// The engine plays Black against a human: its move is stored with the time it took, both clocks
// run down, and its resignation ends the game with 投了.
TEST_F(EngineGameTest, EngineAgainstHumanUntilItResigns) {
    usi::UsiEngine& black = engine(kSideBlack);
    game.begin(TimeControl{600, 10, 0});
    EXPECT_TRUE(game.engineToMove());
    EXPECT_EQ(link(kSideBlack).sent,
              (std::vector<std::string>{"usinewgame", "position startpos",
                                        "go btime 600000 wtime 600000 byoyomi 10000"}));
    think(3);
    black.receive("bestmove 7g7f");
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(last().to, 76);
    EXPECT_EQ(last().seconds, 3);
    EXPECT_EQ(game.remaining(kSideBlack), 597000);
    EXPECT_FALSE(game.engineToMove());

    link(kSideBlack).sent.clear();
    humanMove(33, 34, 5);
    EXPECT_EQ(game.remaining(kSideWhite), 595000);
    EXPECT_EQ(link(kSideBlack).sent,
              (std::vector<std::string>{"position startpos moves 7g7f 3c3d",
                                        "go btime 597000 wtime 595000 byoyomi 10000"}));
    think(1);
    black.receive("bestmove resign");
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(last().to, core::terminalByte(core::TerminalCode::Resign));
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_FALSE(game.active());
    EXPECT_TRUE(sent(kSideBlack, "gameover lose"));
    EXPECT_TRUE(sent(kSideBlack, "quit"));
}

// Two engines play each other with an increment; "win" ends the game with 入玉勝ち for the side
// that claimed it, and each engine hears its own result.
TEST_F(EngineGameTest, EngineAgainstEngineWithIncrement) {
    usi::UsiEngine& black = engine(kSideBlack);
    usi::UsiEngine& white = engine(kSideWhite);
    game.begin(TimeControl{60, 0, 2});
    EXPECT_EQ(link(kSideBlack).sent.back(), "go btime 60000 wtime 60000 binc 2000 winc 2000");
    EXPECT_TRUE(link(kSideWhite).sent.empty());
    think(4);
    black.receive("bestmove 2g2f");
    EXPECT_EQ(game.remaining(kSideBlack), 58000);
    EXPECT_EQ(link(kSideWhite).sent.back(), "go btime 58000 wtime 60000 binc 2000 winc 2000");
    think(2);
    white.receive("bestmove 8c8d");
    think(1);
    black.receive("bestmove 2f2e");
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(link(kSideWhite).sent.end()[-2], "position startpos moves 2g2f 8c8d 2f2e");
    white.receive("bestmove win");
    EXPECT_EQ(ending(), core::TerminalCode::EnteringKingWin);
    EXPECT_TRUE(sent(kSideWhite, "gameover win"));
    EXPECT_TRUE(sent(kSideBlack, "gameover lose"));
    // The thinking times were kept with the moves.
    std::vector<int> seconds;
    for (core::NodeIndex n = store.node(core::kRootNode).next; n != core::kNoNode;
         n = store.node(n).next) {
        seconds.push_back(store.node(n).seconds);
    }
    EXPECT_EQ(seconds, (std::vector<int>{4, 2, 1, 0}));
}

// An illegal best move loses by the foul, with the engine's line in the message; the moves
// before it stay.
TEST_F(EngineGameTest, IllegalBestMoveEndsTheGameWithAFoul) {
    engine(kSideWhite);
    game.begin(TimeControl{});
    humanMove(77, 76, 1);
    engines[1]->receive("bestmove 5a5e");
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(ending(), core::TerminalCode::FoulLoss);
    EXPECT_EQ(store.node(store.node(core::kRootNode).next).to, 76);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(core::toUtf8Lossy(ui.messages.front().first).find("5a5e"), std::string::npos);
    EXPECT_TRUE(sent(kSideWhite, "gameover lose"));
}

// An engine that crashes in its search suspends the game with the reason; the other engine is
// told the game is over.
TEST_F(EngineGameTest, CrashSuspendsTheGame) {
    engine(kSideBlack);
    engine(kSideWhite);
    game.begin(TimeControl{});
    engines[0]->receive("bestmove 7g7f");
    engines[1]->exited(0, true);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(ending(), core::TerminalCode::Suspend);
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages.front().first, std::string("エンジンが異常終了しました"));
    EXPECT_TRUE(sent(kSideBlack, "gameover draw"));
    EXPECT_EQ(links[1].sent.back(), "go btime 600000 wtime 600000 byoyomi 10000");
}

// The human suspends while the engine thinks: the engine is stopped and told, and its late move
// never reaches the record.
TEST_F(EngineGameTest, HumanSuspensionStopsTheEngine) {
    engine(kSideWhite);
    game.begin(TimeControl{});
    humanMove(77, 76, 2);
    enterTerminal(doc, moveClock, core::TerminalCode::Suspend);
    game.update();
    const std::vector<std::string> tail(link(kSideWhite).sent.end() - 3,
                                        link(kSideWhite).sent.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"stop", "gameover draw", "quit"}));
    engines[1]->receive("bestmove 3c3d");
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(ending(), core::TerminalCode::Suspend);
}

// A move entered while the engine searches (the human took its turn) drops the search.
TEST_F(EngineGameTest, StaleSearchIsDropped) {
    engine(kSideBlack);
    game.begin(TimeControl{});
    humanMove(77, 76, 1);
    EXPECT_EQ(link(kSideBlack).sent.back(), "stop");
    engines[0]->receive("bestmove 2g2f");
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
}

}  // namespace
}  // namespace tavrel
