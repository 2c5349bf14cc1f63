#include "dalmir/model/registration/folder_census.h"

#include <filesystem>
#include <string_view>

#include "core/base/path_text.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"

namespace dalmir::model {

FolderCensus countFolderFiles(const std::string& fsFolder, bool subfolders, AddKind kind) {
    namespace fs = std::filesystem;
    FolderCensus census;
    std::error_code ec;
    auto count = [&](const fs::directory_entry& e) {
        std::error_code typeError;
        if (!e.is_regular_file(typeError)) return;
        if (kindTakes(kind, core::lowerExtension(e.path().filename().string()))) {
            ++census.taken;
        } else {
            ++census.skipped;
        }
    };
    if (subfolders) {
        fs::recursive_directory_iterator it(fsFolder, fs::directory_options::skip_permission_denied,
                                            ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) count(*it);
    } else {
        fs::directory_iterator it(fsFolder, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) count(*it);
    }
    return census;
}

std::string msgNothingToAdd(std::string_view folder, const FolderCensus& census) {
    return core::formatMessage(
        std::string("フォルダ(%s)に追加種類の棋譜ファイルがありません。（種類の違うファイル：%d）"),
        {std::string(folder), std::to_string(census.skipped)});
}

}  // namespace dalmir::model
