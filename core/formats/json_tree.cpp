#include "core/formats/json_tree.h"

#include <algorithm>
#include <limits>
#include <nlohmann/json.hpp>

#include "core/text/sjis.h"

namespace core {

namespace {

// Member names are short: compared byte by byte here rather than through a library call each.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

// Byte order, as the library's object keeps its names.
bool nameBefore(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
    }
    return a.size() < b.size();
}

}  // namespace

const JsonValue* JsonValue::find(std::string_view name) const {
    if (m_kind != Kind::Object) return nullptr;
    for (const JsonValue& member : children()) {
        if (sameName(member.m_key, name)) return &member;
    }
    return nullptr;
}

namespace {

// Deeper texts are left to the library, whose reading does not recurse.
constexpr int kQuickDepth = 256;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The length of the UTF-8 character at s[i] (its lead byte at or above 0x80), or 0 when it is
// not one (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() - i < len) return 0;
    const auto second = static_cast<unsigned char>(s[i + 1]);
    if (second < low || second > high) return 0;
    for (std::size_t k = 2; k < len; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    }
    return len;
}

// The quick reading: recursive descent into a pool, the children of a container appended to
// the pool when the container ends (so that they are contiguous).
class QuickParser {
public:
    QuickParser(std::string_view s, std::vector<JsonValue>& pool, std::deque<std::string>& strings)
        : m_s(s), m_pool(pool), m_strings(strings) {}

    bool document(JsonValue& root) {
        space();
        if (!value(root, 0)) return false;
        space();
        return m_at == m_s.size();
    }

