#include "dalmir/model/table/dls_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <optional>

#include "core/base/safe_file.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/index_codes.h"

namespace dalmir::model {

namespace {

constexpr std::string_view kEol = "\r\n";
// A DLS of a very large collection is still read whole; a record line is about 300 bytes.
constexpr std::size_t kMaxDlsFileBytes = std::size_t{1} << 30;

// The keys of the settings lines. Each is written with its own padding before the colon.
enum class Key : uint8_t {
    FileName,
    Version,
    ColumnShown,
    ColumnWidth,
    RelativePaths,
    SortOrder,
    FileNameStyle,
    FileNameExtension,
    YearStyle,
    AddPath,
    AddSubfolders,
    AddKind,
    AddPlayer,
    AddEvent,
    AddOpening,
    AddYear,
    AddMonth,
    AddDay,
    AutoReplayCount,
    AutoUpdate,
    ReplayMark,
    RecordCount,
    Generation,  // the KIX's half of the binary pair's generation; not a setting
};
constexpr int kKeyCount = 23;

struct KeyInfo {
    const char* nameUtf8;
    const char* paddingBeforeColon;
};

constexpr KeyInfo kKeys[kKeyCount] = {
    {"ファイル名", "  "},    {"バージョン", "  "},      {"表示項目", "    "},
    {"表示項目幅", "  "},    {"棋譜相対パス", "   "},   {"表示順", "         "},
    {"ファイル名パス", " "}, {"ファイル名拡張子", " "}, {"年４桁", "         "},
    {"追加パス", "    "},    {"追加サブ", "    "},      {"追加種類", "    "},
    {"追加対局者", "  "},    {"追加棋戦", "    "},      {"追加戦型", "    "},
    {"追加年", "      "},    {"追加月", "      "},      {"追加日", "      "},
    {"自動再現数", "  "},    {"自動更新", "    "},      {"再現マーク", "  "},
    {"棋譜数", "      "},    {"世代", "        "},
};

// The CP932 key names, converted once.
const std::array<std::string, kKeyCount>& keyNames() {
    static const std::array<std::string, kKeyCount> kNames = [] {
        std::array<std::string, kKeyCount> out;
        for (int i = 0; i < kKeyCount; ++i) out[i] = std::string(kKeys[i].nameUtf8);
        return out;
    }();
    return kNames;
}

std::optional<Key> findKey(std::string_view name) {
    const auto& names = keyNames();
    for (int i = 0; i < kKeyCount; ++i) {
        if (names[i] == name) return static_cast<Key>(i);
    }
    return std::nullopt;
}

// ---- writing ----

void appendInt(std::string& out, long long value) {
    char buffer[24];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, r.ptr);
}

// value written with at least `digits` digits, zero-padded ("%0Nd" for value >= 0).
void appendPadded(std::string& out, long long value, int digits) {
    char buffer[24];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    auto length = static_cast<int>(r.ptr - buffer);
    if (value >= 0 && length < digits) out.append(static_cast<std::size_t>(digits - length), '0');
    out.append(buffer, r.ptr);
}

void appendHex(std::string& out, unsigned value) {
    char buffer[16];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    out.append(buffer, r.ptr);
}

// The part of text a field between double quotes can hold. A double quote, a line end or a NUL
// can't be stored inside one: the text ends there. The reader keeps fields in this form too, so
// that a table read and written again stays the same.
std::string_view quotableText(std::string_view text) {
    return text.substr(0,
                       std::min(text.size(), text.find_first_of(std::string_view("\"\r\n\0", 4))));
}

// Whether quotableText keeps text as it is, as it does for every field this program wrote.
bool isQuotable(std::string_view text) { return quotableText(text).size() == text.size(); }

// Sets a field of an entry read from a line to quotableText(text).
void setQuotable(IndexEntry& entry, IndexText field, std::string_view text) {
    if (isQuotable(text)) {
        entry.setText(field, text);
    } else {
        entry.setText(field, quotableText(text));
    }
}

// Appends text as a field between double quotes (see quotableText).
void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    out += quotableText(text);
    out += '"';
}

void appendKey(std::string& out, Key key) {
    auto k = static_cast<int>(key);
    out += '$';
    out += keyNames()[k];
    out += kKeys[k].paddingBeforeColon;
    out += ':';
}

