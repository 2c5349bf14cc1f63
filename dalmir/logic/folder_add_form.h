// The choices of the folder-add dialog (フォルダ指定追加) and what they become: the registration
// request, and the database's remembered add settings for the next time.
#pragma once

#include <string>
#include <vector>

#include "dalmir/model/registration/registration.h"
#include "dalmir/model/table/duplicate_criteria.h"
#include "dalmir/model/table/index_settings.h"

namespace dalmir {

// The kinds the "種類：" choice offers, in the order of model::AddKind.
inline constexpr int kAddKindCount = 6;

struct FolderAddForm {
    std::string folder;  // file-system path as entered
    bool subfolders = false;
    int kind = static_cast<int>(model::AddKind::AnyRecord);
    std::string player;  // the filters
    std::string event;
    std::string opening;
    bool dateFilter = false;
    int year = 0;
    int month = 0;
    int day = 0;
    bool skipDuplicates = false;
    model::DuplicateCriteria duplicates;
};

// The dialog's starting values: the database's add settings; skip-duplicates and its criteria
// are the window's, remembered for the run of the program.
FolderAddForm folderAddForm(const model::IndexSettings& settings, bool skipDuplicates,
                            const model::DuplicateCriteria& duplicates);

enum class [[nodiscard]] FolderAddFormResult{
    Ready,
    NoFolder,  // "フォルダを指定して下さい。": the dialog is shown again
};

struct FolderAddDecision {
    FolderAddFormResult result = FolderAddFormResult::NoFolder;
    model::FolderAdd request;
};

// What the dialog's values ask for. The folder loses surrounding blanks; the filters are cut to
// the width the settings keep; a kind out of range means every record kind; the date parts are
// clamped to a real month and day; the move-list criterion is cleared for a text database
// (it keeps no move lists). When Ready, the settings take the values for the next time (the
// folder only when it has a stored form).
FolderAddDecision decideFolderAdd(const FolderAddForm& form, bool binaryDatabase,
                                  model::IndexSettings& settings);

// 単独追加's file dialog "棋譜の追加": its filters in order (UTF-8, each with the lower-case
// pattern beside the upper-case one), and the one to start with: 追加種類 picks it, any value
// out of range the last ("すべてのﾌｧｲﾙ").
std::vector<std::string> singleAddFilters();
int singleAddFilter(const model::IndexSettings& settings);
// After the file was chosen: the filter becomes 追加種類 and the file's folder the add folder
// (when it has a stored form).
void rememberSingleAdd(const std::string& fsPath, int filter, model::IndexSettings& settings);

}  // namespace dalmir
