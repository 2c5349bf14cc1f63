#include "tavrel/logic/document/title.h"

#include "core/base/version.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/file_rules.h"

namespace tavrel {

std::string applicationTitle(const std::optional<std::string>& environmentName) {
    std::string app(core::kProgramName);
    if (environmentName) app += std::string(core::translate(" 設定：")) + *environmentName;
    return app;
}

std::string titleText(const TitleInput& in) {
    std::string name = in.recordFileName;
    if (in.incomplete) name += std::string(core::translate("（一部のみ読込）"));
    if (in.modified && in.recordName != newRecordName()) name += " *";
    const std::string& app = in.application;
    bool hasName = !in.recordName.empty();
    switch (in.mode) {
        case ViewerMode::Viewing:
            return hasName ? name + " - " + app : app;
        case ViewerMode::Replaying:
            return name + " - " + app + std::string(core::translate("（再現中）"));
        case ViewerMode::Playing:
        case ViewerMode::PlayingPieceHeld:
            return name + " - " + app +
                   std::string(in.branchOnEntry ? core::translate("（対局中）")
                                                : core::translate("（対局中：分岐なし）"));
        case ViewerMode::PrintPreview:
            return hasName ? name + " - " + app + std::string(core::translate("（プレビュー）"))
                           : app + std::string(core::translate("（プレビュー）"));
        case ViewerMode::Editing:
        case ViewerMode::EditingPieceHeld:
            return app + std::string(core::translate("（局面編集中）"));
    }
    return app;
}

std::string recordWindowCaption(int currentPly, int lineEnd) {
    std::string text =
        core::formatMessage(core::translate("棋譜 %s手"), {std::to_string(currentPly)});
    if (currentPly < lineEnd)
        text += core::formatMessage(core::translate(" / %s手"), {std::to_string(lineEnd)});
    return text;
}

}  // namespace tavrel