void appendIntLine(std::string& out, Key key, long long value) {
    appendKey(out, key);
    appendInt(out, value);
    out += kEol;
}

void appendTextLine(std::string& out, Key key, std::string_view text) {
    appendKey(out, key);
    appendQuoted(out, text);
    out += kEol;
}

// ---- reading ----

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// The integer at the start of s as C reads it: blanks, a sign, decimal digits (hexadecimal
// when base is 16). nullopt when no digit follows. Saturates instead of overflowing.
std::optional<long long> readInteger(std::string_view s, int base = 10) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long value = 0;
    bool any = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int digit = (c >= '0' && c <= '9')                 ? c - '0'
                    : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                           : -1;
        if (digit < 0) break;
        any = true;
        if (value < std::numeric_limits<int>::max()) value = value * base + digit;
    }
    if (!any) return std::nullopt;
    return negative ? -value : value;
}

// C's atoi: 0 when there is no number.
int toInt(std::string_view s) {
    long long v = readInteger(s).value_or(0);
    return static_cast<int>(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

template <class T>
T fitOrZero(long long v) {
    return (v >= 0 && v <= std::numeric_limits<T>::max()) ? static_cast<T>(v) : T{0};
}

// Walks the fields of a record line. Every search steps by character.
class FieldReader {
public:
    explicit FieldReader(std::string_view line) : m_line(line) {}

    // The path: between the first and the second double quote. false when there is no quote.
    bool path(std::string_view& text) {
        std::size_t open = core::findByte(m_line, '"');
        if (open == std::string_view::npos) return false;
        text = quotedFrom(open);
        return true;
    }

    // The next text field: after the next comma, between the next two double quotes.
    bool text(std::string_view& text) {
        std::size_t comma = core::findByte(m_line, ',', m_pos);
        if (comma == std::string_view::npos) return false;
        std::size_t open = core::findByte(m_line, '"', comma + 1);
        if (open == std::string_view::npos) return false;
        text = quotedFrom(open);
        return true;
    }

    // The next numeric field: the integer right after the next comma.
    std::optional<long long> number(int base = 10) {
        std::size_t comma = core::findByte(m_line, ',', m_pos);
        if (comma == std::string_view::npos) return std::nullopt;
        m_pos = comma + 1;
        return readInteger(m_line.substr(m_pos), base);
    }

private:
    // The text after the quote at `open` up to the next quote or the line end; moves past it.
    std::string_view quotedFrom(std::size_t open) {
        std::size_t close = core::findByte(m_line, '"', open + 1);
        std::size_t end = close == std::string_view::npos ? m_line.size() : close;
        m_pos = close == std::string_view::npos ? m_line.size() : close + 1;
        return m_line.substr(open + 1, end - open - 1);
    }

    std::string_view m_line;
    std::size_t m_pos = 0;
};

// The integers read at a fixed step after the colon, as the column lines hold them.
template <class T, class Convert>
void readColumns(std::string_view value, std::size_t step, std::array<T, kColumnCount>& out,
                 Convert convert) {
    for (std::size_t column = 0; column < kColumnCount; ++column) {
        std::size_t at = column * step;
        if (at >= value.size()) break;
        auto number = readInteger(value.substr(at));
        if (!number) break;
        out[column] = convert(*number);
    }
}

// The text value of a settings line: one blank after the colon is skipped; a quoted text ends
// at the next quote or the line end, any other text is the rest of the line.
std::string textValue(std::string_view value, std::size_t maxBytes) {
    if (!value.empty() && value[0] == ' ') value.remove_prefix(1);
    if (!value.empty() && value[0] == '"') {
        value.remove_prefix(1);
        std::size_t close = core::findByte(value, '"');
        if (close != std::string_view::npos) value = value.substr(0, close);
    }
    return std::string(core::cutToBytes(quotableText(value), maxBytes));
}

bool isOldVersion(std::string_view version) {
    if (version.empty()) return false;
    char major = version[0];
    if (major >= '0' && major <= '4') return true;
    return major == '5' && (version.size() < 3 || version[2] <= '1');
}

std::string_view nextLine(std::string_view content, std::size_t& pos) {
    std::size_t end = content.find('\n', pos);
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// A line as the reader sees it: up to a NUL byte, at most maxBytes, never ending inside a
// two-byte character.
std::string_view cleanLine(std::string_view line, std::size_t maxBytes) {
    std::size_t nul = line.find('\0');
    if (nul != std::string_view::npos) line = line.substr(0, nul);
    return core::cutToBytes(line, maxBytes);
}

bool hasContent(std::string_view s) {
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return !isBlank(c) && c != '\r' && c != '\n'; });
}

}  // namespace

