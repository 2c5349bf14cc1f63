#include "tavrel/logic/tree/tree_pane_state.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/base/path_text.h"
#include "core/formats/usi.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "dalmir/model/analysis/move_losses.h"
#include "dalmir/model/table/export_rows.h"
#include "dalmir/model/table/fs_paths.h"

namespace tavrel {

namespace dm = dalmir::model;

std::shared_ptr<const TreeDatabase> TreeDatabase::open(const std::string& fsPath,
                                                       OpenResult& result, std::string& message) {
    message.clear();
    if (dm::databaseKindOf(fsPath) == dm::DatabaseKind::Unknown) {
        result = OpenResult::NotDatabase;
        message = dm::openErrorMessage(dm::OpenResult::NotDatabase, std::string(fsPath));
        return nullptr;
    }
    auto tree = std::shared_ptr<TreeDatabase>(new TreeDatabase);
    tree->m_path = fsPath;
    const dm::OpenReport r = dm::openDatabase(tree->m_db, fsPath);
    if (r.code != dm::OpenResult::Ok) {
        result = OpenResult::CannotOpen;
        message = dm::openErrorMessage(r.code, std::string(fsPath));
        return nullptr;
    }
    if (tree->m_db.isBinary()) {
        dm::PositionIndexReadResult read = dm::PositionIndexReadResult::Ok;
        tree->m_index = dm::TreeIndex::open(dm::treeIndexPath(fsPath), tree->m_db.table(),
                                            tree->m_db.lists(), read);
        message = dm::treeIndexNotice(read, tree->m_db.table().path());
    } else {
        (void)dm::readMainLines(tree->m_db);
    }
    auto evaluations = std::make_shared<dm::EvaluationStore>();
    (void)evaluations->read(dm::evaluationStorePath(fsPath));
    if (evaluations->size() > 0) tree->m_evaluations = std::move(evaluations);
    result = OpenResult::Ok;
    return tree;
}

double TreePaneRow::blackScore() const {
    const int games = blackWins + whiteWins + draws;
    if (games == 0) return -1;
    return (blackWins + draws * 0.5) / games;
}

TreePaneResult computeTreeRows(const TreeDatabase* db, const dm::OpeningBook* book,
                               const dm::ReplayBoard& board) {
    TreePaneResult out;
    if (db != nullptr) {
        dm::TreeMaker maker(db->database(), db->treeIndex());
        const dm::OpeningTree tree = maker.treeOf(board, {});
        out.records = tree.records;
        out.ended = tree.ended.count;
        const dm::IndexTable& table = db->database().table();
        for (const dm::TreeRow& r : tree.rows) {
            TreePaneRow row;
            row.usi = dm::usiMoveText(r.move);
            row.notation = dm::moveNotation(board, r.move);
            row.count = r.count;
            row.blackWins = r.blackWins;
            row.whiteWins = r.whiteWins;
            row.draws = r.draws;
            row.other = r.other;
            row.lastDate = r.lastDate;
            if (r.bestSlot >= 0) {
                row.bestPath = dm::locateFile(
                    dm::fileSystemFromStored(table.resolve(table.entry(r.bestSlot).path())));
                row.bestPly = r.bestPly;
            }
            if (db->evaluations() != nullptr) {
                row.stored = dm::storedScoreAfter(*db->evaluations(), board, r.move, {});
            }
            out.rows.push_back(std::move(row));
        }
    }
    if (book != nullptr) {
        if (const dm::BookPosition* p = book->find(board)) {
            for (const dm::BookMove& m : p->moves) {
                const std::string usi = dm::usiMoveText(m.move);
                auto it = std::find_if(out.rows.begin(), out.rows.end(),
                                       [&](const TreePaneRow& r) { return r.usi == usi; });
                if (it == out.rows.end()) {
                    TreePaneRow row;
                    row.usi = usi;
                    row.notation = dm::moveNotation(board, m.move);
                    out.rows.push_back(std::move(row));
                    it = out.rows.end() - 1;
                }
                it->bookCount = m.count;
                it->bookValue = m.value;
            }
        }
    }
    return out;
}

dm::ReplayBoard boardOfStore(const core::RecordStore& store) {
    dm::ReplayBoard board;
    board.load(store.position());
    return board;
}

bool playTreeMove(core::RecordStore& store, const std::string& usi) {
    const std::optional<core::PackedMove> move = core::legalUsiMove(store.position(), usi);
    if (!move) return false;
    const core::AddMode mode = store.options().addMode;
    store.setAddMode(core::AddMode::Branch);
    const bool added = store.addAndAdvance(core::kAddNoSeconds, *move, 0) == core::AddResult::Ok;
    store.setAddMode(mode);
    return added;
}

std::optional<uint64_t> TreePaneState::request(const dm::ReplayBoard& board) {
    m_board = board;
    ++m_generation;
    if (m_running) {
        m_waiting = true;
        return std::nullopt;
    }
    m_running = true;
    return m_generation;
}

bool TreePaneState::finish(TreePaneResult result, std::optional<uint64_t>& next) {
    m_running = false;
    next.reset();
    const bool latest = result.generation == m_generation && !m_waiting;
    if (latest) {
        m_rows = std::move(result.rows);
        m_records = result.records;
        m_ended = result.ended;
        sortRows();
    }
    if (m_waiting) {
        m_waiting = false;
        m_running = true;
        next = m_generation;
    }
    return latest;
}

void TreePaneState::clear() {
    m_rows.clear();
    m_records = 0;
    m_ended = 0;
    ++m_generation;
    m_waiting = false;
}

void TreePaneState::sortBy(TreeColumn column, bool descending) {
    m_column = column;
    m_descending = descending;
    sortRows();
}

void TreePaneState::sortRows() {
    auto key = [this](const TreePaneRow& r) -> double {
        switch (m_column) {
            case TreeColumn::Count:
                return r.count;
            case TreeColumn::BlackScore:
                return r.blackScore();
            case TreeColumn::BlackWins:
                return r.blackWins;
            case TreeColumn::WhiteWins:
                return r.whiteWins;
            case TreeColumn::Draws:
                return r.draws;
            case TreeColumn::Other:
                return r.other;
            case TreeColumn::LastDate:
                return dm::searchDateKey(r.lastDate);
            case TreeColumn::Book:
                return r.bookCount;
            case TreeColumn::Evaluation:
                return r.stored ? *r.stored : -1e9;
            default:
                return 0;
        }
    };
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const TreePaneRow& a, const TreePaneRow& b) {
        if (m_column == TreeColumn::Move) {
            return m_descending ? a.usi > b.usi : a.usi < b.usi;
        }
        const double ka = key(a);
        const double kb = key(b);
        if (ka != kb) return m_descending ? ka > kb : ka < kb;
        if (a.count != b.count) return a.count > b.count;
        return a.usi < b.usi;
    });
}

