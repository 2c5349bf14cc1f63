#include "dalmir/logic/position_search_form.h"

#include <gtest/gtest.h>

namespace dalmir {
namespace {

// The stored switches win over the remembered ones; the rest come from the last search.
TEST(PositionSearchFormTest, StartsFromTheStoredSwitches) {
    AppSettings settings;
    settings.findReversed = false;
    settings.findIgnoreEdges = true;
    model::IndexSettings db;
    db.autoReplayCount = 250;  // as read from a hand-edited file
    PositionSearchForm remembered;
    remembered.sideMustMatch = true;
    remembered.allRecords = true;
    remembered.alsoReversed = true;
    const PositionSearchForm f = positionSearchForm(remembered, settings, db);
    EXPECT_TRUE(f.sideMustMatch);
    EXPECT_TRUE(f.allRecords);
    EXPECT_FALSE(f.alsoReversed);
    EXPECT_TRUE(f.ignoreEdgePawns);
    EXPECT_EQ(f.replayCount, kMaxAutoReplayCount);
}

TEST(PositionSearchFormTest, ValuesBecomeOptionsAndStoredSwitches) {
    struct Case {
        bool autoReplay;
        int count;
        bool wantReplay;
        int wantStored;
    };
    for (const Case c : {Case{true, 5, true, 5}, Case{true, 0, false, 0}, Case{false, 7, false, 7},
                         Case{true, -3, false, 0}, Case{true, 1000, true, kMaxAutoReplayCount}}) {
        AppSettings settings;
        model::IndexSettings db;
        PositionSearchForm f;
        f.sideMustMatch = true;
        f.alsoReversed = false;
        f.ignoreEdgePawns = true;
        f.allRecords = true;
        f.autoReplay = c.autoReplay;
        f.replayCount = c.count;
        const model::PositionSearchOptions o = decidePositionSearch(f, settings, db);
        EXPECT_TRUE(o.sideMustMatch);
        EXPECT_FALSE(o.alsoReversed);
        EXPECT_TRUE(o.ignoreEdgePawns);
        EXPECT_TRUE(o.allRecords);
        EXPECT_EQ(o.autoReplay, c.wantReplay) << c.count;
        EXPECT_EQ(db.autoReplayCount, c.wantStored);
        EXPECT_FALSE(settings.findReversed);
        EXPECT_TRUE(settings.findIgnoreEdges);
    }
}

}  // namespace
}  // namespace dalmir
