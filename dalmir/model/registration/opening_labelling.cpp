#include "dalmir/model/registration/opening_labelling.h"

#include <vector>

#include "core/classify/classifier.h"
#include "core/text/message_format.h"
#include "dalmir/model/table/fs_paths.h"

namespace dalmir::model {

void labelFromList(IndexEntry& entry, std::span<const ListMove> list) {
    std::vector<core::LineMove> line;
    line.reserve(list.size());
    for (ListMove m : list) line.push_back({m.origin, m.destination});
    core::Classification c = core::classifyLine(line, entry.handicap, false);
    entry.setText(IndexText::AutoOpening, core::summaryText(c));
    entry.setText(IndexText::AutoOpeningName, core::openingText(c));
}

LabelRunReport labelOpenings(Database& db, RecordExtractor& extractor, OperationHost& host,
                             bool all) {
    LabelRunReport report;
    IndexTable& table = db.table();
    const int total = table.size();
    for (int slot = 0; slot < total; ++slot) {
        if (slot % 256 == 0) {
            host.status(core::formatMessageUtf8("自動戦型を調べています...  %s / %s",
                                                {std::to_string(slot), std::to_string(total)}));
            if (host.cancelRequested()) {
                report.cancelled = true;
                break;
            }
        }
        IndexEntry& entry = table.entry(slot);
        if (!all && !entry.autoOpening().empty()) {
            ++report.unchanged;
            continue;
        }
        IndexEntry fresh;
        if (db.isBinary() && db.lists().hasList(slot)) {
            fresh.handicap = entry.handicap;
            labelFromList(fresh, db.lists().list(slot));
        } else {
            std::string fsPath = locateFile(fileSystemFromStored(table.resolve(entry.path())));
            if (extractor.extract(fsPath, fresh) != ExtractResult::Ok) {
                ++report.unreadable;
                continue;
            }
        }
        if (fresh.autoOpening() == entry.autoOpening() &&
            fresh.autoOpeningName() == entry.autoOpeningName()) {
            ++report.unchanged;
            continue;
        }
        entry.setText(IndexText::AutoOpening, fresh.autoOpening());
        entry.setText(IndexText::AutoOpeningName, fresh.autoOpeningName());
        ++report.labelled;
    }
    if (report.labelled > 0) db.setModified();
    report.status =
        core::formatMessageUtf8("自動戦型　設定：%s　変更なし：%s　読めない棋譜：%s",
                                {std::to_string(report.labelled), std::to_string(report.unchanged),
                                 std::to_string(report.unreadable)});
    return report;
}

}  // namespace dalmir::model
