// A player's analysed moves over the listed records: only the player's own side counted, in
// whichever colour and under an alias, games without a scored move left out, and the report's
// text and JSON.
#include "dalmir/model/analysis/player_analysis.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "dalmir/model/tree/opening_tree.h"
#include "dalmir/model/tree/tree_test_fixture.h"

namespace dalmir::model {
namespace {

class PlayerAnalysisTest : public ::testing::Test {
protected:
    PlayerAnalysisTest() {
        db.reset(true);
        engine = store.engineIndex({"E", "byoyomi 1"});
        std::string error;
        aliases = *PlayerAliases::parse("羽生善治 = 羽生\n", error);
        // Black lost 20 and 450 (悪手), White 220 (疑問手).
        add("羽生善治", "相手", {"7g7f", "3c3d", "2g2f"}, {50, -30, 250, 200});
        // As White under an alias: White lost 150 (緩手). The scores of a position are the same
        // in every game that reaches it (the start's here).
        add("相手", "羽生", {"2g2f", "8c8d"}, {50, -50, 200});
        add("羽生善治", "相手", {"5i4h"}, {});  // not analysed
        add("他人", "相手", {"6g6f"}, {50, 900});
    }
    void add(const char* black, const char* white, std::initializer_list<const char*> words,
             std::vector<int> scores) {
        const std::vector<ListMove> moves = treetest::usiLine(words);
        ReplayBoard board;
        ASSERT_TRUE(startBoard(0, board));
        ReplayStep step;
        for (std::size_t ply = 0; ply <= moves.size(); ++ply) {
            if (ply < scores.size()) {
                Evaluation e;
                e.position = packBoard(board);
                e.score = {usi::UsiScore::Kind::Centipawns, scores[ply], false,
                           usi::UsiScore::Bound::Exact};
                e.engine = engine;
                store.put(e);
            }
            if (ply < moves.size()) {
                ASSERT_TRUE(playListMove(board, moves[ply], step));
            }
        }
        IndexEntry e;
        e.setText(IndexText::Path, "g.kif");
        e.setText(IndexText::BlackPlayer, black);
        e.setText(IndexText::WhitePlayer, white);
        ASSERT_GE(db.append(std::move(e), moves), 0);
    }

    Database db{10};
    EvaluationStore store;
    std::uint16_t engine = 0;
    PlayerAliases aliases;
};

TEST_F(PlayerAnalysisTest, OnlyThePlayersOwnMovesOfAnalysedGamesCount) {
    const PlayerAnalysis a = playerAnalysis(db, "羽生善治", aliases, store, {});
    EXPECT_EQ(a.games, 2);
    EXPECT_EQ(a.moves.scored, 3);  // 20, 450; 150
    EXPECT_EQ(a.moves.lossSum, 620);
    EXPECT_EQ(a.moves.marks[static_cast<std::size_t>(MoveMark::Blunder)], 1);
    EXPECT_EQ(a.moves.marks[static_cast<std::size_t>(MoveMark::Dubious)], 0);
    EXPECT_EQ(a.moves.marks[static_cast<std::size_t>(MoveMark::Slack)], 1);
    EXPECT_EQ(playerAnalysisText(a),
              "\n解析\n  2局 3手  平均損失 206.7  悪手 1  疑問手 0  緩手 1\n");

    // Only the listed records.
    db.table().displayOrder() = {1, 2, 3};
    EXPECT_EQ(playerAnalysis(db, "羽生善治", aliases, store, {}).games, 1);
}

TEST_F(PlayerAnalysisTest, NoAnalysedGameGivesNoLinesAndANullAverage) {
    const PlayerAnalysis none = playerAnalysis(db, "無名", aliases, store, {});
    EXPECT_EQ(none.games, 0);
    EXPECT_EQ(playerAnalysisText(none), "");
    const auto j = nlohmann::json::parse(withPlayerAnalysisJson("{\"player\":\"無名\"}\n", none));
    EXPECT_EQ(j["player"], "無名");
    EXPECT_TRUE(j["analysis"]["average_loss"].is_null());
    EXPECT_EQ(j["analysis"]["games"], 0);

    const auto some = nlohmann::json::parse(withPlayerAnalysisJson(
        "{\"player\":\"羽生善治\"}", playerAnalysis(db, "羽生善治", aliases, store, {})));
    EXPECT_EQ(some["analysis"]["blunders"], 1);
    EXPECT_EQ(some["analysis"]["scored_moves"], 3);
    // Not a JSON object: given back as it was.
    EXPECT_EQ(withPlayerAnalysisJson("[1]", {}), "[1]");
}

}  // namespace
}  // namespace dalmir::model
