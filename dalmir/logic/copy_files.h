// 選択棋譜のコピー: asks for the target, then copies record files into one folder, with progress
// and the cancel flag.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dalmir/logic/dalmir_ui.h"
#include "dalmir/model/table/operation_host.h"

namespace dalmir {

struct [[nodiscard]] CopyReport {
    int copied = 0;
    bool cancelled = false;
    std::vector<std::string> failed;  // sources not copied (missing, or the target exists)
};

// Copies each source (file-system path) to targetFolder + its file name; a target that exists
// is replaced only with overwrite. Shows "棋譜コピー中...  %d / %d" at each file and at the end
// "棋譜 %d コピーしました。".
CopyReport copyRecordFiles(const std::vector<std::string>& sources, const std::string& targetFolder,
                           bool overwrite, model::OperationHost& host);

// What 選択棋譜のコピー asks before it starts: the target folder, then whether a file of the same
// name there is replaced ("同じ名前のファイルがあるとき、上書きしますか？"). nullopt when the
// folder dialog was cancelled.
struct CopyTarget {
    std::string folder;
    bool overwrite = false;
};
std::optional<CopyTarget> askCopyTarget(DalmirUi& ui);

}  // namespace dalmir
