#include "dalmir/logic/filter_stack.h"

#include <bit>
#include <charconv>
#include <cstdio>

#include "core/text/translation.h"
#include "dalmir/logic/sort_order.h"
#include "dalmir/model/table/index_codes.h"

namespace dalmir {

SlotSet::SlotSet(int size, bool full)
    : m_size(std::max(size, 0)),
      m_words((static_cast<std::size_t>(m_size) + 63) / 64, full ? ~uint64_t{0} : 0) {
    // Bits beyond the last slot stay clear, so that count() and == see only real slots.
    if (full && (m_size & 63) != 0) m_words.back() = (uint64_t{1} << (m_size & 63)) - 1;
}

void SlotSet::set(int slot) {
    if (slot < 0 || slot >= m_size) return;
    m_words[static_cast<std::size_t>(slot) >> 6] |= uint64_t{1} << (slot & 63);
}

int SlotSet::count() const {
    int n = 0;
    for (uint64_t w : m_words) n += std::popcount(w);
    return n;
}

void SlotSet::andWith(const SlotSet& other) {
    const std::size_t common = std::min(m_words.size(), other.m_words.size());
    for (std::size_t i = 0; i < common; ++i) m_words[i] &= other.m_words[i];
    for (std::size_t i = common; i < m_words.size(); ++i) m_words[i] = 0;
}

SlotSet SlotSet::of(int size, std::span<const int32_t> slots) {
    SlotSet set(size);
    for (int32_t s : slots) set.set(s);
    return set;
}

bool FilterDefinition::operator==(const FilterDefinition& o) const {
    const model::HeaderCriteria& a = header;
    const model::HeaderCriteria& b = o.header;
    const bool sameHeader =
        a.black == b.black && a.white == b.white && a.playerA == b.playerA &&
        a.playerB == b.playerB && a.event == b.event && a.opening == b.opening &&
        a.fileName == b.fileName && a.publishedIn == b.publishedIn && a.user1 == b.user1 &&
        a.user2 == b.user2 && a.handicap == b.handicap && a.fromOn == b.fromOn &&
        a.from == b.from && a.toOn == b.toOn && a.to == b.to && a.ignoreBlanks == b.ignoreBlanks;
    const auto& p = options;
    const auto& q = o.options;
    return kind == o.kind && sameHeader && result == o.result && text == o.text &&
           p.sideMustMatch == q.sideMustMatch && p.alsoReversed == q.alsoReversed &&
           p.ignoreEdgePawns == q.ignoreEdgePawns;
}

std::optional<SlotSet> evaluateFilter(const FilterDefinition& definition,
                                      const model::IndexTable& table) {
    const int size = table.size();
    SlotSet hits(size);
    switch (definition.kind) {
        case FilterKind::Header:
            for (int slot = 0; slot < size; ++slot) {
                if (model::matchesHeader(table.entry(slot), definition.header)) hits.set(slot);
            }
            return hits;
        case FilterKind::Result:
            for (int slot = 0; slot < size; ++slot) {
                if (table.entry(slot).result == definition.result) hits.set(slot);
            }
            return hits;
        case FilterKind::Position:
        case FilterKind::Sequence:
            break;
    }
    return std::nullopt;
}

namespace {

std::string dateText(model::IndexDate d) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", d.year, d.month, d.day);
    return buffer;
}

void addPart(std::string& out, std::string_view name, std::string_view value) {
    if (value.empty()) return;
    if (!out.empty()) out += ' ';
    out += name;
    out += ':';
    out += value;
}

}  // namespace