bool fitsQuotedField(std::string_view text) {
    return text.find_first_of(std::string_view("\"\r\n\0", 4)) == std::string_view::npos;
}

void appendRecordLine(std::string& out, int serial, std::string_view path,
                      const IndexEntry& entry) {
    appendPadded(out, serial, 6);
    out += ',';
    appendQuoted(out, path);
    auto text = [&](std::string_view t) {
        out += ',';
        appendQuoted(out, t);
    };
    auto number = [&](long long v) {
        out += ',';
        appendInt(out, v);
    };
    text(entry.blackPlayer());
    text(entry.whitePlayer());
    number(entry.handicap);
    number(entry.start.year);
    number(entry.start.month);
    number(entry.start.day);
    number(entry.end.year);
    number(entry.end.month);
    number(entry.end.day);
    text(entry.event());
    text(entry.opening());
    text(entry.title());
    number(entry.moveCount);
    number(entry.result);
    for (int k = 0; k < kUserFieldCount; ++k) text(entry.user(k));
    out += ',';
    appendHex(out, entry.marks);
    text(entry.timeLimit());
    text(entry.place());
    text(entry.publishedIn());
    out += kEol;
}

std::string formatDls(const IndexTable& table, DlsWriteMode mode, std::span<const uint8_t> skip,
                      uint32_t generation) {
    const IndexSettings& s = table.settings();
    std::string out;
    out.reserve(2048 + static_cast<std::size_t>(table.size()) * 320);
    out += "# Dalmir V";
    out += kDlsVersion;
    out += kEol;
    appendKey(out, Key::FileName);
    std::string_view path = table.path();
    out += path.substr(0, path.find_first_of(std::string_view("\r\n\0", 3)));  // one line
    out += kEol;
    appendKey(out, Key::Version);
    out += kDlsVersion;
    out += kEol;
    appendKey(out, Key::ColumnShown);
    for (uint8_t shown : s.columnShown) out += shown ? "1 " : "0 ";
    out += kEol;
    appendKey(out, Key::ColumnWidth);
    for (int width : s.columnWidth) {
        // Three digits per column: the reader finds each width at a fixed step.
        appendPadded(out, std::clamp(width, 0, 999), 3);
        out += ' ';
    }
    out += kEol;
    appendIntLine(out, Key::RelativePaths, s.relativePaths);
    appendIntLine(out, Key::SortOrder, s.sortOrder);
    appendIntLine(out, Key::FileNameStyle, s.fileNameStyle);
    appendIntLine(out, Key::FileNameExtension, s.fileNameExtension);
    appendIntLine(out, Key::YearStyle, s.yearStyle);
    appendTextLine(out, Key::AddPath, s.addPath);
    appendIntLine(out, Key::AddSubfolders, s.addSubfolders);
    appendIntLine(out, Key::AddKind, s.addKind);
    appendTextLine(out, Key::AddPlayer, s.addPlayer);
    appendTextLine(out, Key::AddEvent, s.addEvent);
    appendTextLine(out, Key::AddOpening, s.addOpening);
    appendIntLine(out, Key::AddYear, s.addYear);
    appendIntLine(out, Key::AddMonth, s.addMonth);
    appendIntLine(out, Key::AddDay, s.addDay);
    appendIntLine(out, Key::AutoReplayCount, s.autoReplayCount);
    appendIntLine(out, Key::AutoUpdate, s.autoUpdate);
    appendIntLine(out, Key::ReplayMark, s.replayMark);
    if (generation != 0) appendIntLine(out, Key::Generation, generation);
    appendIntLine(out, Key::RecordCount, table.size());

    int serial = 0;
    for (int slot = 0; slot < table.size(); ++slot) {
        auto index = static_cast<std::size_t>(slot);
        if (mode == DlsWriteMode::Unskipped && index < skip.size() && skip[index] != 0) continue;
        const IndexEntry& entry = table.entry(slot);
        appendRecordLine(out, ++serial, entry.path(), entry);
    }
    return out;
}

