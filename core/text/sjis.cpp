#include "core/text/sjis.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace core {

namespace {

bool isCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool isTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }
bool isHalfWidthKatakanaByte(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }

constexpr char32_t kReplacementChar = 0xFFFD;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";
constexpr std::string_view kQuestionCp932 = "\x81\x48";  // "？"

// One iconv descriptor per direction and thread; iconv_open is far too slow to call per text.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The whole of in converted, or nullopt when iconv refuses any of it.
    std::optional<std::string> convert(std::string_view in) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[16];
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        if (iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        if (iconv(m_cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        return std::string(buffer, static_cast<std::size_t>(dst - buffer));
    }

private:
    iconv_t m_cd;
};

// The code point of every two-byte CP932 character, indexed by its two bytes (lead byte high);
// 0 for a pair that is no character. Built once from the system's converter; the user-defined
// marks are set explicitly, whatever the converter does with the user-defined area.
struct Cp932Table {
    std::array<std::uint16_t, 0x10000> toUnicode{};
    // The CP932 bytes of each BMP code point that some pair decodes to (lead byte high, or the
    // single byte); 0 where the table does not know (the converter is then asked).
    std::array<std::uint16_t, 0x10000> fromUnicode{};

    Cp932Table() {
        Converter decode("UTF-8", "CP932");
        Converter encode("CP932", "UTF-8");
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isCp932Lead(static_cast<unsigned char>(lead))) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrailByte(static_cast<unsigned char>(trail))) continue;
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                const std::optional<std::string> u = decode.convert(std::string_view(pair, 2));
                char32_t cp = kReplacementChar;
                if (u && !u->empty()) cp = charCode(*u);
                if (cp > 0xFFFF) cp = kReplacementChar;
                toUnicode[(lead << 8) | trail] = static_cast<std::uint16_t>(cp);
            }
        }
        toUnicode[0xF0A5] = 0xE064;
        toUnicode[0xF0A6] = 0xE065;
        toUnicode[0xF0A7] = 0xE066;
        for (unsigned code = 0x8140; code <= 0xFCFC; ++code) {
            const char32_t cp = toUnicode[code];
            if (cp == 0 || cp == kReplacementChar || fromUnicode[cp] != 0) continue;
            // Where CP932 has two codes for one character, the converter's choice is the one
            // written.
            std::string u;
            appendUtf8(u, cp);
            const std::optional<std::string> back = encode.convert(u);
            if (back && back->size() == 2) {
                fromUnicode[cp] =
                    static_cast<std::uint16_t>((static_cast<unsigned char>((*back)[0]) << 8) |
                                               static_cast<unsigned char>((*back)[1]));
            } else {
                fromUnicode[cp] = static_cast<std::uint16_t>(code);
            }
        }
        fromUnicode[0xE064] = 0xF0A5;
        fromUnicode[0xE065] = 0xF0A6;
        fromUnicode[0xE066] = 0xF0A7;
    }
};

const Cp932Table& table() {
    static const std::unique_ptr<Cp932Table> t = std::make_unique<Cp932Table>();
    return *t;
}

Converter& fallbackEncoder() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

// CP932 bytes of one code point (given as its UTF-8 bytes); empty when CP932 cannot hold it.
std::string encodeChar(char32_t cp, std::string_view utf8) {
    if (cp < 0x80) return std::string(1, static_cast<char>(cp));
    if (cp >= 0xFF61 && cp <= 0xFF9F) return std::string(1, static_cast<char>(cp - 0xFF61 + 0xA1));
    if (cp < 0x10000) {
        const std::uint16_t code = table().fromUnicode[cp];
        if (code != 0) {
            return code > 0xFF ? std::string{static_cast<char>(code >> 8), static_cast<char>(code)}
                               : std::string(1, static_cast<char>(code));
        }
    }
    // Characters the converter maps by a rule of its own (none of the table's).
    std::optional<std::string> r = fallbackEncoder().convert(utf8);
    if (!r || r->empty()) return {};
    return *r;
}

