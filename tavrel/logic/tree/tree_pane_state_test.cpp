#include "tavrel/logic/tree/tree_pane_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/formats/usi_reader.h"
#include "core/text/sjis.h"
#include "tests/support/temp_folder.h"

namespace tavrel {
namespace {

namespace dm = dalmir::model;

std::vector<dm::ListMove> line(std::initializer_list<const char*> words) {
    dm::ReplayBoard board;
    EXPECT_TRUE(dm::startBoard(0, board));
    std::vector<dm::ListMove> out;
    dm::ReplayStep step;
    for (const char* w : words) {
        dm::ListMove m;
        EXPECT_TRUE(dm::listMoveOfUsi(board, w, m)) << w;
        EXPECT_TRUE(dm::playListMove(board, m, step));
        out.push_back(m);
    }
    return out;
}

dm::ReplayBoard start() {
    dm::ReplayBoard b;
    EXPECT_TRUE(dm::startBoard(0, b));
    return b;
}

// A saved binary database of four games: 7g7f twice (one Black win, one draw), 2g2f once
// (White won), and one that ends at the start.
class TreePaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        dm::Database db;
        db.reset(true);
        auto add = [&](std::vector<dm::ListMove> moves, dm::IndexResult result, dm::IndexDate date,
                       const char* file) {
            dm::IndexEntry e;
            e.result = static_cast<uint8_t>(result);
            e.start = date;
            e.setText(dm::IndexText::Path, folder.file(file));
            ASSERT_GE(db.append(std::move(e), std::move(moves)), 0);
        };
        add(line({"7g7f", "3c3d"}), dm::IndexResult::BlackWins, {2010, 1, 1}, "a.kif");
        add(line({"7g7f", "8c8d"}), dm::IndexResult::Repetition, {2020, 1, 1}, "b.kif");
        add(line({"2g2f"}), dm::IndexResult::WhiteWins, {2015, 1, 1}, "c.kif");
        add({}, dm::IndexResult::Suspended, {2001, 1, 1}, "d.kif");
        path = folder.file("games.DLB");
        ASSERT_EQ(dm::saveDatabase(db, path), core::WriteResult::Ok);
        TreeDatabase::OpenResult r = TreeDatabase::OpenResult::Ok;
        std::string message;
        opened = TreeDatabase::open(path, r, message);
        ASSERT_EQ(r, TreeDatabase::OpenResult::Ok) << message;
    }

    testsupport::TempFolder folder;
    std::string path;
    std::shared_ptr<const TreeDatabase> opened;
};

TEST_F(TreePaneTest, RowsComeFromTheDatabaseWithTheBookBeside) {
    dm::OpeningBook book;
    ASSERT_TRUE(
        dm::readBook("#YANEURAOU-DB2016 1.00\n"
                     "sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1\n"
                     "2g2f 8c8d 35 20 9\n"
                     "5g5f none 0 0 2\n",
                     book)
            .ok);
    TreePaneResult r = computeTreeRows(opened.get(), &book, start());
    EXPECT_EQ(r.records, 4);
    EXPECT_EQ(r.ended, 1);
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0].usi, "7g7f");
    EXPECT_EQ(r.rows[0].count, 2);
    EXPECT_EQ(r.rows[0].bookCount, -1);
    EXPECT_EQ(r.rows[0].bestPath, folder.file("b.kif"));  // the newer one
    EXPECT_EQ(r.rows[1].usi, "2g2f");
    EXPECT_EQ(r.rows[1].bookCount, 9);
    EXPECT_EQ(r.rows[1].bookValue, 35);
    EXPECT_EQ(r.rows[2].usi, "5g5f");  // only in the book
    EXPECT_EQ(r.rows[2].count, 0);
    EXPECT_EQ(r.rows[2].notation, std::string("５六歩(57)"));

    TreePaneResult none = computeTreeRows(nullptr, nullptr, start());
    EXPECT_TRUE(none.rows.empty());
    EXPECT_EQ(none.records, 0);
}

