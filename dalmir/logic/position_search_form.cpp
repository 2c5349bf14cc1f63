#include "dalmir/logic/position_search_form.h"

#include <algorithm>

namespace dalmir {

PositionSearchForm positionSearchForm(const PositionSearchForm& remembered,
                                      const AppSettings& settings,
                                      const model::IndexSettings& databaseSettings) {
    PositionSearchForm f = remembered;
    f.alsoReversed = settings.findReversed;
    f.ignoreEdgePawns = settings.findIgnoreEdges;
    f.replayCount = std::clamp(databaseSettings.autoReplayCount, 0, kMaxAutoReplayCount);
    return f;
}

model::PositionSearchOptions decidePositionSearch(const PositionSearchForm& form,
                                                  AppSettings& settings,
                                                  model::IndexSettings& databaseSettings) {
    const int count = std::clamp(form.replayCount, 0, kMaxAutoReplayCount);
    settings.findReversed = form.alsoReversed;
    settings.findIgnoreEdges = form.ignoreEdgePawns;
    databaseSettings.autoReplayCount = count;
    model::PositionSearchOptions o;
    o.sideMustMatch = form.sideMustMatch;
    o.alsoReversed = form.alsoReversed;
    o.ignoreEdgePawns = form.ignoreEdgePawns;
    o.allRecords = form.allRecords;
    o.autoReplay = form.autoReplay && count > 0;
    return o;
}

}  // namespace dalmir
