#include "core/notation/piece_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/text/sjis.h"

namespace core {
namespace {

TEST(PieceTextTest, TablesHoldTheirCharacters) {
    const char* kanji[16] = {"　", "歩", "香", "桂", "銀", "金", "角", "飛",
                             "玉", "と", "杏", "圭", "全", "金", "馬", "龍"};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(kPieceKanji[i], std::string(kanji[i])) << i;
    const char* digits[10] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(kFullWidthDigits[i], std::string(digits[i])) << i;
    const char* numerals[11] = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};
    for (int i = 0; i < 11; ++i) EXPECT_EQ(kRankNumerals[i], std::string(numerals[i])) << i;
    EXPECT_EQ(kMarkBlack, std::string("▲"));
    EXPECT_EQ(kMarkWhite, std::string("△"));
    EXPECT_EQ(kMarkWhiteAlt, std::string("▽"));
    EXPECT_EQ(kMarkBlackUser, "\uE066");
    EXPECT_EQ(kMarkWhiteUser1, "\uE064");
    EXPECT_EQ(kMarkWhiteUser2, "\uE065");
    EXPECT_EQ(kFullWidthSpace, std::string("　"));
}

TEST(PieceTextTest, WordsAndKeysHoldTheirText) {
    const std::pair<std::string_view, const char*> words[] = {
        {kWordSame, "同"},
        {kWordPromote, "成"},
        {kWordNoPromote, "不成"},
        {kWordDrop, "打"},
        {kPromotedLanceName, "成香"},
        {kPromotedKnightName, "成桂"},
        {kPromotedSilverName, "成銀"},
        {kDragonRyu, "竜"},
        {kKeyHandicap, "手合割："},
        {kKeyBlack, "先手："},
        {kKeyWhite, "後手："},
        {kKeyLower, "下手："},
        {kKeyUpper, "上手："},
        {kKeyVariation, "変化："},
        {kKeyFlipped, "盤面回転"},
        {kBlackToMove, "先手番"},
        {kWhiteToMove, "後手番"},
        {kLowerToMove, "下手番"},
        {kUpperToMove, "上手番"},
        {kHandNone, "なし"},
        {kWordUpTo, "まで"},
        {kWordStartPosition, "開始局面"},
        {kWordPly, "手目"},
    };
    for (const auto& [bytes, utf8] : words) EXPECT_EQ(bytes, std::string(utf8)) << utf8;
}

TEST(PieceTextTest, HandicapNames) {
    const char* names[15] = {"平手　　",   "香落ち　", "右香落ち", "角落ち　", "飛車落ち",
                             "飛香落ち",   "二枚落ち", "三枚落ち", "四枚落ち", "五枚落ち",
                             "左五枚落ち", "六枚落ち", "八枚落ち", "十枚落ち", "その他　"};
    for (int i = 0; i < 15; ++i) EXPECT_EQ(handicapName(i), std::string(names[i])) << i;
    EXPECT_EQ(cp932Width(handicapName(10)), 10u);
    EXPECT_EQ(cp932Width(handicapName(0)), 8u);
    EXPECT_EQ(handicapName(15), "");
    EXPECT_EQ(handicapName(16), "");
    EXPECT_EQ(handicapName(-1), "");
}

TEST(PieceTextTest, PieceNames) {
    struct Case {
        const char* text;
        int type;
        std::size_t length;
    };
    const Case cases[] = {
        {"金", 5, 3},  {"金打", 5, 3},  {"王", 8, 3},    {"玉", 8, 3},   {"成香", 10, 6},
        {"杏", 10, 3}, {"成桂", 11, 6}, {"成銀", 12, 6}, {"全", 12, 3},  {"竜", 15, 3},
        {"龍", 15, 3}, {"と", 9, 3},    {"馬", 14, 3},   {"歩", 1, 3},   {"飛", 7, 3},
        {"・", 0, 0},  {"　", 0, 0},    {"成", 0, 0},    {"成金", 0, 0}, {"", 0, 0},
        {"x", 0, 0},
    };
    for (const Case& c : cases) {
        std::size_t length = 99;
        EXPECT_EQ(pieceTypeFromText(std::string(c.text), length), c.type) << c.text;
        EXPECT_EQ(length, c.length) << c.text;
    }
    // A lone lead byte never matches and never reads past the text.
    EXPECT_EQ(pieceTypeFromText(std::string("\xE9\x87")), 0);
}

TEST(PieceTextTest, Numerals) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"一", 1}, {"五", 5}, {"九", 9}, {"十", 10}, {"十一", 10},
                          {"－", 1}, {"ー", 1}, {"ニ", 2}, {"二", 2},  {"零", 0},
                          {"1", 0},  {"１", 0}, {"", 0}};
    for (const Case& c : cases) EXPECT_EQ(numeralFromText(std::string(c.text)), c.value) << c.text;

    for (int i = 0; i < 10; ++i) EXPECT_EQ(fullWidthDigitFromText(kFullWidthDigits[i]), i);
    EXPECT_EQ(fullWidthDigitFromText(std::string("７六歩")), 7);
    EXPECT_EQ(fullWidthDigitFromText("7"), -1);
    EXPECT_EQ(fullWidthDigitFromText(std::string("一")), -1);
    EXPECT_EQ(fullWidthDigitFromText(""), -1);
}