// Writes the UTF-8 form of a code point of the first plane at p; returns the end.
inline char* putUtf8(char* p, char32_t cp) {
    if (cp < 0x80) {
        *p++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *p++ = static_cast<char>(0xC0 | (cp >> 6));
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *p++ = static_cast<char>(0xE0 | (cp >> 12));
        *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return p;
}

// Decodes CP932 bytes, appending to out; each byte that starts no character is handled by
// `bad(out)`; returns false when bad asks to stop. An ASCII byte stays one, any other becomes at
// most three: the buffer is made that large once and cut to what was written (a text of a few
// hundred megabytes, mostly ASCII, then takes little more than its own size while it is made).
template <class Bad>
bool decodeInto(std::string_view s, std::string& out, Bad&& bad) {
    const Cp932Table& t = table();
    const std::size_t n = s.size();
    const std::size_t start = out.size();
    const auto ascii = static_cast<std::size_t>(std::count_if(
        s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
    out.resize(start + ascii + (n - ascii) * 3);
    char* p = out.data() + start;
    std::size_t i = 0;
    bool ok = true;
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
            ++i;
            continue;
        }
        if (isCp932Lead(c)) {
            if (i + 1 < n && isTrailByte(static_cast<unsigned char>(s[i + 1]))) {
                const char32_t cp = t.toUnicode[(c << 8) | static_cast<unsigned char>(s[i + 1])];
                p = putUtf8(p, cp == 0 ? kReplacementChar : cp);
                i += 2;
                continue;
            }
        } else if (isHalfWidthKatakanaByte(c)) {
            p = putUtf8(p, 0xFF61 + (c - 0xA1));
            ++i;
            continue;
        }
        // A byte that is no character: the replacement goes through the string itself.
        out.resize(static_cast<std::size_t>(p - out.data()));
        if (!bad(out)) {
            ok = false;
            break;
        }
        ++i;
        const std::size_t written = out.size();
        out.resize(written + (n - i) * 3);
        p = out.data() + written;
    }
    if (ok) out.resize(static_cast<std::size_t>(p - out.data()));
    return ok;
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::size_t charCount(std::string_view s) {
    std::size_t n = 0;
    forEachChar(s, [&](std::size_t, std::size_t) { ++n; });
    return n;
}

std::size_t cp932CharWidth(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return 1;
    const std::size_t len = charLength(s, i);
    if (len == 1) return 1;  // a byte that is no UTF-8
    // U+FF61..U+FF9F, the half-width katakana, are EF BD A1..EF BD BF and EF BE 80..EF BE 9F.
    if (len == 3 && c == 0xEF) {
        const auto b1 = static_cast<unsigned char>(s[i + 1]);
        const auto b2 = static_cast<unsigned char>(s[i + 2]);
        if ((b1 == 0xBD && b2 >= 0xA1) || (b1 == 0xBE && b2 <= 0x9F)) return 1;
    }
    return 2;
}

std::size_t cp932Width(std::string_view s) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < s.size();) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++w;
            ++i;
            continue;
        }
        w += cp932CharWidth(s, i);
        i += charLength(s, i);
    }
    return w;
}

std::string_view cutToBytes(std::string_view s, std::size_t n) {
    if (s.size() <= n) return s;  // the width is never more than the byte count
    std::size_t width = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            if (width + 1 > n) break;
            ++width;
            ++i;
            continue;
        }
        const std::size_t w = cp932CharWidth(s, i);
        if (width + w > n) break;
        width += w;
        i += charLength(s, i);
    }
    return s.substr(0, i);
}

std::size_t findByte(std::string_view s, char c, std::size_t from) {
    if (from >= s.size()) return std::string_view::npos;
    return s.find(c, from);
}

std::size_t findText(std::string_view s, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= s.size() ? from : std::string_view::npos;
    std::size_t boundary = from;  // a character boundary at or before every candidate looked at
    for (std::size_t at = s.find(needle, from); at != std::string_view::npos;
         at = s.find(needle, at + 1)) {
        while (boundary < at) boundary += charLength(s, boundary);
        if (boundary == at) return at;
    }
    return std::string_view::npos;
}

int compareChars(std::string_view a, std::string_view b, std::size_t n) {
    std::size_t ia = 0;
    std::size_t ib = 0;
    for (std::size_t k = 0; k < n; ++k) {
        bool endA = ia >= a.size();
        bool endB = ib >= b.size();
        if (endA || endB) return endA == endB ? 0 : (endA ? -1 : 1);
        std::size_t la = charLength(a, ia);
        std::size_t lb = charLength(b, ib);
        int c = a.substr(ia, la).compare(b.substr(ib, lb));
        if (c != 0) return c < 0 ? -1 : 1;
        ia += la;
        ib += lb;
    }
    return 0;
}

