#include "dalmir/model/registration/opening_labelling.h"

#include <vector>

#include "core/classify/classifier.h"
#include "core/text/message_format.h"
#include "dalmir/model/table/fs_paths.h"

namespace dalmir::model {

std::string labelOfList(std::span<const ListMove> list, uint8_t handicap) {
    std::vector<core::LineMove> line;
    line.reserve(list.size());
    for (ListMove m : list) line.push_back({m.origin, m.destination});
    return core::summaryText(core::classifyLine(line, handicap, false));
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
        std::string label;
        if (db.isBinary() && db.lists().hasList(slot)) {
            label = labelOfList(db.lists().list(slot), entry.handicap);
        } else {
            IndexEntry fresh;
            std::string fsPath = locateFile(fileSystemFromStored(table.resolve(entry.path())));
            if (extractor.extract(fsPath, fresh) != ExtractResult::Ok) {
                ++report.unreadable;
                continue;
            }
            label = std::string(fresh.autoOpening());
        }
        if (label == entry.autoOpening()) {
            ++report.unchanged;
            continue;
        }
        entry.setText(IndexText::AutoOpening, label);
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
