// The list's analysis columns: the export's figures per record, nothing without a store, the
// thresholds followed, and sorting by a figure with the records that have none last.
#include "dalmir/logic/analysis_list_columns.h"

#include <gtest/gtest.h>

#include "dalmir/model/tree/opening_tree.h"
#include "dalmir/model/tree/tree_test_fixture.h"

namespace dalmir {
namespace {

using model::treetest::usiLine;

class AnalysisListColumnsTest : public ::testing::Test {
protected:
    AnalysisListColumnsTest() {
        db.reset(true);
        engine = store->engineIndex({"E", "byoyomi 1"});
        // Black to move +50; after 7g7f White -30 (Black lost 20); after 3c3d Black +250
        // (White lost 220: 疑問手); after 2g2f White +200 (Black lost 450: 悪手).
        add({"7g7f", "3c3d", "2g2f"}, {50, -30, 250, 200});
        add({"5i4h"}, {});  // nothing stored
        // Black lost 150 (緩手) with its only move.
        add({"2g2f"}, {50, 100});
    }
    void add(std::initializer_list<const char*> words, std::vector<int> scores) {
        const std::vector<model::ListMove> moves = usiLine(words);
        model::ReplayBoard board;
        ASSERT_TRUE(model::startBoard(0, board));
        model::ReplayStep step;
        for (std::size_t ply = 0; ply <= moves.size(); ++ply) {
            if (ply < scores.size()) {
                model::Evaluation e;
                e.position = model::packBoard(board);
                e.score = {usi::UsiScore::Kind::Centipawns, scores[ply], false,
                           usi::UsiScore::Bound::Exact};
                e.engine = engine;
                store->put(e);
            }
            if (ply < moves.size()) {
                ASSERT_TRUE(model::playListMove(board, moves[ply], step));
            }
        }
        model::IndexEntry e;
        e.setText(model::IndexText::Path, "g.kif");
        ASSERT_GE(db.append(std::move(e), moves), 0);
    }

    model::Database db{10};
    std::shared_ptr<model::EvaluationStore> store = std::make_shared<model::EvaluationStore>();
    std::uint16_t engine = 0;
    AnalysisListColumns columns;
};

TEST_F(AnalysisListColumnsTest, CellsAreTheExportsFiguresAndFollowTheThresholds) {
    columns.reset(&db, nullptr, {});
    EXPECT_FALSE(columns.shown());
    EXPECT_EQ(columns.count(), 0u);

    columns.reset(&db, store, {});
    ASSERT_TRUE(columns.shown());
    ASSERT_EQ(columns.count(), AnalysisListColumns::headers().size());
    EXPECT_EQ(AnalysisListColumns::headers()[3], "先手平均損失");
    const model::ExtraColumns exported = model::analysisColumns(db, *store, {});
    for (std::int32_t slot = 0; slot < 3; ++slot) {
        const std::vector<std::string> expected =
            slot == 1 ? std::vector<std::string>(9) : exported.cells(slot);
        EXPECT_EQ(columns.cells(slot), expected) << slot;
    }
    EXPECT_EQ(columns.cells(0),
              (std::vector<std::string>{"1", "0", "0", "235.0", "0", "1", "0", "220.0", "0"}));

    // Stricter thresholds: the 緩手 of the third record becomes a 悪手.
    columns.reset(&db, store, {10, 20, 40, 1000});
    EXPECT_EQ(columns.cells(2)[0], "1");
    EXPECT_EQ(columns.cells(2)[2], "0");
}

TEST_F(AnalysisListColumnsTest, SortingByAFigureLeavesRecordsWithoutOneLast) {
    columns.reset(&db, store, {});
    columns.sortListed(db.table(), 3, false);  // 先手平均損失: 150, 235
    EXPECT_EQ(db.table().displayOrder(), (std::vector<std::int32_t>{2, 0, 1}));
    columns.sortListed(db.table(), 3, true);
    EXPECT_EQ(db.table().displayOrder(), (std::vector<std::int32_t>{0, 2, 1}));
    columns.sortListed(db.table(), 99, false);  // no such column: nothing moves
    EXPECT_EQ(db.table().displayOrder(), (std::vector<std::int32_t>{0, 2, 1}));
}

}  // namespace
}  // namespace dalmir
