#include "core/text/sjis.h"

#include <gtest/gtest.h>

#include <random>

namespace core {
namespace {

const std::string kJu = "\x8F\x5C";   // 十: second byte is '\'
const std::string kHyo = "\x95\x7C";  // 表: second byte is '|'
const std::string kFu = "\x95\xE0";   // 歩

TEST(SjisTest, LeadBytesAndCharacterSteps) {
    EXPECT_TRUE(isLeadByte('\x81'));
    EXPECT_TRUE(isLeadByte('\x9F'));
    EXPECT_TRUE(isLeadByte('\xE0'));
    EXPECT_TRUE(isLeadByte('\xFC'));
    EXPECT_FALSE(isLeadByte('\x80'));
    EXPECT_FALSE(isLeadByte('\xA0'));  // half-width katakana are single bytes
    EXPECT_FALSE(isLeadByte('\xDF'));
    EXPECT_FALSE(isLeadByte('A'));

    std::string s = "a" + kJu + "\xB1" + kFu + "z";
    std::vector<std::pair<std::size_t, std::size_t>> chars;
    forEachChar(s, [&](std::size_t at, std::size_t n) { chars.emplace_back(at, n); });
    std::vector<std::pair<std::size_t, std::size_t>> want{{0, 1}, {1, 2}, {3, 1}, {4, 2}, {6, 1}};
    EXPECT_EQ(chars, want);
    EXPECT_EQ(charCount(s), 5u);
    // A lead byte cut off at the end counts as one character and never reads past the text.
    EXPECT_EQ(charCount("ab\x8F"), 3u);
}

TEST(SjisTest, TrailBytesThatLookLikeAsciiAreNotFound) {
    std::string s = kJu + kHyo + "\\|";
    EXPECT_EQ(findByte(s, '\\'), 4u);
    EXPECT_EQ(findByte(s, '|'), 5u);
    EXPECT_EQ(findByte(kJu + kHyo, '\\'), std::string_view::npos);
    // A quote right after a lead byte is its second byte; after a whole character it is a quote.
    EXPECT_EQ(findByte("a\x81\"", '"'), std::string_view::npos);
    EXPECT_EQ(findByte("a\x81\x81\"", '"'), 3u);
    EXPECT_EQ(findByte("ab", '"', 5), std::string_view::npos);
}

// The search equals a walk character by character, for any bytes and any starting boundary.
TEST(SjisTest, FindByteEqualsAWalkByCharacters) {
    const char alphabet[] = {'a', '"', ',', '\x81', '\x9F', '\xE0', '\x40', '\\', '0'};
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        std::string line;
        const int length = static_cast<int>(rng() % 12);
        for (int k = 0; k < length; ++k) line += alphabet[rng() % sizeof alphabet];
        for (std::size_t from = 0; from <= line.size(); from += charLength(line, from)) {
            for (char c : {'"', ',', '\\', '\x40', '0'}) {
                std::size_t walk = std::string_view::npos;
                for (std::size_t i = from; i < line.size(); i += charLength(line, i)) {
                    if (line[i] == c) {
                        walk = i;
                        break;
                    }
                }
                ASSERT_EQ(findByte(line, c, from), walk) << round << " " << from << " " << c;
            }
            if (from == line.size()) break;
        }
    }
    // A two-byte needle is only matched on a character boundary.
    std::string odd = "\x88\x8F\x5C";  // a character 0x888F, then '\'
    EXPECT_EQ(findText(odd, kJu), std::string_view::npos);
    EXPECT_EQ(findText("x" + kJu, kJu), 1u);
}

TEST(SjisTest, CutToBytesNeverSplitsACharacter) {
    std::string s = "ab" + kJu + kFu;  // 6 bytes
    EXPECT_EQ(cutToBytes(s, 10), s);
    EXPECT_EQ(cutToBytes(s, 6), s);
    EXPECT_EQ(cutToBytes(s, 5), "ab" + kJu);
    EXPECT_EQ(cutToBytes(s, 4), "ab" + kJu);
    EXPECT_EQ(cutToBytes(s, 3), "ab");
    EXPECT_EQ(cutToBytes(s, 0), "");
    EXPECT_EQ(cutToBytes("a\x8F", 2), "a\x8F");  // a truncated character is one byte
}

TEST(SjisTest, CompareCharsCountsTwoByteCharactersAsOne) {
    std::string heite = sjis("平手　　");
    std::string heiteOther = sjis("平手落ち");
    EXPECT_EQ(compareChars(heite, heiteOther, 2), 0);
    EXPECT_NE(compareChars(heite, heiteOther, 3), 0);
    EXPECT_EQ(compareChars("abc", "abd", 2), 0);
    EXPECT_LT(compareChars("abc", "abd", 3), 0);
    EXPECT_LT(compareChars("ab", "abc", 3), 0);
    EXPECT_EQ(compareChars("ab", "ab", 5), 0);
    // "a十" against "a" + 0x8F 0x5D: differ in the second character's second byte.
    EXPECT_LT(compareChars("a" + kJu, "a\x8F\x5D", 2), 0);
    EXPECT_TRUE(startsWithText(sjis("手合割：平手"), sjis("手合割：")));
    EXPECT_FALSE(startsWithText(sjis("手合"), sjis("手合割：")));
}

TEST(SjisTest, ConvertsBothWaysIncludingUserDefinedMarks) {
    EXPECT_EQ(sjis("▲７六歩"), "\x81\xA3\x82\x56\x98\x5A\x95\xE0");
    EXPECT_EQ(*cp932ToUtf8(sjis("▲７六歩　十")), "▲７六歩　十");
    // The marks of the user-defined area.
    EXPECT_EQ(*cp932ToUtf8("\xF0\xA5\xF0\xA6\xF0\xA7"), "\xEE\x81\xA4\xEE\x81\xA5\xEE\x81\xA6");
    EXPECT_EQ(sjis("\xEE\x81\xA4\xEE\x81\xA5\xEE\x81\xA6"), "\xF0\xA5\xF0\xA6\xF0\xA7");
    // 0x8160 is the wave dash as CP932 maps it (U+FF5E), and it converts back.
    EXPECT_EQ(*cp932ToUtf8("\x81\x60"), "\xEF\xBD\x9E");
    EXPECT_EQ(sjis("\xEF\xBD\x9E"), "\x81\x60");
    // Half-width katakana are single bytes.
    EXPECT_EQ(*cp932ToUtf8("\xB1"), "ｱ");
}

TEST(SjisTest, UnmappableCharactersBecomeQuestionMarks) {
    Cp932Conversion c = utf8ToCp932("a😀b한");
    EXPECT_TRUE(c.ok);
    EXPECT_EQ(c.replaced, 2);
    EXPECT_EQ(c.text,
              "a\x81\x48"
              "b\x81\x48");
}

TEST(SjisTest, InvalidInputFailsCleanly) {
    EXPECT_FALSE(cp932ToUtf8("ab\x8F").has_value());    // truncated character
    EXPECT_FALSE(cp932ToUtf8("\x81\x20").has_value());  // bad trail byte
    EXPECT_FALSE(cp932ToUtf8("\x80").has_value());
    EXPECT_FALSE(cp932ToUtf8("\xFD").has_value());
    EXPECT_TRUE(isValidCp932(std::string("a\0b", 3)));
    EXPECT_EQ(*cp932ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));

    Cp932Conversion c = utf8ToCp932("ab\xE6\xAD");  // truncated UTF-8 sequence
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.text, "ab");
    EXPECT_FALSE(utf8ToCp932("\xC0\xAF").ok);      // overlong
    EXPECT_FALSE(utf8ToCp932("\xED\xA0\x80").ok);  // surrogate
    EXPECT_FALSE(isValidUtf8("\xFF"));
    EXPECT_TRUE(isValidUtf8("将棋"));

    EXPECT_EQ(toUtf8Lossy("a\x80" + kFu + "\x8F"), "a\xEF\xBF\xBD歩\xEF\xBF\xBD");
}

TEST(SjisTest, ValidityTellsSjisFromUtf8) {
    std::string utf8 = "将棋の棋譜";
    std::string cp932 = sjis(utf8);
    EXPECT_TRUE(isValidUtf8(utf8));
    EXPECT_FALSE(isValidUtf8(cp932));
    EXPECT_TRUE(isValidCp932(cp932));
}

}  // namespace
}  // namespace core
