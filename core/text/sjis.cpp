#include "core/text/sjis.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace core {

namespace {

bool isTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// One iconv descriptor per direction and thread; iconv_open is far too slow to call per text.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts [*in, *in + *inLeft) into out, appending. Returns 0 on success, else the errno of
    // the failing step (EILSEQ, EINVAL) with *in pointing at the failing input.
    int convert(const char** in, std::size_t* inLeft, std::string& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[1024];
        while (*inLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            char* src = const_cast<char*>(*in);
            std::size_t r = iconv(m_cd, &src, inLeft, &dst, &dstLeft);
            int err = (r == static_cast<std::size_t>(-1)) ? errno : 0;
            *in = src;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (err == E2BIG) continue;
            if (err != 0) return err;
        }
        return 0;
    }

private:
    iconv_t m_cd;
};

Converter& toUtf8() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& toCp932() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

// Length of the UTF-8 sequence that starts with byte c (1 for a byte that cannot start one).
std::size_t utf8Length(unsigned char c) {
    if (c < 0xC0) return 1;
    if (c < 0xE0) return 2;
    if (c < 0xF0) return 3;
    return 4;
}

constexpr std::string_view kReplacementCp932 = "\x81\x48";  // "？"

}  // namespace

std::size_t charCount(std::string_view s) {
    std::size_t n = 0;
    forEachChar(s, [&](std::size_t, std::size_t) { ++n; });
    return n;
}

std::string_view cutToBytes(std::string_view s, std::size_t n) {
    if (s.size() <= n) return s;
    std::size_t end = 0;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t len = charLength(s, i);
        if (i + len > n) break;
        i += len;
        end = i;
    }
    return s.substr(0, end);
}

std::size_t findByte(std::string_view s, char c, std::size_t from) {
    if (static_cast<unsigned char>(c) >= 0x40) {
        for (std::size_t i = from; i < s.size(); i += charLength(s, i)) {
            if (s[i] == c) return i;
        }
        return std::string_view::npos;
    }
    // A byte below 0x40 (the commas, quotes and digits of a line) is the second byte of a
    // character only when it follows a lead byte that starts one: found at memory speed, then
    // checked. Every byte of a run of lead-byte values pairs with the next, from the boundary
    // after the last byte that is no lead byte, so the candidate ends a character when the run
    // before it is odd.
    for (std::size_t i = from; i < s.size(); ++i) {
        // The fields of a line are short: a few bytes are looked at before calling memchr.
        const std::size_t near = std::min(s.size(), i + 16);
        while (i < near && s[i] != c) ++i;
        if (i == near) {
            if (i == s.size()) break;
            const void* hit = std::memchr(s.data() + i, c, s.size() - i);
            if (hit == nullptr) break;
            i = static_cast<std::size_t>(static_cast<const char*>(hit) - s.data());
        }
        std::size_t run = 0;
        while (i - run > from && isLeadByte(s[i - run - 1])) ++run;
        if (run % 2 == 0) return i;
    }
    return std::string_view::npos;
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

bool startsWithText(std::string_view text, std::string_view key) {
    // Both start on a boundary, so equal leading bytes are equal leading characters.
    return text.starts_with(key);
}

bool isValidCp932(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (isLeadByte(c)) {
            if (i + 1 >= s.size() || !isTrailByte(static_cast<unsigned char>(s[i + 1]))) {
                return false;
            }
            ++i;
        } else if (c == 0x80 || c >= 0xFD) {
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
    if (!isValidCp932(s)) return std::nullopt;
    Converter& conv = toUtf8();
    if (!conv.valid()) return std::nullopt;
    std::string out;
    out.reserve(s.size() * 3 / 2);
    const char* in = s.data();
    std::size_t left = s.size();
    while (left > 0) {
        if (conv.convert(&in, &left, out) == 0) break;
        // A well-formed pair that has no character assigned: show it as U+FFFD and go on.
        out += "\xEF\xBF\xBD";
        std::size_t skip = charLength(std::string_view(in, left), 0);
        in += skip;
        left -= skip;
    }
    return out;
}

Cp932Conversion utf8ToCp932(std::string_view s) {
    Cp932Conversion result;
    Converter& conv = toCp932();
    if (!conv.valid()) {
        result.ok = false;
        return result;
    }
    result.text.reserve(s.size());
    const char* in = s.data();
    std::size_t left = s.size();
    while (left > 0) {
        // Convert up to the next invalid sequence so that a broken file keeps what came before.
        std::size_t good = 0;
        std::string_view rest(in, left);
        while (good < rest.size()) {
            std::size_t len = utf8Length(static_cast<unsigned char>(rest[good]));
            if (good + len > rest.size() || !isValidUtf8(rest.substr(good, len))) break;
            good += len;
        }
        std::size_t chunk = good;
        const char* p = in;
        while (chunk > 0) {
            if (conv.convert(&p, &chunk, result.text) == 0) break;
            // A valid character CP932 cannot hold.
            result.text += kReplacementCp932;
            ++result.replaced;
            std::size_t len = utf8Length(static_cast<unsigned char>(*p));
            p += len;
            chunk -= len;
        }
        in += good;
        left -= good;
        if (left > 0) {
            result.ok = false;
            return result;
        }
    }
    return result;
}

std::string sjis(std::string_view utf8) { return utf8ToCp932(utf8).text; }

std::string toUtf8Lossy(std::string_view cp932) {
    std::string out;
    std::size_t start = 0;
    auto flush = [&](std::size_t end) {
        if (end > start) out += *cp932ToUtf8(cp932.substr(start, end - start));
    };
    for (std::size_t i = 0; i < cp932.size();) {
        auto c = static_cast<unsigned char>(cp932[i]);
        bool bad = false;
        std::size_t len = 1;
        if (isLeadByte(c)) {
            if (i + 1 >= cp932.size() || !isTrailByte(static_cast<unsigned char>(cp932[i + 1]))) {
                bad = true;
            } else {
                len = 2;
            }
        } else if (c == 0x80 || c >= 0xFD) {
            bad = true;
        }
        if (bad) {
            flush(i);
            out += "\xEF\xBF\xBD";
            start = i + 1;
        }
        i += len;
    }
    flush(cp932.size());
    return out;
}

}  // namespace core
