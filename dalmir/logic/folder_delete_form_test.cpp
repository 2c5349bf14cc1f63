#include "dalmir/logic/folder_delete_form.h"

#include <gtest/gtest.h>

namespace dalmir {
namespace {

TEST(FolderDeleteFormTest, StartsFromTheAddFolderThenTheLastChoices) {
    model::IndexSettings settings;
    settings.addPath = "/data/kifu";
    settings.addSubfolders = true;
    const FolderDeleteForm first = folderDeleteForm(std::nullopt, settings);
    EXPECT_EQ(first.folder, "/data/kifu");
    EXPECT_EQ(first.kind, static_cast<int>(model::DeleteKind::All));
    EXPECT_FALSE(first.subfolders);  // deleting reaches below only when asked

    const FolderDeleteForm last{"/other", 1, true};
    EXPECT_EQ(folderDeleteForm(last, settings), last);
}

TEST(FolderDeleteFormTest, Decision) {
    FolderDeleteDecision d = decideFolderDelete({"  ", 0, false});
    EXPECT_EQ(d.result, FolderDeleteFormResult::NoFolder);
    EXPECT_EQ(noDeleteFolderMessage(), "フォルダが指定されていません。");

    d = decideFolderDelete({" /data/kifu ", 3, true});
    ASSERT_EQ(d.result, FolderDeleteFormResult::Ready);
    EXPECT_EQ(d.folder, "/data/kifu");
    EXPECT_EQ(d.kind, model::DeleteKind::Csa);
    EXPECT_TRUE(d.subfolders);

    EXPECT_EQ(decideFolderDelete({"/d", 9, false}).kind, model::DeleteKind::All);
    EXPECT_EQ(decideFolderDelete({"/d", -1, false}).kind, model::DeleteKind::All);
}

}  // namespace
}  // namespace dalmir
