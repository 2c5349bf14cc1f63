// Why a folder add found nothing: the files below a folder counted by whether the chosen kind
// (追加種類) takes them, so that a run that adds nothing can say so instead of staying silent.
#pragma once

#include <string>

#include "dalmir/model/registration/registration.h"

namespace dalmir::model {

struct FolderCensus {
    int taken = 0;    // files the kind takes
    int skipped = 0;  // other regular files
};

// Counts the regular files of fsFolder (and below it with subfolders) as a folder add walks
// them. Folders that cannot be read count nothing.
FolderCensus countFolderFiles(const std::string& fsFolder, bool subfolders, AddKind kind);

// "フォルダ(%s)に追加種類の棋譜ファイルがありません。（種類の違うファイル：%d）" (folder as
// given).
std::string msgNothingToAdd(std::string_view folder, const FolderCensus& census);

}  // namespace dalmir::model
