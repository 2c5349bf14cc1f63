#include "core/text/sjis.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <random>
#include <vector>

namespace core {
namespace {

// What the system's converter makes of CP932 bytes; nullopt when it refuses them.
std::optional<std::string> iconvToUtf8(std::string_view cp932) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    char out[16];
    char* src = const_cast<char*>(cp932.data());
    std::size_t srcLeft = cp932.size();
    char* dst = out;
    std::size_t dstLeft = sizeof out;
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok) return std::nullopt;
    return std::string(out, static_cast<std::size_t>(dst - out));
}

TEST(TextTest, CharactersStepByTheirUtf8Length) {
    const std::string s = "a十ｱ🙂z";
    std::vector<std::pair<std::size_t, std::size_t>> chars;
    forEachChar(s, [&](std::size_t at, std::size_t n) { chars.emplace_back(at, n); });
    std::vector<std::pair<std::size_t, std::size_t>> want{{0, 1}, {1, 3}, {4, 3}, {7, 4}, {11, 1}};
    EXPECT_EQ(chars, want);
    EXPECT_EQ(charCount(s), 5u);
    EXPECT_EQ(charCode("同"), 0x540Cu);
    EXPECT_EQ(charCode("🙂x"), 0x1F642u);
    EXPECT_EQ(charCode(""), 0u);
    // A sequence cut off at the end, or a stray continuation byte, is one byte and never hides
    // the ASCII byte after it.
    EXPECT_EQ(charCount("ab\xE5\x8D"), 4u);
    EXPECT_EQ(charLength("\xE5\x8D\"", 0), 1u);
    EXPECT_EQ(charLength("\x80", 0), 1u);
}

TEST(TextTest, AsciiIsFoundWhereverItIs) {
    EXPECT_EQ(findByte("十表\\|", '\\'), 6u);
    EXPECT_EQ(findByte("十表\\|", '|'), 7u);
    EXPECT_EQ(findByte("ab", '"', 5), std::string_view::npos);
    EXPECT_EQ(findText("x十", "十"), 1u);
    // A needle that begins inside a character of the text is not a match.
    EXPECT_EQ(findText("\xE5\x8D\x81", "\x8D\x81"), std::string_view::npos);
}

TEST(TextTest, WidthsCountShiftJisBytes) {
    EXPECT_EQ(cp932Width("abc"), 3u);
    EXPECT_EQ(cp932Width("７六歩"), 6u);
    EXPECT_EQ(cp932Width("ｱｲｳ"), 3u);                       // half-width katakana are one byte
    EXPECT_EQ(cp932Width("\xEF\xBD\xA1\xEF\xBE\x9F"), 2u);  // the first and last of them
    EXPECT_EQ(cp932Width("\xEF\xBD\xA0"), 2u);              // U+FF60, just before them
    EXPECT_EQ(cp932Width("🙂한ü"), 6u);                 // what Shift-JIS cannot hold counts two
    EXPECT_EQ(cp932Width(""), 0u);
}

TEST(TextTest, CutsAreMeasuredInShiftJisBytesAndNeverSplitACharacter) {
    const std::string s = "ab十ｱ歩";  // widths 1 1 2 1 2
    EXPECT_EQ(cutToBytes(s, 10), s);
    EXPECT_EQ(cutToBytes(s, 7), s);
    EXPECT_EQ(cutToBytes(s, 6), "ab十ｱ");
    EXPECT_EQ(cutToBytes(s, 5), "ab十ｱ");
    EXPECT_EQ(cutToBytes(s, 4), "ab十");
    EXPECT_EQ(cutToBytes(s, 3), "ab");
    EXPECT_EQ(cutToBytes(s, 0), "");
    EXPECT_EQ(cutToBytes("🙂🙂", 3), "🙂");
    // Every cut of random text is whole characters and as wide as allowed.
    std::mt19937 rng(3);
    const std::vector<std::string> pieces{"a", "十", "ｱ", "🙂", "ü", " "};
    for (int round = 0; round < 500; ++round) {
        std::string t;
        for (int k = static_cast<int>(rng() % 10); k > 0; --k) t += pieces[rng() % pieces.size()];
        const std::size_t n = rng() % 16;
        const std::string_view cut = cutToBytes(t, n);
        ASSERT_TRUE(isValidUtf8(cut)) << t << " " << n;
        ASSERT_LE(cp932Width(cut), n);
        if (cut.size() < t.size()) {
            ASSERT_GT(cp932Width(t.substr(0, cut.size() + charLength(t, cut.size()))), n);
        }
    }
}