core::WriteResult writeDls(IndexTable& table, const std::string& path, DlsWriteMode mode,
                           std::span<const uint8_t> skip) {
    table.setPath(path);
    std::optional<std::string> bytes = dlsFileBytes(formatDls(table, mode, skip));
    if (!bytes) return core::WriteResult::Unencodable;
    return core::writeFileAtomically(path, *bytes);
}

std::string dlsText(std::string_view fileBytes) { return core::decodeCp932(fileBytes, "？").text; }

std::optional<std::string> dlsFileBytes(std::string_view text, std::string* problem) {
    core::Cp932Conversion c = core::utf8ToCp932(text);
    if (c.ok && c.replaced == 0) return std::move(c.text);
    if (problem != nullptr) {
        const std::string_view before = text.substr(0, std::min(text.size(), c.firstUnencodableAt));
        const auto line = std::count(before.begin(), before.end(), '\n') + 1;
        *problem =
            msgCannotHoldInDls(static_cast<int>(line), c.ok ? c.firstUnencodable : "\xEF\xBF\xBD");
    }
    return std::nullopt;
}

std::string msgCannotHoldInDls(int line, std::string_view character) {
    return core::formatMessageUtf8(
        "棋譜情報の%d行目の文字「%s」（%s）はShift-JISで書けないため、保存できません。",
        {std::to_string(line), std::string(character), core::codePointName(character)});
}

RecordLineResult parseRecordLine(std::string_view line, IndexEntry& entry, bool oldVersion) {
    entry = IndexEntry();
    entry.reserveTexts(line.size());
    FieldReader fields(line);
    std::string_view text;
    if (!fields.path(text)) return RecordLineResult::NoQuote;
    setQuotable(entry, IndexText::Path, text);

    if (!fields.text(text)) return RecordLineResult::EventMissing;
    setQuotable(entry, IndexText::BlackPlayer, text);
    if (!fields.text(text)) return RecordLineResult::EventMissing;
    setQuotable(entry, IndexText::WhitePlayer, text);

    long long numbers[7];
    for (long long& n : numbers) {
        auto value = fields.number();
        if (!value) return RecordLineResult::EventMissing;
        n = *value;
    }
    if (oldVersion) {
        entry.handicap = handicapFromOldVersion(fitOrZero<uint8_t>(numbers[0]));
    } else {
        entry.handicap = numbers[0] >= 0 && numbers[0] < kHandicapCount
                             ? static_cast<uint8_t>(numbers[0])
                             : static_cast<uint8_t>(IndexHandicap::Other);
    }
    entry.start = {fitOrZero<uint16_t>(numbers[1]), fitOrZero<uint8_t>(numbers[2]),
                   fitOrZero<uint8_t>(numbers[3])};
    entry.end = {fitOrZero<uint16_t>(numbers[4]), fitOrZero<uint8_t>(numbers[5]),
                 fitOrZero<uint8_t>(numbers[6])};

    if (!fields.text(text)) return RecordLineResult::EventMissing;
    setQuotable(entry, IndexText::Event, text);
    if (!fields.text(text)) return RecordLineResult::OpeningMissing;
    setQuotable(entry, IndexText::Opening, text);
    if (!fields.text(text)) return RecordLineResult::TitleMissing;
    setQuotable(entry, IndexText::Title, text);

    // Older versions end their lines earlier; what is missing from here on stays empty.
    auto moveCount = fields.number();
    if (!moveCount) return RecordLineResult::Ok;
    entry.moveCount = fitOrZero<uint16_t>(*moveCount);
    auto result = fields.number();
    if (!result) return RecordLineResult::Ok;
    entry.result = *result >= 0 && *result < kResultCount ? static_cast<uint8_t>(*result) : 0;
    for (int k = 0; k < kUserFieldCount; ++k) {
        if (!fields.text(text)) return RecordLineResult::Ok;
        setQuotable(entry, userField(k), text);
    }
    auto marks = fields.number(16);
    if (!marks) return RecordLineResult::Ok;
    entry.marks = static_cast<uint8_t>(fitOrZero<unsigned>(*marks) & 0xFF);
    for (IndexText field : {IndexText::TimeLimit, IndexText::Place, IndexText::PublishedIn}) {
        if (!fields.text(text)) return RecordLineResult::Ok;
        setQuotable(entry, field, text);
    }
    return RecordLineResult::Ok;
}

