#include "dalmir/logic/suggestion_lists.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace dalmir {
namespace {

using Lines = std::vector<std::string>;

TEST(SuggestionListsTest, PlayersFallBackToTheEnglishFile) {
    EXPECT_EQ(suggestionFileNames("対局者"), (Lines{"対局者.txt", "player.txt"}));
    EXPECT_EQ(suggestionFileNames("棋戦"), (Lines{"棋戦.txt", "kisen.txt"}));
    EXPECT_EQ(suggestionFileNames("戦型"), (Lines{"戦型.txt", "senkei.txt"}));
    EXPECT_EQ(suggestionFileNames("場所"), (Lines{"場所.txt"}));
}

TEST(SuggestionListsTest, LinesSkipCommentsAndBlanksAndKeepBadBytesVisible) {
    const std::string text =
        *core::cp932Bytes("# 棋士\r\n羽生\r\n\r\n  森内 \r\n#x\n谷川") + "\r\nA\x81\n";
    const Lines lines = suggestionLines(text);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "羽生");
    EXPECT_EQ(lines[1], "森内");
    EXPECT_EQ(lines[2], "谷川");
    // A broken line stays, readable, rather than vanishing.
    EXPECT_EQ(lines[3].substr(0, 1), "A");
}

TEST(SuggestionListsTest, AUtf8ListKeepsCharactersShiftJisCannotHold) {
    const Lines lines = suggestionLines("김연아\nZoë\n");
    EXPECT_EQ(lines, (Lines{"김연아", "Zoë"}));
}

}  // namespace
}  // namespace dalmir
