#include "dalmir/logic/undo.h"

#include <gtest/gtest.h>

#include "dalmir/logic/list_commands.h"

namespace dalmir {
namespace {

using model::Database;
using model::IndexEntry;
using model::IndexText;
using model::ListMove;

Database binaryDatabase(int n) {
    Database db(100);
    db.reset(true);
    for (int i = 0; i < n; ++i) {
        IndexEntry e;
        e.setText(IndexText::Path, "/k/" + std::to_string(i) + ".KIF");
        e.moveCount = static_cast<uint16_t>(i + 1);
        std::vector<ListMove> list(static_cast<std::size_t>(i + 1),
                                   ListMove{static_cast<uint8_t>(11 + i), 55});
        EXPECT_EQ(db.append(std::move(e), std::move(list)), i);
    }
    db.table().setPath("/db/one.KIX");
    db.setModified(false);
    return db;
}

// Undoing a deletion brings the entries back with their own lists and the list as it was; the
// database keeps the file it now belongs to.
TEST(UndoTest, PutsRecordsListsAndOrderBack) {
    Database db = binaryDatabase(4);
    db.table().displayOrder() = {3, 1, 2, 0};
    UndoKeeper undo;
    EXPECT_FALSE(undo.undo(db));
    undo.keep(db);
    deleteSlots(db, {1, 3});
    db.table().setPath("/db/renamed.KIX");
    ASSERT_EQ(db.table().size(), 2);

    ASSERT_TRUE(undo.undo(db));
    ASSERT_EQ(db.table().size(), 4);
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(db.table().entry(slot).path(), "/k/" + std::to_string(slot) + ".KIF");
        ASSERT_EQ(static_cast<int>(db.lists().list(slot).size()), slot + 1);
        EXPECT_EQ(db.lists().list(slot).front().origin, 11 + slot);
    }
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{3, 1, 2, 0}));
    EXPECT_EQ(db.table().path(), "/db/renamed.KIX");
    // Unmodified when kept and not saved since: the database is the file's again.
    EXPECT_FALSE(db.isModified());
    // One change is kept.
    EXPECT_FALSE(undo.canUndo());
    EXPECT_FALSE(undo.undo(db));
}

TEST(UndoTest, ModifiedAfterASaveOrWhenKeptModified) {
    Database db = binaryDatabase(3);
    UndoKeeper undo;
    undo.keep(db);
    toggleMarkOne(db, {0});
    db.setModified(false);  // saved
    undo.noteSaved();
    ASSERT_TRUE(undo.undo(db));
    EXPECT_EQ(db.table().entry(0).marks, 0);
    EXPECT_TRUE(db.isModified());

    db.setModified(true);
    undo.keep(db);
    clearListedMarks(db);
    ASSERT_TRUE(undo.undo(db));
    EXPECT_TRUE(db.isModified());

    undo.keep(db);
    undo.forget();
    EXPECT_FALSE(undo.canUndo());
}

}  // namespace
}  // namespace dalmir
