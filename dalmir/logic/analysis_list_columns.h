// The list's columns of a record's analysis, shown after the index columns once the database
// has stored evaluations: per side the 悪手, 疑問手 and 緩手 and the average loss, then the moves
// without a loss, the very figures of the export's analysis columns. Cells are worked out when a
// row is painted and kept until the database, the store or the thresholds change.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/analysis/move_losses.h"
#include "dalmir/model/store/database.h"

namespace dalmir {

class AnalysisListColumns {
public:
    // The headers ("先手悪手" … "未評価"), one per column.
    static const std::vector<std::string>& headers();

    // The columns of db's records over store; a null store shows none. Forgets the cells.
    void reset(const model::Database* db, std::shared_ptr<const model::EvaluationStore> store,
               const model::MarkThresholds& thresholds);
    // After any change of the database's records: the cells are worked out again.
    void forget() { m_cells.clear(); }
    bool shown() const { return m_db != nullptr && m_store != nullptr && m_store->size() > 0; }
    std::size_t count() const { return shown() ? headers().size() : 0; }

    // The cells of a slot, one per header; empty texts for a record none of whose moves has a
    // loss.
    const std::vector<std::string>& cells(std::int32_t slot);
    // Sorts the listed records by a column's figure, keeping the order of equal ones; records
    // without a figure go last whichever way.
    void sortListed(model::IndexTable& table, std::size_t column, bool descending);

private:
    const model::Database* m_db = nullptr;
    std::shared_ptr<const model::EvaluationStore> m_store;
    model::MarkThresholds m_thresholds;
    model::ExtraColumns m_columns;
    std::unordered_map<std::int32_t, std::vector<std::string>> m_cells;
    std::vector<std::string> m_empty;
};

}  // namespace dalmir
