#include "tavrel/logic/tree/stored_evaluations.h"

#include "dalmir/model/analysis/stored_analysis.h"
#include "dalmir/model/table/move_list.h"
#include "usi/record_analysis.h"

namespace tavrel {

namespace model = dalmir::model;

std::string DatabaseEvaluations::storePathOf(const std::string& dbPath) {
    return model::evaluationStorePath(dbPath);
}

bool DatabaseEvaluations::follow(const std::string& dbPath, std::int64_t storeStamp) {
    if (dbPath == m_path && storeStamp == m_stamp) return false;
    const bool had = m_store != nullptr;
    m_path = dbPath;
    m_stamp = storeStamp;
    m_store.reset();
    if (!dbPath.empty() && storeStamp >= 0) {
        auto store = std::make_shared<model::EvaluationStore>();
        const model::EvaluationReadReport r = store->read(storePathOf(dbPath));
        if (r.result != model::EvaluationReadResult::NotStore &&
            r.result != model::EvaluationReadResult::CannotRead && store->size() > 0) {
            m_store = std::move(store);
        }
    }
    return had || m_store != nullptr;
}

std::vector<std::optional<int>> graphScores(const core::RecordStore& record,
                                            const model::EvaluationStore* store) {
    std::vector<std::optional<int>> scores = usi::mainLineScores(record);
    if (store == nullptr) return scores;
    const std::vector<std::optional<int>> stored = model::storedMainLineScores(record, *store);
    if (scores.size() < stored.size()) scores.resize(stored.size());
    for (std::size_t ply = 0; ply < stored.size(); ++ply) {
        if (!scores[ply]) scores[ply] = stored[ply];
    }
    return scores;
}

std::vector<std::string> storedMoveMarks(const core::RecordStore& record,
                                         const model::EvaluationStore& store,
                                         const model::MarkThresholds& thresholds) {
    std::vector<model::ListMove> list;
    model::buildList(record, list);
    const std::vector<model::MoveLoss> losses =
        model::moveLosses(store, static_cast<uint8_t>(record.handicap()), list, thresholds);
    std::vector<std::string> marks;
    bool any = false;
    for (const model::MoveLoss& l : losses) {
        marks.emplace_back(model::moveMarkText(l.mark));
        any = any || l.loss.has_value();
    }
    if (!any) marks.clear();
    return marks;
}

void addMoveMarks(std::vector<RecordListRow>& rows, const core::RecordStore& record,
                  const std::vector<std::string>& marks) {
    for (std::size_t line = 1; line < rows.size() && line <= marks.size(); ++line) {
        const std::string& mark = marks[line - 1];
        if (mark.empty() || record.isInVariation(rows[line].node)) continue;
        rows[line].text += "  " + mark;
    }
}

}  // namespace tavrel
