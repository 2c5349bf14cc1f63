#include "dalmir/logic/list_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text/sjis.h"

namespace dalmir {
namespace {

using model::Database;
using model::IndexEntry;
using model::IndexText;
using model::ListMove;

// A binary database of n records; record i has path "/k/i.KIF", i+1 moves and a list whose
// first element's origin is i, so entries and lists can be matched afterwards.
Database binaryDatabase(int n) {
    Database db(100);
    db.reset(true);
    for (int i = 0; i < n; ++i) {
        IndexEntry e;
        e.setText(IndexText::Path, "/k/" + std::to_string(i) + ".KIF");
        e.setText(IndexText::BlackPlayer, std::string("先手") + std::to_string(i));
        e.moveCount = static_cast<uint16_t>(i + 1);
        e.start = {2001, 2, static_cast<uint8_t>(i + 1)};
        std::vector<ListMove> list(static_cast<std::size_t>(i + 1),
                                   ListMove{static_cast<uint8_t>(i), 55});
        EXPECT_EQ(db.append(std::move(e), std::move(list)), i);
    }
    db.setModified(false);
    return db;
}

// Each slot's list still belongs to its entry: the list's length and first origin match.
void expectListsMatch(const Database& db) {
    ASSERT_EQ(db.lists().size(), db.table().size());
    for (int slot = 0; slot < db.table().size(); ++slot) {
        const IndexEntry& e = db.table().entry(slot);
        const int record = std::stoi(std::string(e.path().substr(3)));
        const auto list = db.lists().list(slot);
        ASSERT_EQ(static_cast<int>(list.size()), e.moveCount) << slot;
        EXPECT_EQ(list.front().origin, record) << slot;
    }
}

std::vector<std::string> pathsInSlotOrder(const Database& db) {
    std::vector<std::string> out;
    for (const auto& e : db.table().entries()) out.emplace_back(e.path());
    return out;
}

TEST(ListCommandsTest, AdoptListOrderMovesEntriesWithTheirLists) {
    Database db = binaryDatabase(4);
    db.table().displayOrder() = {2, 0, 3, 1};
    ASSERT_EQ(adoptListOrder(db), TableCommandResult::Done);
    EXPECT_EQ(pathsInSlotOrder(db),
              (std::vector<std::string>{"/k/2.KIF", "/k/0.KIF", "/k/3.KIF", "/k/1.KIF"}));
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_TRUE(db.isModified());
    expectListsMatch(db);
}

TEST(ListCommandsTest, AdoptListOrderNeedsEveryRecordListed) {
    Database db = binaryDatabase(3);
    db.table().displayOrder() = {2, 0};
    EXPECT_EQ(adoptListOrder(db), TableCommandResult::NotAvailable);
    EXPECT_EQ(pathsInSlotOrder(db), (std::vector<std::string>{"/k/0.KIF", "/k/1.KIF", "/k/2.KIF"}));
    EXPECT_FALSE(db.isModified());
}

TEST(ListCommandsTest, KeepListedOnlyDropsTheOthersWithTheirLists) {
    Database db = binaryDatabase(5);
    db.table().displayOrder() = {4, 1};
    ASSERT_EQ(keepListedOnly(db), TableCommandResult::Done);
    EXPECT_EQ(pathsInSlotOrder(db), (std::vector<std::string>{"/k/4.KIF", "/k/1.KIF"}));
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{0, 1}));
    EXPECT_TRUE(db.isModified());
    expectListsMatch(db);

    db.setModified(false);
    EXPECT_EQ(keepListedOnly(db), TableCommandResult::NotAvailable);
    EXPECT_FALSE(db.isModified());
}

TEST(ListCommandsTest, TextDatabaseKeepsNoLists) {
    Database db(10);
    for (int i = 0; i < 3; ++i) {
        IndexEntry e;
        e.setText(IndexText::Path, std::to_string(i));
        ASSERT_GE(db.append(std::move(e)), 0);
    }
    db.table().displayOrder() = {2};
    ASSERT_EQ(keepListedOnly(db), TableCommandResult::Done);
    EXPECT_EQ(pathsInSlotOrder(db), std::vector<std::string>{"2"});
    EXPECT_TRUE(db.lists().empty());
}

TEST(ListCommandsTest, DeleteRemovesFromTheLastSlot) {
    Database db = binaryDatabase(5);
    deleteSlots(db, {1, 3, 3, 9});
    EXPECT_EQ(pathsInSlotOrder(db), (std::vector<std::string>{"/k/0.KIF", "/k/2.KIF", "/k/4.KIF"}));
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_TRUE(db.isModified());
    expectListsMatch(db);
}

