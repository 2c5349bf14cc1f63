#include "viewer/logic/record_list_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "core/formats/record_reader.h"
#include "core/text/sjis.h"
#include "tests/support/random_record.h"

namespace viewer {
namespace {

std::vector<std::string> linesOf(const std::string& kif, RecordListForm form,
                                 RecordListStyle style = {}) {
    core::RecordStore store;
    EXPECT_EQ(core::readRecordLines(store, core::sjis(kif), {}).result, core::ReadResult::Ok);
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
    style.moveTextStyle = 1;
    EXPECT_EQ(linesOf(kRecord, RecordListForm::Branches, style),
              (std::vector<std::string>{
                  " ==*開始局面 ==  分岐                     ",
                  "  1 ▲７六歩(77)   ",
                  "  2*▽３四歩(33)&  ",
                  "  3 ▲２六歩(27)   ▲６六歩(67)  ",
                  "  4 ▽投了         ",
              }));
}

}  // namespace
}  // namespace viewer