// Every character of the first plane, read as a piece name, a numeral and a digit, against the
// rules spelled out over the tables: only the listed characters read as anything.
TEST(PieceTextTest, EveryTwoByteCodeReadsAsTheTablesSay) {
    const std::string king = std::string("王");
    const std::string promoted = std::string("成");
    const std::string ryu = std::string("竜");
    const std::string one[] = {std::string("－"), std::string("ー")};
    const std::string two = std::string("ニ");
    int pieces = 0;
    int numerals = 0;
    for (unsigned c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::string t = core::utf8Of(c);
        int piece = 0;
        if (t == king) {
            piece = kKing;
        } else if (t == ryu) {
            piece = kDragon;
        } else {
            for (int type = 1; type <= 15 && piece == 0; ++type) {
                if (kPieceKanji[static_cast<std::size_t>(type)] == t) piece = type;
            }
        }
        std::size_t length = 99;
        ASSERT_EQ(pieceTypeFromText(t + "x", length), piece) << std::hex << c;
        EXPECT_EQ(length, piece == 0 ? 0u : t.size()) << std::hex << c;
        pieces += piece != 0;

        int numeral = 0;
        for (int n = 1; n <= 10; ++n) {
            if (kRankNumerals[static_cast<std::size_t>(n)] == t) numeral = n;
        }
        if (t == one[0] || t == one[1]) numeral = 1;
        if (t == two) numeral = 2;
        ASSERT_EQ(numeralFromText(t), numeral) << std::hex << c;
        numerals += numeral != 0;

        int digit = -1;
        for (int n = 0; n < 10; ++n) {
            if (kFullWidthDigits[static_cast<std::size_t>(n)] == t) digit = n;
        }
        ASSERT_EQ(fullWidthDigitFromText(t), digit) << std::hex << c;

        // After "成" only the lance, knight and silver make a two-character name; "成" is no piece.
        const int after = t == kPieceKanji[kLance]    ? kLance + kPromotedBit
                          : t == kPieceKanji[kKnight] ? kKnight + kPromotedBit
                          : t == kPieceKanji[kSilver] ? kSilver + kPromotedBit
                                                      : 0;
        ASSERT_EQ(pieceTypeFromText(promoted + t, length), after) << std::hex << c;
        EXPECT_EQ(length, after == 0 ? 0u : promoted.size() + t.size()) << std::hex << c;
    }
    EXPECT_EQ(pieces, 16);  // 14 distinct kanji, 王 and 竜
    EXPECT_EQ(numerals, 13);
}

}  // namespace
}  // namespace core
