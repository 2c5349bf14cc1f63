#include "dalmir/model/search/duplicate_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text/sjis.h"

namespace dalmir::model {
namespace {

class AnsweringHost : public OperationHost {
public:
    void status(std::string_view text) override { statuses.emplace_back(text); }
    DuplicateAnswer askDuplicate(const DuplicatePair& pair, bool& deleteFile) override {
        asked.push_back(pair);
        deleteFile = tickDeleteFile;
        if (answers.empty()) return DuplicateAnswer::Next;
        DuplicateAnswer a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    bool moveToTrash(std::string_view fsPath, bool) override {
        trashed.emplace_back(fsPath);
        return true;
    }

    std::vector<DuplicateAnswer> answers;
    std::vector<DuplicatePair> asked;
    std::vector<std::string> statuses, trashed;
    bool tickDeleteFile = false;
};

struct Record {
    const char* path;
    IndexDate date{2013, 6, 1};
    uint16_t moves = 3;
    std::vector<ListMove> list = {{77, 76}, {33, 34}, {27, 26}};
};

class DuplicateCheckTest : public ::testing::Test {
protected:
    void make(const std::vector<Record>& records, bool binary) {
        db.reset(binary);
        for (const Record& r : records) {
            IndexEntry e;
            e.setText(IndexText::Path, r.path);
            e.setText(IndexText::BlackPlayer, std::string("羽生善治"));
            e.setText(IndexText::WhitePlayer, std::string("谷川浩司"));
            e.start = r.date;
            e.moveCount = r.moves;
            ASSERT_GE(db.append(e, binary ? r.list : std::vector<ListMove>{}), 0);
        }
    }
    std::vector<std::string> paths() const {
        std::vector<std::string> out;
        for (int s = 0; s < db.table().size(); ++s) out.emplace_back(db.table().entry(s).path());
        return out;
    }

    Database db{100};
    AnsweringHost host;
};

TEST_F(DuplicateCheckTest, DifferentMovesPairInATextDatabaseOnly) {
    const std::vector<Record> records = {
        {"/a.kif"}, {"/b.kif", {2013, 6, 1}, 3, {{77, 76}, {33, 34}, {57, 56}}}};
    DuplicateCriteria criteria;
    criteria.compareMoves = true;
    make(records, false);
    DuplicateCheckReport text = checkDuplicates(db, criteria, host);
    EXPECT_EQ(text.code, 1);
    ASSERT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(host.asked[0].firstLine, "1: No.   1: /a.kif");
    EXPECT_EQ(host.asked[0].secondLine, "2: No.   2: /b.kif");

    make(records, true);
    EXPECT_EQ(checkDuplicates(db, criteria, host).code, 0);
    EXPECT_EQ(host.statuses.back(), std::string("棋譜の重複はありませんでした。"));
    criteria.moveTolerance = 1;
    EXPECT_EQ(checkDuplicates(db, criteria, host).code, 1);
}

TEST_F(DuplicateCheckTest, AnIncompleteDateIsNeverPaired) {
    make({{"/a.kif", {2013, 6, 0}}, {"/b.kif", {2013, 6, 0}}}, false);
    EXPECT_EQ(checkDuplicates(db, DuplicateCriteria{}, host).pairs, 0);
    DuplicateCriteria noDate;
    noDate.sameDate = false;
    EXPECT_EQ(checkDuplicates(db, noDate, host).pairs, 1);
}

TEST_F(DuplicateCheckTest, AlwaysDeleteSecondFlagsEveryLaterDuplicateWithoutAsking) {
    make({{"/a.kif"}, {"/b.kif"}, {"/c.kif", {2014, 1, 1}}, {"/d.kif"}, {"/e.kif"}}, false);
    host.answers = {DuplicateAnswer::AlwaysSecond};
    DuplicateCheckReport r = checkDuplicates(db, DuplicateCriteria{}, host);
    EXPECT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(r.pairs, 3);
    EXPECT_EQ(r.deleted, 3);
    EXPECT_EQ(paths(), (std::vector<std::string>{"/a.kif", "/c.kif"}));
    ASSERT_EQ(r.found.size(), 3u);  // the pairs keep their paths after the deletion
    EXPECT_EQ(r.found[2].secondPath, "/e.kif");
    EXPECT_TRUE(db.isModified());
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{0, 1}));
}

TEST_F(DuplicateCheckTest, DeleteFirstMovesOnAndTheFileGoesToTheTrash) {
    make({{"/a.kif"}, {"/b.kif"}, {"/c.kif"}}, false);
    host.answers = {DuplicateAnswer::DeleteFirst, DuplicateAnswer::Next};
    host.tickDeleteFile = true;
    DuplicateCheckReport r = checkDuplicates(db, DuplicateCriteria{}, host);
    // a is flagged against b; then b and c are asked about and kept.
    ASSERT_EQ(host.asked.size(), 2u);
    EXPECT_EQ(host.asked[1].firstRow, 2);
    EXPECT_EQ(host.asked[1].secondRow, 3);
    EXPECT_EQ(r.deleted, 1);
    EXPECT_EQ(host.trashed, (std::vector<std::string>{"/a.kif"}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"/b.kif", "/c.kif"}));
}