TEST(TextTest, CompareCharsCountsCharacters) {
    EXPECT_EQ(compareChars("平手　　", "平手落ち", 2), 0);
    EXPECT_NE(compareChars("平手　　", "平手落ち", 3), 0);
    EXPECT_LT(compareChars("ab", "abc", 3), 0);
    EXPECT_EQ(compareChars("ab", "ab", 5), 0);
    EXPECT_TRUE(startsWithText("手合割：平手", "手合割："));
    EXPECT_FALSE(startsWithText("手合", "手合割："));
}

TEST(TextTest, ShiftJisOrderIsTheOrderOfTheBytes) {
    const std::vector<std::string> words{"",   "a",  "ab", "Z", "ｱ",  "ｱｲ", "あ",  "ア",
                                         "亜", "十", "表", "▲", "ー", "～", "a十", "aｱ"};
    for (const std::string& x : words) {
        for (const std::string& y : words) {
            const std::string bx = utf8ToCp932(x).text;
            const std::string by = utf8ToCp932(y).text;
            const int want = bx < by ? -1 : (by < bx ? 1 : 0);
            EXPECT_EQ(compareCp932(x, y), want) << x << " / " << y;
        }
    }
    // What Shift-JIS cannot hold comes after everything it can.
    EXPECT_GT(compareCp932("한", "将"), 0);
    EXPECT_LT(compareCp932("将", "한"), 0);
    EXPECT_LT(compareCp932("한", "🙂"), 0);
}

TEST(TextTest, ConvertsBothWaysIncludingUserDefinedMarks) {
    EXPECT_EQ(utf8ToCp932("▲７六歩").text, "\x81\xA3\x82\x56\x98\x5A\x95\xE0");
    EXPECT_EQ(*cp932ToUtf8("\x81\xA3\x82\x56\x98\x5A\x95\xE0\x81\x40\x8F\x5C"), "▲７六歩　十");
    EXPECT_EQ(*cp932ToUtf8("\xF0\xA5\xF0\xA6\xF0\xA7"), "\uE064\uE065\uE066");
    EXPECT_EQ(utf8ToCp932("\uE064\uE065\uE066").text, "\xF0\xA5\xF0\xA6\xF0\xA7");
    // 0x8160 is the wave dash as CP932 maps it (U+FF5E), and it converts back.
    EXPECT_EQ(*cp932ToUtf8("\x81\x60"), "\xEF\xBD\x9E");
    EXPECT_EQ(utf8ToCp932("\xEF\xBD\x9E").text, "\x81\x60");
    EXPECT_EQ(*cp932ToUtf8("\xB1"), "ｱ");
    EXPECT_EQ(utf8ToCp932("ｱ").text, "\xB1");
    EXPECT_EQ(cp932Bytes("十"), std::optional<std::string>("\x8F\x5C"));
    EXPECT_EQ(cp932Bytes("🙂"), std::nullopt);
}

