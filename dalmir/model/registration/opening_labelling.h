// Giving the records of a database that was built before the classifier (or by other rules)
// their 自動戦型 labels: from the move lists of a binary database, or by reading each record
// file again for a text one. Registration labels new records itself; this is the command for
// the records already there.
#pragma once

#include "dalmir/model/store/database.h"
#include "dalmir/model/table/operation_host.h"
#include "dalmir/model/table/record_extractor.h"

namespace dalmir::model {

struct [[nodiscard]] LabelRunReport {
    int labelled = 0;    // records whose label was set or changed
    int unchanged = 0;   // records whose label stayed as it was
    int unreadable = 0;  // record files that could not be read (text databases)
    bool cancelled = false;
    std::string status;  // the final status text
};

// Labels every record (all), or only those without a label. Reports progress every 256
// records and stops when the host asks; the database is marked modified when a label changed.
LabelRunReport labelOpenings(Database& db, RecordExtractor& extractor, OperationHost& host,
                             bool all);

// Sets the entry's label and name from a binary database's move list.
void labelFromList(IndexEntry& entry, std::span<const ListMove> list);

}  // namespace dalmir::model
