#include "dalmir/model/table/index_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text/sjis.h"
#include "dalmir/model/table/index_codes.h"

namespace dalmir::model {
namespace {

TEST(IndexEntryTest, FieldsAreIndependentWhateverOrderTheyAreSet) {
    IndexEntry e;
    e.setText(IndexText::Opening, std::string("矢倉"));
    e.setText(IndexText::Path, "/games/a.KIF");
    e.setText(IndexText::NextMove, std::string("▲７六歩"));
    e.setText(IndexText::BlackPlayer, std::string("先手一郎"));
    e.setText(IndexText::Opening, std::string("四間飛車"));  // longer than before
    e.setText(IndexText::Path, "/b.KIF");                    // shorter than before
    EXPECT_EQ(e.path(), "/b.KIF");
    EXPECT_EQ(e.blackPlayer(), std::string("先手一郎"));
    EXPECT_EQ(e.opening(), std::string("四間飛車"));
    EXPECT_EQ(e.nextMove(), std::string("▲７六歩"));
    EXPECT_TRUE(e.whitePlayer().empty());
    EXPECT_TRUE(e.user(4).empty());
}

TEST(IndexEntryTest, TextsAreCutToTheirWidthWithoutSplittingACharacter) {
    struct Case {
        IndexText field;
        std::size_t maxBytes;
    };
    for (Case c :
         {Case{IndexText::Path, 259}, Case{IndexText::BlackPlayer, 39}, Case{IndexText::Event, 59},
          Case{IndexText::User5, 59}, Case{IndexText::NextMove, 19}}) {
        IndexEntry e;
        e.setText(c.field, std::string(400, 'x'));
        EXPECT_EQ(e.text(c.field).size(), c.maxBytes);
        // "a" then two-byte characters: the last one would straddle the limit when the limit
        // is even, so it is dropped whole.
        std::string mixed = "a";
        for (int i = 0; i < 200; ++i) mixed += "十";  // 0x8F 0x5C in Shift-JIS
        e.setText(c.field, mixed);
        std::string_view kept = e.text(c.field);
        EXPECT_LE(core::cp932Width(kept), c.maxBytes);
        EXPECT_GE(core::cp932Width(kept), c.maxBytes - 1);
        EXPECT_EQ((core::cp932Width(kept) - 1) % 2, 0u) << "ends inside a character";
        EXPECT_TRUE(core::isValidUtf8(kept));
    }
}

TEST(IndexEntryTest, CopiesCompareEqualAndStayIndependent) {
    IndexEntry a;
    a.setText(IndexText::Title, std::string("名人戦"));
    a.handicap = 3;
    a.start = {2013, 6, 1};
    IndexEntry b = a;
    EXPECT_EQ(a, b);
    b.setText(IndexText::Title, std::string("王将戦"));
    EXPECT_NE(a, b);
    EXPECT_EQ(a.title(), std::string("名人戦"));
}

TEST(IndexEntryTest, ClearingTheSearchResultKeepsTheRecord) {
    IndexEntry e;
    e.setText(IndexText::Event, "x");
    e.setText(IndexText::NextMove, "y");
    e.hitPly = 12;
    e.nextFrom = 77;
    e.nextTo = 76;
    e.clearSearchResult();
    EXPECT_EQ(e.event(), "x");
    EXPECT_TRUE(e.nextMove().empty());
    EXPECT_EQ(e.hitPly, 0);
    EXPECT_EQ(e.nextFrom + e.nextTo, 0);
}

TEST(IndexCodesTest, ResultsAreWordedByHandicap) {
    EXPECT_EQ(resultText(1, 0), std::string("先手の勝ち"));
    EXPECT_EQ(resultText(2, 15), std::string("後手の勝ち"));
    EXPECT_EQ(resultText(1, 3), std::string("下手の勝ち"));
    EXPECT_EQ(resultText(2, 14), std::string("上手の勝ち"));
    EXPECT_EQ(resultText(7, 3), std::string("不詰"));
    EXPECT_TRUE(resultText(0, 0).empty());
    EXPECT_TRUE(resultText(8, 0).empty());
}

TEST(IndexCodesTest, HandicapTextsAndMarks) {
    EXPECT_EQ(handicapText(0), std::string("平手"));
    EXPECT_EQ(handicapText(10), std::string("左五枚落ち"));
    EXPECT_EQ(handicapText(15), std::string("詰将棋"));
    EXPECT_TRUE(handicapText(16).empty());
    EXPECT_EQ(markText(0), "    ");
    EXPECT_EQ(markText(kMarkUser1 | kMarkVariations), "*  +");
    EXPECT_EQ(markText(0x0F), "*#C+");
}

TEST(IndexCodesTest, OldHandicapCodesMapToTodaysCodes) {
    const int expected[] = {0, 1, 3, 4, 5, 6, 8, 11, 12, 13, 14, 0, 0, 0, 0, 14, 14};
    for (int old = 0; old < 17; ++old) {
        EXPECT_EQ(handicapFromOldVersion(static_cast<uint8_t>(old)), expected[old]) << old;
    }
}

}  // namespace
}  // namespace dalmir::model