std::string TreePaneState::cellText(int row, TreeColumn column) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return {};
    const TreePaneRow& r = m_rows[static_cast<std::size_t>(row)];
    switch (column) {
        case TreeColumn::Move:
            return r.notation.empty() ? r.usi : r.notation;
        case TreeColumn::Count:
            return std::to_string(r.count);
        case TreeColumn::BlackScore: {
            const double s = r.blackScore();
            if (s < 0) return {};
            char text[16];
            std::snprintf(text, sizeof text, "%.1f%%", s * 100);
            return text;
        }
        case TreeColumn::BlackWins:
            return std::to_string(r.blackWins);
        case TreeColumn::WhiteWins:
            return std::to_string(r.whiteWins);
        case TreeColumn::Draws:
            return std::to_string(r.draws);
        case TreeColumn::Other:
            return std::to_string(r.other);
        case TreeColumn::LastDate:
            return dm::isoDate(r.lastDate);
        case TreeColumn::Book:
            return r.bookCount < 0 ? std::string() : std::to_string(r.bookCount);
        case TreeColumn::Record:
            return std::string(std::filesystem::path(r.bestPath).filename().string());
        case TreeColumn::Evaluation:
            if (!r.stored) return {};
            return (*r.stored > 0 ? "+" : "") + std::to_string(*r.stored);
        default:
            return {};
    }
}

std::string TreePaneState::statusText() const {
    if (m_running) return std::string(core::translate("計算中..."));
    return core::formatMessageUtf8(core::translate("局数 %s（終局 %s）"),
                                   {std::to_string(m_records), std::to_string(m_ended)});
}

std::optional<std::string> TreePaneState::moveAt(int row) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return std::nullopt;
    return m_rows[static_cast<std::size_t>(row)].usi;
}

std::optional<TreePaneState::RecordToOpen> TreePaneState::recordAt(int row) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return std::nullopt;
    const TreePaneRow& r = m_rows[static_cast<std::size_t>(row)];
    if (r.bestPath.empty()) return std::nullopt;
    return RecordToOpen{r.bestPath, r.bestPly};
}

}  // namespace tavrel
