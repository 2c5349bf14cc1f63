// A record opened from an analysed database: the graph takes the stored scores where the
// comments have none, the moves get their marks, and the store beside the database is read when
// it changed and left unused when it is no store.
#include "tavrel/logic/tree/stored_evaluations.h"

#include <gtest/gtest.h>

#include "core/base/safe_file.h"
#include "core/formats/usi_reader.h"
#include "dalmir/model/tree/opening_tree.h"
#include "tests/support/temp_folder.h"

namespace tavrel {
namespace {

namespace model = dalmir::model;

class StoredEvaluationsTest : public ::testing::Test {
protected:
    StoredEvaluationsTest() {
        core::ReadOptions options;
        EXPECT_EQ(
            core::readUsiText(record, "position startpos moves 7g7f 3c3d 2g2f", options).result,
            core::ReadResult::Ok);
        // Side to move's scores: +50; -30 (Black lost 20); +250 (White lost 220: 疑問手);
        // the last position not analysed.
        const auto engine = store.engineIndex({"E", "byoyomi 1"});
        model::ReplayBoard board;
        EXPECT_TRUE(model::startBoard(0, board));
        model::ReplayStep step;
        const char* words[] = {"7g7f", "3c3d"};
        const int scores[] = {50, -30, 250};
        for (int ply = 0; ply < 3; ++ply) {
            model::Evaluation e;
            e.position = model::packBoard(board);
            e.score = {usi::UsiScore::Kind::Centipawns, scores[ply], false,
                       usi::UsiScore::Bound::Exact};
            e.engine = engine;
            store.put(e);
            if (ply < 2) {
                model::ListMove m;
                EXPECT_TRUE(model::listMoveOfUsi(board, words[ply], m));
                EXPECT_TRUE(model::playListMove(board, m, step));
            }
        }
    }
    core::RecordStore record;
    model::EvaluationStore store;
};

TEST_F(StoredEvaluationsTest, TheGraphTakesStoredScoresWhereTheCommentsHaveNone) {
    const std::vector<std::optional<int>> none = graphScores(record, nullptr);
    EXPECT_TRUE(std::none_of(none.begin(), none.end(), [](auto s) { return s.has_value(); }));

    std::vector<std::optional<int>> scores = graphScores(record, &store);
    ASSERT_GE(scores.size(), 4u);
    // Black's view.
    EXPECT_EQ(scores[0], 50);
    EXPECT_EQ(scores[1], 30);
    EXPECT_EQ(scores[2], 250);
    EXPECT_FALSE(scores[3]);

    // An analysis line in a comment wins over the store.
    ASSERT_EQ(record.replaceComment(1, "解析：評価値 +77 深さ 3 読み筋 △３四歩"),
              core::CommentResult::Ok);
    scores = graphScores(record, &store);
    EXPECT_EQ(scores[1], 77);
    EXPECT_EQ(scores[2], 250);
}

TEST_F(StoredEvaluationsTest, MovesAreMarkedByTheThresholds) {
    EXPECT_EQ(storedMoveMarks(record, store, {}), (std::vector<std::string>{"", "疑問手", ""}));
    EXPECT_EQ(storedMoveMarks(record, store, {10, 100, 200, 1000}),
              (std::vector<std::string>{"緩手", "悪手", ""}));
    EXPECT_TRUE(storedMoveMarks(record, model::EvaluationStore{}, {}).empty());
}

TEST_F(StoredEvaluationsTest, TheRecordWindowShowsEachMovesMark) {
    const std::vector<std::string> marks = storedMoveMarks(record, store, {});
    std::vector<RecordListRow> rows = recordListRows(record, RecordListForm{}, RecordListStyle{});
    ASSERT_EQ(rows.size(), 4u);
    const std::string second = rows[2].text;
    addMoveMarks(rows, record, marks);
    EXPECT_EQ(rows[2].text, second + "  疑問手");
    EXPECT_EQ(rows[1].text.find("手  "), std::string::npos);  // a move without a mark
    // Fewer marks than lines (the last position was not analysed): nothing beyond them.
    rows.resize(2);
    addMoveMarks(rows, record, {});
    EXPECT_EQ(rows[1].text.find("手  "), std::string::npos);
}

TEST_F(StoredEvaluationsTest, TheStoreBesideTheDatabaseIsReadWhenItChanged) {
    testsupport::TempFolder folder("stored_evaluations");
    const std::string db = folder.file("games.dlb");
    DatabaseEvaluations evaluations;
    EXPECT_FALSE(evaluations.follow(db, -1));  // no store: nothing to show
    EXPECT_EQ(evaluations.store(), nullptr);

    folder.writeBytes("games.DEV", store.bytes());
    EXPECT_TRUE(evaluations.follow(db, 100));
    ASSERT_NE(evaluations.store(), nullptr);
    EXPECT_EQ(evaluations.store()->size(), 3u);
    EXPECT_FALSE(evaluations.follow(db, 100));  // the same file: not read again

    folder.writeBytes("games.DEV", "something else");
    EXPECT_TRUE(evaluations.follow(db, 101));
    EXPECT_EQ(evaluations.store(), nullptr);
    EXPECT_FALSE(evaluations.follow("", -1));
}

}  // namespace
}  // namespace tavrel