TEST_F(DuplicateCheckTest, StopDeletesWhatWasFlaggedAndCancelNothing) {
    const std::vector<Record> records = {{"/a.kif"}, {"/b.kif"}, {"/c.kif"}, {"/d.kif"}};
    make(records, false);
    host.answers = {DuplicateAnswer::DeleteSecond, DuplicateAnswer::DeleteSecond,
                    DuplicateAnswer::Stop};
    DuplicateCheckReport r = checkDuplicates(db, DuplicateCriteria{}, host);
    EXPECT_EQ(r.code, -1);
    EXPECT_EQ(r.deleted, 2);
    EXPECT_EQ(paths(), (std::vector<std::string>{"/a.kif", "/d.kif"}));

    make(records, false);
    host.answers = {DuplicateAnswer::DeleteSecond, DuplicateAnswer::Cancel};
    r = checkDuplicates(db, DuplicateCriteria{}, host);
    EXPECT_EQ(r.code, -1);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(db.table().size(), 4);
    EXPECT_EQ(host.statuses.back(), std::string("重複検査終了"));
}

TEST_F(DuplicateCheckTest, ComparingTwoRecordsFindsTheFirstDifference) {
    make({{"/a.kif"},
          {"/b.kif", {2013, 6, 1}, 3, {{27, 26}, {33, 34}, {77, 76}}},
          {"/c.kif", {2013, 6, 1}, 2, {{77, 76}, {33, 34}}},
          {"/d.kif"}},
         true);
    RecordComparison c = compareRecords(db, 0, 1);
    EXPECT_FALSE(c.identical);
    EXPECT_EQ(c.equalMoves, 0);
    EXPECT_EQ(replayPlies(db, 0, 1), (std::pair<int, int>{1, 1}));
    EXPECT_EQ(replayPlies(db, 0, 2), (std::pair<int, int>{3, 2}));
    EXPECT_TRUE(compareRecords(db, 0, 3).identical);
    db.setBinary(false);
    EXPECT_EQ(replayPlies(db, 0, 1), (std::pair<int, int>{3, 3}));
}

// Rows of several keys mixed in a scrambled list: every pair of the same date and move count is
// offered once, in list order of the first row and then of the second.
TEST_F(DuplicateCheckTest, PairsComeInListOrderAcrossMixedKeys) {
    std::vector<Record> records;
    std::vector<std::string> names;
    for (int i = 0; i < 24; ++i) names.push_back("/r" + std::to_string(i) + ".kif");
    for (int i = 0; i < 24; ++i) {
        Record r{names[static_cast<std::size_t>(i)].c_str()};
        r.date = {static_cast<uint16_t>(2000 + i % 3), 1, static_cast<uint8_t>(i % 4 == 0 ? 0 : 1)};
        r.moves = static_cast<uint16_t>(3 + i % 2);
        records.push_back(r);
    }
    make(records, false);
    std::vector<int32_t> order;
    for (int i = 0; i < 24; ++i) order.push_back((i * 7) % 24);
    db.table().displayOrder() = order;
    std::vector<std::pair<int, int>> expected;
    for (std::size_t a = 0; a < order.size(); ++a) {
        for (std::size_t b = a + 1; b < order.size(); ++b) {
            const Record& x = records[static_cast<std::size_t>(order[a])];
            const Record& y = records[static_cast<std::size_t>(order[b])];
            if (x.date.day != 0 && x.date == y.date && x.moves == y.moves) {
                expected.emplace_back(order[a], order[b]);
            }
        }
    }
    DuplicateCheckReport r = checkDuplicates(db, DuplicateCriteria{}, host);
    std::vector<std::pair<int, int>> asked;
    for (const DuplicatePair& p : host.asked) asked.emplace_back(p.firstSlot, p.secondSlot);
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(r.pairs, static_cast<int>(expected.size()));
    EXPECT_GT(expected.size(), 10u);
}

}  // namespace
}  // namespace dalmir::model
