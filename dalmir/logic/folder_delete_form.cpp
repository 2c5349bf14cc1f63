#include "dalmir/logic/folder_delete_form.h"

namespace dalmir {

FolderDeleteForm folderDeleteForm(const std::optional<FolderDeleteForm>& last,
                                  const model::IndexSettings& settings) {
    if (last) return *last;
    FolderDeleteForm form;
    form.folder = model::folderAddFromSettings(settings).folder;
    return form;
}

FolderDeleteDecision decideFolderDelete(const FolderDeleteForm& form) {
    FolderDeleteDecision d;
    const auto first = form.folder.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return d;
    const auto last = form.folder.find_last_not_of(" \t\r\n");
    d.folder = form.folder.substr(first, last - first + 1);
    d.kind = form.kind >= 0 && form.kind < kDeleteKindCount
                 ? static_cast<model::DeleteKind>(form.kind)
                 : model::DeleteKind::All;
    d.subfolders = form.subfolders;
    d.result = FolderDeleteFormResult::Ready;
    return d;
}

std::string noDeleteFolderMessage() { return "フォルダが指定されていません。"; }

}  // namespace dalmir