TEST_F(TreePaneTest, OnlyTheLatestPositionIsShownAndOneComputesAtATime) {
    TreePaneState state;
    const auto first = state.request(start());
    ASSERT_TRUE(first);
    EXPECT_TRUE(state.busy());
    EXPECT_EQ(state.statusText(), std::string("計算中..."));
    // Two steps while the first computes: only the last waits.
    dm::ReplayBoard after = start();
    dm::ReplayStep step;
    ASSERT_TRUE(dm::playListMove(after, line({"7g7f"})[0], step));
    EXPECT_FALSE(state.request(after));
    EXPECT_FALSE(state.request(after));

    TreePaneResult stale = computeTreeRows(opened.get(), nullptr, start());
    stale.generation = *first;
    std::optional<uint64_t> next;
    EXPECT_FALSE(state.finish(stale, next));
    EXPECT_TRUE(state.rows().empty());
    ASSERT_TRUE(next);
    EXPECT_TRUE(dm::sameTreePosition(state.board(), after));

    TreePaneResult latest = computeTreeRows(opened.get(), nullptr, state.board());
    latest.generation = *next;
    EXPECT_TRUE(state.finish(latest, next));
    EXPECT_FALSE(next);
    EXPECT_FALSE(state.busy());
    ASSERT_EQ(state.rows().size(), 2u);
    EXPECT_EQ(state.statusText(), std::string("局数 2（終局 0）"));

    // New sources: what was computing is dropped.
    const auto again = state.request(start());
    ASSERT_TRUE(again);
    state.clear();
    TreePaneResult old = computeTreeRows(opened.get(), nullptr, start());
    old.generation = *again;
    EXPECT_FALSE(state.finish(old, next));
    EXPECT_TRUE(state.rows().empty());
}

TEST_F(TreePaneTest, RowsSortByAnyColumnAndCellsSayIt) {
    TreePaneState state;
    auto g = state.request(start());
    TreePaneResult r = computeTreeRows(opened.get(), nullptr, start());
    r.generation = *g;
    std::optional<uint64_t> next;
    ASSERT_TRUE(state.finish(r, next));
    auto order = [&] {
        std::string out;
        for (const TreePaneRow& row : state.rows()) out += row.usi + " ";
        return out;
    };
    EXPECT_EQ(order(), "7g7f 2g2f ");
    state.sortBy(TreeColumn::WhiteWins, true);
    EXPECT_EQ(order(), "2g2f 7g7f ");
    state.sortBy(TreeColumn::BlackScore, true);
    EXPECT_EQ(order(), "7g7f 2g2f ");  // 75% against 0%
    state.sortBy(TreeColumn::LastDate, false);
    EXPECT_EQ(order(), "2g2f 7g7f ");  // 2015 before 2020
    state.sortBy(TreeColumn::Move, false);
    EXPECT_EQ(order(), "2g2f 7g7f ");
    state.sortBy(TreeColumn::Move, true);
    EXPECT_EQ(order(), "7g7f 2g2f ");

    EXPECT_EQ(state.cellText(0, TreeColumn::Move), std::string("７六歩(77)"));
    EXPECT_EQ(state.cellText(0, TreeColumn::BlackScore), "75.0%");
    EXPECT_EQ(state.cellText(0, TreeColumn::LastDate), "2020-01-01");
    EXPECT_EQ(state.cellText(0, TreeColumn::Book), "");
    EXPECT_EQ(state.cellText(1, TreeColumn::WhiteWins), "1");
    EXPECT_EQ(state.cellText(5, TreeColumn::Count), "");

    EXPECT_EQ(state.moveAt(1), "2g2f");
    EXPECT_FALSE(state.moveAt(2));
    auto open = state.recordAt(0);
    ASSERT_TRUE(open);
    EXPECT_EQ(open->fsPath, folder.file("b.kif"));
    EXPECT_EQ(open->ply, 0);
    EXPECT_FALSE(state.recordAt(-1));
}

TEST(TreePaneMove, AClickFollowsBranchesOrExtendsTheRecord) {
    core::RecordStore store;
    core::ReadOptions options;
    ASSERT_EQ(core::readUsiText(store, "position startpos moves 7g7f 3c3d", options).result,
              core::ReadResult::Ok);
    ASSERT_EQ(store.goToPly(0), core::EditResult::Ok);
    const int moves = store.moveCount();

    // The record's own move: followed, nothing added.
    ASSERT_TRUE(playTreeMove(store, "7g7f"));
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(store.moveCount(), moves);
    EXPECT_FALSE(store.hasVariations());
    // Another move where the record goes on: a variation, current, the main line kept.
    ASSERT_TRUE(playTreeMove(store, "8c8d"));
    EXPECT_TRUE(store.isInVariation(store.current()));
    EXPECT_EQ(store.moveCount(), moves + 1);
    EXPECT_TRUE(store.hasVariations());
    // At the end of a line: it goes on.
    ASSERT_TRUE(playTreeMove(store, "2g2f"));
    EXPECT_EQ(store.currentPly(), 3);
    // Not a move here.
    EXPECT_FALSE(playTreeMove(store, "5i5h"));  // Black's king, White to move
    EXPECT_FALSE(playTreeMove(store, "nonsense"));
    EXPECT_EQ(store.currentPly(), 3);
}

