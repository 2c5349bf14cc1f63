#include "usi/usi_protocol.h"

#include <gtest/gtest.h>

#include "core/formats/usi.h"
#include "usi/usi_engine.h"

namespace usi {
namespace {

TEST(UsiProtocol, InfoLineGivesEveryField) {
    UsiInfo info;
    ASSERT_TRUE(
        parseInfo("info depth 12 seldepth 20 time 1500 nodes 123456789012 nps 800000 "
                  "hashfull 512 multipv 3 score cp -45 upperbound pv 7g7f 3c3d 2g2f",
                  info));
    EXPECT_EQ(info.depth, 12);
    EXPECT_EQ(info.selDepth, 20);
    EXPECT_EQ(info.timeMs, 1500);
    EXPECT_EQ(info.nodes, 123456789012);
    EXPECT_EQ(info.nps, 800000);
    EXPECT_EQ(info.hashFull, 512);
    EXPECT_EQ(info.multiPv, 3);
    EXPECT_EQ(info.score.kind, UsiScore::Kind::Centipawns);
    EXPECT_EQ(info.score.value, -45);
    EXPECT_EQ(info.score.bound, UsiScore::Bound::Upper);
    EXPECT_EQ(info.pv, (std::vector<std::string>{"7g7f", "3c3d", "2g2f"}));
}

TEST(UsiProtocol, MateScoresAndStrings) {
    UsiInfo info;
    ASSERT_TRUE(parseInfo("info score mate -7 pv 5a4b", info));
    EXPECT_EQ(info.score.kind, UsiScore::Kind::Mate);
    EXPECT_EQ(info.score.value, -7);
    ASSERT_TRUE(parseInfo("info score mate + lowerbound", info));
    EXPECT_TRUE(info.score.signOnly);
    EXPECT_EQ(info.score.value, 1);
    EXPECT_EQ(info.score.bound, UsiScore::Bound::Lower);
    ASSERT_TRUE(parseInfo("info depth 3 string hello  engine world ", info));
    EXPECT_EQ(info.text, "hello  engine world");
    EXPECT_TRUE(info.pv.empty());
    // A line is read afresh: nothing of the last one stays.
    EXPECT_EQ(info.score.kind, UsiScore::Kind::None);
}

TEST(UsiProtocol, BrokenInfoLinesAreRefused) {
    UsiInfo info;
    EXPECT_FALSE(parseInfo("info depth x", info));
    EXPECT_FALSE(parseInfo("info score cp", info));
    EXPECT_FALSE(parseInfo("info score points 3", info));
    EXPECT_FALSE(parseInfo("info multipv 0", info));
    EXPECT_FALSE(parseInfo("bestmove 7g7f", info));
    // Fields the protocol does not name are passed over.
    EXPECT_TRUE(parseInfo("info currmove 7g7f currmovenumber 1 depth 2", info));
    EXPECT_EQ(info.depth, 2);
}

TEST(UsiProtocol, OptionLinesOfEveryType) {
    auto spin = parseOption("option name USI_Hash type spin default 256 min 1 max 4096");
    ASSERT_TRUE(spin);
    EXPECT_EQ(spin->name, "USI_Hash");
    EXPECT_EQ(spin->type, UsiOptionType::Spin);
    EXPECT_EQ(spin->defaultValue, "256");
    EXPECT_EQ(spin->max, 4096);
    auto combo = parseOption(
        "option name Book Style type combo default Wide Book var Narrow var Wide Book var Off");
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->name, "Book Style");
    EXPECT_EQ(combo->defaultValue, "Wide Book");
    EXPECT_EQ(combo->choices, (std::vector<std::string>{"Narrow", "Wide Book", "Off"}));
    auto file = parseOption("option name EvalDir type filename default <empty>");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->type, UsiOptionType::Filename);
    EXPECT_EQ(file->defaultValue, "");
    auto button = parseOption("option name Clear Hash type button");
    ASSERT_TRUE(button);
    EXPECT_EQ(setOptionCommand(*button, ""), "setoption name Clear Hash");
    EXPECT_FALSE(parseOption("option name X type slider default 1"));
    EXPECT_FALSE(parseOption("option type check default true"));
}

