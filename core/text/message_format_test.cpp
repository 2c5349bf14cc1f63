#include "core/text/message_format.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace core {
namespace {

TEST(MessageFormat, FillsPlaceholdersInOrder) {
    struct Case {
        std::string format;
        std::initializer_list<std::string_view> args;
        std::string expected;
    };
    const Case cases[] = {
        {"a %s b %d c", {"x", "12"}, "a x b 12 c"},
        {"%d / %d", {"3", "10"}, "3 / 10"},
        {"(%s)", {"50%d"}, "(50%d)"},          // an argument is never filled itself
        {"%s and %s", {"one"}, "one and %s"},  // a placeholder without argument stays
        {"%s", {"a", "b"}, "a"},               // surplus arguments are dropped
        {"100% %x %", {"a"}, "100% %x %"},     // other '%' are text
        {"", {"a"}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatMessage(c.format, c.args), c.expected) << c.format;
    }
}

TEST(MessageFormat, PlaceholdersAfterAnyCharacterAreFilled) {
    EXPECT_EQ(formatMessage("十%s(%s)", {"a"}), "十a(%s)");
    EXPECT_EQ(formatMessage("🙂%d", {"5"}), "🙂5");
    EXPECT_EQ(formatMessageUtf8("棋譜保存エラー(%s)", {"/r/a.kif"}),
              std::string("棋譜保存エラー(/r/a.kif)"));
}

}  // namespace
}  // namespace core
