// The duplicate check over the listed records ("棋譜の重複を調べる"): pairs that the criteria take
// for the same game are put to the host, which answers for each; the records it flags are
// deleted at the end (their files moved to the trash when asked). Also the comparison of two
// records' moves and the plies both open at in the viewer.
#pragma once

#include <string>
#include <vector>

#include "dalmir/model/store/database.h"
#include "dalmir/model/table/duplicate_criteria.h"
#include "dalmir/model/table/operation_host.h"

namespace dalmir::model {

// Where the check starts: asking about every pair, or already in an always-delete mode.
enum class DuplicateMode : uint8_t { Ask, AlwaysFirst, AlwaysSecond };

// Per-slot deletion flags of one run.
inline constexpr uint8_t kKeepRecord = 0;
inline constexpr uint8_t kDeleteRecord = 1;
inline constexpr uint8_t kDeleteRecordAndFile = 3;

struct DuplicateCheckOptions {
    DuplicateMode mode = DuplicateMode::Ask;
    bool deleteFile = false;    // the check box's state at the start (dupli_del)
    bool confirmTrash = false;  // del_confirm: the shell asks before moving a file
};

struct [[nodiscard]] DuplicateCheckReport {
    int code = 0;  // pairs found, or -1 when stopped or cancelled
    int pairs = 0;
    int flagged = 0;
    int deleted = 0;
    bool stopped = false;    // "終了" or the cancel flag: the flagged records were deleted
    bool cancelled = false;  // "ｷｬﾝｾﾙ": nothing was deleted
    std::vector<DuplicatePair> found;  // every pair, in the order found
};

// Runs the check and deletes what was flagged. Afterwards the status shows
// "棋譜の重複はありませんでした。" or "重複検査終了" when no record was deleted; otherwise the
// database is marked modified (the caller redraws and re-sorts the list).
DuplicateCheckReport checkDuplicates(Database& db, const DuplicateCriteria& criteria,
                                     OperationHost& host,
                                     const DuplicateCheckOptions& options = {});

// The moves of two records compared: identical lists, or the number of equal leading moves.
struct RecordComparison {
    bool identical = false;
    int equalMoves = 0;
};
RecordComparison compareRecords(const Database& db, int slotA, int slotB);
// "違いは、ありません。": the status after comparing two identical records.
const std::string& msgNoDifference();

// The plies at which "棋譜を再現" opens the two records of a pair: in a binary database the first
// move where the lists differ (each record's last move when one list is a prefix of the other),
// in a text database each record's last move.
std::pair<int, int> replayPlies(const Database& db, int slotA, int slotB);

}  // namespace dalmir::model
