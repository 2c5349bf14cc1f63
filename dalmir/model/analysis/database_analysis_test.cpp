// The plan of a database's analysis and the queue the engines share: positions once however many
// records reach them, the store's positions left out unless redone, the ply limit, records
// counted done only when every position they need is through, and a board turned back into a
// position an engine can search.
#include "dalmir/model/analysis/database_analysis.h"

#include <gtest/gtest.h>

#include "core/formats/usi.h"
#include "dalmir/model/tree/opening_tree.h"
#include "dalmir/model/tree/tree_test_fixture.h"

namespace dalmir::model {
namespace {

std::vector<ListMove> line(std::initializer_list<const char*> words) {
    return treetest::usiLine(words);
}

class PlanTest : public ::testing::Test {
protected:
    PlanTest() {
        db.reset(true);
        add(line({"7g7f", "3c3d", "2g2f", "8c8d"}));
        add(line({"2g2f", "8c8d", "7g7f", "3c3d", "2f2e"}));  // the same position at ply 4
        add(line({"7g7f", "3c3d"}));                          // wholly inside the first
        add({});                                              // no line
    }
    void add(std::vector<ListMove> moves) {
        IndexEntry e;
        e.setText(IndexText::Path, "g.kif");
        ASSERT_GE(db.append(std::move(e), std::move(moves)), 0);
    }
    std::vector<std::int32_t> all() const { return db.table().displayOrder(); }

    Database db;
    EvaluationStore store;
};

TEST_F(PlanTest, EachPositionOnceInTheOrderTheRecordsReachIt) {
    const AnalysisPlan plan = planAnalysis(db, all(), store, -1, false);
    EXPECT_EQ(plan.records, 4);
    EXPECT_EQ(plan.skipped, std::vector<int>{3});
    EXPECT_EQ(plan.positions, 5u + 6u + 3u);
    // First record: 5; second: start again, three new, the shared one, one more; third: none.
    EXPECT_EQ(plan.items.size(), 5u + 4u);
    EXPECT_EQ(plan.items[0].packed, [] {
        ReplayBoard b;
        (void)startBoard(0, b);
        return packBoard(b);
    }());
    // The third record needs only items of the first, so it is done with them.
    EXPECT_EQ(plan.recordsDoneAfter(0), 0);
    EXPECT_EQ(plan.recordsDoneAfter(3), 1);
    EXPECT_EQ(plan.recordsDoneAfter(5), 2);
    EXPECT_EQ(plan.recordsDoneAfter(9), 3);

    const AnalysisPlan two = planAnalysis(db, all(), store, 2, false);
    EXPECT_EQ(two.items.size(), 3u + 2u);  // start, 7g7f, 7g7f 3c3d; 2g2f, 2g2f 8c8d
}

TEST_F(PlanTest, WhatTheStoreHoldsIsLeftOutUnlessRedone) {
    const auto engine = store.engineIndex({"E", ""});
    const AnalysisPlan first = planAnalysis(db, all(), store, -1, false);
    for (std::size_t i = 0; i < 4; ++i) {
        Evaluation e;
        e.position = first.items[i].packed;
        e.engine = engine;
        store.put(e);
    }
    const AnalysisPlan again = planAnalysis(db, all(), store, -1, false);
    EXPECT_EQ(again.items.size(), first.items.size() - 4);
    EXPECT_EQ(again.known, 4u + 1u + 3u);  // four of the first record, one, all three
    EXPECT_EQ(planAnalysis(db, all(), store, -1, true).items.size(), first.items.size());
}

TEST_F(PlanTest, TheQueueCountsARecordDoneOnlyWhenAllItNeedsIsThrough) {
    const AnalysisPlan plan = planAnalysis(db, all(), store, -1, false);
    AnalysisQueue queue(plan, store, nullptr);
    std::vector<std::size_t> taken;
    while (auto item = queue.take()) taken.push_back(*item);
    ASSERT_EQ(taken.size(), plan.items.size());
    // Items come back out of order, as from several engines; one has no usable answer.
    for (std::size_t i = 1; i < 5; ++i) {
        Evaluation e;
        e.position = plan.items[i].packed;
        ASSERT_TRUE(queue.done(i, e, {"E", "byoyomi 1"}));
    }
    EXPECT_EQ(queue.progress().recordsDone, 0);  // item 0 is still out
    queue.failed(0);
    AnalysisProgress p = queue.progress();
    EXPECT_EQ(p.recordsDone, 2);
    EXPECT_EQ(p.done, 4u);
    EXPECT_EQ(p.failed, 1u);
    EXPECT_EQ(store.size(), 4u);
    queue.cancel();
    EXPECT_FALSE(queue.take());
}

TEST(PositionOfBoardTest, TheBoardBecomesAPositionWithItsHandsAndSideToMove) {
    ReplayBoard board;
    ASSERT_TRUE(startBoard(0, board));
    ReplayStep step;
    for (const char* w : {"7g7f", "3c3d", "8h2b+", "3a2b", "B*4e"}) {
        ListMove m;
        ASSERT_TRUE(listMoveOfUsi(board, w, m));
        ASSERT_TRUE(playListMove(board, m, step));
    }
    const core::Position pos = positionOfBoard(board);
    EXPECT_TRUE(core::isConsistent(pos));
    EXPECT_EQ(core::sfen(pos, 1), boardSfen(board, 1));
}

}  // namespace
}  // namespace dalmir::model
