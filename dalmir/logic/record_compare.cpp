#include "dalmir/logic/record_compare.h"

#include <algorithm>

#include "core/text/sjis.h"
#include "dalmir/logic/list_commands.h"
#include "dalmir/model/search/duplicate_check.h"

namespace dalmir {

TwoRecordComparison compareTwoRecords(const model::Database& db, std::vector<int> rows) {
    TwoRecordComparison out;
    std::sort(rows.begin(), rows.end());
    const std::vector<int> slots = slotsOfRows(db.table(), rows);
    if (slots.size() < 2) return out;
    out.compared = true;
    out.firstSlot = slots[0];
    out.secondSlot = slots[1];
    const model::RecordComparison c = model::compareRecords(db, slots[0], slots[1]);
    out.identical = c.identical;
    out.move = c.equalMoves + 1;
    return out;
}

std::string noDifferenceText() { return core::toUtf8Lossy(model::msgNoDifference()); }

}  // namespace dalmir
