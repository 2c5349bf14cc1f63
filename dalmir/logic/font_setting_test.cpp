#include "dalmir/logic/font_setting.h"

#include <gtest/gtest.h>

namespace dalmir {
namespace {

TEST(FontSettingTest, StoredSizesAndWeights) {
    const FontSetting list{"メイリオ", -12, 0, false};
    EXPECT_EQ(screenPixelHeight(list, 96), 12);
    EXPECT_EQ(screenPixelHeight({"x", 9, 0, false}, 96), 12);  // points made pixels
    EXPECT_EQ(screenPixelHeight({"x", 0, 0, false}, 96), 12);
    EXPECT_EQ(drawnWeight(list), 400);
    EXPECT_EQ(drawnWeight({"x", -12, 700, false}), 700);
    EXPECT_EQ(drawnWeight({"x", -12, 5000, false}), 1000);
}

TEST(FontSettingTest, ChosenFontIsStoredAsPixels) {
    const FontSetting previous{"メイリオ", -12, 0, false};
    // A chooser giving points: 10.5 pt at 96 dpi is 14 pixels.
    FontSetting f = chosenScreenFont("Noto Sans", 10.5, -1, 400, false, previous, 96);
    EXPECT_EQ(f, (FontSetting{"Noto Sans", -14, 0, false}));
    // Pixels are taken as they are; bold and italic are kept.
    f = chosenScreenFont("Noto Sans", -1, 16, 700, true, previous, 96);
    EXPECT_EQ(f, (FontSetting{"Noto Sans", -16, 700, true}));
    // The normal weight stays as the previous setting wrote it; nothing known keeps the rest.
    f = chosenScreenFont("", -1, -1, 400, false, {"ＭＳ ゴシック", -13, 400, false}, 96);
    EXPECT_EQ(f, (FontSetting{"ＭＳ ゴシック", -13, 400, false}));
}

}  // namespace
}  // namespace dalmir
