#include "tavrel/platform/setting_font.h"

#include <gtest/gtest.h>

#include <climits>

#include "core/text/sjis.h"

namespace tavrel {
namespace {

TEST(SettingFont, FaceSizeAndStyle) {
    QFont f = settingFont(FontSetting{std::string("ＭＳ ゴシック"), -13, true, false});
    EXPECT_EQ(f.family(), QString::fromUtf8("ＭＳ ゴシック"));
    EXPECT_EQ(f.pixelSize(), 13);
    EXPECT_TRUE(f.bold());
    EXPECT_FALSE(f.italic());
    EXPECT_TRUE(settingFont(FontSetting{"Serif", 20, false, true}).italic());
}

TEST(SettingFont, HeightRules) {
    const std::pair<int, int> cases[] = {{-13, 13}, {13, 13}, {0, 12}, {-3, 6}, {5, 6}};
    for (const auto& [height, pixels] : cases) {
        EXPECT_EQ(settingFont(FontSetting{"Serif", height, false, false}).pixelSize(), pixels)
            << height;
    }
    // A height from a damaged settings file still gives a usable font.
    EXPECT_GE(settingFont(FontSetting{"", INT_MIN, false, false}).pixelSize(), 6);
}

TEST(SettingFont, ChosenFontsRoundTrip) {
    const FontSetting print{std::string("ＭＳ ゴシック"), -21, true, true};
    EXPECT_EQ(fontSetting(settingFont(print)), print);
    QFont points(QStringLiteral("Serif"));
    points.setPointSize(12);  // 16 pixels at 96 dots per inch
    EXPECT_EQ(fontSetting(points).height, -16);
    QFont longName(QString(40, u'x'));
    EXPECT_EQ(fontSetting(longName).face.size(), kFontFaceBytes);
}

}  // namespace
}  // namespace tavrel
