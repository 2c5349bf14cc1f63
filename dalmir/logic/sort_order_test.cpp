#include "dalmir/logic/sort_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text/sjis.h"

namespace dalmir {
namespace {

using model::IndexDate;
using model::IndexEntry;
using model::IndexTable;
using model::IndexText;
using model::ListColumn;

// Rows of (black player, start date, move count, user1); every key repeats so stability shows.
IndexTable sampleTable() {
    struct Row {
        const char* black;
        IndexDate date;
        int moves;
        const char* user;
    };
    const std::vector<Row> rows = {
        {"羽生", {1996, 2, 14}, 80, "b"}, {"谷川", {1990, 1, 1}, 120, "a"},
        {"羽生", {1990, 1, 1}, 80, "a"},  {"Abe", {2001, 5, 0}, 60, "c"},
        {"谷川", {1996, 2, 14}, 60, "b"},
    };
    IndexTable table(100);
    for (const auto& r : rows) {
        IndexEntry e;
        e.setText(IndexText::BlackPlayer, std::string(r.black));
        e.setText(IndexText::User1, r.user);
        e.start = r.date;
        e.moveCount = static_cast<uint16_t>(r.moves);
        e.marks = static_cast<uint8_t>(r.moves == 80 ? 1 : 0);
        EXPECT_GE(table.append(std::move(e)), 0);
    }
    table.rebuildDisplayOrder();
    return table;
}

std::vector<int32_t> sortedBy(int code) {
    IndexTable table = sampleTable();
    EXPECT_TRUE(sortDisplayOrder(table, code));
    EXPECT_EQ(table.settings().sortOrder, code);
    return table.displayOrder();
}

// Each order puts the rows by its keys, and rows with equal keys keep slot order (the display
// order starts in slot order), also for the descending orders.
TEST(SortOrderTest, OrdersAreStableOnEqualKeys) {
    struct Case {
        int code;
        std::vector<int32_t> expected;
    };
    const std::vector<Case> cases = {
        {0, {0, 1, 2, 3, 4}},
        {1, {4, 3, 2, 1, 0}},
        {2, {1, 3, 4, 0, 2}},  // marks ascending: unmarked first
        {3, {0, 2, 1, 3, 4}},
        // CP932 bytes decide: ASCII first, then 羽 (0x89 0x48) before 谷 (0x92 0x4A).
        {6, {3, 0, 2, 1, 4}},
        {14, {1, 2, 0, 4, 3}},  // oldest first
        {15, {3, 0, 4, 1, 2}},  // newest first
        {24, {3, 4, 0, 2, 1}},  // moves ascending
        {25, {1, 0, 2, 3, 4}},
        {34, {1, 2, 0, 4, 3}},  // user field 1 ascending
        {35, {3, 0, 4, 1, 2}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sortedBy(c.code), c.expected) << "code " << c.code;
    }
}

// A sort keeps the relative order of equal rows as they stand, not as slots are numbered.
TEST(SortOrderTest, EqualKeysKeepTheCurrentOrder) {
    IndexTable table = sampleTable();
    ASSERT_TRUE(sortDisplayOrder(table, 1));  // 4 3 2 1 0
    ASSERT_TRUE(sortDisplayOrder(table, 24));
    EXPECT_EQ(table.displayOrder(), (std::vector<int32_t>{4, 3, 2, 0, 1}));
}

TEST(SortOrderTest, OnlyListedRowsAreSortedAndInvalidCodesChangeNothing) {
    IndexTable table = sampleTable();
    table.displayOrder() = {4, 2, 0};
    ASSERT_TRUE(sortDisplayOrder(table, 0));
    EXPECT_EQ(table.displayOrder(), (std::vector<int32_t>{0, 2, 4}));
    EXPECT_FALSE(sortDisplayOrder(table, 44));
    EXPECT_FALSE(sortDisplayOrder(table, -1));
    EXPECT_EQ(table.settings().sortOrder, 0);
}

// After records were added or found the list is sorted again by the order it shows; an order
// the table can't have changes nothing.
TEST(SortOrderTest, ResortingKeepsTheTablesOrder) {
    IndexTable table = sampleTable();
    table.settings().sortOrder = 24;
    resortList(table);
    EXPECT_EQ(table.displayOrder(), (std::vector<int32_t>{3, 4, 0, 2, 1}));
    table.settings().sortOrder = 99;
    table.displayOrder() = {2, 0};
    resortList(table);
    EXPECT_EQ(table.displayOrder(), (std::vector<int32_t>{2, 0}));
}

TEST(SortOrderTest, ChangingOnlyTheDirectionReverses) {
    IndexTable table = sampleTable();
    ASSERT_TRUE(changeSortOrder(table, 24));  // 3 4 0 2 1
    ASSERT_TRUE(changeSortOrder(table, 25));
    EXPECT_EQ(table.displayOrder(), (std::vector<int32_t>{1, 2, 0, 4, 3}));
    EXPECT_EQ(table.settings().sortOrder, 25);
}

TEST(SortOrderTest, NamesOfTheOrders) {
    const model::UserFieldNames names = {std::string("段位"), "", "", "", ""};
    EXPECT_EQ(sortOrderName(0, names), std::string("登録順"));
    EXPECT_EQ(sortOrderName(1, names), std::string("登録が新しい順"));
    EXPECT_EQ(sortOrderName(4, names), std::string("ﾌｧｲﾙ名、昇順"));
    EXPECT_EQ(sortOrderName(15, names), std::string("対局日、新しい順"));
    EXPECT_EQ(sortOrderName(16, names), std::string("終了日、古い順"));
    EXPECT_EQ(sortOrderName(33, names), std::string("掲載、降順"));
    EXPECT_EQ(sortOrderName(34, names), std::string("段位、昇順"));
    EXPECT_EQ(sortOrderName(35, names), std::string("段位、降順"));
    EXPECT_EQ(sortOrderName(44, names), "");
    EXPECT_EQ(sortStatusText(27, names), std::string("表示順：次の手、降順"));
}

TEST(SortOrderTest, HeaderClicks) {
    const model::UserFieldNames names = {"u1", "", "", "", ""};
    const int date = static_cast<int>(ListColumn::StartDate);
    const int black = static_cast<int>(ListColumn::BlackPlayer);
    // Dates: newest first on the first click, oldest first on the second.
    EXPECT_EQ(headerClickOrder(date, 0, false, names), 15);
    EXPECT_EQ(headerClickOrder(date, 15, false, names), 14);
    EXPECT_EQ(headerClickOrder(date, 14, false, names), 15);
    EXPECT_EQ(headerClickOrder(date, 0, true, names), 14);
    // Others: ascending, then descending; shift asks for descending.
    EXPECT_EQ(headerClickOrder(black, 0, false, names), 6);
    EXPECT_EQ(headerClickOrder(black, 6, false, names), 7);
    EXPECT_EQ(headerClickOrder(black, 7, false, names), 6);
    EXPECT_EQ(headerClickOrder(black, 0, true, names), 7);
    EXPECT_EQ(headerClickOrder(0, 0, false, names), 1);
    // User columns: named ones sort, unnamed ones ignore the click.
    EXPECT_EQ(headerClickOrder(17, 0, false, names), 34);
    EXPECT_EQ(headerClickOrder(18, 0, false, names), -1);
    EXPECT_EQ(headerClickOrder(22, 0, false, names), -1);
}

// The header's arrow: down for the descending and newest-first orders.
TEST(SortOrderTest, DescendingOrdersPointTheArrowDown) {
    EXPECT_FALSE(sortsDescending(0));
    EXPECT_TRUE(sortsDescending(1));
    EXPECT_FALSE(sortsDescending(14));  // 対局日、古い順
    EXPECT_TRUE(sortsDescending(15));   // 対局日、新しい順
    EXPECT_TRUE(sortsDescending(kFixedSortOrderCount + 1));
    EXPECT_FALSE(sortsDescending(-1));
    EXPECT_FALSE(sortsDescending(kSortOrderCount + 1));
}

}  // namespace
}  // namespace dalmir
