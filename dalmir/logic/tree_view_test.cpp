#include "dalmir/logic/tree_view.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace dalmir {
namespace {

std::vector<model::ListMove> line(std::initializer_list<const char*> words) {
    model::ReplayBoard board;
    EXPECT_TRUE(model::startBoard(0, board));
    std::vector<model::ListMove> out;
    model::ReplayStep step;
    for (const char* w : words) {
        model::ListMove m;
        EXPECT_TRUE(model::listMoveOfUsi(board, w, m)) << w;
        EXPECT_TRUE(model::playListMove(board, m, step));
        out.push_back(m);
    }
    return out;
}

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.reset(true);
        add(line({"7g7f", "3c3d", "2g2f"}), 1);
        add(line({"2g2f", "3c3d", "7g7f", "8c8d"}), 2);  // the same position after three plies
        add(line({"7g7f", "3c3d"}), 4);
        add(line({"5g5f"}), 1);
    }
    void add(std::vector<model::ListMove> moves, uint8_t result) {
        model::IndexEntry e;
        e.result = result;
        ASSERT_GE(db.append(std::move(e), std::move(moves)), 0);
    }
    model::Database db;
};

TEST_F(TreeViewTest, ThePositionIsWhereTheLastSearchFoundTheRecord) {
    auto start = treePositionOf(db, 0);
    ASSERT_TRUE(start);
    model::ReplayBoard even;
    ASSERT_TRUE(model::startBoard(0, even));
    EXPECT_TRUE(model::sameTreePosition(*start, even));
    db.table().entry(1).hitPly = 3;
    auto hit = treePositionOf(db, 1);
    ASSERT_TRUE(hit);
    model::TreeMaker maker(db);
    const model::OpeningTree tree = maker.treeOf(*hit, {});
    EXPECT_EQ(tree.records, 2);
    EXPECT_FALSE(treePositionOf(db, 9));
    EXPECT_FALSE(treePositionOf(db, -1));
}

// Rows show the stored score of the position each move leads to, from its player's view (the
// store keeps the side to move's), held within the cap; rows without one stay as they were.
TEST_F(TreeViewTest, RowsShowTheStoredScoreOfWhereTheirMoveLeads) {
    auto start = treePositionOf(db, 0);
    ASSERT_TRUE(start);
    model::TreeMaker maker(db);
    const model::OpeningTree tree = maker.treeOf(*start, {});
    model::EvaluationStore store;
    const auto engine = store.engineIndex({"E", "byoyomi 1"});
    const auto put = [&](const char* word, int sideToMove) {
        model::ReplayBoard after = *start;
        model::ListMove m;
        ASSERT_TRUE(model::listMoveOfUsi(after, word, m));
        model::ReplayStep step;
        ASSERT_TRUE(model::playListMove(after, m, step));
        model::Evaluation e;
        e.position = model::packBoard(after);
        e.score = {usi::UsiScore::Kind::Centipawns, sideToMove, false, usi::UsiScore::Bound::Exact};
        e.engine = engine;
        store.put(e);
    };
    put("7g7f", -120);  // White to move is 120 behind: worth +120 to Black
    put("2g2f", 5000);
    const auto plain = treeRowTexts(tree, *start);
    const auto scored = treeRowTexts(tree, *start, &store, {});
    ASSERT_EQ(scored.size(), plain.size());
    EXPECT_EQ(scored[0], plain[0] + "  評価値 +120");
    EXPECT_EQ(scored[1], plain[1] + "  評価値 -1000");
    EXPECT_EQ(scored[2], plain[2]);  // 5g5f: not analysed
    EXPECT_EQ(treeRowTexts(tree, *start, nullptr, {}), plain);
}

TEST_F(TreeViewTest, RowsReadAndListTheirRecords) {
    auto start = treePositionOf(db, 0);
    ASSERT_TRUE(start);
    model::TreeMaker maker(db);
    const model::OpeningTree tree = maker.treeOf(*start, {});
    const auto texts = treeRowTexts(tree, *start);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], std::string("７六歩(77)  2局  先手勝 1  後手勝 0  引分 1  他 0"));

    EXPECT_EQ(listRecordsBehind(db, tree, *start, 0), 2);
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(db.table().entry(2).nextMove(), std::string("７六歩(77)"));
    EXPECT_EQ(db.table().entry(2).hitPly, 0);

    // After 7g7f 3c3d 2g2f: record 0 ends there, record 1 arrives by another order.
    db.table().entry(0).hitPly = 3;
    auto crossed = treePositionOf(db, 0);
    ASSERT_TRUE(crossed);
    const model::OpeningTree there = maker.treeOf(*crossed, {});
    ASSERT_EQ(there.rows.size(), 1u);
    EXPECT_EQ(listRecordsBehind(db, there, *crossed, there.rows.size()), 1);  // ended
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{0}));
    EXPECT_TRUE(db.table().entry(0).nextMove().empty());
    EXPECT_EQ(db.table().entry(0).hitPly, 3);
    EXPECT_EQ(listRecordsBehind(db, there, *crossed, 5), 0);  // no such row: the list stays
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{0}));
}

}  // namespace
}  // namespace dalmir
