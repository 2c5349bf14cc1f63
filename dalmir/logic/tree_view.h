// The tree beside Dalmir's list: the opening tree of the selected record's position (where the
// last position search found it, else its start), and listing the records behind one of its
// rows as the list's new contents, each with the ply where it reaches the position and the move
// it played there, as a position search lists its hits.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dalmir/model/analysis/move_losses.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/tree/opening_tree.h"

namespace dalmir {

// The position the tree shows for a slot: its main line at the ply of the last search hit (the
// start when there was none). nullopt for a slot without a start position of its own (その他,
// 詰将棋) or out of range.
std::optional<model::ReplayBoard> treePositionOf(const model::Database& db, int slot);

// The lines the tree dock shows: "７六歩(77)  12局  先手勝 6  後手勝 5  引分 1  他 0".
std::vector<std::string> treeRowTexts(const model::OpeningTree& tree,
                                      const model::ReplayBoard& board);

// The same with the stored score of the position each move leads to, from its player's view,
// after the figures ("  評価値 +120") where the store holds one (store may be null).
std::vector<std::string> treeRowTexts(const model::OpeningTree& tree,
                                      const model::ReplayBoard& board,
                                      const model::EvaluationStore* store,
                                      const model::MarkThresholds& thresholds);

// Makes the records behind row (the row index of tree.rows, or tree.rows.size() for those that
// ended at the position) the list, in their slot order, with their hit ply and next move.
// Returns how many were listed.
int listRecordsBehind(model::Database& db, const model::OpeningTree& tree,
                      const model::ReplayBoard& board, std::size_t row);

}  // namespace dalmir
