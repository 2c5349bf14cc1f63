// A read-only JSON document built from the JSON library's event parser: every value lives in one
// array, an object's members sorted by key with the last of equal keys kept (as the library's
// own document keeps them), so that a reader walks it as it would the library's document at a
// fraction of the allocations. The accessors follow the library's names; a value read as the
// wrong kind throws JsonDocument::WrongKind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace core {

class JsonValue {
public:
    enum class Kind : uint8_t { Null, Boolean, Integer, Unsigned, Float, String, Array, Object };

    struct WrongKind : std::exception {
        const char* what() const noexcept override { return "JSON value of another kind"; }
    };

    Kind kind() const { return m_kind; }
    bool is_object() const { return m_kind == Kind::Object; }
    bool is_array() const { return m_kind == Kind::Array; }
    bool is_string() const { return m_kind == Kind::String; }
    bool is_boolean() const { return m_kind == Kind::Boolean; }
    // Integers of either sign, as the library counts them.
    bool is_number_integer() const { return m_kind == Kind::Integer || m_kind == Kind::Unsigned; }
    bool is_number_unsigned() const { return m_kind == Kind::Unsigned; }

    // Members of an object, elements of an array; 0 for others.
    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    // An element of an array (REQUIRES: i < size()).
    const JsonValue& operator[](std::size_t i) const { return m_children[i]; }

    // An object's members in key order: it->key(), it->value().
    using const_iterator = const JsonValue*;
    const_iterator begin() const { return m_children; }
    const_iterator end() const { return m_children + m_count; }
    const_iterator find(std::string_view key) const;
    bool contains(std::string_view key) const { return find(key) != end(); }
    const std::string& key() const { return m_key; }
    const JsonValue& value() const { return *this; }

    bool boolean() const;
    int64_t integer() const;  // an integer (an unsigned one as its bits)
    uint64_t unsignedValue() const;
    const std::string& string() const;

private:
    friend class JsonBuilder;
    Kind m_kind = Kind::Null;
    bool m_bool = false;
    uint32_t m_count = 0;
    uint64_t m_bits = 0;  // an integer's, or an unsigned one's, or the first child's index
    double m_float = 0;
    std::string m_text;  // a string's
    std::string m_key;   // an object member's
    const JsonValue* m_children = nullptr;
};

class JsonDocument {
public:
    // Parses the bytes (strictly: one value, nothing after it but white space). False on a
    // syntax error, with errorByte() the library's byte count at the error.
    bool parse(std::string_view bytes);
    const JsonValue& root() const { return m_values.back(); }
    std::size_t errorByte() const { return m_errorByte; }

private:
    std::vector<JsonValue> m_values;
    std::size_t m_errorByte = 0;
};

}  // namespace core