std::string recordLineMessage(RecordLineResult status) {
    switch (status) {
        case RecordLineResult::EventMissing:
            return "kisen error";
        case RecordLineResult::OpeningMissing:
            return std::string("戦型error");
        case RecordLineResult::TitleMissing:
            return std::string("表題error");
        default:
            return {};
    }
}

namespace {

// The key of a settings line given without its "$", when it is one of the file's keys, and the
// text after the colon.
std::optional<std::pair<Key, std::string_view>> splitSettingsLine(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    std::size_t keyStart = i;
    while (i < text.size() && !isBlank(text[i]) && text[i] != ':') i += core::charLength(text, i);
    auto key = findKey(text.substr(keyStart, i - keyStart));
    while (i < text.size() && isBlank(text[i])) ++i;
    if (!key || i >= text.size() || text[i] != ':') return std::nullopt;
    return std::pair{*key, text.substr(i + 1)};
}

// The generation a settings line carries, or nullopt for any other line.
std::optional<uint32_t> generationOf(std::string_view text) {
    auto kv = splitSettingsLine(text);
    if (!kv || kv->first != Key::Generation) return std::nullopt;
    std::string_view v = kv->second;
    while (!v.empty() && isBlank(v.front())) v.remove_prefix(1);
    uint32_t generation = 0;
    // No digits: generation 0, as a file without the key.
    (void)std::from_chars(v.data(), v.data() + v.size(), generation);
    return generation;
}

}  // namespace

SettingsLineResult applySettingsLine(std::string_view text, IndexSettings& s) {
    auto kv = splitSettingsLine(text);
    if (!kv) return SettingsLineResult::Ignored;
    auto key = std::optional<Key>(kv->first);
    std::string_view value = kv->second;

    std::string_view word = value;
    while (!word.empty() && isBlank(word.front())) word.remove_prefix(1);
    word = word.substr(0, static_cast<std::size_t>(std::find_if(word.begin(), word.end(), isBlank) -
                                                   word.begin()));
    int number = toInt(word);
    bool numeric = *key != Key::AddPath && *key != Key::AddPlayer && *key != Key::AddEvent &&
                   *key != Key::AddOpening && *key != Key::ColumnShown && *key != Key::ColumnWidth;
    if (numeric && word.empty()) return SettingsLineResult::Ignored;

    switch (*key) {
        case Key::Version:
            return isOldVersion(word) ? SettingsLineResult::OldVersion
                                      : SettingsLineResult::Applied;
        case Key::ColumnShown:
            readColumns(value, 2, s.columnShown,
                        [](long long v) { return static_cast<uint8_t>(v != 0); });
            break;
        case Key::ColumnWidth:
            readColumns(value, 4, s.columnWidth, [](long long v) {
                // Widths are written in three digits.
                return static_cast<int>(std::clamp(v, 0LL, 999LL));
            });
            break;
        case Key::RelativePaths:
            s.relativePaths = number != 0;
            break;
        case Key::SortOrder:
            s.sortOrder = number;
            break;
        case Key::FileNameStyle:
            s.fileNameStyle = number;
            break;
        case Key::FileNameExtension:
            s.fileNameExtension = number != 0;
            break;
        case Key::YearStyle:
            s.yearStyle = number;
            break;
        case Key::AddPath:
            s.addPath = textValue(value, kAddPathMaxBytes);
            break;
        case Key::AddSubfolders:
            s.addSubfolders = number != 0;
            break;
        case Key::AddKind:
            s.addKind = number;
            break;
        case Key::AddPlayer:
            s.addPlayer = textValue(value, kAddFilterMaxBytes);
            break;
        case Key::AddEvent:
            s.addEvent = textValue(value, kAddFilterMaxBytes);
            break;
        case Key::AddOpening:
            s.addOpening = textValue(value, kAddFilterMaxBytes);
            break;
        case Key::AddYear:
            s.addYear = number;
            break;
        case Key::AddMonth:
            s.addMonth = number;
            break;
        case Key::AddDay:
            s.addDay = number;
            break;
        case Key::AutoReplayCount:
            s.autoReplayCount = number;
            break;
        case Key::AutoUpdate:
            s.autoUpdate = number != 0;
            break;
        case Key::ReplayMark:
            s.replayMark = number != 0;
            break;
        case Key::FileName:
        case Key::RecordCount:
        case Key::Generation:
            return SettingsLineResult::Ignored;
    }
    return SettingsLineResult::Applied;
}

