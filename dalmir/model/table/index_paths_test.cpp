#include "dalmir/model/table/index_paths.h"

#include <gtest/gtest.h>

#include "core/base/path_text.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/index_table.h"

namespace dalmir::model {
namespace {

TEST(IndexPathsTest, NormalisingUpperCasesOnlyTheExtension) {
    EXPECT_EQ(normalisePath("/games/a.kif"), "/games/a.KIF");
    EXPECT_EQ(normalisePath("/games.old/a"), "/games.old/a");  // a dot in a folder only
    EXPECT_EQ(normalisePath("/g/a.b.ki2"), "/g/a.b.KI2");
    EXPECT_EQ(normalisePath("rel/x.Csa"), "rel/x.CSA");
    // ド is 0x83 0x68: its second byte is "h" and must stay as it is.
    EXPECT_EQ(normalisePath(std::string("/g/x.kド")), std::string("/g/x.Kド"));
}

TEST(IndexPathsTest, FoldersAndResolving) {
    EXPECT_EQ(core::folderOf("/db/index.DLS"), "/db/");
    EXPECT_EQ(core::folderOf("index.DLS"), "");
    EXPECT_EQ(core::fileNameOf(std::string("/db/棋譜.KIF")), std::string("棋譜.KIF"));
    EXPECT_EQ(resolvePath("/db/", "sub/a.KIF"), "/db/sub/a.KIF");
    EXPECT_EQ(resolvePath("/db/", "/other/a.KIF"), "/other/a.KIF");
    EXPECT_EQ(resolvePath("", "a.KIF"), "a.KIF");
}

// Folders and names compare as the file system compares them; only the extension's case is
// folded, so that an entry an older version stored as "a.KIF" still names "a.kif".
TEST(IndexPathsTest, RelativeOnlyInsideTheIndexFolderComparedExactly) {
    EXPECT_EQ(relativeTo("/db/", "/db/sub/a.kif"), "sub/a.kif");
    EXPECT_EQ(relativeTo("/DB/", "/db/sub/a.KIF"), std::nullopt);
    EXPECT_EQ(relativeTo("/db/", "/dbx/a.KIF"), std::nullopt);
    EXPECT_EQ(relativeTo("", "/db/a.KIF"), std::nullopt);
    // Two-byte characters compare exactly: 0x83 0x68 and 0x83 0x48 differ only in the ASCII
    // case of their second bytes.
    EXPECT_EQ(relativeTo("/\x83\x68/", "/\x83\x48/a.KIF"), std::nullopt);
    EXPECT_FALSE(samePath("/\x83\x68.KIF", "/\x83\x48.KIF"));
    EXPECT_FALSE(samePath("/Games/A.KIF", "/games/a.kif"));
    EXPECT_FALSE(samePath("/g/Game.kif", "/g/game.kif"));
    EXPECT_TRUE(samePath("/g/00051.KIF", "/g/00051.kif"));
}

TEST(IndexTableTest, RemovingASlotRenumbersTheDisplayOrder) {
    IndexTable table;
    for (int i = 0; i < 4; ++i) {
        IndexEntry e;
        e.setText(IndexText::Path, std::to_string(i));
        ASSERT_EQ(table.append(e), i);
    }
    table.displayOrder() = {3, 1, 0, 2};
    table.removeSlot(1);
    EXPECT_EQ(table.size(), 3);
    EXPECT_EQ(table.entry(1).path(), "2");
    EXPECT_EQ(table.displayOrder(), (std::vector<int32_t>{2, 0, 1}));
    EXPECT_TRUE(table.isConsistent());
}

// The display order a caller edits must name each slot held at most once.
TEST(IndexTableTest, TheConsistencyCheckSeesADisplayOrderThatNamesNoSlotOrOneTwice) {
    IndexTable table;
    for (int i = 0; i < 3; ++i) ASSERT_EQ(table.append(IndexEntry()), i);
    EXPECT_TRUE(table.isConsistent());  // an empty order shows nothing, which is allowed
    table.displayOrder() = {2, 0};
    EXPECT_TRUE(table.isConsistent());
    table.displayOrder() = {2, 0, 2};
    EXPECT_FALSE(table.isConsistent());
    table.displayOrder() = {0, 3};
    EXPECT_FALSE(table.isConsistent());
    table.displayOrder() = {-1};
    EXPECT_FALSE(table.isConsistent());
    table.rebuildDisplayOrder();
    EXPECT_TRUE(table.isConsistent());
    table.removeSlot(0);
    EXPECT_EQ(table.displayOrder(), (std::vector<int32_t>{0, 1}));
}

TEST(IndexTableTest, CapacityIsASettingAndAFullTableRefuses) {
    IndexTable table(2);
    EXPECT_EQ(table.append(IndexEntry()), 0);
    EXPECT_EQ(table.append(IndexEntry()), 1);
    EXPECT_EQ(table.append(IndexEntry()), -3);
    table.setCapacity(100000);
    EXPECT_EQ(table.append(IndexEntry()), 2);
    EXPECT_EQ(tableFullMessage(1000), std::string("登録が最大数(1000)を超えました。"));
}

TEST(IndexTableTest, FindsARecordByItsFileWhetherStoredRelativeOrAbsolute) {
    IndexTable table;
    table.setPath("/db/main.DLS");
    IndexEntry e;
    e.setText(IndexText::Path, "sub/a.KIF");
    ASSERT_EQ(table.append(e), 0);
    e.setText(IndexText::Path, "/else/b.KIF");
    ASSERT_EQ(table.append(e), 1);
    EXPECT_EQ(table.findPath("/db/sub/a.kif"), 0);
    EXPECT_EQ(table.findPath("/DB/sub/a.kif"), -1);  // another folder
    EXPECT_EQ(table.findPath("/else/b.kif"), 1);
    EXPECT_EQ(table.findPath("/else/c.KIF"), -1);
}

}  // namespace
}  // namespace dalmir::model
