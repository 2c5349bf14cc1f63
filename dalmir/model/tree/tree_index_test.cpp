#include "dalmir/model/tree/tree_index.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/base/checksum.h"
#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "dalmir/model/tree/tree_test_fixture.h"
#include "tests/support/temp_folder.h"

namespace dalmir::model {
namespace {

using namespace treetest;

class TreeIndexFile : public ::testing::Test {
protected:
    void SetUp() override {
        data.fill(150);
        ASSERT_FALSE(HasFatalFailure());
        index = TreeIndex::build(db().table(), db().lists(), 3);
        ASSERT_TRUE(index);
        ASSERT_EQ(writeTreeIndex(dlb, *index), core::WriteResult::Ok);
    }
    Database& db() { return data.db(); }
    PositionIndexReadResult reopen() {
        PositionIndexReadResult r = PositionIndexReadResult::Ok;
        opened = TreeIndex::open(treeIndexPath(dlb), db().table(), db().lists(), r);
        EXPECT_EQ(opened != nullptr, r == PositionIndexReadResult::Ok);
        return r;
    }
    std::string bytes() { return core::readFile(treeIndexPath(dlb)).value_or(std::string()); }
    void rewrite(const std::string& b) {
        std::ofstream(treeIndexPath(dlb), std::ios::binary | std::ios::trunc) << b;
    }
    // Puts the checksums right again after a change, as a careful forger would.
    static void resum(std::string& b) {
        const uint64_t body = core::checksum(b.data() + 64, b.size() - 64);
        std::memcpy(b.data() + 40, &body, 8);
        const uint64_t head = core::checksum(b.data(), 48);
        std::memcpy(b.data() + 48, &head, 8);
    }

    TreeDatabase data{31};
    testsupport::TempFolder folder;
    std::string dlb = folder.file("games.DLB");
    std::shared_ptr<const TreeIndex> index;
    std::shared_ptr<const TreeIndex> opened;
};

TEST_F(TreeIndexFile, ReadsBackWhatWasWritten) {
    ASSERT_EQ(reopen(), PositionIndexReadResult::Ok);
    EXPECT_EQ(opened->bytes(), index->bytes());
    EXPECT_EQ(treeIndexPath(dlb), folder.file("games.DTR"));
    const ReplayBoard start = boardAfter(0, {}, 0);
    TreeMaker fromFile(db(), opened.get());
    TreeMaker scan(db());
    const OpeningTree a = fromFile.treeOf(start, {});
    const OpeningTree b = scan.treeOf(start, {});
    EXPECT_EQ(fromFile.lastSource(), TreeSource::TreeIndex);
    EXPECT_EQ(a.records, b.records);
    EXPECT_EQ(a.rows.size(), b.rows.size());
}

TEST_F(TreeIndexFile, MissingIsNotAnError) {
    std::filesystem::remove(treeIndexPath(dlb));
    EXPECT_EQ(reopen(), PositionIndexReadResult::Missing);
    EXPECT_TRUE(treeIndexNotice(PositionIndexReadResult::Missing, "x").empty());
}

TEST_F(TreeIndexFile, ChangedListsMakeItStale) {
    std::vector<ListMove> list = usiLine({"7g7f"});
    db().replace(0, db().table().entry(0), list);
    EXPECT_EQ(reopen(), PositionIndexReadResult::Stale);
    EXPECT_FALSE(index->describes(db().table(), db().lists()));
    EXPECT_EQ(treeIndexNotice(PositionIndexReadResult::Stale, "a.DTR"),
              std::string("ツリー索引(a.DTR)が古いため、使わずに集計します。"));
}

TEST_F(TreeIndexFile, AnAddedRecordMakesItStale) {
    IndexEntry e;
    ASSERT_GE(db().append(e, usiLine({"2g2f"})), 0);
    EXPECT_EQ(reopen(), PositionIndexReadResult::Stale);
}

TEST_F(TreeIndexFile, AnEarlierLayoutIsStale) {
    std::string b = bytes();
    const uint32_t old = 0;
    std::memcpy(b.data() + 4, &old, 4);
    rewrite(b);
    EXPECT_EQ(reopen(), PositionIndexReadResult::Stale);
}

TEST_F(TreeIndexFile, DamageIsDetected) {
    const std::string good = bytes();
    ASSERT_GT(good.size(), 200u);
    struct Case {
        const char* name;
        std::string b;
    };
    std::vector<Case> cases;
    std::string b = good;
    b[good.size() - 3] ^= 0x10;
    cases.push_back({"a hit changed", b});
    b = good;
    b[20] ^= 1;
    cases.push_back({"the header changed", b});
    cases.push_back({"cut short", good.substr(0, good.size() - 8)});
    cases.push_back({"only a header", good.substr(0, 64)});
    cases.push_back({"less than a header", good.substr(0, 30)});
    cases.push_back({"empty", ""});
    b = good;
    b.replace(0, 4, "DPX1");
    cases.push_back({"another file's magic", b});
    // A slot beyond the table with both checksums made to agree: still refused.
    b = good;
    const uint32_t huge = 1u << 30;
    std::memcpy(b.data() + good.size() - 8, &huge, 4);
    resum(b);
    cases.push_back({"a slot out of range", b});
    // Hits of a position beyond the hit region.
    b = good;
    std::memcpy(b.data() + 64 + 12, &huge, 4);
    resum(b);
    cases.push_back({"a count out of range", b});
    for (const Case& c : cases) {
        rewrite(c.b);
        EXPECT_EQ(reopen(), PositionIndexReadResult::Damaged) << c.name;
    }
    EXPECT_EQ(treeIndexNotice(PositionIndexReadResult::Damaged, "a.DTR"),
              std::string("ツリー索引(a.DTR)が壊れているため、使わずに集計します。"));
}

TEST_F(TreeIndexFile, AFolderInItsPlaceCannotBeRead) {
    std::filesystem::remove(treeIndexPath(dlb));
    std::filesystem::create_directory(treeIndexPath(dlb));
    EXPECT_EQ(reopen(), PositionIndexReadResult::CannotRead);
}

TEST_F(TreeIndexFile, KeepsOnlyPositionsEnoughRecordsReach) {
    auto every = TreeIndex::build(db().table(), db().lists(), 1);
    ASSERT_TRUE(every);
    EXPECT_GT(every->positions(), index->positions());
    EXPECT_EQ(index->leastRecords(), 3u);
    std::vector<TreeHit> hits;
    const ReplayBoard start = boardAfter(0, {}, 0);
    ASSERT_TRUE(index->hitsOf(treeKey(start), hits));
    EXPECT_GE(hits.size(), 3u);
    for (std::size_t i = 1; i < hits.size(); ++i) EXPECT_LT(hits[i - 1].slot, hits[i].slot);
    EXPECT_FALSE(index->hitsOf(treeKey(start) + 1, hits));
}

TEST(TreeIndexBuild, AnEmptyDatabaseHasAnEmptyIndex) {
    Database db;
    db.reset(true);
    auto index = TreeIndex::build(db.table(), db.lists());
    ASSERT_TRUE(index);
    EXPECT_EQ(index->positions(), 0u);
    std::vector<TreeHit> hits;
    EXPECT_FALSE(index->hitsOf(0, hits));
}

}  // namespace
}  // namespace dalmir::model
