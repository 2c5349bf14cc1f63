#include "tavrel/logic/document/save_as.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "core/base/path_text.h"
#include "core/base/version.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

namespace {

constexpr std::array<const char*, kSaveFilterCount> kSaveFilters = {
    TR_NOOP("棋譜(*.kif)"),          TR_NOOP("棋譜(*.ki2)"),         TR_NOOP("CSA棋譜(*.csa)"),
    TR_NOOP("局面(*.bod)"),          TR_NOOP("英語表記棋譜(*.gam)"), TR_NOOP("英語表記局面(*.txt)"),
    TR_NOOP("JSON棋譜(*.jkf)"),      TR_NOOP("棋譜 UTF-8(*.kifu)"),  TR_NOOP("棋譜 UTF-8(*.ki2u)"),
    TR_NOOP("CSA棋譜 UTF-8(*.csau)")};

// Whether a dialog's path names no file: no name after the last '/', or an existing folder.
bool isInvalidName(const std::string& path) {
    std::error_code ec;
    return core::fileNameOf(path).empty() || std::filesystem::is_directory(path, ec);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

}  // namespace

std::string saveFilterText(SaveFormat filter) {
    const int n = saveFilterNumber(filter);
    if (n == 0) return {};
    return std::string(core::translate(kSaveFilters[static_cast<std::size_t>(n - 1)]));
}

SaveAsResult saveAsFile(Document& doc, const std::string& path, SaveFormat format) {
    DocumentUi& ui = doc.ui();
    bool position = format == SaveFormat::Bod || format == SaveFormat::EnglishPosition;
    std::string shown = pathToText(path);
    if (isInvalidName(path)) {
        ui.showMessage(std::string(core::translate("ファイル名(")) + shown +
                           std::string(core::translate(")が無効です。")),
                       programCaption());
        return SaveAsResult::InvalidName;
    }
    if (doc.isPartialSource(path)) {
        // The question says what would be lost, instead of the plain one below.
        if (!doc.confirmOverwriteOfPartialSource(path)) return SaveAsResult::KeptExisting;
    } else if (fileExists(path)) {
        std::string question = std::string(position ? core::translate("同名の局面(")
                                                    : core::translate("同名の棋譜(")) +
                               shown +
                               std::string(core::translate(")があります。書き換えますか？"));
        if (ui.ask(
                question,
                std::string(position ? core::translate("局面保存") : core::translate("棋譜保存")),
                false) != Answer::Yes) {
            return SaveAsResult::KeptExisting;
        }
    }
    if ((format == SaveFormat::Csa || format == SaveFormat::CsaUtf8) &&
        doc.store().hasVariations()) {
        if (ui.ask(
                std::string(core::translate("CSA形式では分岐を保存できませんが、継続しますか？")),
                std::string(core::translate("CSA形式棋譜保存")), false) != Answer::Yes) {
            return SaveAsResult::Stopped;
        }
    }
    if (!Document::canWrite(format)) {
        doc.notAvailableYet(saveFilterText(format));
        return SaveAsResult::Stopped;
    }
    const core::WriteResult written = doc.writeRecord(format, path);
    if (written == core::WriteResult::Cancelled) return SaveAsResult::Stopped;  // said so already
    if (written != core::WriteResult::Ok) {
        doc.warningSound();
        ui.showMessage(std::string(position ? core::translate("局面保存エラー(")
                                            : core::translate("棋譜保存エラー(")) +
                           shown + ")",
                       programCaption());
        return SaveAsResult::Failed;
    }
    shown = pathToText(doc.recordPath().empty() || position ? path : doc.recordPath());
    ui.setStatusText(position ? std::string(core::translate("局面ファイル(")) + shown +
                                    std::string(core::translate(")を出力しました。"))
                              : std::string(core::translate("棋譜ファイル(")) + shown +
                                    std::string(core::translate(")を保存しました。")));
    ui.documentChanged();
    return SaveAsResult::Saved;
}

void saveAs(Document& doc, SaveAsKind kind) {
    bool ki2Only = kind == SaveAsKind::Ki2Only;
    SaveFormat filter = ki2Only ? SaveFormat::Ki2
                                : initialSaveFilter(doc.mode(), doc.saveFilter(), doc.recordPath(),
                                                    doc.settings().standardFormat);
    FileDialogRequest request;
    request.title = std::string(ki2Only ? core::translate("KI2形式棋譜ファイルの保存")
                                        : core::translate("棋譜・局面ファイルの保存"));
    request.folder = doc.recordFolder();
    request.name = hasNoFile(doc.recordName()) ? textToPath(todayName())
                                               : std::string(core::fileNameOf(doc.recordPath()));
    if (ki2Only) {
        request.filters = {saveFilterText(SaveFormat::Ki2)};
    } else {
        for (int f = 1; f <= kSaveFilterCount; ++f) {
            request.filters.push_back(saveFilterText(saveFilterFormat(f)));
        }
    }
    for (;;) {
        request.selected = ki2Only ? 0 : saveFilterNumber(filter) - 1;
        std::optional<FileChoice> choice = doc.ui().chooseSaveFile(request);
        if (!choice) return;
        if (!ki2Only) {
            if (choice->filter >= 0 && choice->filter < kSaveFilterCount) {
                filter = saveFilterFormat(choice->filter + 1);
            }
            doc.setSaveFilter(filter);
        }
        std::string path = ki2Only ? choice->path : applySaveExtension(choice->path, filter);
        if (ki2Only && core::lowerExtension(path) != "ki2") path += ".ki2";
        switch (saveAsFile(doc, path, filter)) {
            case SaveAsResult::InvalidName:
                continue;
            case SaveAsResult::KeptExisting:
                request.name = std::string(core::fileNameOf(path));
                continue;
            case SaveAsResult::Saved:
            case SaveAsResult::Stopped:
            case SaveAsResult::Failed:
                return;
        }
    }
}

void save(Document& doc) {
    ViewerMode mode = doc.mode();
    if (isPlaying(mode) || mode == ViewerMode::PrintPreview) {
        doc.warningSound();
        return;
    }
    if (isEditing(mode) || !doc.saveInPlace()) {
        saveAs(doc, SaveAsKind::AnyFormat);
        return;
    }
    doc.ui().documentChanged();
}

}  // namespace tavrel