std::string filterLabel(const FilterDefinition& d) {
    std::string out;
    switch (d.kind) {
        case FilterKind::Header: {
            const model::HeaderCriteria& c = d.header;
            addPart(out, core::translate("先手"), c.black);
            addPart(out, core::translate("後手"), c.white);
            std::string players = c.playerA;
            if (!c.playerB.empty())
                players += (players.empty() ? "" : core::translate("・")) + c.playerB;
            addPart(out, core::translate("対局者"), players);
            addPart(out, core::translate("棋戦"), c.event);
            addPart(out, core::translate("戦型"), c.opening);
            addPart(out, core::translate("ファイル"), c.fileName);
            addPart(out, core::translate("掲載"), c.publishedIn);
            addPart(out, core::translate("ユーザー1"), c.user1);
            addPart(out, core::translate("ユーザー2"), c.user2);
            if (c.handicap > 0) {
                addPart(out, core::translate("手合"),
                        model::handicapText(static_cast<uint8_t>(c.handicap - 1)));
            }
            if (c.fromOn || c.toOn) {
                std::string range = (c.fromOn ? dateText(c.from) : "") + core::translate("〜") +
                                    (c.toOn ? dateText(c.to) : "");
                addPart(out, core::translate("日付"), range);
            }
            if (out.empty()) out = core::translate("全棋譜");
            return out;
        }
        case FilterKind::Result:
            addPart(out, core::translate("結果"),
                    model::resultText(static_cast<uint8_t>(d.result), 0).empty()
                        ? core::translate("なし")
                        : std::string(model::resultText(static_cast<uint8_t>(d.result), 0)));
            return out;
        case FilterKind::Position:
            return core::translate("局面");
        case FilterKind::Sequence:
            return std::string(core::translate("手順")) + ":" + d.text;
    }
    return out;
}

void FilterStack::add(Filter filter) { m_filters.push_back(std::move(filter)); }

bool FilterStack::setEnabled(std::size_t index, bool enabled) {
    if (index >= m_filters.size()) return false;
    m_filters[index].enabled = enabled;
    return true;
}

