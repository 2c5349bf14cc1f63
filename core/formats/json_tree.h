// A read-only tree of a JSON text, made for the record formats that read JSON: one allocation
// for all its values, strings kept as views into the text unless they hold escapes.
//
// The tree reads as the general JSON library reads: an object's members in ascending byte order
// of their names, a name given twice keeping its last value; a number without a sign, fraction or
// exponent is unsigned, one with a minus sign an integer. The quick reading takes the common
// shapes only (no fractions, no exponents, numbers within 64 bits); any text it does not take is
// read by the library, which then either gives the same tree or says where the text is not JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace core {

class JsonValue {
public:
    enum class Kind : uint8_t { Null, Boolean, Integer, Unsigned, Float, String, Array, Object };

    Kind kind() const { return m_kind; }
    bool isObject() const { return m_kind == Kind::Object; }
    bool isArray() const { return m_kind == Kind::Array; }
    bool isString() const { return m_kind == Kind::String; }
    bool isBoolean() const { return m_kind == Kind::Boolean; }
    // A whole number, signed or not.
    bool isInteger() const { return m_kind == Kind::Integer || m_kind == Kind::Unsigned; }
    bool isUnsigned() const { return m_kind == Kind::Unsigned; }

    bool boolean() const { return m_boolean; }
    // The number as signed / unsigned (the other's bits cast, as the library does).
    int64_t integer() const { return static_cast<int64_t>(m_number); }
    uint64_t unsignedValue() const { return m_number; }
    // A string's UTF-8 text.
    std::string_view text() const { return m_text; }
    // A member's name (within an object).
    std::string_view key() const { return m_key; }

    // The elements of an array or the members of an object (empty for the rest).
    std::span<const JsonValue> children() const { return {m_children, m_count}; }
    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const JsonValue& operator[](std::size_t i) const { return m_children[i]; }
    // An object's member of this name, or null.
    const JsonValue* find(std::string_view name) const;
    bool contains(std::string_view name) const { return find(name) != nullptr; }

private:
    friend class JsonTreeBuilder;

    Kind m_kind = Kind::Null;
    bool m_boolean = false;
    uint32_t m_count = 0;
    uint64_t m_number = 0;
    std::string_view m_key;
    std::string_view m_text;
    const JsonValue* m_children = nullptr;
    std::size_t m_first = 0;  // while building: where the children are in the pool
};

class JsonTree {
public:
    // Reads the JSON text (after its byte-order mark, if the caller keeps one). False when the
    // text is not JSON: errorAt() is then the byte offset at which the library stopped.
    bool parse(std::string_view bytes);
    std::size_t errorAt() const { return m_errorAt; }
    const JsonValue& root() const { return m_values.back(); }

private:
    bool parseQuick(std::string_view bytes);
    bool parseWithLibrary(std::string_view bytes);
    void link();

    std::vector<JsonValue> m_values;    // the root last
    std::deque<std::string> m_strings;  // texts that are not views into the bytes
    std::size_t m_errorAt = 0;
};

}  // namespace core
