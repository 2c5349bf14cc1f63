#include "tavrel/platform/setting_font.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "core/text/sjis.h"

namespace tavrel {

namespace {

constexpr int kDefaultPixels = 12;
constexpr int kMinPixels = 6;

}  // namespace

QFont settingFont(const FontSetting& setting) {
    QFont font(QString::fromStdString(core::toUtf8Lossy(setting.face)));
    // In 64 bits, so that the most negative height of a damaged file has a size too.
    long long pixels = setting.height == 0 ? kDefaultPixels : std::llabs(setting.height);
    font.setPixelSize(static_cast<int>(std::clamp<long long>(pixels, kMinPixels, INT_MAX)));
    font.setBold(setting.bold);
    font.setItalic(setting.italic);
    return font;
}

FontSetting fontSetting(const QFont& font) {
    FontSetting setting;
    std::string face = font.family().toStdString();
    setting.face = std::string(core::cutToBytes(face, kFontFaceBytes));
    // A character height in pixels (points taken at 96 dots per inch), negative as the file
    // keeps it.
    int pixels = font.pixelSize() > 0 ? font.pixelSize()
                                      : static_cast<int>(font.pointSizeF() * 96.0 / 72.0 + 0.5);
    setting.height = -std::max(pixels, kMinPixels);
    setting.bold = font.bold();
    setting.italic = font.italic();
    return setting;
}

}  // namespace tavrel
