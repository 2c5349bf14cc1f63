#include "tavrel/platform/clipboard_text.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "core/text/sjis.h"

namespace tavrel {
namespace {

class ClipboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QGuiApplication::instance()) {
            static int argc = 1;
            static char name[] = "tavrel_platform_tests";
            static char* argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);
        }
    }
};

TEST_F(ClipboardTest, TextCrossesAsUnicodeAndComesBackTheSame) {
    const std::string text = std::string("▲７六歩　△３四歩\r\n後手の持駒：なし\r\n") +
                             "ascii \xEE\x81\xA4\r\n";  // U+E064
    ASSERT_TRUE(setClipboardText(text));
    const QString shown = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(shown.startsWith(QString::fromUtf8("▲７六歩　△３四歩\r\n後手の持駒：なし")));
    EXPECT_TRUE(shown.contains(QChar(0xE064)));  // the user-defined White mark
    EXPECT_EQ(clipboardText(), text);
}

}  // namespace
}  // namespace tavrel