uint32_t dlsGeneration(std::string_view content) {
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::string_view line = cleanLine(nextLine(content, pos), kDlsMaxLineBytes);
        if (!line.empty() && line[0] == '#') continue;
        if (line.empty() || line[0] != '$') break;
        // The file's bytes are Shift-JIS: each settings line is read as text.
        if (std::optional<uint32_t> generation = generationOf(dlsText(line.substr(1)))) {
            return *generation;
        }
    }
    return 0;
}

DlsReadReport loadDls(IndexTable& table, const std::string& path, std::string_view content,
                      int defaultSortOrder) {
    table.clear();
    IndexSettings& s = table.settings();
    s.addPlayer.clear();
    s.addEvent.clear();
    s.addOpening.clear();
    s.addDateFilter = false;
    s.relativePaths = false;
    s.autoUpdate = false;
    s.sortOrder = defaultSortOrder;
    table.setPath(path);

    DlsReadReport result;
    auto report = [&](int line, DlsNote note, std::string text) {
        if (note != DlsNote::OldVersion) result.code = core::ReadResult::LineFailed;
        result.messages.push_back({line, note, std::move(text)});
    };

    // A line a record: the table grows once instead of doubling its way to a million (as far as
    // the user's capacity; a damaged file of empty lines reserves no more).
    std::size_t lines = 0;
    for (const char *p = content.data(), *end = p + content.size();
         p < end &&
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p))));
         ++p) {
        ++lines;
    }
    table.reserve(static_cast<int>(
        std::min<std::size_t>(lines + 1, static_cast<std::size_t>(table.capacity()))));

    std::size_t pos = 0;
    IndexEntry entry;
    for (int lineNumber = 1; pos < content.size(); ++lineNumber) {
        std::string_view line = cleanLine(nextLine(content, pos), kDlsMaxLineBytes);
        if (!line.empty() && line[0] == '#') continue;
        if (!line.empty() && line[0] == '$') {
            if (std::optional<uint32_t> generation = generationOf(line.substr(1))) {
                result.generation = *generation;
                ++result.recognised;
                continue;
            }
            const SettingsLineResult applied = applySettingsLine(line.substr(1), s);
            if (applied != SettingsLineResult::Ignored) ++result.recognised;
            if (applied == SettingsLineResult::OldVersion && !result.oldVersion) {
                result.oldVersion = true;
                report(lineNumber, DlsNote::OldVersion,
                       std::string("旧バージョンのデータなので、新バージョン用に変換します。"));
            }
            continue;
        }
        RecordLineResult status = parseRecordLine(line, entry, result.oldVersion);
        if (status != RecordLineResult::Ok && hasContent(line)) result.otherContent = true;
        if (status == RecordLineResult::NoQuote) {
            if (pos < content.size() && hasContent(content.substr(pos))) {
                result.otherContent = true;
            }
            // The reading ends here; say so when record lines would have followed.
            if (pos < content.size() && hasContent(content.substr(pos))) {
                report(lineNumber, DlsNote::ReadingStopped,
                       core::formatMessageUtf8("棋譜情報の%d行目以降は読み込めませんでした。",
                                               {std::to_string(lineNumber)}));
            }
            break;
        }
        if (status != RecordLineResult::Ok) {
            DlsNote note = status == RecordLineResult::EventMissing     ? DlsNote::EventMissing
                           : status == RecordLineResult::OpeningMissing ? DlsNote::OpeningMissing
                                                                        : DlsNote::TitleMissing;
            report(lineNumber, note, recordLineMessage(status));
        } else {
            ++result.recognised;
        }
        table.appendLoaded(std::move(entry));
        ++result.records;
    }
    table.rebuildDisplayOrder();
    return result;
}

DlsReadReport readDls(IndexTable& table, const std::string& path, int defaultSortOrder) {
    auto content = core::readFileBytes(path, kMaxDlsFileBytes);
    if (!content) {
        DlsReadReport result;
        result.code = core::ReadResult::CannotOpen;
        return result;
    }
    return loadDls(table, path, dlsText(content->view()), defaultSortOrder);
}

}  // namespace dalmir::model
