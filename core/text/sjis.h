// Text: the one place that knows how a character is laid out in bytes and how text crosses
// between UTF-8 and Shift-JIS (code page 932). All text inside the program is UTF-8 in
// std::string; CP932 exists only at the files whose format requires it (KIF, KI2 and CSA in their
// Shift-JIS form, the database files, the environment file), converted by the functions below.
// Widths and cuts that those formats define in Shift-JIS bytes are measured here in CP932 bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// The first byte of a character of more than one byte (0xC0..0xFF; the bytes after it are
// 0x80..0xBF, so an ASCII byte is never part of another character).
constexpr bool isLeadByte(unsigned char c) { return c >= 0xC0; }
constexpr bool isLeadByte(char c) { return isLeadByte(static_cast<unsigned char>(c)); }

// The full-width space "　", the blank of Japanese texts.
inline constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";

// Byte length of the character that starts at s[i]: 1 for ASCII, 2..4 for a well-formed UTF-8
// sequence; a byte that starts no complete sequence (a stray continuation byte, a sequence cut
// off at the end of the text) counts as one byte, so a walk never skips an ASCII byte.
constexpr std::size_t charLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0xC0) return 1;
    const std::size_t n = c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF8 ? 4 : 1;
    if (i + n > s.size()) return 1;
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    }
    return n;
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

// The code point of the first character of text; 0 when text is empty (a byte that starts no
// character gives its own value). A character is recognised by comparing two numbers:
// charCode(t) == charCode("同").
constexpr unsigned charCode(std::string_view text) {
    if (text.empty()) return 0;
    const std::size_t n = charLength(text, 0);
    const auto c = static_cast<unsigned char>(text[0]);
    if (n == 1) return c;
    unsigned code = c & (n == 2 ? 0x1Fu : n == 3 ? 0x0Fu : 0x07u);
    for (std::size_t k = 1; k < n; ++k) {
        code = (code << 6) | (static_cast<unsigned char>(text[k]) & 0x3Fu);
    }
    return code;
}

// Number of characters in s.
std::size_t charCount(std::string_view s);

// Width of s in CP932 bytes, as the record and database layouts count: 1 for ASCII and half-width
// katakana, 2 for every other character, including one CP932 cannot hold (it takes the place of a
// two-byte character in any layout) and a byte that is no UTF-8.
std::size_t cp932Width(std::string_view s);

// Width of the one character at s[i] (of charLength(s, i) bytes) in CP932 bytes.
std::size_t cp932CharWidth(std::string_view s, std::size_t i);

// The longest prefix of s whose CP932 width is at most n; never ends inside a character.
std::string_view cutToBytes(std::string_view s, std::size_t n);

// Offset of the first byte c of s at or after from; npos when none. c is ASCII, which is never a
// byte of another character.
std::size_t findByte(std::string_view s, char c, std::size_t from = 0);

// Offset of the first occurrence of needle in s that starts on a character boundary; npos when
// none.
std::size_t findText(std::string_view s, std::string_view needle, std::size_t from = 0);

// Compares the first n characters of a and b; a text shorter than n characters compares as it
// stands. Returns <0, 0 or >0.
int compareChars(std::string_view a, std::string_view b, std::size_t n);

// Compares a and b in the order of their Shift-JIS bytes (as the lists have always sorted):
// ASCII, then the two-byte characters from 0x8140, half-width katakana between 0x9F and 0xE0;
// characters Shift-JIS cannot hold come after all others, by code point. Returns <0, 0 or >0.
int compareCp932(std::string_view a, std::string_view b);

// Whether text begins with key, compared over the key's own characters.
bool startsWithText(std::string_view text, std::string_view key);

// Whether every byte sequence of s is a well-formed CP932 character (no lead byte without a
// valid second byte).
bool isValidCp932(std::string_view s);

// Whether s is well-formed UTF-8.
bool isValidUtf8(std::string_view s);

// CP932 to UTF-8 (table-driven: every Shift-JIS file read comes through here). The user-defined
// marks 0xF0A5..0xF0A7 become U+E064..U+E066; a well-formed pair without a character becomes
// U+FFFD. nullopt when s is not valid CP932.
std::optional<std::string> cp932ToUtf8(std::string_view s);

// CP932 to UTF-8 that never fails: each byte that is no CP932 character becomes `replacement`
// (U+FFFD unless given) and is counted in `replaced`.
struct Utf8Decoding {
    std::string text;
    int replaced = 0;
};
Utf8Decoding decodeCp932(std::string_view s, std::string_view replacement = "\xEF\xBF\xBD");

// UTF-8 to CP932. A character CP932 cannot hold becomes "？" and is counted in `replaced`; the
// first such character is kept in `firstUnencodable` (UTF-8) at byte offset `firstUnencodableAt`
// of s. `ok` is false (and `text` holds what was converted before the fault) when s is not valid
// UTF-8.
struct Cp932Conversion {
    std::string text;
    int replaced = 0;
    bool ok = true;
    std::string firstUnencodable;
    std::size_t firstUnencodableAt = std::string_view::npos;
};
Cp932Conversion utf8ToCp932(std::string_view s);

// Whether CP932 holds every character of the UTF-8 text s (and s is valid UTF-8).
bool fitsCp932(std::string_view s);

// The CP932 bytes of the UTF-8 text s; nullopt when a character cannot be held (or s is no
// UTF-8).
std::optional<std::string> cp932Bytes(std::string_view s);

// The program's own text files (settings, histories, lists, mail files, template includes) are
// Shift-JIS. Written: Shift-JIS when it holds the whole text, else UTF-8 after a byte-order mark,
// so that no character is lost. Read: UTF-8 after a byte-order mark or when the bytes are valid
// UTF-8 with a character beyond ASCII (a file from a UTF-8 editor), else Shift-JIS (a byte that
// is no Shift-JIS becomes U+FFFD).
std::string ownTextFileBytes(std::string_view text);
std::string ownTextFileText(std::string_view bytes);

// The first character of the UTF-8 text s that CP932 cannot hold (UTF-8); empty when none.
std::string firstNonCp932Char(std::string_view s);

// The UTF-8 form of a code point (below U+110000; no check of surrogates).
std::string utf8Of(char32_t codePoint);
void appendUtf8(std::string& out, char32_t codePoint);

// "U+1F642" for a character (UTF-8), for messages that name a character that may not show.
std::string codePointName(std::string_view character);

// Text that should be UTF-8 made valid for display and printing: identity for valid UTF-8, each
// byte that is no UTF-8 becomes U+FFFD.
std::string toUtf8Lossy(std::string_view text);

}  // namespace core
