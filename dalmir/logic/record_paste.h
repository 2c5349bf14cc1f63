// Pasting records in the clipboard form ("DLS" and record lines) into the open database. A text
// database takes the lines as they are; a binary one reads each record file again and takes
// only a record its move list can describe.
#pragma once

#include <cstddef>
#include <string_view>

#include "dalmir/model/store/database.h"
#include "dalmir/model/table/dls_clipboard.h"
#include "dalmir/model/table/operation_host.h"
#include "dalmir/model/table/record_extractor.h"

namespace dalmir {

// Whether a clipboard text (CP932 or UTF-8) holds records: its first line is "DLS".
bool holdsRecords(std::string_view text);

// Inserts the records at displayPosition of the list and marks the database modified when any
// was added. In a binary database a record is taken only when its file reads without error,
// its handicap has a set-up of its own (code 13 or less), it has at least one move and it does
// not start from a set-up position; its entry is then the one read now (so the move count and
// the list agree), keeping the pasted marks 1 and 2, and its move list is built at once. The
// host's cancel flag refuses the records not yet read.
model::PasteReport pasteRecords(model::Database& db, std::string_view text,
                                std::size_t displayPosition, model::RecordExtractor& extractor,
                                model::OperationHost& host);

}  // namespace dalmir
