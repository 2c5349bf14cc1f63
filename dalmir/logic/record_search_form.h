// What the header-search dialog asks beyond the headers: how the game ended, the material on
// the board (at a ply or at the end) and a text in the comments. The words and the pattern are
// read by the same code as dalmir-cli find's options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dalmir/logic/dalmir_ui.h"
#include "dalmir/model/search/record_conditions.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/table/operation_host.h"

namespace dalmir {

struct RecordSearchForm {
    int end = 0;           // 0 any end, else the choice's place in gameEndChoices()
    std::string material;  // the pattern as typed (UTF-8); empty: any material
    int materialPly = -1;  // -1 the end of the main line
    std::string comment;   // UTF-8; empty: any comments
};

// The end choices (UTF-8): "(指定なし)", then 詰み, 投了, 千日手, 持将棋, 入玉宣言, 反則, 中断,
// 時間切れ.
std::vector<std::string> gameEndChoices();

// The conditions the form asks for. A material pattern that cannot be read is told through ui
// (naming the item) and gives nullopt, so that no search runs on half the conditions.
std::optional<model::RecordConditions> recordConditions(DalmirUi& ui, const RecordSearchForm& form);

// Whether a search by these conditions goes on after the header search: only when it found
// records and something beyond the headers is asked.
inline bool needsRecordSearch(const model::SearchReport& headers,
                              const model::RecordConditions& conditions) {
    return headers.hits > 0 && !conditions.empty();
}

}  // namespace dalmir
