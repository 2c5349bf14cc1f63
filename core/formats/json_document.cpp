#include "core/formats/json_document.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace core {

JsonValue::const_iterator JsonValue::find(std::string_view key) const {
    if (m_kind != Kind::Object) return end();
    const JsonValue* it = std::lower_bound(
        begin(), end(), key, [](const JsonValue& v, std::string_view k) { return v.m_key < k; });
    return it != end() && it->m_key == key ? it : end();
}

bool JsonValue::boolean() const {
    if (m_kind != Kind::Boolean) throw WrongKind();
    return m_bool;
}

int64_t JsonValue::integer() const {
    if (!is_number_integer()) throw WrongKind();
    return static_cast<int64_t>(m_bits);
}

uint64_t JsonValue::unsignedValue() const {
    if (!is_number_integer()) throw WrongKind();
    return m_bits;
}

const std::string& JsonValue::string() const {
    if (m_kind != Kind::String) throw WrongKind();
    return m_text;
}

// The library's event handler: each value is added to the members of the container being read
// (one list per level, reused); a closed container's members move into the document's array as
// one block, so that a container's members lie side by side. Indices are turned into pointers
// when the document is complete.
class JsonBuilder {
public:
    using Json = nlohmann::json;

    explicit JsonBuilder(std::vector<JsonValue>& out) : m_out(out) { m_levels.resize(1); }

    bool null() { return add(JsonValue{}); }
    bool boolean(bool b) {
        JsonValue v;
        v.m_kind = JsonValue::Kind::Boolean;
        v.m_bool = b;
        return add(std::move(v));
    }
    bool number_integer(Json::number_integer_t n) {
        JsonValue v;
        v.m_kind = JsonValue::Kind::Integer;
        v.m_bits = static_cast<uint64_t>(n);
        return add(std::move(v));
    }
    bool number_unsigned(Json::number_unsigned_t n) {
        JsonValue v;
        v.m_kind = JsonValue::Kind::Unsigned;
        v.m_bits = n;
        return add(std::move(v));
    }
    bool number_float(Json::number_float_t f, const Json::string_t&) {
        JsonValue v;
        v.m_kind = JsonValue::Kind::Float;
        v.m_float = f;
        return add(std::move(v));
    }
    bool string(Json::string_t& s) {
        JsonValue v;
        v.m_kind = JsonValue::Kind::String;
        v.m_text = std::move(s);
        return add(std::move(v));
    }
    bool binary(Json::binary_t&) { return false; }  // not in JSON text
    bool key(Json::string_t& k) {
        m_key = std::move(k);
        return true;
    }
    bool start_object(std::size_t) { return open(); }
    bool start_array(std::size_t) { return open(); }
    bool end_object() { return close(JsonValue::Kind::Object); }
    bool end_array() { return close(JsonValue::Kind::Array); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) {
        m_errorByte = position;
        return false;
    }

    std::size_t errorByte() const { return m_errorByte; }
    // The root, placed last in the array.
    bool finish() {
        if (m_depth != 0 || m_levels[0].size() != 1) return false;
        m_out.push_back(std::move(m_levels[0][0]));
        for (JsonValue& v : m_out) {
            if (v.m_kind == JsonValue::Kind::Array || v.m_kind == JsonValue::Kind::Object) {
                v.m_children = m_out.data() + v.m_bits;
            }
        }
        return true;
    }

private:
    bool add(JsonValue v) {
        v.m_key = std::move(m_key);
        m_key.clear();
        m_levels[m_depth].push_back(std::move(v));
        return true;
    }
    bool open() {
        m_containerKeys.push_back(std::move(m_key));
        m_key.clear();
        if (++m_depth == m_levels.size()) m_levels.emplace_back();
        m_levels[m_depth].clear();
        return true;
    }
    bool close(JsonValue::Kind kind) {
        std::vector<JsonValue>& members = m_levels[m_depth];
        if (kind == JsonValue::Kind::Object) {
            // Sorted by key; of equal keys the last one stays.
            std::stable_sort(
                members.begin(), members.end(),
                [](const JsonValue& a, const JsonValue& b) { return a.m_key < b.m_key; });
            std::size_t kept = 0;
            for (std::size_t i = 0; i < members.size(); ++i) {
                if (i + 1 < members.size() && members[i + 1].m_key == members[i].m_key) continue;
                if (kept != i) members[kept] = std::move(members[i]);
                ++kept;
            }
            members.resize(kept);
        }
        JsonValue container;
        container.m_kind = kind;
        container.m_bits = m_out.size();
        container.m_count = static_cast<uint32_t>(members.size());
        for (JsonValue& m : members) m_out.push_back(std::move(m));
        members.clear();
        --m_depth;
        m_key = std::move(m_containerKeys.back());
        m_containerKeys.pop_back();
        return add(std::move(container));
    }

    std::vector<JsonValue>& m_out;
    std::vector<std::vector<JsonValue>> m_levels;
    std::vector<std::string> m_containerKeys;
    std::size_t m_depth = 0;
    std::string m_key;
    std::size_t m_errorByte = 0;
};

bool JsonDocument::parse(std::string_view bytes) {
    m_values.clear();
    m_values.reserve(bytes.size() / 16 + 1);
    JsonBuilder builder(m_values);
    m_errorByte = 0;
    const bool ok = nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &builder);
    if (!ok) {
        m_errorByte = builder.errorByte();
        m_values.clear();
        return false;
    }
    return builder.finish();
}

}  // namespace core
