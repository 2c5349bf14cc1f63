#include "viewer/logic/open_commands.h"

#include "core/formats/record_loader.h"
#include "core/text/sjis.h"
#include "core/text/version.h"

namespace viewer {

namespace {

using core::sjis;

std::string product() { return std::string(core::kProgramName); }

}  // namespace

void dropFile(CTavrelDoc& doc, const std::string& path) {
    DocumentUi& ui = doc.ui();
    if (core::formatOfPath(path) == core::RecordFormat::Unsupported) {
        doc.warningSound();
        return;
    }
    if (isPlaying(doc.mode())) {
        doc.warningSound();
        ui.showMessage(sjis("対局中は、ドロップできません。"), product());
        return;
    }
    if (doc.mode() == ViewerMode::PrintPreview) {
        doc.warningSound();
        ui.showMessage(sjis("プレビュー中は、ドロップできません。"), product());
        return;
    }
    if (doc.modified()) {
        doc.warningSound();
        if (doc.askSaveBeforeDiscard(false) == Answer::Cancel) return;
    }
    doc.loadRecordFile(path);
    ui.documentChanged();
    ui.setStatusText(pathToText(path) + sjis(" がドロップされました。"));
    doc.warningSound();
}

void paste(CTavrelDoc& doc) {
    if (isPlaying(doc.mode()) || doc.mode() == ViewerMode::PrintPreview) {
        doc.warningSound();
        return;
    }
    doc.pasteRecord(doc.ui().clipboardText());
    doc.ui().documentChanged();
}

void processCommandLine(CTavrelDoc& doc, const CommandLine& commandLine) {
    const CommandLine& cl = commandLine;
    Settings& settings = doc.settings();
    // "+n" overrides 棋譜読込局面 for this one load.
    auto withPly = [&](auto load) {
        int saved = settings.positionAfterLoad;
        if (cl.ply) settings.positionAfterLoad = 0;
        int r = load();
        settings.positionAfterLoad = saved;
        if (r == 0 && cl.ply) doc.showPly(*cl.ply);
        doc.ui().documentChanged();
        return r;
    };
    bool resume = cl.resumeGame;
    if (cl.file) {
        int r = withPly([&] { return doc.loadRecordFile(*cl.file); });
        if (r != 0) resume = false;
    } else if (cl.clipboard) {
        withPly([&] { return doc.pasteRecord(doc.ui().clipboardText()); });
    }
    if (cl.replay) {
        if (settings.oldReplay != 0 && doc.store().lineEnd() > 0) {
            doc.setMode(ViewerMode::Replaying);
            doc.ui().documentChanged();
        }
    } else if (cl.autoReplay || cl.autoReplayThenClose) {
        doc.notAvailableYet(sjis("連続再現"));
    } else if (resume) {
        doc.notAvailableYet(sjis("中断局面から再開"));
    } else if (cl.editPosition) {
        doc.notAvailableYet(sjis("盤面編集"));
    } else if (cl.print) {
        doc.notAvailableYet(sjis("印刷"));
    }
}

}  // namespace viewer
