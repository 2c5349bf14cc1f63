#include "dalmir/logic/analysis_list_columns.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "core/text/translation.h"

namespace dalmir {

const std::vector<std::string>& AnalysisListColumns::headers() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const char* text :
             {TR_NOOP("先手悪手"), TR_NOOP("先手疑問手"), TR_NOOP("先手緩手"),
              TR_NOOP("先手平均損失"), TR_NOOP("後手悪手"), TR_NOOP("後手疑問手"),
              TR_NOOP("後手緩手"), TR_NOOP("後手平均損失"), TR_NOOP("未評価")}) {
            out.emplace_back(core::translate(text));
        }
        return out;
    }();
    return names;
}

void AnalysisListColumns::reset(const model::Database* db,
                                std::shared_ptr<const model::EvaluationStore> store,
                                const model::MarkThresholds& thresholds) {
    m_cells.clear();
    m_db = db;
    m_store = std::move(store);
    m_thresholds = thresholds;
    m_columns = {};
    if (m_db != nullptr && m_store != nullptr) {
        m_columns = model::analysisColumns(*m_db, *m_store, m_thresholds);
    }
    m_empty.assign(headers().size(), std::string());
}

const std::vector<std::string>& AnalysisListColumns::cells(std::int32_t slot) {
    if (!shown() || !m_columns.cells) return m_empty;
    auto it = m_cells.find(slot);
    if (it == m_cells.end()) {
        std::vector<std::string> cells = m_columns.cells(slot);
        if (cells.size() != headers().size()) cells = m_empty;
        it = m_cells.emplace(slot, std::move(cells)).first;
    }
    return it->second;
}

void AnalysisListColumns::sortListed(model::IndexTable& table, std::size_t column,
                                     bool descending) {
    if (!shown() || column >= headers().size()) return;
    std::vector<std::int32_t>& order = table.displayOrder();
    std::unordered_map<std::int32_t, std::optional<double>> keys;
    for (const std::int32_t slot : order) {
        const std::string& cell = cells(slot)[column];
        double value = 0;
        const auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
        keys[slot] = cell.empty() || ec != std::errc() || end != cell.data() + cell.size()
                         ? std::nullopt
                         : std::optional<double>(value);
    }
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        const std::optional<double>& x = keys[a];
        const std::optional<double>& y = keys[b];
        if (x.has_value() != y.has_value()) return x.has_value();
        if (!x) return false;
        return descending ? *x > *y : *x < *y;
    });
}

}  // namespace dalmir
