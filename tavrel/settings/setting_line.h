// Line-level reading shared by the viewer's small text files (environment file, FTP settings,
// histories, list files): splitting into lines, "key : value" lines, and the value forms. Every
// function takes any bytes: invalid Shift-JIS, NUL bytes and unterminated quotes included.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// The longest line a reader looks at, in bytes; the rest of a longer line is ignored.
inline constexpr std::size_t kMaxLineBytes = 1023;

// The lines of a file's text: split at CR LF, LF or a lone CR (no value read can hold a line
// break, which the writers could not write back), each line cut at its first NUL byte and to
// kMaxLineBytes (never inside a two-byte character). A last line without a line end counts as a
// line; the empty piece after a final line end does not.
std::vector<std::string_view> splitLines(std::string_view text);

// A line "key : value". `value` starts after the colon and one blank or tab following it.
struct KeyValue {
    std::string_view key;
    std::string_view value;
};

// Splits a line into key (the first word, ended by a blank or a colon) and value. nullopt for a
// comment line (first byte '#'), a line without a key and a line without a colon after the key.
std::optional<KeyValue> splitKeyValue(std::string_view line);

// A number read as atoi reads it: leading blanks, an optional sign, decimal digits; anything
// after them is ignored. Values beyond the int range are clamped. `digits` is false when there
// was no digit (the value is then 0).
struct LeadingInt {
    int value = 0;
    bool digits = false;
    std::size_t end = 0;  // offset just after the number (or where reading stopped)
};
LeadingInt leadingInt(std::string_view s, std::size_t from = 0);

// The text of a value: when it begins with a double quote, the text from after it up to the
// last double quote of the line (or the end), so that a text holding double quotes inside reads
// back whole; otherwise the whole value.
std::string_view textValue(std::string_view value);

// Cuts s at its first CR, LF or NUL byte, so that a value can never end a line early.
std::string_view singleLine(std::string_view s);

// Cuts s to at most n bytes without splitting a two-byte character.
std::string cutText(std::string_view s, std::size_t n);

// Appends CR LF to out after line.
void appendLine(std::string& out, std::string_view line);

}  // namespace tavrel