// Deleting many at once leaves what deleting them one by one leaves: the slots close up, the
// list keeps its order (hidden records stay hidden) and each list stays with its record.
TEST(ListCommandsTest, DeletingManyMatchesDeletingOneByOne) {
    Database batch = binaryDatabase(40);
    batch.table().displayOrder().clear();
    for (int32_t slot = 39; slot >= 0; slot -= 3) batch.table().displayOrder().push_back(slot);
    Database single = batch;
    std::vector<int> slots;
    for (int slot = 0; slot < 40; slot += 4) slots.push_back(slot);
    slots.push_back(7);
    slots.push_back(-1);  // out of range: skipped
    slots.push_back(40);
    deleteSlots(batch, slots);
    for (int slot = 39; slot >= 0; --slot) {
        if (slot % 4 == 0 || slot == 7) single.removeSlot(slot);
    }
    EXPECT_EQ(pathsInSlotOrder(batch), pathsInSlotOrder(single));
    EXPECT_EQ(batch.table().displayOrder(), single.table().displayOrder());
    EXPECT_EQ(batch.table().size(), 29);
    expectListsMatch(batch);

    Database untouched = binaryDatabase(2);
    untouched.setModified(false);
    deleteSlots(untouched, {5});
    EXPECT_FALSE(untouched.isModified());
}

TEST(ListCommandsTest, Marks) {
    Database db = binaryDatabase(3);
    db.table().entry(0).marks = model::kMarkComments | model::kMarkVariations;
    toggleMarkOne(db, {0, 1});
    EXPECT_EQ(db.table().entry(0).marks, 0x0D);
    EXPECT_EQ(db.table().entry(1).marks, 0x01);
    editMarks(db, 0, false, true);
    EXPECT_EQ(db.table().entry(0).marks, model::kMarkComments | model::kMarkUser2);
    db.table().displayOrder() = {0, 2};
    db.table().entry(2).marks = 0x0F;
    clearListedMarks(db);
    EXPECT_EQ(db.table().entry(0).marks, 0);
    EXPECT_EQ(db.table().entry(1).marks, 0x01);  // not listed
    EXPECT_EQ(db.table().entry(2).marks, 0);
}

TEST(ListCommandsTest, ShowOnlyAndHide) {
    Database db = binaryDatabase(5);
    db.table().displayOrder() = {4, 3, 2, 1, 0};
    hideRows(db.table(), {1, 3, 7});
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{4, 2, 0}));
    showOnlyRows(db.table(), {2, 0});
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{4, 0}));
    EXPECT_EQ(slotsOfRows(db.table(), {1, 5, 0}), (std::vector<int>{0, 4}));
}

// 棋譜情報出力: the shown columns as the list shows them, No. as "%5d", "," after each, CR LF.
TEST(ListCommandsTest, ListInfoText) {
    Database db = binaryDatabase(3);
    auto& shown = db.table().settings().columnShown;
    shown.fill(0);
    shown[0] = shown[2] = shown[3] = shown[6] = shown[10] = shown[17] = shown[18] = 1;
    db.table().entry(2).setText(IndexText::User1, "u");
    db.table().displayOrder() = {2, 0, 1};
    const model::UserFieldNames names = {"one", "", "", "", ""};
    const std::string text = listInfoText(db.table(), {0, 2}, names);
    EXPECT_EQ(text, "    1,2.KIF," + std::string("先手") + "2,01/02/03,3,u,\r\n" + "    3,1.KIF," +
                        std::string("先手") + "1,01/02/02,2,,\r\n");

    const auto columns = shownColumns(db.table(), names);
    ASSERT_EQ(columns.size(), 6u);
    EXPECT_TRUE(columns[0].rightAligned);
    EXPECT_FALSE(columns[1].rightAligned);
    EXPECT_TRUE(columns[4].rightAligned);  // 手数
    EXPECT_EQ(columns[5].title, "one");
}

// A dragged width lands on the column shown at that position, never on a hidden one, and
// stays within what the DLS file can hold.
TEST(ListCommandsTest, DraggedWidthGoesToTheShownColumn) {
    Database db = binaryDatabase(1);
    auto& settings = db.table().settings();
    settings.columnShown.fill(0);
    settings.columnShown[0] = settings.columnShown[3] = settings.columnShown[10] = 1;
    const model::UserFieldNames names = {"", "", "", "", ""};
    const auto before = settings.columnWidth;
    EXPECT_TRUE(setShownColumnWidth(db.table(), names, 1, 123));
    EXPECT_EQ(settings.columnWidth[3], 123);
    EXPECT_FALSE(setShownColumnWidth(db.table(), names, 1, 123));
    EXPECT_TRUE(setShownColumnWidth(db.table(), names, 2, 5000));
    EXPECT_EQ(settings.columnWidth[10], kMaxColumnWidth);
    EXPECT_FALSE(setShownColumnWidth(db.table(), names, 3, 50));
    EXPECT_FALSE(setShownColumnWidth(db.table(), names, -1, 50));
    for (int c : {0, 1, 2, 4, 5, 6}) {
        EXPECT_EQ(settings.columnWidth[static_cast<std::size_t>(c)],
                  before[static_cast<std::size_t>(c)]);
    }
    EXPECT_EQ(shownColumns(db.table(), names)[1].width, 123);
}

