#include "dalmir/model/registration/folder_census.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tests/support/test_records.h"

namespace dalmir::model {
namespace {

TEST(FolderCensusTest, CountsWhatTheKindTakesAndWhatItSkips) {
    testsupport::TempFolder folder("census");
    folder.writeBytes("a.kif", "x");
    folder.writeBytes("b.csa", "x");
    folder.writeBytes("notes.doc", "x");
    folder.writeBytes("sub/c.jkf", "x");
    FolderCensus top = countFolderFiles(folder.path(), false, AddKind::Csa);
    EXPECT_EQ(top.taken, 1);
    EXPECT_EQ(top.skipped, 2);
    FolderCensus all = countFolderFiles(folder.path(), true, AddKind::AnyRecord);
    EXPECT_EQ(all.taken, 3);
    EXPECT_EQ(all.skipped, 1);
    FolderCensus none = countFolderFiles(folder.file("missing"), true, AddKind::AnyRecord);
    EXPECT_EQ(none.taken + none.skipped, 0);
    EXPECT_EQ(core::toUtf8Lossy(msgNothingToAdd("/r", top)),
              "フォルダ(/r)に追加種類の棋譜ファイルがありません。（種類の違うファイル：2）");
}

}  // namespace
}  // namespace dalmir::model
