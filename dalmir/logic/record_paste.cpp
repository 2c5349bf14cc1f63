#include "dalmir/logic/record_paste.h"

#include <vector>

#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/table/index_codes.h"

namespace dalmir {

bool holdsRecords(std::string_view text) {
    if (!text.starts_with("DLS")) return false;
    const std::string_view rest = text.substr(3);
    return rest.empty() || rest.front() == '\r' || rest.front() == '\n';
}

model::PasteReport pasteRecords(model::Database& db, std::string_view text,
                                std::size_t displayPosition, model::RecordExtractor& extractor,
                                model::OperationHost& host) {
    using model::IndexEntry;
    model::PasteAccept accept;
    if (db.isBinary()) {
        accept = [&db, &extractor, &host](IndexEntry& entry) {
            if (host.cancelRequested()) return false;
            const std::string fs =
                model::locateFile(model::fileSystemFromStored(std::string(entry.path())));
            IndexEntry read;
            if (extractor.extract(fs, read) != model::ExtractResult::Ok) return false;
            if (read.handicap >= static_cast<uint8_t>(model::IndexHandicap::Other) ||
                read.moveCount == 0 || extractor.setUpStart() || extractor.entryCount() == 0) {
                return false;
            }
            std::vector<model::ListMove> list;
            extractor.buildMoveList(list);
            read.marks = static_cast<uint8_t>(
                (entry.marks & (model::kMarkUser1 | model::kMarkUser2)) |
                (read.marks & (model::kMarkComments | model::kMarkVariations)));
            read.setText(model::IndexText::Path, std::string(entry.path()));
            entry = std::move(read);
            // The table appends the accepted entry into its next slot.
            db.lists().set(db.table().size(), std::move(list));
            return true;
        };
    }
    model::PasteReport report =
        model::pasteRecordsFromText(db.table(), text, displayPosition, accept);
    if (report.added > 0) db.setModified();
    return report;
}

}  // namespace dalmir