namespace {

// The order of one character among Shift-JIS bytes: a single byte b as b << 8, a pair as its two
// bytes, so that comparing keys compares the bytes; past 0xFFFF for what Shift-JIS cannot hold.
std::uint32_t cp932SortKey(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return static_cast<std::uint32_t>(c) << 8;
    const std::size_t len = charLength(s, i);
    if (len == 1) return 0x110000u + 0x10000u + c;  // a byte that is no UTF-8
    const char32_t cp = charCode(s.substr(i, len));
    if (cp >= 0xFF61 && cp <= 0xFF9F) return (cp - 0xFF61 + 0xA1) << 8;
    if (cp < 0x10000) {
        const std::uint16_t code = table().fromUnicode[cp];
        if (code != 0) return code > 0xFF ? code : static_cast<std::uint32_t>(code) << 8;
    }
    return 0x10000u + cp;
}

}  // namespace

int compareCp932(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < n && a[i] == b[i]) ++i;
    if (i == a.size() || i == b.size()) return a.size() == b.size() ? 0 : (i == a.size() ? -1 : 1);
    // The differing character starts at the same offset in both: back up over continuation bytes.
    while (i > 0 && (static_cast<unsigned char>(a[i]) & 0xC0) == 0x80) --i;
    const std::uint32_t ka = cp932SortKey(a, i);
    const std::uint32_t kb = cp932SortKey(b, i);
    if (ka != kb) return ka < kb ? -1 : 1;
    const int c =
        a.substr(i).compare(b.substr(i));  // different bytes of one key: never in practice
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool startsWithText(std::string_view text, std::string_view key) {
    // Both start on a boundary, so equal leading bytes are equal leading characters.
    return text.starts_with(key);
}

bool isValidCp932(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (isCp932Lead(c)) {
            if (i + 1 >= s.size() || !isTrailByte(static_cast<unsigned char>(s[i + 1]))) {
                return false;
            }
            ++i;
        } else if (c == 0x80 || c == 0xA0 || c >= 0xFD) {
            return false;
        }
    }
    return true;
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += len;
    }
    return true;
}

std::optional<std::string> cp932ToUtf8(std::string_view s) {
    std::string out;
    if (!decodeInto(s, out, [](std::string&) { return false; })) return std::nullopt;
    return out;
}

Utf8Decoding decodeCp932(std::string_view s, std::string_view replacement) {
    Utf8Decoding d;
    decodeInto(s, d.text, [&d, replacement](std::string& out) {
        out += replacement;
        ++d.replaced;
        return true;
    });
    return d;
}

Cp932Conversion utf8ToCp932(std::string_view s) {
    Cp932Conversion result;
    result.text.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            result.text += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t len = charLength(s, i);
        const std::string_view ch = s.substr(i, len);
        if (len == 1 || !isValidUtf8(ch)) {
            result.ok = false;
            return result;
        }
        const std::string bytes = encodeChar(charCode(ch), ch);
        if (bytes.empty()) {
            result.text += kQuestionCp932;
            if (result.replaced++ == 0) {
                result.firstUnencodable = std::string(ch);
                result.firstUnencodableAt = i;
            }
        } else {
            result.text += bytes;
        }
        i += len;
    }
    return result;
}

bool fitsCp932(std::string_view s) {
    Cp932Conversion c = utf8ToCp932(s);
    return c.ok && c.replaced == 0;
}

std::optional<std::string> cp932Bytes(std::string_view s) {
    Cp932Conversion c = utf8ToCp932(s);
    if (!c.ok || c.replaced > 0) return std::nullopt;
    return std::move(c.text);
}

namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
}

std::string ownTextFileBytes(std::string_view text) {
    if (std::optional<std::string> bytes = cp932Bytes(text)) return std::move(*bytes);
    return std::string(kByteOrderMark) + toUtf8Lossy(text);
}

std::string ownTextFileText(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark)) return toUtf8Lossy(bytes.substr(kByteOrderMark.size()));
    // A file written by a UTF-8 editor: Shift-JIS text of any length is hardly ever valid UTF-8.
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii && isValidUtf8(bytes)) return std::string(bytes);
    return decodeCp932(bytes).text;
}

std::string firstNonCp932Char(std::string_view s) {
    Cp932Conversion c = utf8ToCp932(s);
    return c.firstUnencodable;
}

std::string utf8Of(char32_t codePoint) {
    std::string out;
    appendUtf8(out, codePoint);
    return out;
}

std::string codePointName(std::string_view character) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", charCode(character));
    return buffer;
}

std::string toUtf8Lossy(std::string_view text) {
    if (isValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = charLength(text, i);
        const std::string_view ch = text.substr(i, len);
        if (static_cast<unsigned char>(ch[0]) < 0x80 || (len > 1 && isValidUtf8(ch))) {
            out += ch;
        } else {
            out += kReplacementUtf8;
        }
        i += len;
    }
    return out;
}

}  // namespace core