    // Fills the fields of a value through the setters of its friend.
    static void set(JsonValue& v, JsonValue::Kind kind);

private:
    void space() {
        while (m_at < m_s.size() && isSpace(m_s[m_at])) ++m_at;
    }
    bool eat(char c) {
        if (m_at < m_s.size() && m_s[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool literal(std::string_view word) {
        if (m_s.substr(m_at, word.size()) != word) return false;
        m_at += word.size();
        return true;
    }

    bool value(JsonValue& v, int depth);
    bool string(std::string_view& out);
    bool number(JsonValue& v);
    bool container(JsonValue& v, bool object, int depth);

    std::string_view m_s;
    std::size_t m_at = 0;
    std::vector<JsonValue>& m_pool;
    std::deque<std::string>& m_strings;
    std::vector<JsonValue> m_pending;  // the children of the open containers
};

}  // namespace

// The friend that fills values: the parser and the conversion from the library's tree.
class JsonTreeBuilder {
public:
    static void kind(JsonValue& v, JsonValue::Kind k) { v.m_kind = k; }
    static void boolean(JsonValue& v, bool b) {
        v.m_kind = JsonValue::Kind::Boolean;
        v.m_boolean = b;
    }
    static void number(JsonValue& v, JsonValue::Kind k, uint64_t bits) {
        v.m_kind = k;
        v.m_number = bits;
    }
    static void text(JsonValue& v, std::string_view t) {
        v.m_kind = JsonValue::Kind::String;
        v.m_text = t;
    }
    static void key(JsonValue& v, std::string_view k) { v.m_key = k; }
    static std::string_view keyOf(const JsonValue& v) { return v.m_key; }
    static void children(JsonValue& v, std::size_t first, std::size_t count) {
        v.m_first = first;
        v.m_count = static_cast<uint32_t>(count);
    }
    static void link(JsonValue& v, const JsonValue* base) {
        v.m_children = v.m_count == 0 ? nullptr : base + v.m_first;
    }
};

namespace {

void QuickParser::set(JsonValue& v, JsonValue::Kind kind) { JsonTreeBuilder::kind(v, kind); }

bool QuickParser::value(JsonValue& v, int depth) {
    if (m_at >= m_s.size()) return false;
    switch (m_s[m_at]) {
        case '{':
            return depth < kQuickDepth && container(v, true, depth + 1);
        case '[':
            return depth < kQuickDepth && container(v, false, depth + 1);
        case '"': {
            std::string_view t;
            if (!string(t)) return false;
            JsonTreeBuilder::text(v, t);
            return true;
        }
        case 't':
            JsonTreeBuilder::boolean(v, true);
            return literal("true");
        case 'f':
            JsonTreeBuilder::boolean(v, false);
            return literal("false");
        case 'n':
            set(v, JsonValue::Kind::Null);
            return literal("null");
        default:
            return number(v);
    }
}

bool QuickParser::string(std::string_view& out) {
    ++m_at;  // the opening quote
    const std::size_t start = m_at;
    std::string* built = nullptr;
    std::size_t copied = start;  // bytes before this are in `built`
    while (m_at < m_s.size()) {
        const auto c = static_cast<unsigned char>(m_s[m_at]);
        if (c == '"') {
            if (built == nullptr) {
                out = m_s.substr(start, m_at - start);
            } else {
                built->append(m_s.substr(copied, m_at - copied));
                out = *built;
            }
            ++m_at;
            return true;
        }
        if (c < 0x20) return false;
        if (c >= 0x80) {
            const std::size_t len = utf8Length(m_s, m_at);
            if (len == 0) return false;
            m_at += len;
            continue;
        }
        if (c != '\\') {
            ++m_at;
            continue;
        }
        if (built == nullptr) built = &m_strings.emplace_back();
        built->append(m_s.substr(copied, m_at - copied));
        if (++m_at >= m_s.size()) return false;
        const char e = m_s[m_at++];
        switch (e) {
            case '"':
            case '\\':
            case '/':
                *built += e;
                break;
            case 'b':
                *built += '\b';
                break;
            case 'f':
                *built += '\f';
                break;
            case 'n':
                *built += '\n';
                break;
            case 'r':
                *built += '\r';
                break;
            case 't':
                *built += '\t';
                break;
            case 'u': {
                const auto hex4 = [this](char32_t& cp) {
                    if (m_s.size() - m_at < 4) return false;
                    cp = 0;
                    for (int i = 0; i < 4; ++i) {
                        const int d = hexDigit(m_s[m_at++]);
                        if (d < 0) return false;
                        cp = (cp << 4) | static_cast<char32_t>(d);
                    }
                    return true;
                };
                char32_t cp = 0;
                if (!hex4(cp)) return false;
                if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    char32_t low = 0;
                    if (!literal("\\u") || !hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                        return false;
                    }
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                appendUtf8(*built, cp);
                break;
            }
            default:
                return false;
        }
        copied = m_at;
    }
    return false;
}

bool QuickParser::number(JsonValue& v) {
    const bool negative = eat('-');
    if (m_at >= m_s.size() || m_s[m_at] < '0' || m_s[m_at] > '9') return false;
    uint64_t n = 0;
    if (m_s[m_at] == '0') {
        ++m_at;
    } else {
        while (m_at < m_s.size() && m_s[m_at] >= '0' && m_s[m_at] <= '9') {
            const auto d = static_cast<uint64_t>(m_s[m_at] - '0');
            if (n > (std::numeric_limits<uint64_t>::max() - d) / 10) return false;
            n = n * 10 + d;
            ++m_at;
        }
    }
    // Fractions and exponents (never in a record) are the library's.
    if (m_at < m_s.size() && (m_s[m_at] == '.' || m_s[m_at] == 'e' || m_s[m_at] == 'E')) {
        return false;
    }
    if (!negative) {
        JsonTreeBuilder::number(v, JsonValue::Kind::Unsigned, n);
        return true;
    }
    if (n > uint64_t{1} << 63) return false;
    JsonTreeBuilder::number(v, JsonValue::Kind::Integer, uint64_t{0} - n);
    return true;
}

bool QuickParser::container(JsonValue& v, bool object, int depth) {
    ++m_at;  // the opening bracket
    const std::size_t mark = m_pending.size();
    const char close = object ? '}' : ']';
    space();
    if (!eat(close)) {
        while (true) {
            std::string_view key;
            if (object) {
                if (m_at >= m_s.size() || m_s[m_at] != '"' || !string(key)) return false;
                space();
                if (!eat(':')) return false;
                space();
            }
            JsonValue child;
            if (!value(child, depth)) return false;
            JsonTreeBuilder::key(child, key);
            m_pending.push_back(child);
            space();
            if (eat(close)) break;
            if (!eat(',')) return false;
            space();
        }
    }
    const auto begin = m_pending.begin() + static_cast<std::ptrdiff_t>(mark);
    auto end = m_pending.end();
    if (object) {
        // Ascending names, the last of a name given twice kept.
        const auto byKey = [](const JsonValue& a, const JsonValue& b) {
            return nameBefore(JsonTreeBuilder::keyOf(a), JsonTreeBuilder::keyOf(b));
        };
        if (!std::is_sorted(begin, end, byKey)) {
            if (end - begin <= 16) {
                // The few members of a record's object: sorted in place, keeping their order
                // among equal names, without the buffer a stable sort takes.
                for (auto it = begin + 1; it != end; ++it) {
                    JsonValue member = *it;
                    auto at = it;
                    for (; at != begin && byKey(member, *(at - 1)); --at) *at = *(at - 1);
                    *at = member;
                }
            } else {
                std::stable_sort(begin, end, byKey);
            }
        }
        const auto sameKey = [](const JsonValue& a, const JsonValue& b) {
            return sameName(JsonTreeBuilder::keyOf(a), JsonTreeBuilder::keyOf(b));
        };
        if (std::adjacent_find(begin, end, sameKey) != end) {
            auto out = begin;
            for (auto it = begin; it != end; ++it) {
                if (std::next(it) != end && sameKey(*it, *std::next(it))) continue;
                *out++ = *it;
            }
            end = out;
        }
    }
    set(v, object ? JsonValue::Kind::Object : JsonValue::Kind::Array);
    JsonTreeBuilder::children(v, m_pool.size(), static_cast<std::size_t>(end - begin));
    m_pool.insert(m_pool.end(), begin, end);
    m_pending.resize(mark);
    return true;
}

using Json = nlohmann::json;

// The library's tree as ours.
void convert(const Json& j, JsonValue& v, std::vector<JsonValue>& pool,
             std::deque<std::string>& strings) {
    switch (j.type()) {
        case Json::value_t::boolean:
            JsonTreeBuilder::boolean(v, j.get<bool>());
            return;
        case Json::value_t::number_integer:
            JsonTreeBuilder::number(v, JsonValue::Kind::Integer,
                                    static_cast<uint64_t>(j.get<int64_t>()));
            return;
        case Json::value_t::number_unsigned:
            JsonTreeBuilder::number(v, JsonValue::Kind::Unsigned, j.get<uint64_t>());
            return;
        case Json::value_t::number_float:
            JsonTreeBuilder::kind(v, JsonValue::Kind::Float);
            return;
        case Json::value_t::string:
            JsonTreeBuilder::text(v, strings.emplace_back(j.get_ref<const std::string&>()));
            return;
        case Json::value_t::array:
        case Json::value_t::object: {
            const bool object = j.is_object();
            std::vector<JsonValue> children;
            children.reserve(j.size());
            for (auto it = j.begin(); it != j.end(); ++it) {
                JsonValue child;
                convert(it.value(), child, pool, strings);
                if (object) JsonTreeBuilder::key(child, strings.emplace_back(it.key()));
                children.push_back(child);
            }
            JsonTreeBuilder::kind(v, object ? JsonValue::Kind::Object : JsonValue::Kind::Array);
            JsonTreeBuilder::children(v, pool.size(), children.size());
            pool.insert(pool.end(), children.begin(), children.end());
            return;
        }
        default:
            JsonTreeBuilder::kind(v, JsonValue::Kind::Null);
            return;
    }
}

}  // namespace

bool JsonTree::parseQuick(std::string_view bytes) {
    JsonValue root;
    QuickParser parser(bytes, m_values, m_strings);
    if (!parser.document(root)) return false;
    m_values.push_back(root);
    return true;
}

bool JsonTree::parseWithLibrary(std::string_view bytes) {
    Json doc;
    try {
        doc = Json::parse(bytes.begin(), bytes.end());
    } catch (const Json::parse_error& e) {
        m_errorAt = e.byte > 0 ? e.byte - 1 : 0;
        return false;
    } catch (const Json::exception&) {
        m_errorAt = 0;
        return false;
    }
    JsonValue root;
    convert(doc, root, m_values, m_strings);
    m_values.push_back(root);
    return true;
}

void JsonTree::link() {
    const JsonValue* base = m_values.data();
    for (JsonValue& v : m_values) JsonTreeBuilder::link(v, base);
}

bool JsonTree::parse(std::string_view bytes) {
    m_values.clear();
    m_strings.clear();
    m_errorAt = 0;
    // Room for about one value per eight bytes, as records run.
    m_values.reserve(bytes.size() / 8 + 1);
    if (!parseQuick(bytes)) {
        m_values.clear();
        m_strings.clear();
        if (!parseWithLibrary(bytes)) return false;
    }
    link();
    return true;
}

}  // namespace core
