// Shift-JIS (code page 932) text: the one place that knows how a character is laid out in bytes
// and how text crosses to and from UTF-8. All record text inside the program is CP932 bytes in
// std::string; conversion happens only at the edges (widgets, clipboard, printed tool output).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// A CP932 lead byte: the first byte of a two-byte character (0x81..0x9F, 0xE0..0xFC).
// The second byte may be any of 0x40..0xFC, including 0x5C ('\') and 0x7C ('|'): 十 is 0x8F 0x5C.
constexpr bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool isLeadByte(char c) { return isLeadByte(static_cast<unsigned char>(c)); }

// The full-width space "　", the blank of Japanese texts.
inline constexpr std::string_view kFullWidthSpace = "\x81\x40";

// Byte length of the character that starts at s[i]: 2 for a lead byte with a byte after it,
// 1 otherwise (a lead byte cut off at the end of the text counts as one byte).
constexpr std::size_t charLength(std::string_view s, std::size_t i) {
    return (i + 1 < s.size() && isLeadByte(s[i])) ? 2 : 1;
}

// Calls f(offset, length) for each character of s in order.
template <class F>
void forEachChar(std::string_view s, F&& f) {
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = charLength(s, i);
        f(i, n);
        i += n;
    }
}

// The first two bytes of text as one number, the first byte high; 0 when text is shorter. A
// two-byte character is recognised by comparing two numbers: charCode(t) == charCode("同").
constexpr unsigned charCode(std::string_view text) {
    return text.size() < 2 ? 0u
                           : (static_cast<unsigned>(static_cast<unsigned char>(text[0])) << 8) |
                                 static_cast<unsigned char>(text[1]);
}

// Number of characters in s (a two-byte character counts one).
std::size_t charCount(std::string_view s);

// The longest prefix of s of at most n bytes that does not end inside a two-byte character.
std::string_view cutToBytes(std::string_view s, std::size_t n);

// Offset of the first character of s, from character offset `from`, equal to the single byte c
// (never the second byte of a two-byte character); npos when none.
std::size_t findByte(std::string_view s, char c, std::size_t from = 0);

// Offset of the first occurrence of needle in s that starts on a character boundary; npos when
// none.
std::size_t findText(std::string_view s, std::string_view needle, std::size_t from = 0);

// Compares the first n characters of a and b (a two-byte character is one character of two
// bytes); a text shorter than n characters compares as it stands. Returns <0, 0 or >0.
int compareChars(std::string_view a, std::string_view b, std::size_t n);

// Whether text begins with key, compared over the key's own characters.
bool startsWithText(std::string_view text, std::string_view key);

// Whether every byte sequence of s is a well-formed CP932 character (no lead byte without a
// valid second byte).
bool isValidCp932(std::string_view s);

// Whether s is well-formed UTF-8.
bool isValidUtf8(std::string_view s);

// CP932 to UTF-8. The user-defined marks 0xF0A5..0xF0A7 become U+E064..U+E066. nullopt when s is
// not valid CP932.
std::optional<std::string> cp932ToUtf8(std::string_view s);

// UTF-8 to CP932. A character CP932 cannot hold becomes "？" and is counted in `replaced`;
// `ok` is false (and `text` holds what was converted before the fault) when s is not valid UTF-8.
struct Cp932Conversion {
    std::string text;
    int replaced = 0;
    bool ok = true;
};
Cp932Conversion utf8ToCp932(std::string_view s);

// UTF-8 literal to CP932, for program texts written in the source as UTF-8. Characters that
// CP932 cannot hold become "？".
std::string sjis(std::string_view utf8);

// CP932 to UTF-8 for display and printing; bytes that are not valid CP932 become U+FFFD.
std::string toUtf8Lossy(std::string_view cp932);

}  // namespace core
