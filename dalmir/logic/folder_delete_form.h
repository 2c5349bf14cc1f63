// The choices of the dialog フォルダ指定削除 and what they ask for: the folder whose records leave
// the database, the kind of file and whether its subfolders count.
#pragma once

#include <optional>
#include <string>

#include "dalmir/model/registration/registration.h"
#include "dalmir/model/table/index_settings.h"

namespace dalmir {

// The kinds "種類：" offers, in the order of model::DeleteKind (the last one: every file).
inline constexpr int kDeleteKindCount = 5;

struct FolderDeleteForm {
    std::string folder;  // file-system path as entered
    int kind = static_cast<int>(model::DeleteKind::All);
    bool subfolders = false;

    bool operator==(const FolderDeleteForm&) const = default;
};

// The dialog's starting values: the last choices of this run, or the first time the database's
// add folder with every kind and without subfolders.
FolderDeleteForm folderDeleteForm(const std::optional<FolderDeleteForm>& last,
                                  const model::IndexSettings& settings);

enum class [[nodiscard]] FolderDeleteFormResult{
    Ready,
    NoFolder,  // "フォルダが指定されていません。": the dialog is shown again
};

struct FolderDeleteDecision {
    FolderDeleteFormResult result = FolderDeleteFormResult::NoFolder;
    std::string folder;  // without surrounding blanks
    model::DeleteKind kind = model::DeleteKind::All;
    bool subfolders = false;
};

// A kind out of range means every file.
FolderDeleteDecision decideFolderDelete(const FolderDeleteForm& form);

// "フォルダが指定されていません。" (UTF-8).
std::string noDeleteFolderMessage();

}  // namespace dalmir
