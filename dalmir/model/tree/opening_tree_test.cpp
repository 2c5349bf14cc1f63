#include "dalmir/model/tree/opening_tree.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/formats/usi.h"
#include "core/text/sjis.h"
#include "dalmir/model/store/position_index.h"
#include "dalmir/model/tree/opening_book.h"
#include "dalmir/model/tree/tree_index.h"
#include "dalmir/model/tree/tree_test_fixture.h"

namespace dalmir::model {
namespace {

using namespace treetest;

// Independent of the tree's own replay: the records' main lines played into a record store and
// compared by core's SFEN text.
struct Expected {
    std::map<std::string, TreeCounts> rows;  // by USI move
    TreeCounts ended;
    int records = 0;
};

Expected countDirectly(const Database& db, const std::string& targetSfen,
                       const HeaderCriteria& criteria) {
    Expected out;
    core::RecordStore store;
    for (int slot = 0; slot < db.table().size(); ++slot) {
        const IndexEntry& e = db.table().entry(slot);
        if (!matchesHeader(e, criteria)) continue;
        std::span<const ListMove> list = db.lists().list(slot);
        if (!replayed(replayList(list, e.handicap, store), store)) continue;
        std::size_t moves = 0;
        while (moves < list.size() && !list[moves].isClosing()) ++moves;
        for (std::size_t ply = 0; ply <= moves; ++ply) {
            if (sfenWithoutNumber(positionOfRecord(store, static_cast<int>(ply))) != targetSfen) {
                continue;
            }
            ++out.records;
            if (ply == moves) {
                out.ended.add(e, slot, static_cast<int>(ply));
            } else {
                out.rows[usiMoveText(list[ply])].add(e, slot, static_cast<int>(ply));
            }
            break;
        }
    }
    return out;
}

void expectSameCounts(const TreeCounts& got, const TreeCounts& want, const std::string& what) {
    EXPECT_EQ(got.count, want.count) << what;
    EXPECT_EQ(got.blackWins, want.blackWins) << what;
    EXPECT_EQ(got.whiteWins, want.whiteWins) << what;
    EXPECT_EQ(got.draws, want.draws) << what;
    EXPECT_EQ(got.other, want.other) << what;
    EXPECT_EQ(got.lastDate, want.lastDate) << what;
    EXPECT_EQ(got.bestSlot, want.bestSlot) << what;
    EXPECT_EQ(got.bestPly, want.bestPly) << what;
}

void expectTree(const OpeningTree& tree, const Expected& want, int minCount,
                const std::string& what) {
    EXPECT_EQ(tree.records, want.records) << what;
    expectSameCounts(tree.ended, want.ended, what + " ended");
    std::size_t shown = 0;
    for (const auto& [move, counts] : want.rows) {
        if (counts.count >= minCount) ++shown;
    }
    ASSERT_EQ(tree.rows.size(), shown) << what;
    for (std::size_t i = 0; i < tree.rows.size(); ++i) {
        const TreeRow& r = tree.rows[i];
        const std::string usi = usiMoveText(r.move);
        auto it = want.rows.find(usi);
        ASSERT_NE(it, want.rows.end()) << what << " " << usi;
        expectSameCounts(r, it->second, what + " " + usi);
        EXPECT_EQ(tree.recordsOf(r.move).size(), static_cast<std::size_t>(r.count));
        if (i > 0) {
            const TreeRow& before = tree.rows[i - 1];
            EXPECT_TRUE(before.count > r.count ||
                        (before.count == r.count && usiMoveText(before.move) < usi))
                << what << " rows out of order at " << i;
        }
    }
}

TEST(OpeningTree, EqualsADirectCountFromEverySource) {
    for (unsigned seed : {1u, 2u, 3u}) {
        TreeDatabase data(seed);
        data.fill(300);
        if (HasFatalFailure()) return;
        Database& db = data.db();
        auto all = TreeIndex::build(db.table(), db.lists(), 1);
        auto some = TreeIndex::build(db.table(), db.lists(), 4);
        ASSERT_TRUE(all && some);
        EXPECT_LT(some->positions(), all->positions());
        auto positions = PositionIndex::build(db.table(), db.lists());
        ASSERT_TRUE(positions);

        auto targets = data.targets(40);
        targets.emplace_back(0, 0);
        for (const auto& [slot, ply] : targets) {
            const Target t = targetOf(db, slot, ply);
            EXPECT_EQ(boardSfen(t.board).substr(0, t.sfen.size()), t.sfen);
            const Expected want = countDirectly(db, t.sfen, {});
            ASSERT_GE(want.records, 1);
            const std::string what = "seed " + std::to_string(seed) + " " + t.sfen;

            db.setPositionIndex(nullptr);
            TreeMaker scan(db);
            expectTree(scan.treeOf(t.board, {}), want, 1, what + " scan");
            EXPECT_EQ(scan.lastSource(), TreeSource::Scan);

            db.setPositionIndex(positions);
            TreeMaker indexed(db);
            expectTree(indexed.treeOf(t.board, {}), want, 1, what + " position index");
            EXPECT_EQ(indexed.lastSource(), TreeSource::PositionIndex);

            TreeMaker fromAll(db, all.get());
            expectTree(fromAll.treeOf(t.board, {}), want, 1, what + " tree index");
            EXPECT_EQ(fromAll.lastSource(), TreeSource::TreeIndex);

            TreeMaker fromSome(db, some.get());
            expectTree(fromSome.treeOf(t.board, {}), want, 1, what + " partial tree index");
            EXPECT_EQ(fromSome.lastSource(),
                      want.records >= 4 ? TreeSource::TreeIndex : TreeSource::PositionIndex);
        }
    }
}

TEST(OpeningTree, TranspositionsMeetAndARepeatedPositionCountsOnce) {
    Database db;
    db.reset(true);
    auto add = [&](std::vector<ListMove> list, IndexResult result) {
        IndexEntry e;
        e.result = static_cast<uint8_t>(result);
        ASSERT_GE(db.append(std::move(e), std::move(list)), 0);
    };
    add(usiLine({"7g7f", "3c3d", "2g2f", "8c8d", "2f2e"}), IndexResult::BlackWins);
    add(usiLine({"2g2f", "8c8d", "7g7f", "3c3d", "6i7h"}), IndexResult::WhiteWins);
    add(usiLine({"2g2f", "3c3d", "7g7f", "8c8d"}), IndexResult::Repetition);
    // Kings out and back: the start again at ply 4, counted once at ply 0 with 5i4h.
    add(usiLine({"5i4h", "5a4b", "4h5i", "4b5a", "7g7f"}), IndexResult::Suspended);
    add({}, IndexResult::Jishogi);  // ends at the start

    TreeMaker maker(db);
    const ReplayBoard start = boardAfter(0, {}, 0);
    OpeningTree atStart = maker.treeOf(start, {});
    EXPECT_EQ(atStart.records, 5);
    EXPECT_EQ(atStart.ended.count, 1);
    EXPECT_EQ(atStart.ended.draws, 1);
    ASSERT_EQ(atStart.rows.size(), 3u);
    EXPECT_EQ(usiMoveText(atStart.rows[0].move), "2g2f");  // two records
    EXPECT_EQ(atStart.rows[0].count, 2);
    EXPECT_EQ(usiMoveText(atStart.rows[1].move), "5i4h");  // one each, by USI text
    EXPECT_EQ(atStart.rows[1].other, 1);
    EXPECT_EQ(atStart.rows[1].bestPly, 0);
    EXPECT_EQ(usiMoveText(atStart.rows[2].move), "7g7f");

    const ReplayBoard crossed = boardAfter(0, db.lists().list(0), 4);
    OpeningTree there = maker.treeOf(crossed, {});
    EXPECT_EQ(there.records, 3);
    EXPECT_EQ(there.ended.count, 1);
    ASSERT_EQ(there.rows.size(), 2u);
    EXPECT_EQ(there.rows[0].blackWins + there.rows[1].blackWins, 1);
    EXPECT_EQ(there.rows[0].whiteWins + there.rows[1].whiteWins, 1);
    EXPECT_EQ(there.endedRecords(), std::vector<int>{2});
}

TEST(OpeningTree, FiltersAgreeWithADirectCount) {
    TreeDatabase data(7);
    data.fill(400);
    if (HasFatalFailure()) return;
    Database& db = data.db();
    auto index = TreeIndex::build(db.table(), db.lists(), 2);
    ASSERT_TRUE(index);

    std::vector<std::pair<std::string, HeaderCriteria>> filters;
    HeaderCriteria c;
    c.fromOn = true;
    c.from = {2001, 6, 1};
    c.toOn = true;
    c.to = {2003, 1, 1};
    filters.emplace_back("dates", c);
    c = {};
    c.playerA = "beta";
    filters.emplace_back("either side", c);
    c = {};
    c.white = "gamma";
    filters.emplace_back("white", c);
    c = {};
    c.handicap = 1;  // even games
    filters.emplace_back("handicap", c);

    const Target start = targetOf(db, 0, 0);
    auto targets = data.targets(15);
    for (const auto& [name, criteria] : filters) {
        for (const auto& [slot, ply] : targets) {
            const Target t = targetOf(db, slot, ply);
            const Expected want = countDirectly(db, t.sfen, criteria);
            TreeFilter filter;
            filter.header = criteria;
            TreeMaker maker(db, index.get());
            expectTree(maker.treeOf(t.board, filter), want, 1, name);
        }
        for (int least : {1, 3, 20}) {
            TreeFilter filter;
            filter.header = criteria;
            filter.minCount = least;
            TreeMaker maker(db, index.get());
            const OpeningTree tree = maker.treeOf(start.board, filter);
            expectTree(tree, countDirectly(db, start.sfen, criteria), least,
                       name + " at least " + std::to_string(least));
        }
    }
}

TEST(OpeningTree, CountsOnlyTheGivenSlots) {
    TreeDatabase data(11);
    data.fill(120);
    if (HasFatalFailure()) return;
    Database& db = data.db();
    const Target start{boardAfter(0, {}, 0), {}};
    std::vector<int32_t> evenSlots;
    for (int s = 0; s < db.table().size(); s += 2) evenSlots.push_back(s);
    TreeMaker maker(db);
    const OpeningTree tree = maker.treeOf(start.board, {}, &evenSlots);
    for (const TreeHit& h : tree.hits) EXPECT_EQ(h.slot % 2, 0u);
    const OpeningTree whole = maker.treeOf(start.board, {});
    EXPECT_GT(whole.records, tree.records);

    // A raised cancel flag stops the look at the records: nothing is counted; lowered, the
    // same maker counts again.
    std::atomic<bool> cancel{true};
    maker.setCancel(&cancel);
    const OpeningTree stopped = maker.treeOf(start.board, {});
    EXPECT_EQ(stopped.records, 0);
    EXPECT_TRUE(stopped.rows.empty());
    cancel = false;
    EXPECT_EQ(maker.treeOf(start.board, {}).records, whole.records);
}

TEST(OpeningTree, APositionNoRecordReachesIsAnEmptyTree) {
    TreeDatabase data(5);
    data.fill(50);
    if (HasFatalFailure()) return;
    ReplayBoard nowhere;
    ASSERT_TRUE(boardOfSfen("9/9/9/9/4k4/9/9/9/4K4 b - 1", nowhere));
    TreeMaker maker(data.db());
    const OpeningTree tree = maker.treeOf(nowhere, {});
    EXPECT_EQ(tree.records, 0);
    EXPECT_TRUE(tree.rows.empty());
    EXPECT_EQ(tree.ended.bestSlot, -1);
}

TEST(OpeningTree, ResultCodesFallIntoTheirClasses) {
    EXPECT_EQ(resultClassOf(1), ResultClass::BlackWins);
    EXPECT_EQ(resultClassOf(2), ResultClass::WhiteWins);
    EXPECT_EQ(resultClassOf(3), ResultClass::Draw);  // 持将棋
    EXPECT_EQ(resultClassOf(4), ResultClass::Draw);  // 千日手
    for (uint8_t other : {0, 5, 6, 7, 8, 200}) EXPECT_EQ(resultClassOf(other), ResultClass::Other);
}

TEST(OpeningTree, UsiMovesReadAndWrite) {
    ReplayBoard start = boardAfter(0, {}, 0);
    ListMove m;
    ASSERT_TRUE(listMoveOfUsi(start, "7g7f", m));
    EXPECT_EQ(m, (ListMove{77, 76}));
    EXPECT_EQ(usiMoveText(m), "7g7f");
    EXPECT_EQ(moveNotation(start, m), std::string("７六歩(77)"));
    for (const char* bad :
         {"", "7g", "7g7f++", "P*5e", "5a5b", "0a1b", "7g7f ", "7j7f", "5i5h+x"}) {
        EXPECT_FALSE(listMoveOfUsi(start, bad, m)) << bad;
    }
    ReplayBoard inHand = start;
    inHand.hand[ReplayBoard::handIndex(core::kSideBlack)][core::kPawn] = 1;
    inHand.cells[55] = 0;
    ASSERT_TRUE(listMoveOfUsi(inHand, "P*5e", m));
    EXPECT_EQ(usiMoveText(m), "P*5e");
    EXPECT_EQ(usiMoveText(ListMove{88, 22 | core::kPromoteFlag}), "8h2b+");
}

}  // namespace
}  // namespace dalmir::model
