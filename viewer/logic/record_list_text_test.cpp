#include "viewer/logic/record_list_text.h"

#include <gtest/gtest.h>

#include "core/formats/record_reader.h"
#include "core/text/sjis.h"

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