TEST(ListCommandsTest, TitleAndCounts) {
    Database db = binaryDatabase(2);
    db.table().setPath("");
    EXPECT_EQ(windowTitle(db), "無題(バイナリ)");
    db.reset(false);
    db.setModified();
    EXPECT_EQ(windowTitle(db), "無題 *");
    db.table().setPath(std::string("/d/棋譜.dls"));
    db.setModified(false);
    EXPECT_EQ(windowTitle(db), "棋譜.dls");
    Database three = binaryDatabase(3);
    three.table().displayOrder() = {1};
    EXPECT_EQ(recordCountText(three.table()), "棋譜数：1 / 3");
}

}  // namespace
}  // namespace dalmir

namespace dalmir {
namespace {

// The 自動戦型 and 囲い columns come last once any record has a label, and their headers sort
// the listed records by their texts, those without one last, leaving the stored sort order
// alone. Dragging their widths never reaches the index's 22 stored widths.
TEST(OpeningLabelColumnTest, ShownWithLabelsAndSortedByThem) {
    model::Database db;
    for (const char* label :
         {"▲四間飛車(美濃囲い) △居飛車", "", "角換わり ▲居飛車(矢倉囲い) △居飛車",
          "▲居飛車穴熊 △四間飛車(高美濃囲い)"}) {
        model::IndexEntry e;
        e.setText(model::IndexText::AutoOpening, std::string(label));
        ASSERT_GE(db.append(e), 0);
    }
    model::UserFieldNames names;
    std::vector<ListColumnView> columns = shownColumns(db.table(), names);
    ASSERT_GE(columns.size(), 2u);
    const ListColumnView& labelView = columns[columns.size() - 2];
    EXPECT_EQ(labelView.column, model::kAutoOpeningColumn);
    EXPECT_EQ(labelView.title, "自動戦型");
    EXPECT_EQ(columns.back().column, model::kCastlesColumn);
    EXPECT_EQ(columns.back().title, "囲い");
    EXPECT_EQ(model::cellText(db.table(), 0, model::kAutoOpeningColumn),
              "▲四間飛車(美濃囲い) △居飛車");
    EXPECT_EQ(model::cellText(db.table(), 0, model::kCastlesColumn), "▲美濃囲い");
    EXPECT_EQ(model::cellText(db.table(), 1, model::kCastlesColumn), "");
    EXPECT_EQ(model::cellText(db.table(), 3, model::kCastlesColumn), "▲居飛車穴熊 △高美濃囲い");

    const int stored = db.table().settings().sortOrder;
    // "▲" (0x81A3) comes before "角" (0x8A70) in character-code order.
    sortListedByLabel(db.table(), model::kAutoOpeningColumn, false);
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{3, 0, 2, 1}));
    sortListedByLabel(db.table(), model::kAutoOpeningColumn, true);
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{2, 0, 3, 1}));
    // 居 (0x8B8F) before 美 (0x94FC); "▲矢倉" and "▲美濃" share the mark, 美 before 矢 (0x96EE).
    sortListedByLabel(db.table(), model::kCastlesColumn, false);
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{3, 0, 2, 1}));
    sortListedByLabel(db.table(), model::kCastlesColumn, true);
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{2, 0, 3, 1}));
    EXPECT_EQ(db.table().settings().sortOrder, stored);

    const auto widths = db.table().settings().columnWidth;
    const int sections = static_cast<int>(columns.size());
    EXPECT_FALSE(setShownColumnWidth(db.table(), names, sections - 2, 300));
    EXPECT_FALSE(setShownColumnWidth(db.table(), names, sections - 1, 300));
    EXPECT_EQ(db.table().settings().columnWidth, widths);
    EXPECT_TRUE(setShownColumnWidth(db.table(), names, 0, widths[0] + 7));

    for (int slot = 0; slot < db.table().size(); ++slot) {
        db.table().entry(slot).setText(model::IndexText::AutoOpening, {});
    }
    EXPECT_FALSE(isLabelColumn(shownColumns(db.table(), names).back().column));
}

}  // namespace
}  // namespace dalmir
