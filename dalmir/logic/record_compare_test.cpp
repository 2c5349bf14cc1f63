#include "dalmir/logic/record_compare.h"

#include <gtest/gtest.h>

namespace dalmir {
namespace {

using model::Database;
using model::IndexEntry;
using model::IndexText;
using model::ListMove;

Database withLists(const std::vector<std::vector<ListMove>>& lists) {
    Database db(100);
    db.reset(true);
    for (const auto& list : lists) {
        IndexEntry e;
        e.setText(IndexText::Path, "/r/" + std::to_string(db.table().size()) + ".kif");
        e.moveCount = static_cast<uint16_t>(list.size());
        EXPECT_GE(db.append(std::move(e), list), 0);
    }
    return db;
}

TEST(RecordCompareTest, FirstTwoSelectedInListOrder) {
    const ListMove a{77, 76}, b{33, 34}, c{27, 26}, d{83, 84};
    Database db = withLists({{a, b, c}, {a, b, d}, {a, b, c}, {a, b}});
    db.table().displayOrder() = {3, 2, 1, 0};

    // Rows 2 and 1 are slots 1 and 2: two equal moves, then they part.
    TwoRecordComparison r = compareTwoRecords(db, {2, 1});
    ASSERT_TRUE(r.compared);
    EXPECT_FALSE(r.identical);
    EXPECT_EQ(r.firstSlot, 2);
    EXPECT_EQ(r.secondSlot, 1);
    EXPECT_EQ(r.move, 3);

    // Slots 2 and 0 hold the same moves.
    r = compareTwoRecords(db, {3, 1});
    EXPECT_TRUE(r.identical);
    EXPECT_EQ(r.firstSlot, 2);
    EXPECT_EQ(r.secondSlot, 0);
    // With three rows the first two in list order are compared, not the two identical ones.
    r = compareTwoRecords(db, {3, 1, 2});
    EXPECT_FALSE(r.identical);
    EXPECT_EQ(r.secondSlot, 1);

    // A list that is the other's beginning differs.
    r = compareTwoRecords(db, {0, 3});
    EXPECT_FALSE(r.identical);
    EXPECT_EQ(r.move, 3);

    EXPECT_FALSE(compareTwoRecords(db, {1}).compared);
    EXPECT_FALSE(compareTwoRecords(db, {1, 9}).compared);
    EXPECT_EQ(noDifferenceText(), "違いは、ありません。");
}

}  // namespace
}  // namespace dalmir