// The table the fast decoder uses says what the system's converter says, for every pair.
TEST(TextTest, TheDecodingTableAgreesWithTheConverterForEveryCharacter) {
    int checked = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            if (lead == 0xF0 && trail >= 0xA5 && trail <= 0xA7) continue;  // checked above
            const std::optional<std::string> want = iconvToUtf8(pair);
            const std::optional<std::string> got = cp932ToUtf8(pair);
            ASSERT_TRUE(got.has_value());
            if (want && !want->empty()) {
                ASSERT_EQ(*got, *want) << std::hex << lead << trail;
                // And every character decoded converts back to a pair that decodes the same.
                ASSERT_EQ(cp932ToUtf8(utf8ToCp932(*got).text), *want) << std::hex << lead << trail;
                ++checked;
            } else {
                ASSERT_EQ(*got, "\xEF\xBF\xBD") << std::hex << lead << trail;
            }
        }
    }
    EXPECT_GT(checked, 7000);
}

TEST(TextTest, CharactersShiftJisCannotHoldAreReportedNotHidden) {
    Cp932Conversion c = utf8ToCp932("a😀b한");
    EXPECT_TRUE(c.ok);
    EXPECT_EQ(c.replaced, 2);
    EXPECT_EQ(c.firstUnencodable, "😀");
    EXPECT_EQ(c.firstUnencodableAt, 1u);
    EXPECT_FALSE(fitsCp932("ü"));
    EXPECT_TRUE(fitsCp932("将棋ｱ"));
    EXPECT_EQ(firstNonCp932Char("将棋한국"), "한");
    EXPECT_EQ(codePointName("🙂"), "U+1F642");
    EXPECT_EQ(codePointName("ü"), "U+00FC");
}

TEST(TextTest, InvalidInputFailsCleanly) {
    EXPECT_FALSE(cp932ToUtf8("ab\x8F").has_value());    // truncated character
    EXPECT_FALSE(cp932ToUtf8("\x81\x20").has_value());  // bad trail byte
    EXPECT_FALSE(cp932ToUtf8("\x80").has_value());
    EXPECT_FALSE(cp932ToUtf8("\xFD").has_value());
    EXPECT_EQ(*cp932ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    Utf8Decoding d = decodeCp932("a\x80\x95\xE0\x8F");
    EXPECT_EQ(d.text, "a\xEF\xBF\xBD歩\xEF\xBF\xBD");
    EXPECT_EQ(d.replaced, 2);
    EXPECT_EQ(decodeCp932("\x81\x20", "？").text, "？ ");

    Cp932Conversion c = utf8ToCp932("ab\xE6\xAD");  // truncated UTF-8 sequence
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.text, "ab");
    EXPECT_FALSE(utf8ToCp932("\xC0\xAF").ok);      // overlong
    EXPECT_FALSE(utf8ToCp932("\xED\xA0\x80").ok);  // surrogate
    EXPECT_FALSE(isValidUtf8("\xFF"));
    EXPECT_TRUE(isValidUtf8("将棋"));
    EXPECT_EQ(toUtf8Lossy("a\x80歩\xE6"), "a\xEF\xBF\xBD歩\xEF\xBF\xBD");
    EXPECT_EQ(toUtf8Lossy("🙂 한국 ü"), "🙂 한국 ü");
}

TEST(TextTest, OwnTextFilesStayShiftJisUnlessThatWouldLoseACharacter) {
    EXPECT_EQ(ownTextFileBytes("棋譜\r\n"), "\x8A\xFB\x95\x88\r\n");
    EXPECT_EQ(ownTextFileText("\x8A\xFB\x95\x88\r\n"), "棋譜\r\n");
    const std::string bytes = ownTextFileBytes("棋譜 한국\r\n");
    EXPECT_EQ(bytes, "\xEF\xBB\xBF棋譜 한국\r\n");
    EXPECT_EQ(ownTextFileText(bytes), "棋譜 한국\r\n");
}

TEST(TextTest, ProgramTextsAreUsedAsWritten) {
    EXPECT_EQ(std::string("▲７六歩 🙂"), "▲７六歩 🙂");
}

}  // namespace
}  // namespace core
