#include "dalmir/logic/tree_view.h"

#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace dalmir {

std::optional<model::ReplayBoard> treePositionOf(const model::Database& db, int slot) {
    if (slot < 0 || slot >= db.table().size()) return std::nullopt;
    const model::IndexEntry& e = db.table().entry(slot);
    model::ReplayBoard board;
    if (!model::startBoard(e.handicap, board)) return std::nullopt;
    const auto list =
        slot < db.lists().size() ? db.lists().list(slot) : std::span<const model::ListMove>{};
    model::ReplayStep step;
    for (std::size_t k = 0; k < e.hitPly && k < list.size(); ++k) {
        if (list[k].isClosing() || !model::playListMove(board, list[k], step)) break;
    }
    return board;
}

std::vector<std::string> treeRowTexts(const model::OpeningTree& tree,
                                      const model::ReplayBoard& board) {
    std::vector<std::string> out;
    auto line = [&](const std::string& move, const model::TreeCounts& c) {
        out.push_back(core::formatMessageUtf8(
            "%s  %s局  先手勝 %s  後手勝 %s  引分 %s  他 %s",
            {move, std::to_string(c.count), std::to_string(c.blackWins),
             std::to_string(c.whiteWins), std::to_string(c.draws), std::to_string(c.other)}));
    };
    for (const model::TreeRow& r : tree.rows) line(model::moveNotation(board, r.move), r);
    if (tree.ended.count > 0) line(std::string("（終局）"), tree.ended);
    return out;
}

std::vector<std::string> treeRowTexts(const model::OpeningTree& tree,
                                      const model::ReplayBoard& board,
                                      const model::EvaluationStore* store,
                                      const model::MarkThresholds& thresholds) {
    std::vector<std::string> out = treeRowTexts(tree, board);
    if (store == nullptr) return out;
    for (std::size_t k = 0; k < tree.rows.size() && k < out.size(); ++k) {
        const std::optional<int> score =
            model::storedScoreAfter(*store, board, tree.rows[k].move, thresholds);
        if (!score) continue;
        out[k] += core::translate("  評価値 ") + std::string(*score > 0 ? "+" : "") +
                  std::to_string(*score);
    }
    return out;
}

int listRecordsBehind(model::Database& db, const model::OpeningTree& tree,
                      const model::ReplayBoard& board, std::size_t row) {
    if (row > tree.rows.size()) return 0;
    const bool ended = row == tree.rows.size();
    std::vector<int32_t> order;
    for (const model::TreeHit& h : tree.hits) {
        if (ended ? h.hasNext : (!h.hasNext || !(h.next == tree.rows[row].move))) continue;
        if (static_cast<int>(h.slot) >= db.table().size()) continue;
        model::IndexEntry& e = db.table().entry(static_cast<int>(h.slot));
        if (h.hasNext) {
            model::ReplayBoard after = board;
            model::ReplayStep step;
            (void)model::playListMove(after, h.next, step);
            model::setHit(e, h.ply, &step, h.next, 0);
        } else {
            model::setHit(e, h.ply, nullptr, {}, 0);
        }
        order.push_back(static_cast<int32_t>(h.slot));
    }
    if (order.empty()) return 0;
    db.table().displayOrder() = std::move(order);
    return static_cast<int>(db.table().displayOrder().size());
}

}  // namespace dalmir
