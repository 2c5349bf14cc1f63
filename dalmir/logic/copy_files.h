// 選択棋譜のコピー: copies record files into one folder, with progress and the cancel flag.
#pragma once

#include <string>
#include <vector>

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

}  // namespace dalmir
