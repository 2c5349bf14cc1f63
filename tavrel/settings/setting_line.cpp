#include "tavrel/settings/setting_line.h"

#include <climits>

#include "core/text/sjis.h"

namespace tavrel {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // CR and LF are never second bytes of two-byte characters, so a byte search is exact.
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::size_t next = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') next = end + 2;
        std::string_view line = text.substr(pos, end - pos);
        std::size_t nul = line.find('\0');
        if (nul != std::string_view::npos) line = line.substr(0, nul);
        lines.push_back(core::cutToBytes(line, kMaxLineBytes));
        pos = next;
    }
    return lines;
}

std::optional<KeyValue> splitKeyValue(std::string_view line) {
    if (line.empty() || line[0] == '#') return std::nullopt;
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    std::size_t keyStart = i;
    // A colon or a blank can never be the second byte of a two-byte character, but step by
    // character anyway so that the key ends on a character boundary.
    while (i < line.size() && !isBlank(line[i]) && line[i] != ':') i += core::charLength(line, i);
    if (i == keyStart) return std::nullopt;
    std::string_view key = line.substr(keyStart, i - keyStart);
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size() || line[i] != ':') return std::nullopt;
    ++i;
    if (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    return KeyValue{key, line.substr(i)};
}

LeadingInt leadingInt(std::string_view s, std::size_t from) {
    LeadingInt r;
    std::size_t i = from;
    while (i < s.size() && isBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    long long magnitude = 0;
    std::size_t digitsStart = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (magnitude <= INT_MAX) magnitude = magnitude * 10 + (s[i] - '0');
        ++i;
    }
    if (i == digitsStart) {
        r.end = from;
        return r;
    }
    long long v = negative ? -magnitude : magnitude;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    r.value = static_cast<int>(v);
    r.digits = true;
    r.end = i;
    return r;
}

std::string_view textValue(std::string_view value) {
    if (value.empty() || value[0] != '"') return value;
    std::string_view inner = value.substr(1);
    // A double quote (0x22) is never the second byte of a two-byte character, so a byte search
    // is exact for valid text and robust against a dangling lead byte before the quote.
    std::size_t close = inner.rfind('"');
    return close == std::string_view::npos ? inner : inner.substr(0, close);
}

std::string_view singleLine(std::string_view s) {
    std::size_t end = s.find_first_of(std::string_view("\r\n\0", 3));
    return end == std::string_view::npos ? s : s.substr(0, end);
}

std::string cutText(std::string_view s, std::size_t n) {
    return std::string(core::cutToBytes(s, n));
}

void appendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n");
}

}  // namespace tavrel
