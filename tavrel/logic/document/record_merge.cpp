#include "tavrel/logic/document/record_merge.h"

#include <array>

#include "core/formats/kif_reader.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

namespace {

// The header fields and player names, kept aside while the start is checked: the check reads
// the text's header lines into the record, which a refused merge must not keep.
struct HeaderCopy {
    explicit HeaderCopy(const core::RecordStore& store) {
        for (int i = 0; i < core::kHeaderFieldCount; ++i) {
            header[static_cast<std::size_t>(i)] = store.header(static_cast<core::HeaderField>(i));
        }
        for (int i = 0; i < 4; ++i) {
            players[static_cast<std::size_t>(i)] =
                store.playerName(static_cast<core::PlayerField>(i));
        }
    }
    void restore(core::RecordStore& store) const {
        for (int i = 0; i < core::kHeaderFieldCount; ++i) {
            store.setHeader(static_cast<core::HeaderField>(i), header[static_cast<std::size_t>(i)]);
        }
        for (int i = 0; i < 4; ++i) {
            store.setPlayerName(static_cast<core::PlayerField>(i),
                                players[static_cast<std::size_t>(i)]);
        }
    }
    std::array<std::string, core::kHeaderFieldCount> header;
    std::array<std::string, 4> players;
};

}  // namespace

CommandResult mergeFromClipboard(Document& doc, const std::optional<std::string>& text) {
    if (isPlaying(doc.mode()) || isEditing(doc.mode())) {
        doc.warningSound();
        return CommandResult::Failed;
    }
    if (doc.askSaveBeforeDiscard(true) == Answer::Cancel) return CommandResult::Cancelled;
    core::RecordStore& store = doc.store();
    (void)store.goTo(core::kRootNode);  // the root is always in use
    doc.ui().documentChanged();
    if (!text) {
        doc.warningSound();
        doc.ui().showMessage(std::string(core::translate("クリップボードが使用できません。")),
                             std::string(core::translate("エラー")));
        return CommandResult::Failed;
    }
    const core::ReadOptions options = doc.readOptionsFor(textToPath(doc.recordName()));
    const bool wasModified = doc.modified();
    const HeaderCopy before(store);
    const core::MergeCheckResult check = core::checkMergeStart(store, *text, options);
    if (check != core::MergeCheckResult::Ok) {
        before.restore(store);
        if (!wasModified) store.markClean();
        doc.warningSound();
        doc.ui().showMessage(std::string(core::mergeCheckMessage(check)), programCaption());
        doc.ui().documentChanged();
        return CommandResult::Failed;
    }
    const core::ReadReport report = core::readRecordText(store, *text, true, options);
    // The reader counts what it read as saved; merged moves are a change of this record.
    store.markDirty();
    doc.ui().documentChanged();
    switch (report.result) {
        case core::ReadResult::Ok:
            doc.ui().setStatusText(
                std::string(core::translate("クリップボードから棋譜を読み込み、合成しました。")));
            return CommandResult::Done;
        case core::ReadResult::CapacityReached:
            doc.warningSound();
            doc.ui().showMessage(core::msgRecordSizeOver(), programCaption());
            return CommandResult::Failed;
        default:
            doc.warningSound();
            doc.ui().showMessage(
                std::string(core::translate("棋譜・盤面読込みエラー\n")) + store.readingError(),
                programCaption());
            return CommandResult::Failed;
    }
}

}  // namespace tavrel
