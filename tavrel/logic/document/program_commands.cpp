#include "tavrel/logic/document/program_commands.h"

#include <filesystem>
#include <system_error>

#include "core/base/version.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

bool confirmClose(Document& doc) {
    if (isEditing(doc.mode()) &&
        doc.ui().ask(std::string(core::translate("プログラムを終了しますか？")),
                     std::string(core::translate("終了確認")), false) != Answer::Yes) {
        return false;
    }
    return doc.askSaveBeforeDiscard(false) != Answer::Cancel;
}

void showHelpIndex(Document& doc, const std::string& programFolder) {
    for (const std::string& index : helpIndexCandidates(programFolder)) {
        std::error_code ec;
        if (std::filesystem::exists(index, ec)) {
            if (!doc.ui().openWithDesktop(index)) doc.warningSound();
            return;
        }
    }
    doc.warningSound();
}

std::vector<std::string> helpIndexCandidates(const std::string& programFolder) {
    return {programFolder + "help/index.html",
            programFolder + "../share/tavrel/help/tavrel/index.html"};
}

std::string versionCaption() { return std::string(core::translate("バージョン情報")); }

std::string versionText() {
    return std::string(core::kProgramName) + " " + std::string(core::kProgramVersion);
}

}  // namespace tavrel
