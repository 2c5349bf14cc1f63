#include "database/logic/record_paste.h"

#include <vector>

#include "database/engine/index/fs_paths.h"
#include "database/engine/index/index_codes.h"

namespace dalmir {

bool holdsRecords(std::string_view text) {
    if (!text.starts_with("DLS")) return false;
    const std::string_view rest = text.substr(3);
    return rest.empty() || rest.front() == '\r' || rest.front() == '\n';
}

database::PasteReport pasteRecords(database::Database& db, std::string_view text,
                                   std::size_t displayPosition,
                                   database::RecordExtractor& extractor,
                                   database::OperationHost& host) {
    using database::IndexEntry;
    database::PasteAccept accept;
    if (db.isBinary()) {
        accept = [&db, &extractor, &host](IndexEntry& entry) {
            if (host.cancelRequested()) return false;
            const std::string fs =
                database::locateFile(database::fileSystemFromStored(std::string(entry.path())));
            IndexEntry read;
            if (extractor.extract(fs, read) != database::ExtractResult::Ok) return false;
            if (read.handicap >= static_cast<uint8_t>(database::IndexHandicap::Other) ||
                read.moveCount == 0 || extractor.setUpStart() || extractor.entryCount() == 0) {
                return false;
            }
            std::vector<database::ListMove> list;
            extractor.buildMoveList(list);
            read.marks = static_cast<uint8_t>(
                (entry.marks & (database::kMarkUser1 | database::kMarkUser2)) |
                (read.marks & (database::kMarkComments | database::kMarkVariations)));
            read.setText(database::IndexText::Path, std::string(entry.path()));
            entry = std::move(read);
            // The table appends the accepted entry into its next slot.
            db.lists().set(db.table().size(), std::move(list));
            return true;
        };
    }
    database::PasteReport report =
        database::pasteRecordsFromText(db.table(), text, displayPosition, accept);
    if (report.added > 0) db.setModified();
    return report;
}

}  // namespace dalmir
