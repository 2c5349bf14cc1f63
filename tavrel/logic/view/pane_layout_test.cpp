#include "tavrel/logic/view/pane_layout.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(NextPane, GoesRoundSkippingHiddenPanesBothWays) {
    // board, record list, branch list (hidden), comment, analysis (hidden)
    const std::vector<bool> shown{true, true, false, true, false};
    EXPECT_EQ(nextPane(shown, 0, false), 1);
    EXPECT_EQ(nextPane(shown, 1, false), 3);  // the hidden branch list is skipped
    EXPECT_EQ(nextPane(shown, 3, false), 0);  // past the last: back to the board
    EXPECT_EQ(nextPane(shown, 0, true), 3);
    EXPECT_EQ(nextPane(shown, 3, true), 1);
    EXPECT_EQ(nextPane(shown, 1, true), 0);
    // From a pane hidden meanwhile, or from none, the walk still starts at a shown one.
    EXPECT_EQ(nextPane(shown, 2, false), 3);
    EXPECT_EQ(nextPane(shown, 4, true), 3);
    EXPECT_EQ(nextPane(shown, -1, false), 0);
    EXPECT_EQ(nextPane(shown, -1, true), 3);
    EXPECT_EQ(nextPane(shown, 99, false), 0);
}

TEST(NextPane, OnlyOneOrNoPaneShown) {
    EXPECT_EQ(nextPane({true, false, false}, 0, false), 0);
    EXPECT_EQ(nextPane({true, false, false}, 0, true), 0);
    EXPECT_EQ(nextPane({false, false}, 0, false), std::nullopt);
    EXPECT_EQ(nextPane({}, 0, false), std::nullopt);
}

TEST(FirstOverlap, TouchingIsNotOverlappingAndHiddenPanesNeverOverlap) {
    const Rect board{0, 0, 600, 400};
    const Rect right{600, 0, 900, 400};  // shares only the edge x = 600
    const Rect below{0, 400, 900, 520};  // likewise y = 400
    const Rect hidden{0, 0, 0, 0};
    EXPECT_EQ(firstOverlap({board, right, below, hidden}), std::nullopt);
    const Rect onBoard{590, 10, 800, 200};  // a pane laid over the board's right edge
    auto hit = firstOverlap({board, right, onBoard});
    ASSERT_TRUE(hit);
    EXPECT_EQ(*hit, (std::pair{0, 2}));
    EXPECT_EQ(firstOverlap({right, onBoard}), (std::pair{0, 1}));
    EXPECT_EQ(firstOverlap({}), std::nullopt);
}

TEST(WidestLine, CountsShiftJisWidthOfTheLongestLine) {
    EXPECT_EQ(widestLine({}), -1);
    EXPECT_EQ(widestLine({"", "abc", "ab"}), 3);
    EXPECT_EQ(widestLine({"・・", "abc"}), 4);  // two-byte characters count two
    EXPECT_EQ(widestLine({"ｱｲｳ", "ab"}), 3);    // half-width katakana one each
}

}  // namespace
}  // namespace tavrel
