#include "tavrel/logic/document/program_commands.h"

#include <filesystem>
#include <system_error>

#include "core/base/version.h"
#include "core/text/sjis.h"

namespace tavrel {

bool confirmClose(Document& doc) {
    if (isEditing(doc.mode()) && doc.ui().ask(core::sjis("プログラムを終了しますか？"),
                                              core::sjis("終了確認"), false) != Answer::Yes) {
        return false;
    }
    return doc.askSaveBeforeDiscard(false) != Answer::Cancel;
}

void showHelpIndex(Document& doc, const std::string& programFolder) {
    std::string index = programFolder + "help/index.html";
    std::error_code ec;
    if (!std::filesystem::exists(index, ec) || !doc.ui().openWithDesktop(index)) {
        doc.warningSound();
    }
}

std::string versionCaption() { return core::sjis("バージョン情報"); }

std::string versionText() {
    return std::string(core::kProgramName) + " " + std::string(core::kProgramVersion);
}

}  // namespace tavrel
