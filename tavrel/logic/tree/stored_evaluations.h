// The evaluations an analysis left beside the database Dalmir has open, for a record opened from
// it: the evaluation graph's scores and the record window's marks of the moves, without running
// an engine. The store is read again only when its file changed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/record/record_store.h"
#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/analysis/move_losses.h"
#include "tavrel/logic/view/record_list_text.h"

namespace tavrel {

class DatabaseEvaluations {
public:
    // Follows the database at dbPath (file-system; empty: none): the store beside it is read
    // when it is new or its stamp (size and time of writing, -1 when there is no file) changed.
    // A store that can't be read is left unused. True when what store() gives changed.
    bool follow(const std::string& dbPath, std::int64_t storeStamp);
    // Null when the database has no evaluations.
    const dalmir::model::EvaluationStore* store() const { return m_store.get(); }
    // "NAME.DEV" beside the database.
    static std::string storePathOf(const std::string& dbPath);

private:
    std::string m_path;
    std::int64_t m_stamp = -1;
    std::shared_ptr<dalmir::model::EvaluationStore> m_store;
};

// The evaluation graph's scores of the main line from Black's view, ply 0 first: the comments'
// analysis lines where they have a score, the stored evaluations elsewhere (store may be null).
std::vector<std::optional<int>> graphScores(const core::RecordStore& record,
                                            const dalmir::model::EvaluationStore* store);

// The mark of each main-line move by the stored evaluations, ply 1 first ("悪手", "疑問手",
// "緩手" or empty); empty when the store holds nothing of the record.
std::vector<std::string> storedMoveMarks(const core::RecordStore& record,
                                         const dalmir::model::EvaluationStore& store,
                                         const dalmir::model::MarkThresholds& thresholds);

// The record window's lines with the mark of each main-line move after its text ("  悪手");
// lines of a variation keep theirs.
void addMoveMarks(std::vector<RecordListRow>& rows, const core::RecordStore& record,
                  const std::vector<std::string>& marks);

}  // namespace tavrel