// An analysed database: each row shows the stored score of where its move leads, for the side
// that plays it; a row whose position was not analysed shows nothing and sorts last.
TEST_F(TreePaneTest, RowsShowTheStoredScoreBesideAnAnalysedDatabase) {
    dm::EvaluationStore store;
    const auto engine = store.engineIndex({"E", "byoyomi 1"});
    dm::ReplayBoard after = start();
    dm::ListMove m;
    ASSERT_TRUE(dm::listMoveOfUsi(after, "7g7f", m));
    dm::ReplayStep step;
    ASSERT_TRUE(dm::playListMove(after, m, step));
    dm::Evaluation e;
    e.position = dm::packBoard(after);
    e.score = {usi::UsiScore::Kind::Centipawns, -80, false, usi::UsiScore::Bound::Exact};
    e.engine = engine;
    store.put(e);
    folder.writeBytes("games.DEV", store.bytes());
    TreeDatabase::OpenResult r = TreeDatabase::OpenResult::CannotOpen;
    std::string message;
    const auto analysed = TreeDatabase::open(path, r, message);
    ASSERT_TRUE(analysed);
    ASSERT_NE(analysed->evaluations(), nullptr);

    TreePaneState state;
    const auto generation = state.request(start());
    ASSERT_TRUE(generation);
    TreePaneResult rows = computeTreeRows(analysed.get(), nullptr, start());
    rows.generation = *generation;
    std::optional<uint64_t> next;
    ASSERT_TRUE(state.finish(std::move(rows), next));
    state.sortBy(TreeColumn::Evaluation, true);
    ASSERT_EQ(state.rows().size(), 2u);
    EXPECT_EQ(state.rows()[0].usi, "7g7f");
    EXPECT_EQ(state.cellText(0, TreeColumn::Evaluation), "+80");
    EXPECT_EQ(state.cellText(1, TreeColumn::Evaluation), "");
    EXPECT_EQ(opened->evaluations(), nullptr);  // opened before the store was there
}

TEST(TreeDatabaseOpen, RefusesWhatIsNotADatabase) {
    testsupport::TempFolder folder;
    TreeDatabase::OpenResult r = TreeDatabase::OpenResult::Ok;
    std::string message;
    EXPECT_FALSE(TreeDatabase::open(folder.file("x.txt"), r, message));
    EXPECT_EQ(r, TreeDatabase::OpenResult::NotDatabase);
    EXPECT_FALSE(message.empty());
    EXPECT_FALSE(TreeDatabase::open(folder.file("none.DLB"), r, message));
    EXPECT_EQ(r, TreeDatabase::OpenResult::CannotOpen);
    EXPECT_FALSE(message.empty());
}

TEST_F(TreePaneTest, AStaleTreeIndexIsReportedAndLeftAside) {
    dm::Database other;
    other.reset(true);
    dm::IndexEntry e;
    ASSERT_GE(other.append(e, line({"5g5f"})), 0);
    auto index = dm::TreeIndex::build(other.table(), other.lists(), 1);
    ASSERT_TRUE(index);
    ASSERT_EQ(dm::writeTreeIndex(path, *index), core::WriteResult::Ok);
    TreeDatabase::OpenResult r = TreeDatabase::OpenResult::CannotOpen;
    std::string message;
    auto db = TreeDatabase::open(path, r, message);
    ASSERT_TRUE(db);
    EXPECT_EQ(db->treeIndex(), nullptr);
    EXPECT_NE(message.find(std::string("古いため")), std::string::npos);
    EXPECT_EQ(computeTreeRows(db.get(), nullptr, start()).records, 4);
}

}  // namespace
}  // namespace tavrel
