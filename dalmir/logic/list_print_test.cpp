#include "dalmir/logic/list_print.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace dalmir {
namespace {

TEST(ListPrintTest, PageArithmetic) {
    PrintGeometry g;
    g.unitsPerMmX = g.unitsPerMmY = 10;  // 254 dpi
    g.pageHeight = 2970;
    g.fontHeight = 40;  // + 2 * 5 for 0.5 mm spacing
    PrintLayout l = printLayout(g, 100);
    EXPECT_DOUBLE_EQ(l.left, 150);
    EXPECT_DOUBLE_EQ(l.top, 100);
    EXPECT_DOUBLE_EQ(l.lineHeight, 50);
    EXPECT_EQ(l.linesPerPage, 55);  // (2970 - 100 - 100) / 50
    EXPECT_EQ(l.recordsPerPage, 50);
    EXPECT_EQ(l.pageCount, 2);
    EXPECT_EQ(printLayout(g, 101).pageCount, 3);
    EXPECT_EQ(printLayout(g, 0).pageCount, 1);

    g.lineMarginTenthMm = 2000;  // 200 mm spacing: no record fits
    l = printLayout(g, 10);
    EXPECT_EQ(l.pageCount, 0);
    EXPECT_EQ(lineSpacingTooLargeMessage(), "行間隔が大き過ぎます。");
}

TEST(ListPrintTest, HeaderTexts) {
    EXPECT_EQ(printHeaderText(2024, 3, 9, 6, 7, 5, 0, "a.dls"), "2024/03/09(土) 07:05:00 a.dls");
    const std::string longName(70, 'x');
    EXPECT_EQ(printHeaderText(2024, 3, 10, 0, 0, 0, 0, longName),
              "2024/03/10(日) 00:00:00 " + std::string(65, 'x') + "...");
    EXPECT_EQ(printPageText(2, 7), "Page 2 / 7");
}

TEST(ListPrintTest, PrintedCells) {
    model::IndexTable table(20000);
    for (int i = 0; i < 1200; ++i) {
        model::IndexEntry e;
        e.moveCount = static_cast<uint16_t>(i);
        ASSERT_GE(table.append(std::move(e)), 0);
    }
    table.rebuildDisplayOrder();
    EXPECT_EQ(printCellText(table, 0, 0), "   1");  // "%4d" from 1,000 records
    EXPECT_EQ(printCellText(table, 12, 10), "  12");
    table.displayOrder().resize(5);
    EXPECT_EQ(printCellText(table, 4, 0), "  5");
    EXPECT_EQ(printCellText(table, 5, 0), "");
}

TEST(ListPrintTest, CardFields) {
    model::IndexEntry e;
    e.setText(model::IndexText::BlackPlayer, std::string("羽生"));
    e.setText(model::IndexText::User2, "x");
    e.start = {2013, 6, 1};
    e.moveCount = 99;
    model::IndexSettings settings;
    settings.yearStyle = 1;
    const model::UserFieldNames names = {"", std::string("段位"), "", "", ""};
    const auto fields = cardFields(&e, settings, names);
    ASSERT_EQ(fields.size(), 15u);
    EXPECT_EQ(fields[1].label, "先手(下手)：");
    EXPECT_EQ(fields[1].text, "羽生");
    EXPECT_EQ(fields[3].text, "平手");
    EXPECT_EQ(fields[5].text, "2013/06/01");
    EXPECT_EQ(fields[10].label, "段位：");
    EXPECT_EQ(fields[10].text, "x");
    EXPECT_EQ(fields[14].text, "99");
    for (const auto& f : cardFields(nullptr, settings, names)) EXPECT_EQ(f.text, "") << f.label;
}

}  // namespace
}  // namespace dalmir
