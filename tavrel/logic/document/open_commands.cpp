#include "tavrel/logic/document/open_commands.h"

#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/base/path_text.h"
#include "core/base/version.h"
#include "core/formats/record_loader.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/play/position_editor.h"

namespace tavrel {

namespace {

constexpr std::array<const char*, kOpenFilterCount> kOpenFilters = {
    TR_NOOP("棋譜(*.kif *.KIF)"),
    TR_NOOP("棋譜(*.ki2 *.KI2)"),
    TR_NOOP("局面(*.bod *.BOD)"),
    TR_NOOP("CSA棋譜(*.csa *.CSA)"),
    TR_NOOP("棋譜(*.kif *.ki2 *.KIF *.KI2)"),
    TR_NOOP("JSON棋譜(*.jkf *.JKF)"),
    "USI(*.usi *.sfen)",
    TR_NOOP("すべてのﾌｧｲﾙ (*)")};

// The names of the files in a folder (hidden ones too; links to files count, broken links and
// folders do not), at most kMaxFolderEntries, in the order the folder gives them. Empty when the
// folder cannot be read.
std::vector<std::string> folderFileNames(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (names.size() >= kMaxFolderEntries) break;
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
    }
    return names;
}

}  // namespace

std::string openFilterText(int filter) {
    if (filter < 1 || filter > kOpenFilterCount) return {};
    return std::string(core::translate(kOpenFilters[static_cast<std::size_t>(filter - 1)]));
}

CommandResult openRecordFile(Document& doc, const std::string& path) {
    const CommandResult r = doc.loadRecordFile(path);
    doc.ui().documentChanged();
    return r;
}

CommandResult openRecord(Document& doc) {
    if (doc.askSaveBeforeDiscard(true) == Answer::Cancel) return CommandResult::Cancelled;
    if (!doc.openFilter()) doc.setOpenFilter(initialOpenFilter(doc.settings().standardFormat));
    FileDialogRequest request;
    request.title = std::string(core::translate("棋譜・局面ファイルの読み込み"));
    request.folder = doc.recordFolder();
    for (int f = 1; f <= kOpenFilterCount; ++f) request.filters.push_back(openFilterText(f));
    request.selected = static_cast<int>(*doc.openFilter()) - 1;
    std::optional<FileChoice> choice = doc.ui().chooseOpenFile(request);
    if (!choice) return CommandResult::Cancelled;
    if (choice->filter >= 0 && choice->filter < kOpenFilterCount) {
        doc.setOpenFilter(static_cast<OpenFilter>(choice->filter + 1));
    }
    return openRecordFile(doc, choice->path);
}

void openRecentFile(Document& doc, const std::string& path) {
    if (doc.askSaveBeforeDiscard(true) == Answer::Cancel) return;
    (void)openRecordFile(doc, path);  // shows its own message
}

void openSiblingFile(Document& doc, bool forward) {
    const std::string& current = doc.recordPath();
    if (current.empty() || hasNoFile(doc.recordName())) {
        doc.warningSound();
        return;
    }
    std::string folder(core::folderOf(current));
    std::vector<std::string> names;
    for (const std::string& name : folderFileNames(folder)) names.push_back(pathToText(name));
    std::optional<std::string> next =
        siblingFile(names, pathToText(std::string(core::fileNameOf(current))), forward);
    if (!next) {
        doc.warningSound();
        return;
    }
    if (doc.askSaveBeforeDiscard(false) == Answer::Cancel) return;
    // Shows its own message.
    (void)openRecordFile(doc, (folder.empty() ? std::string("./") : folder) + textToPath(*next));
}

void dropFile(Document& doc, const std::string& path) {
    DocumentUi& ui = doc.ui();
    if (core::formatOfPath(path) == core::RecordFormat::Unsupported) {
        doc.warningSound();
        return;
    }
    if (isPlaying(doc.mode())) {
        doc.warningSound();
        ui.showMessage(std::string(core::translate("対局中は、ドロップできません。")),
                       programCaption());
        return;
    }
    if (doc.mode() == ViewerMode::PrintPreview) {
        doc.warningSound();
        ui.showMessage(std::string(core::translate("プレビュー中は、ドロップできません。")),
                       programCaption());
        return;
    }
    if (doc.modified()) {
        doc.warningSound();
        if (doc.askSaveBeforeDiscard(false) == Answer::Cancel) return;
    }
    (void)doc.loadRecordFile(path);  // shows its own message
    ui.documentChanged();
    ui.setStatusText(pathToText(path) + std::string(core::translate(" がドロップされました。")));
    doc.warningSound();
}

void paste(Document& doc) {
    if (isPlaying(doc.mode()) || doc.mode() == ViewerMode::PrintPreview) {
        doc.warningSound();
        return;
    }
    (void)doc.pasteRecord(doc.ui().clipboardText());  // shows its own message
    doc.ui().documentChanged();
}

std::optional<PrintRequest> processCommandLine(
    Document& doc, const CommandLine& commandLine,
    const std::function<void(bool closeAfter)>& autoReplay,
    const std::function<void()>& resumeGame) {
    const CommandLine& cl = commandLine;
    Settings& settings = doc.settings();
    // "+n" overrides 棋譜読込局面 for this one load.
    auto withPly = [&](auto load) {
        const PositionAfterLoad saved = settings.positionAfterLoad;
        if (cl.ply) settings.positionAfterLoad = PositionAfterLoad::Start;
        const CommandResult r = load();
        settings.positionAfterLoad = saved;
        if (r == CommandResult::Done && cl.ply) doc.showPly(*cl.ply);
        doc.ui().documentChanged();
        return r;
    };
    bool resume = cl.resumeGame;
    if (cl.file) {
        const CommandResult r = withPly([&] { return doc.loadRecordFile(*cl.file); });
        if (r != CommandResult::Done) resume = false;
    } else if (cl.clipboard) {
        // Shows its own message.
        (void)withPly([&] { return doc.pasteRecord(doc.ui().clipboardText()); });
    }
    if (cl.replay) {
        if (settings.oldReplay != 0 && doc.store().lineEnd() > 0) {
            doc.setMode(ViewerMode::Replaying);
            doc.ui().documentChanged();
        }
    } else if (cl.autoReplay || cl.autoReplayThenClose) {
        if (autoReplay) {
            autoReplay(cl.autoReplayThenClose);
        } else {
            doc.notAvailableYet(std::string(core::translate("連続再現")));
        }
    } else if (resume) {
        if (resumeGame) {
            resumeGame();
        } else {
            doc.notAvailableYet(std::string(core::translate("中断局面から再開")));
        }
    } else if (cl.editPosition) {
        // Shows its own message.
        (void)startEditing(doc);
    } else if (cl.print) {
        // A record file without a ply prints as the record form, anything else as the position.
        const std::string ext = cl.file ? core::lowerExtension(*cl.file) : std::string();
        const bool record = ext == "csa" || ext == "kif" || ext == "ki2";
        return record && !cl.ply ? PrintRequest::Form : PrintRequest::Position;
    }
    return std::nullopt;
}

}  // namespace tavrel
