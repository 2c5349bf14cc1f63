#include "tavrel/logic/view/record_list_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "core/formats/kif_reader.h"
#include "core/text/sjis.h"
#include "tests/support/random_record.h"

namespace tavrel {
namespace {

std::vector<std::string> linesOf(const std::string& kif, RecordListForm form,
                                 RecordListStyle style = {}) {
    core::RecordStore store;
    EXPECT_EQ(core::readRecordLines(store, std::string(kif), {}).result, core::ReadResult::Ok);
    std::vector<std::string> out;
    for (const std::string& l : recordListLines(store, form, style)) {
        out.push_back(core::toUtf8Lossy(l));
    }
    return out;
}

const char* kRecord =
    "*開始前\n"
    "   1 ７六歩(77)   ( 0:05/00:00:05)\n"
    "   2 ３四歩(33)   ( 1:10/00:01:10)\n"
    "*二手目\n"
    "&しおり\n"
    "   3 ２六歩(27)   ( 0:20/00:00:25)\n"
    "   4 投了         ( 0:00/00:01:10)\n"
    "変化：3手\n"
    "   3 ６六歩(67)   ( 0:03/00:00:08)\n";

TEST(RecordListTextTest, TimeForm) {
    EXPECT_EQ(linesOf(kRecord, RecordListForm::Times),
              (std::vector<std::string>{
                  " ==*開始局面 ==       消費時間(1手/累積)",
                  "  1 ▲７六歩      00:05 / 00:00:05",
                  "  2*△３四歩&     01:10 / 00:01:10",
                  "  3 ▲２六歩+     00:20 / 00:00:25",
                  "  4 △投了        00:00 / 00:01:10",
              }));
}

// The running total of each line is the side's cumulative time through that node, also when the
// current node lies in a variation and the line goes on past it.
TEST(RecordListTextTest, TimeFormTotalsFollowTheLineThroughTheCurrentNode) {
    testsupport::RandomRecordOptions options;
    options.variationPercent = 100;
    options.timesPercent = 100;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        core::RecordStore store;
        testsupport::makeRandomRecord(store, rng, options);
        // Any node of the tree made current, often one inside a variation.
        std::vector<core::NodeIndex> used;
        for (core::NodeIndex n = 1; n < store.capacity(); ++n) {
            if (store.isInUse(n) && n != core::kRootNode) used.push_back(n);
        }
        ASSERT_FALSE(used.empty());
        core::NodeIndex target = used[rng() % used.size()];
        ASSERT_EQ(store.goTo(target), core::EditResult::Ok);

        std::vector<core::NodeIndex> line;
        for (core::NodeIndex n = store.current(); n != core::kRootNode; n = store.parentOf(n)) {
            line.push_back(n);
        }
        std::reverse(line.begin(), line.end());
        for (core::NodeIndex n = store.node(store.current()).next; n != core::kNoNode;
             n = store.node(n).next) {
            line.push_back(n);
        }
        std::vector<std::string> lines = recordListLines(store, RecordListForm::Times, {});
        ASSERT_EQ(lines.size(), line.size() + 1) << "seed " << seed;
        for (std::size_t i = 0; i < line.size(); ++i) {
            std::uint32_t total = store.cumulativeSeconds(line[i]);
            char expected[32];
            std::snprintf(expected, sizeof expected, " / %02u:%02u:%02u", (total / 3600) % 100,
                          (total / 60) % 60, total % 60);
            EXPECT_TRUE(lines[i + 1].ends_with(expected))
                << "seed " << seed << " ply " << i + 1 << ": " << lines[i + 1];
        }
    }
}

TEST(RecordListTextTest, BranchFormAndOriginStyle) {
    RecordListStyle style;
    style.moveTextStyle = MoveTextStyle::OriginDown;
    EXPECT_EQ(linesOf(kRecord, RecordListForm::Branches, style),
              (std::vector<std::string>{
                  " ==*開始局面 ==  分岐                     ",
                  "  1 ▲７六歩(77)   ",
                  "  2*▽３四歩(33)&  ",
                  "  3 ▲２六歩(27)   ▲６六歩(67)  ",
                  "  4 ▽投了         ",
              }));
}

// A long record of kings stepping to and fro, one second a move: ply 1 has a comment and 65
// seconds, ply 999 a bookmark, ply 1000 a comment, and ply 1234 an alternative that is shown (the
// second of two).
class LongRecordListTest : public ::testing::Test {
protected:
    void SetUp() override {
        store.restoreStartPosition(store.position());
        const core::PackedMove cycle[4] = {core::packMove(59, 58), core::packMove(51, 52),
                                           core::packMove(58, 59), core::packMove(52, 51)};
        for (int i = 0; i < 1234; ++i) {
            ASSERT_EQ(store.addAndAdvance(core::kAddStoreAll, cycle[i % 4], i == 0 ? 65 : 1),
                      core::AddResult::Ok);
        }
        ASSERT_TRUE(store.backOne());
        ASSERT_EQ(store.addAndAdvance(core::kAddStoreAll, core::packMove(51, 41), 2),
                  core::AddResult::Ok);
        ASSERT_EQ(store.appendComment(1, std::string("一手目")), core::CommentResult::Ok);
        ASSERT_EQ(store.appendComment(1000, std::string("千手目")), core::CommentResult::Ok);
        ASSERT_EQ(store.setBookmark(store.nodeAtPly(999), std::string("栞")),
                  core::BookmarkResult::Ok);
        ASSERT_EQ(store.setBookmark(core::kRootNode, std::string("始")), core::BookmarkResult::Ok);
    }
    std::vector<std::string> lines(RecordListForm form, RecordListStyle style = {}) {
        std::vector<std::string> out;
        for (const std::string& l : recordListLines(store, form, style)) {
            out.push_back(core::toUtf8Lossy(l));
        }
        return out;
    }
    core::RecordStore store;
};

TEST_F(LongRecordListTest, PliesAboveNineHundredNinetyNineKeepThreeDigits) {
    std::vector<std::string> t = lines(RecordListForm::Times);
    ASSERT_EQ(t.size(), 1235u);
    struct Case {
        int ply;
        const char* times;
        const char* branches;
    };
    for (Case c : {
             Case{0, " == 開始局面&==       消費時間(1手/累積)",
                  " == 開始局面&始==  分岐                     "},
             Case{1, "  1*▲５八玉      01:05 / 00:01:05", "  1*▲５八玉       "},
             Case{999, "999 ▲５九玉&     00:01 / 00:09:24", "999 ▲５九玉&     栞 "},
             Case{1000, "000*△５一玉      00:01 / 00:08:20", "000*△５一玉       "},
             Case{1234, "234 △４一玉+     00:02 / 00:10:18", "234 △４一玉+      △５二玉      "},
         }) {
        RecordListStyle named;
        named.bookmarkNames = true;
        EXPECT_EQ(t[static_cast<std::size_t>(c.ply)], c.times) << c.ply;
        EXPECT_EQ(lines(RecordListForm::Branches, named)[static_cast<std::size_t>(c.ply)],
                  c.branches)
            << c.ply;
    }
    // Without しおり名表示 the branch form shows the mark only.
    EXPECT_EQ(lines(RecordListForm::Branches)[999], "999 ▲５九玉&      ");
    std::vector<RecordListRow> rows = recordListRows(store, RecordListForm::Times, {});
    EXPECT_TRUE(rows[1234].alternatives);
    EXPECT_FALSE(rows[1233].alternatives);
    EXPECT_EQ(rows[1234].node, store.current());
}

TEST(RecordLineColourTest, CurrentVariationAndBlend) {
    const Rgb current{255, 255, 0}, variation{224, 200, 0}, white{255, 255, 255};
    EXPECT_EQ(recordLineColour(false, false, current, variation), white);
    EXPECT_EQ(recordLineColour(true, false, current, variation), current);
    EXPECT_EQ(recordLineColour(false, true, current, variation), variation);
    // 255 - (255-224)/2 = 240, 255 - (255-200)/2 = 228, 0 - 127 -> 0
    EXPECT_EQ(recordLineColour(true, true, current, variation), (Rgb{240, 228, 0}));
    EXPECT_EQ(recordLineColour(true, true, current, variation, false), current);
}

TEST(RecordListTextTest, AlternativeColumns) {
    EXPECT_EQ(alternativeColumnAt(0), 0);
    EXPECT_EQ(alternativeColumnAt(18), 0);
    EXPECT_EQ(alternativeColumnAt(19), 1);
    EXPECT_EQ(alternativeColumnAt(32), 1);
    EXPECT_EQ(alternativeColumnAt(33), 2);
    EXPECT_EQ(alternativeColumnAt(19 + 14 * 8), 9);
    EXPECT_EQ(alternativeColumnAt(19 + 14 * 9), 0);
}

}  // namespace
}  // namespace tavrel
