// A record shown with its database's stored evaluations: the graph's scores from Black's view and
// the comment lines written as the whole-record analysis writes them.
#include "dalmir/model/analysis/stored_analysis.h"

#include <gtest/gtest.h>

#include "core/formats/usi_reader.h"
#include "usi/record_analysis.h"

namespace dalmir::model {
namespace {

void read(core::RecordStore& store, const std::string& usi) {
    core::ReadOptions options;
    EXPECT_EQ(core::readUsiText(store, usi, options).result, core::ReadResult::Ok);
    (void)store.goToPly(0);
}

// Stores +score for the side to move at each ply listed, with a two-move PV.
EvaluationStore storeFor(const core::RecordStore& record, std::vector<std::pair<int, int>> scores) {
    EvaluationStore store;
    const auto engine = store.engineIndex({"E", "byoyomi 1"});
    core::NodeIndex n = core::kRootNode;
    int ply = 0;
    for (; n != core::kNoNode; n = record.node(n).next, ++ply) {
        for (const auto& [at, score] : scores) {
            if (at != ply) continue;
            core::Position pos;
            EXPECT_EQ(record.positionAt(n, pos), core::EditResult::Ok);
            ReplayBoard board;
            board.load(pos);
            Evaluation e;
            e.position = packBoard(board);
            e.score = {usi::UsiScore::Kind::Centipawns, score, false, usi::UsiScore::Bound::Exact};
            e.depth = 7;
            e.engine = engine;
            e.pv = ply == 0 ? std::vector<ListMove>{{77, 76}, {33, 34}} : std::vector<ListMove>{};
            store.put(e);
        }
    }
    return store;
}

TEST(StoredAnalysisTest, ScoresComeFromBlacksViewAndCommentsTakeTheAnalysisLine) {
    core::RecordStore record;
    read(record, "position startpos moves 7g7f 3c3d 2g2f");
    const EvaluationStore store = storeFor(record, {{0, 40}, {1, 25}, {3, -60}});
    const std::vector<std::optional<int>> scores = storedMainLineScores(record, store);
    EXPECT_EQ(scores, (std::vector<std::optional<int>>{40, -25, std::nullopt, 60}));

    EXPECT_EQ(writeStoredAnalysis(record, store, core::NotationOptions{}), 3);
    EXPECT_EQ(record.currentPly(), 0);
    // The comments now hold the lines the graph reads back.
    EXPECT_EQ(usi::mainLineScores(record), scores);
    const std::string opening(record.node(core::kRootNode).commentText());
    EXPECT_NE(opening.find("解析：評価値 +40 深さ 7 読み筋 ▲７六歩△３四歩"), std::string::npos)
        << opening;
}

}  // namespace
}  // namespace dalmir::model
