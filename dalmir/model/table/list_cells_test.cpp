#include "dalmir/model/table/list_cells.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace dalmir::model {
namespace {

TEST(ListCellsTest, DatesFollowTheYearStyle) {
    EXPECT_EQ(dateCellText({2013, 6, 1}, 0), "13/06/01");
    EXPECT_EQ(dateCellText({2013, 6, 1}, 1), "2013/06/01");
    EXPECT_EQ(dateCellText({2013, 6, 1}, 2), std::string("平成25/06/01"));
    EXPECT_EQ(dateCellText({1989, 1, 7}, 2), std::string("昭和64/01/07"));
    EXPECT_EQ(dateCellText({2019, 4, 30}, 2), std::string("平成31/04/30"));
    EXPECT_EQ(dateCellText({2019, 5, 1}, 2), std::string("令和01/05/01"));
    EXPECT_EQ(dateCellText({2024, 6, 1}, 2), std::string("令和06/06/01"));
    EXPECT_EQ(dateCellText({}, 0), "?\?/?\?/??");
    EXPECT_EQ(dateCellText({}, 1), "???\?/?\?/??");
    EXPECT_EQ(dateCellText({}, 2), "??\?/?\?/??");
}

TEST(ListCellsTest, FileNamesFollowThePathStyle) {
    const std::string path = std::string("/home/u/棋譜/名人戦/a.b.KIF");
    EXPECT_EQ(fileNameCellText(path, 0, true), "a.b.KIF");
    EXPECT_EQ(fileNameCellText(path, 0, false), "a.b");
    EXPECT_EQ(fileNameCellText(path, 1, true), path);
    EXPECT_EQ(fileNameCellText(path, 2, false), std::string("名人戦/a.b"));
    EXPECT_EQ(fileNameCellText("x.KIF", 2, true), "x.KIF");
}

TEST(ListCellsTest, CellsOfARowUseTheDisplayOrder) {
    IndexTable table;
    IndexEntry a;
    a.setText(IndexText::Path, "/g/a.KIF");
    a.handicap = 3;
    a.result = 2;
    a.marks = kMarkUser1 | kMarkComments;
    a.moveCount = 87;
    a.setText(IndexText::User1, std::string("竜王戦"));
    IndexEntry b;
    b.setText(IndexText::Path, "/g/b.KIF");
    ASSERT_EQ(table.append(a), 0);
    ASSERT_EQ(table.append(b), 1);
    table.displayOrder() = {1, 0};
    EXPECT_EQ(cellText(table, 0, 2), "b.KIF");
    EXPECT_EQ(cellText(table, 1, 0), "2");
    EXPECT_EQ(cellText(table, 1, 1), "* C ");
    EXPECT_EQ(cellText(table, 1, 5), std::string("角落ち"));
    EXPECT_EQ(cellText(table, 1, 10), "87");
    EXPECT_EQ(cellText(table, 1, 11), std::string("上手の勝ち"));
    EXPECT_EQ(cellText(table, 1, 17), std::string("竜王戦"));
    EXPECT_EQ(cellText(table, 2, 0), "");

    UserFieldNames names{std::string("棋戦名"), "", "", "", ""};
    EXPECT_TRUE(isColumnShown(table.settings(), 17, names));
    EXPECT_FALSE(isColumnShown(table.settings(), 18, names));
    EXPECT_FALSE(isColumnShown(table.settings(), 1, names));
    EXPECT_EQ(columnTitleText(17, names), std::string("棋戦名"));
}

}  // namespace
}  // namespace dalmir::model