bool FilterStack::remove(std::size_t index) {
    if (index >= m_filters.size()) return false;
    m_filters.erase(m_filters.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

void FilterStack::clear() {
    m_filters.clear();
    m_base.clear();
    m_baseSort = -1;
}

void FilterStack::show(model::IndexTable& table) {
    const int code = table.settings().sortOrder;
    if (m_baseSort != code || static_cast<int>(m_base.size()) != table.size()) {
        table.rebuildDisplayOrder();
        resortList(table);
        m_base = table.displayOrder();
        m_baseSort = code;
    }
    table.displayOrder() = apply(table.size());
}

SlotSet FilterStack::combined(int size) const {
    SlotSet all(size, true);
    for (const Filter& f : m_filters) {
        if (f.enabled) all.andWith(f.hits);
    }
    return all;
}

std::vector<int32_t> FilterStack::apply(int size) const {
    const SlotSet keep = combined(size);
    std::vector<int32_t> out;
    out.reserve(static_cast<std::size_t>(keep.count()));
    for (int32_t slot : m_base) {
        if (keep.test(slot)) out.push_back(slot);
    }
    return out;
}

// One line per filter: kind, enabled, then key=value fields separated by tabs; the label is
// made again from the definition. Values escape backslash, tab and newline.
namespace {

std::string escape(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i == s.size()) return std::nullopt;
        switch (s[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::optional<int> number(std::string_view s) {
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return v;
}

std::string dateField(model::IndexDate d) {
    return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

std::optional<model::IndexDate> readDate(std::string_view s) {
    const std::size_t a = s.find('-');
    const std::size_t b = a == std::string_view::npos ? a : s.find('-', a + 1);
    if (b == std::string_view::npos) return std::nullopt;
    auto y = number(s.substr(0, a));
    auto m = number(s.substr(a + 1, b - a - 1));
    auto d = number(s.substr(b + 1));
    if (!y || !m || !d || *y < 0 || *y > 9999 || *m < 0 || *m > 12 || *d < 0 || *d > 31) {
        return std::nullopt;
    }
    return model::IndexDate{static_cast<uint16_t>(*y), static_cast<uint8_t>(*m),
                            static_cast<uint8_t>(*d)};
}

const char* kindName(FilterKind kind) {
    switch (kind) {
        case FilterKind::Header:
            return "header";
        case FilterKind::Result:
            return "result";
        case FilterKind::Position:
            return "position";
        case FilterKind::Sequence:
            return "sequence";
    }
    return "header";
}

std::optional<FilterKind> kindOf(std::string_view name) {
    for (FilterKind k :
         {FilterKind::Header, FilterKind::Result, FilterKind::Position, FilterKind::Sequence}) {
        if (name == kindName(k)) return k;
    }
    return std::nullopt;
}

std::vector<std::string_view> split(std::string_view line, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = line.find(sep, start);
        parts.push_back(line.substr(start, at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return parts;
}

// Reads one field into the definition; false for an unknown key or a bad value.
bool readField(FilterDefinition& d, std::string_view key, const std::string& value) {
    model::HeaderCriteria& c = d.header;
    std::string* texts[] = {&c.black, &c.white,   &c.playerA,  &c.playerB,
                            &c.event, &c.opening, &c.fileName, &c.publishedIn,
                            &c.user1, &c.user2,   &d.text};
    static const char* const textKeys[] = {"black", "white",   "playerA",  "playerB",
                                           "event", "opening", "fileName", "publishedIn",
                                           "user1", "user2",   "text"};
    for (std::size_t i = 0; i < std::size(textKeys); ++i) {
        if (key == textKeys[i]) {
            *texts[i] = value;
            return true;
        }
    }
    if (key == "from" || key == "to") {
        auto date = readDate(value);
        if (!date) return false;
        (key == "from" ? c.fromOn : c.toOn) = true;
        (key == "from" ? c.from : c.to) = *date;
        return true;
    }
    auto n = number(value);
    if (!n) return false;
    if (key == "handicap" && *n >= 0 && *n <= model::kHandicapCount) {
        c.handicap = *n;
    } else if (key == "result" && *n >= 0 && *n < model::kResultCount) {
        d.result = *n;
    } else if (key == "blanks") {
        c.ignoreBlanks = *n != 0;
    } else if (key == "side") {
        d.options.sideMustMatch = *n != 0;
    } else if (key == "reversed") {
        d.options.alsoReversed = *n != 0;
    } else if (key == "edges") {
        d.options.ignoreEdgePawns = *n != 0;
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::string saveFilterStack(const std::vector<Filter>& filters, int* skipped) {
    std::string out;
    if (skipped) *skipped = 0;
    for (const Filter& f : filters) {
        if (!f.savable) {
            if (skipped) ++*skipped;
            continue;
        }
        const FilterDefinition& d = f.definition;
        const model::HeaderCriteria& c = d.header;
        out += kindName(d.kind);
        out += f.enabled ? "\t1" : "\t0";
        auto field = [&](const char* key, const std::string& value) {
            if (value.empty()) return;
            out += '\t';
            out += key;
            out += '=';
            out += escape(value);
        };
        field("black", c.black);
        field("white", c.white);
        field("playerA", c.playerA);
        field("playerB", c.playerB);
        field("event", c.event);
        field("opening", c.opening);
        field("fileName", c.fileName);
        field("publishedIn", c.publishedIn);
        field("user1", c.user1);
        field("user2", c.user2);
        if (c.handicap != 0) field("handicap", std::to_string(c.handicap));
        if (c.fromOn) field("from", dateField(c.from));
        if (c.toOn) field("to", dateField(c.to));
        if (c.ignoreBlanks) field("blanks", "1");
        if (d.kind == FilterKind::Result) field("result", std::to_string(d.result));
        field("text", d.text);
        if (d.options.sideMustMatch) field("side", "1");
        if (d.options.alsoReversed) field("reversed", "1");
        if (d.options.ignoreEdgePawns) field("edges", "1");
        out += '\n';
    }
    return out;
}

FilterStackRead readFilterStack(std::string_view text) {
    FilterStackRead read;
    int lineNumber = 0;
    for (std::string_view line : split(text, '\n')) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        const std::vector<std::string_view> parts = split(line, '\t');
        const std::optional<FilterKind> kind = kindOf(parts[0]);
        bool ok = kind.has_value() && parts.size() >= 2 && (parts[1] == "0" || parts[1] == "1");
        Filter f;
        if (ok) {
            f.definition.kind = *kind;
            f.enabled = parts[1] == "1";
        }
        for (std::size_t i = 2; ok && i < parts.size(); ++i) {
            const std::size_t eq = parts[i].find('=');
            std::optional<std::string> value =
                eq == std::string_view::npos ? std::nullopt : unescape(parts[i].substr(eq + 1));
            ok = value && readField(f.definition, parts[i].substr(0, eq), *value);
        }
        if (!ok) {
            read.bad.push_back(lineNumber);
            continue;
        }
        f.label = filterLabel(f.definition);
        read.filters.push_back(std::move(f));
    }
    return read;
}

}  // namespace dalmir
