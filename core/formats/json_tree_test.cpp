#include "core/formats/json_tree.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

namespace core {
namespace {

using Json = nlohmann::json;

// Whether the tree holds what the library reads from the same text.
::testing::AssertionResult sameTree(const JsonValue& v, const Json& j, const std::string& at) {
    const auto differ = [&at](const char* what) {
        return ::testing::AssertionFailure() << at << ": " << what;
    };
    switch (j.type()) {
        case Json::value_t::null:
            return v.kind() == JsonValue::Kind::Null ? ::testing::AssertionSuccess()
                                                     : differ("not null");
        case Json::value_t::boolean:
            if (!v.isBoolean() || v.boolean() != j.get<bool>()) return differ("boolean");
            return ::testing::AssertionSuccess();
        case Json::value_t::number_integer:
            if (v.kind() != JsonValue::Kind::Integer || v.integer() != j.get<int64_t>()) {
                return differ("integer");
            }
            return ::testing::AssertionSuccess();
        case Json::value_t::number_unsigned:
            if (!v.isUnsigned() || v.unsignedValue() != j.get<uint64_t>())
                return differ("unsigned");
            return ::testing::AssertionSuccess();
        case Json::value_t::number_float:
            return v.kind() == JsonValue::Kind::Float ? ::testing::AssertionSuccess()
                                                      : differ("not a fraction");
        case Json::value_t::string:
            if (!v.isString() || v.text() != j.get_ref<const std::string&>()) return differ("text");
            return ::testing::AssertionSuccess();
        case Json::value_t::array:
        case Json::value_t::object: {
            if (v.isObject() != j.is_object() || v.isArray() != j.is_array()) return differ("kind");
            if (v.size() != j.size()) return differ("size");
            std::size_t i = 0;
            for (auto it = j.begin(); it != j.end(); ++it, ++i) {
                const JsonValue& child = v[i];
                std::string where = at + "/" + (j.is_object() ? it.key() : std::to_string(i));
                if (j.is_object() && child.key() != it.key()) return differ("member order");
                if (auto r = sameTree(child, it.value(), where); !r) return r;
            }
            return ::testing::AssertionSuccess();
        }
        default:
            return differ("unexpected kind");
    }
}

// The tree reads a text exactly when the library does, into the same values; where the library
// refuses, the tree names the same byte.
void expectAsLibrary(const std::string& text) {
    SCOPED_TRACE(text);
    JsonTree tree;
    const bool read = tree.parse(text);
    try {
        const Json j = Json::parse(text);
        ASSERT_TRUE(read);
        EXPECT_TRUE(sameTree(tree.root(), j, ""));
    } catch (const Json::parse_error& e) {
        ASSERT_FALSE(read);
        EXPECT_EQ(tree.errorAt(), e.byte > 0 ? e.byte - 1 : 0);
    }
}

TEST(JsonTreeTest, ReadsAsTheLibraryDoes) {
    const std::vector<std::string> texts = {
        // Members in byte order, a name given twice keeping its last value, nesting.
        R"({"b":1,"a":[true,false,null],"c":{"y":"2","x":-3},"a":{"z":[]}})",
        R"({"先手":"a","後手":"b","x":"c","~/":"d"})",
        // Escapes and characters: simple, \u with a surrogate pair, raw UTF-8 of every length.
        R"(["a\"b\\c\/d\b\f\n\r\t", "\u00e9\u3042\ud83d\ude00", "é あ 😀", ""])",
        // Numbers: zero, minus zero, the largest unsigned and the smallest integer, past them
        // (a fraction then), fractions and exponents.
        "[0,-0,18446744073709551615,-9223372036854775808,18446744073709551616,"
        "-9223372036854775809,1.5,-2e3,1E+2]",
        " \t\r\n{ \"moves\" : [ { } , { \"move\" : { \"to\" : { \"x\" : 7 } } } ] } \n",
        // Deeper than the quick reading goes.
        std::string(300, '[') + std::string(300, ']'),
        // Not JSON: each refused where the library stops.
        "", "   ", "{", "[1,]", "{\"a\":1,}", "{,}", "[01]", "[-]", "[1.]", "[.5]", "[+1]", "tru",
        "[true false]", "{\"a\" 1}", "{1:2}", "[\"a\nb\"]", "[\"\\x\"]", "[\"\\u12\"]",
        "[\"\\ud800\"]", "[\"\\udc00\"]", "[\"\\ud800\\u0041\"]", "[\"\xC0\x80\"]",
        "[\"\xED\xA0\x80\"]", "[\"\xF4\x90\x80\x80\"]", "[\"\xE3\x81\"]", "{} {}", "[1] x",
        "\xEF\xBB\xBF{}",  // a byte-order mark: the library's to take
    };
    for (const std::string& t : texts) expectAsLibrary(t);
}

// Texts made of JSON's pieces at random, most of them broken: the tree never takes what the
// library refuses, nor reads anything else than it.
TEST(JsonTreeTest, RandomTextsReadAsTheLibraryDoes) {
    const std::vector<std::string> pieces = {"{",
                                             "}",
                                             "[",
                                             "]",
                                             ",",
                                             ":",
                                             " ",
                                             "\"a\"",
                                             "\"b\"",
                                             "\"\\u00e9\"",
                                             "\"\\\"\"",
                                             "1",
                                             "-2",
                                             "0",
                                             "true",
                                             "null",
                                             "\"\xE3\x81\x82\"",
                                             "\"\xFF\"",
                                             "1.5",
                                             "\n",
                                             "\"",
                                             "\\"};
    std::mt19937 rng(41);
    for (int n = 0; n < 8000; ++n) {
        std::string text;
        const int length = static_cast<int>(rng() % 12) + 1;
        for (int i = 0; i < length; ++i) text += pieces[rng() % pieces.size()];
        expectAsLibrary(text);
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(JsonTreeTest, FindsMembersByName) {
    JsonTree tree;
    ASSERT_TRUE(tree.parse(R"({"move":{"to":{"x":7,"y":6}},"time":1})"));
    const JsonValue& root = tree.root();
    ASSERT_NE(root.find("move"), nullptr);
    EXPECT_TRUE(root.contains("time"));
    EXPECT_FALSE(root.contains("tim"));
    EXPECT_EQ(root.find("move")->find("to")->find("y")->unsignedValue(), 6u);
    // Not an object: nothing to find.
    EXPECT_EQ(root.find("time")->find("x"), nullptr);
    // A tree read again holds only the new text.
    ASSERT_TRUE(tree.parse("[\"x\"]"));
    ASSERT_TRUE(tree.root().isArray());
    EXPECT_EQ(tree.root()[0].text(), "x");
}

}  // namespace
}  // namespace core
