#include "dalmir/logic/folder_add_form.h"

#include <algorithm>

#include "core/text/sjis.h"
#include "dalmir/model/table/fs_paths.h"

namespace dalmir {

namespace {

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string filterText(const std::string& s) {
    return std::string(core::cutToBytes(s, model::kAddFilterMaxBytes));
}

}  // namespace

FolderAddForm folderAddForm(const model::IndexSettings& settings, bool skipDuplicates,
                            const model::DuplicateCriteria& duplicates) {
    const model::FolderAdd stored = model::folderAddFromSettings(settings);
    FolderAddForm f;
    f.folder = stored.folder;
    f.subfolders = stored.subfolders;
    f.kind = std::clamp(settings.addKind, 0, kAddKindCount - 1);
    f.player = stored.filters.player;
    f.event = stored.filters.event;
    f.opening = stored.filters.opening;
    f.dateFilter = stored.dateFilter;
    f.year = stored.year;
    f.month = stored.month;
    f.day = stored.day;
    f.skipDuplicates = skipDuplicates;
    f.duplicates = duplicates;
    return f;
}

FolderAddDecision decideFolderAdd(const FolderAddForm& form, bool binaryDatabase,
                                  model::IndexSettings& settings) {
    FolderAddDecision d;
    const std::string folder = trimmed(form.folder);
    if (folder.empty()) return d;

    model::FolderAdd& r = d.request;
    r.folder = folder;
    r.subfolders = form.subfolders;
    r.kind = static_cast<model::AddKind>(form.kind >= 0 && form.kind < kAddKindCount
                                             ? form.kind
                                             : static_cast<int>(model::AddKind::AnyRecord));
    r.filters.player = filterText(form.player);
    r.filters.event = filterText(form.event);
    r.filters.opening = filterText(form.opening);
    r.filters.skipDuplicates = form.skipDuplicates;
    r.filters.duplicates = form.duplicates;
    if (!binaryDatabase) r.filters.duplicates.compareMoves = false;
    r.dateFilter = form.dateFilter;
    r.year = std::clamp(form.year, 1, 9999);
    r.month = std::clamp(form.month, 1, 12);
    r.day = std::clamp(form.day, 1, 31);

    if (const auto stored = model::storedFromFileSystem(folder)) {
        settings.addPath = std::string(core::cutToBytes(*stored, model::kAddPathMaxBytes));
    }
    settings.addSubfolders = r.subfolders;
    settings.addKind = static_cast<int>(r.kind);
    settings.addPlayer = r.filters.player;
    settings.addEvent = r.filters.event;
    settings.addOpening = r.filters.opening;
    settings.addDateFilter = r.dateFilter;
    settings.addYear = r.year;
    settings.addMonth = r.month;
    settings.addDay = r.day;
    d.result = FolderAddFormResult::Ready;
    return d;
}

std::vector<std::string> singleAddFilters() {
    return {"棋譜(*.KIF *.kif)",    "棋譜(*.KI2 *.ki2)", "棋譜(*.KI? *.ki?)",
            "CSA棋譜(*.CSA *.csa)", "局面(*.BOD *.bod)", "棋譜情報(*.DLS *.dls)",
            "すべてのﾌｧｲﾙ (*)"};
}

int singleAddFilter(const model::IndexSettings& settings) {
    const int last = static_cast<int>(singleAddFilters().size()) - 1;
    return settings.addKind < 0 || settings.addKind > last ? last : settings.addKind;
}

void rememberSingleAdd(const std::string& fsPath, int filter, model::IndexSettings& settings) {
    const int last = static_cast<int>(singleAddFilters().size()) - 1;
    settings.addKind = std::clamp(filter, 0, last);
    const std::size_t slash = fsPath.rfind('/');
    if (slash == std::string::npos) return;
    if (const auto stored = model::storedFromFileSystem(fsPath.substr(0, slash + 1))) {
        settings.addPath = std::string(core::cutToBytes(*stored, model::kAddPathMaxBytes));
    }
}

}  // namespace dalmir
