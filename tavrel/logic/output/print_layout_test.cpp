#include "tavrel/logic/output/print_layout.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tavrel/logic/output/export_test_fixture.h"
#include "tavrel/logic/output/text_options.h"

namespace tavrel {
namespace {

TEST(PrintArithmetic, MillimetresUnitsAndLineHeight) {
    EXPECT_NEAR(mmToUnits(25.4), 100.0, 1e-9);
    EXPECT_NEAR(mmToUnits(10), 39.37, 0.01);
    EXPECT_EQ(mmToPixels(25.4, 1200), 1200);
    EXPECT_EQ(mmToPixels(10, 96), 38);
    EXPECT_EQ(printLineHeight(21, 3, 0, 600), 24);
    EXPECT_EQ(printLineHeight(21, 3, 254, 100), 124);  // 25.4 mm more at 100 dpi
}

TEST(PrintArithmetic, CentringOverTheBoard) {
    EXPECT_EQ(centredStart(100, 400, 200), 200);
    EXPECT_EQ(centredStart(100, 400, 201), 199);
    EXPECT_EQ(centredStart(100, 400, 400), 100);
    EXPECT_EQ(centredStart(100, 400, 900), 100);  // wider than the board: from the left
}

class PrintRecordTest : public testsupport::ExportFixture {
protected:
    std::vector<std::string> lines(bool withHeader) {
        return printedRecordLines(store, textOutputOptions(settings),
                                  printRecordOptions(settings, withHeader));
    }
    std::string joined(bool withHeader) {
        std::string all;
        for (const std::string& l : lines(withHeader)) all += core::toUtf8Lossy(l) + "\n";
        return all;
    }
};

const char* const kEightMoves =
    "先手：甲\r\n後手：乙\r\n手合割：平手\r\n"
    "   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ２六歩(27)\r\n   4 ８四歩(83)\r\n"
    "   5 ２五歩(26)\r\n   6 ８五歩(84)\r\n   7 ７八金(69)\r\n*考えた\r\n"
    "   8 ３二金(41)\r\n   9 投了\r\n";

TEST_F(PrintRecordTest, SixMovesALineInTwelveByteSlotsThenTheResult) {
    load("a.kif", kEightMoves);
    const std::vector<std::string> l = lines(true);
    std::string all = joined(true);
    EXPECT_NE(all.find("先手：甲\n後手：乙\n\n"), std::string::npos) << all;
    const std::string first = core::toUtf8Lossy(l[l.size() - 5]);
    EXPECT_EQ(first, "▲７六歩　　△３四歩　　▲２六歩　　△８四歩　　▲２五歩　　△８五歩");
    EXPECT_EQ(core::cp932Width(l[l.size() - 5]), 5 * kPrintSlotBytes + 8);
    EXPECT_EQ(core::toUtf8Lossy(l[l.size() - 4]), "▲７八金");  // a comment ends the line
    EXPECT_EQ(core::toUtf8Lossy(l[l.size() - 3]), "考えた");
    EXPECT_EQ(core::toUtf8Lossy(l[l.size() - 2]), "△３二金");
    EXPECT_EQ(core::toUtf8Lossy(l.back()), "まで8手で後手の勝ち");
}

TEST_F(PrintRecordTest, CommentsCanBeLeftOutAndVariationsFollow) {
    load("b.kif",
         "手合割：平手\r\n   1 ７六歩(77)\r\n*序盤\r\n   2 ３四歩(33)\r\n   3 投了\r\n"
         "変化：2手\r\n   2 ８四歩(83)\r\n");
    std::string all = joined(false);
    EXPECT_NE(all.find("序盤"), std::string::npos);
    EXPECT_NE(all.find("まで2手で後手の勝ち\n\n変化：2手\n△８四歩"), std::string::npos) << all;
    EXPECT_EQ(all.find("先手："), std::string::npos);
    settings.printComments = 0;
    EXPECT_EQ(joined(false).find("序盤"), std::string::npos);
}

TEST_F(PrintRecordTest, RecordFormResultLines) {
    struct Case {
        const char* ending;
        const char* expected;
    };
    const Case cases[] = {
        {"投了", "　　　  2手で後手の勝ち"},
        {"切れ負け", "　　　  2手で後手の勝ち"},
        {"反則負け", "　　　  2手で先手の反則負け"},
        {"反則勝ち", "　　　  1手で後手の反則負け"},
        {"千日手", "　　　  2手で千日手"},
        {"持将棋", "　　　  2手で持将棋"},
        {"中断", "手数　　　  2手　"},
    };
    for (const Case& c : cases) {
        load("c.kif", (std::string("手合割：平手\r\n   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ") +
                       c.ending + "\r\n")
                          .c_str());
        EXPECT_EQ(core::toUtf8Lossy(formResultLine(store)), c.expected) << c.ending;
    }
}

TEST_F(PrintRecordTest, RecordFormTimesAndSheets) {
    load("d.kif", testsupport::kSampleRecord);
    EXPECT_EQ(core::toUtf8Lossy(formTimeUsed(store, 0)), "0時間00分");
    store.clearAllTimes();
    store.setHeader(core::HeaderField::TimeUsed, std::string("▲1時間05分△0時間30分"));
    EXPECT_EQ(core::toUtf8Lossy(formTimeUsed(store, 0)), "1時間05分");
    EXPECT_EQ(core::toUtf8Lossy(formTimeUsed(store, 1)), "0時間30分");
    EXPECT_EQ(formSheetCount(0), 1);
    EXPECT_EQ(formSheetCount(156), 1);
    EXPECT_EQ(formSheetCount(157), 2);
    EXPECT_EQ(formPageCaption(1, 1), "");
    EXPECT_EQ(formPageCaption(2, 3), "Page 2 / 3");
}

}  // namespace
}  // namespace tavrel
