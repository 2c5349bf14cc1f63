// The choices of the position-search dialog (局面検索) and what they become: the search options,
// the stored switches (find_hanten, find_hasifu, 自動再現数), and the starting values of the
// next dialog.
#pragma once

#include "dalmir/logic/app_settings.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/table/index_settings.h"

namespace dalmir {

// The most hits a search with automatic replay opens (the field holds two digits).
inline constexpr int kMaxAutoReplayCount = 99;

struct PositionSearchForm {
    bool sideMustMatch = false;  // 手番の一致を調べる
    bool alsoReversed = true;    // 反転局面も検索する
    bool ignoreEdgePawns = false;
    bool allRecords = false;  // 全棋譜を対象にする
    bool autoReplay = false;  // 棋譜を自動再現する
    int replayCount = 0;      // 棋譜数：
};

// The dialog's starting values: the stored switches over the ones the window remembers from
// the last search of this run.
PositionSearchForm positionSearchForm(const PositionSearchForm& remembered,
                                      const AppSettings& settings,
                                      const model::IndexSettings& databaseSettings);

// The search options the values ask for; the stored switches take the values. Automatic
// replay with no record to open is no replay.
model::PositionSearchOptions decidePositionSearch(const PositionSearchForm& form,
                                                  AppSettings& settings,
                                                  model::IndexSettings& databaseSettings);

}  // namespace dalmir
