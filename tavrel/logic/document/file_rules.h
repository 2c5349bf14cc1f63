// Rules about record file names: which reader takes an extension, the record's names from its
// path, the Save As filters and their extension rule, the date name of a record without file,
// next/previous file in a folder, and the backup copy's places. Paths are the file system's bytes
// with '/' as separator; names shown to the user are converted by the caller.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/formats/record_loader.h"
#include "core/templates/record_saver.h"
#include "tavrel/logic/document/viewer_mode.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

// "新規棋譜": the name of a record that has no file.
const std::string& newRecordName();
// The file name without folder, and without its extension when that is kif, ki2 or bod.
std::string recordNameFromPath(std::string_view path);
// Whether a RecordName stands for a record without file (empty or "新規棋譜").
bool hasNoFile(std::string_view recordName);

// "%02d%3s%02d": two-digit year, "Jan".."Dec", two-digit day (13Feb07).
std::string dateName(int year, int month, int day);
// dateName of today (local time).
std::string todayName();

// Save As filters 1..10: kif, ki2, csa, bod, gam, txt (the first six save formats), jkf, then the
// UTF-8 forms kifu, ki2u and csau.
using SaveFormat = core::SaveFormat;
inline constexpr int kSaveFilterCount = 10;
std::string_view saveFilterExtension(SaveFormat filter);
// The format of filter n (1..kSaveFilterCount; Kif for anything else) and back (0 when the
// format has no filter).
SaveFormat saveFilterFormat(int n);
int saveFilterNumber(SaveFormat format);
// The format an existing file is rewritten in by Save: kif, ki2, bod, csa, jkf, kifu, ki2u, csau;
// nullopt otherwise.
std::optional<SaveFormat> overwriteFormat(std::string_view path);

// The Open dialog's filters in the dialog's order, numbered from 1.
enum class OpenFilter {
    Kif = 1,
    Ki2 = 2,
    Bod = 3,
    Csa = 4,
    KifOrKi2 = 5,
    Jkf = 6,
    Usi = 7,
    All = 8,
};
inline constexpr int kOpenFilterCount = 8;

// The filter the Save As dialog starts with: Bod in Editing; else the one used last; else Ki2
// when the current file is KI2, or when it has no kif/ki2/bod extension and the standard format
// (標準棋譜) is 1; else Kif.
SaveFormat initialSaveFilter(ViewerMode mode, std::optional<SaveFormat> lastUsed,
                             std::string_view currentPath, StandardFormat standardFormat);
// The Open dialog's first filter: Ki2 when the standard format is KI2, else Kif.
OpenFilter initialOpenFilter(StandardFormat standardFormat);
// Appends the filter's extension unless the name already ends in a matching one (for Kif, Ki2
// and EnglishRecord any of kif, ki2 and gam match; otherwise only the filter's own, in any case).
std::string applySaveExtension(std::string_view name, SaveFormat filter);

// The entry after (forward) or before the current file among names of one folder with the same
// extension (case-insensitive), ordered by name without extension with single-byte letters
// upper-cased (two-byte characters compared as they are). nullopt when there is none.
std::optional<std::string> siblingFile(const std::vector<std::string>& folderNames,
                                       std::string_view currentName, bool forward);
inline constexpr std::size_t kMaxFolderEntries = 10000;

// Where a backup copy goes first ("<folder>bak/<name>.bak") and where when that fails
// ("<path>.bak").
std::string primaryBackupPath(std::string_view path);
std::string fallbackBackupPath(std::string_view path);

}  // namespace tavrel