TEST(UsiProtocol, OptionValuesAreKeptWithinTheOption) {
    UsiOption spin{"Threads", UsiOptionType::Spin, "1", 1, 8, {}};
    EXPECT_EQ(normalOptionValue(spin, "99"), "8");
    EXPECT_EQ(normalOptionValue(spin, "-3"), "1");
    EXPECT_FALSE(normalOptionValue(spin, "many"));
    UsiOption check{"Ponder", UsiOptionType::Check, "true", 0, 0, {}};
    EXPECT_EQ(normalOptionValue(check, "1"), "true");
    EXPECT_FALSE(normalOptionValue(check, "yes"));
    UsiOption combo{"Style", UsiOptionType::Combo, "a", 0, 0, {"a", "b"}};
    EXPECT_FALSE(normalOptionValue(combo, "c"));
    UsiOption text{"Book", UsiOptionType::String, "", 0, 0, {}};
    // A line break would smuggle in a second command.
    EXPECT_FALSE(normalOptionValue(text, "x\nquit"));
}

TEST(UsiProtocol, BestMovesAndCommands) {
    auto best = parseBestMove("bestmove 7g7f ponder 3c3d");
    ASSERT_TRUE(best);
    EXPECT_EQ(best->move, "7g7f");
    EXPECT_EQ(best->ponder, "3c3d");
    EXPECT_EQ(parseBestMove("bestmove resign")->kind, UsiBestMove::Kind::Resign);
    EXPECT_EQ(parseBestMove("bestmove win")->kind, UsiBestMove::Kind::Win);
    EXPECT_FALSE(parseBestMove("bestmove"));

    GoLimits limits;
    limits.infinite = true;
    EXPECT_EQ(goCommand(limits), "go infinite");
    GoLimits game;
    game.ponder = true;
    game.blackTime = 60000;
    game.whiteTime = 50000;
    game.byoyomi = 10000;
    EXPECT_EQ(goCommand(game), "go ponder btime 60000 wtime 50000 byoyomi 10000");
    GoLimits fischer;
    fischer.blackTime = fischer.whiteTime = 1000;
    fischer.blackIncrement = fischer.whiteIncrement = 500;
    EXPECT_EQ(goCommand(fischer), "go btime 1000 wtime 1000 binc 500 winc 500");
    GoLimits nodes;
    nodes.nodes = 100000;
    EXPECT_EQ(goCommand(nodes), "go nodes 100000");
    EXPECT_EQ(searchBudget(nodes, core::kSideBlack), -1);
    EXPECT_EQ(gameOverCommand(GameOutcome::Lose), "gameover lose");
}

TEST(UsiProtocol, PvMovesAreCheckedAgainstThePosition) {
    core::Position pos;
    core::setupHandicap(pos, core::kHandicapEven);
    EXPECT_EQ(firstIllegalPvMove(pos, {"7g7f", "3c3d", "8h2b+", "3a2b"}), -1);
    // White's move where Black is to move, a move into nothing, a drop of a piece not in hand.
    EXPECT_EQ(firstIllegalPvMove(pos, {"3c3d"}), 0);
    EXPECT_EQ(firstIllegalPvMove(pos, {"7g7f", "3c3d", "5e5d"}), 2);
    EXPECT_EQ(firstIllegalPvMove(pos, {"P*5e"}), 0);
    EXPECT_EQ(firstIllegalPvMove(pos, {"7g7f", "3c3d", "8h2b+", "3a2b", "B*4e"}), -1);
    EXPECT_EQ(firstIllegalPvMove(pos, {"7g7f", "3c3d", "8h2b", "3a2b", "B*5e"}), -1);
    EXPECT_EQ(firstIllegalPvMove(pos, {"7g7f+"}), 0);
    EXPECT_EQ(firstIllegalPvMove(pos, {"junk"}), 0);
}

}  // namespace
}  // namespace usi
