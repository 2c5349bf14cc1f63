#include "viewer/platform/setting_font.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "core/text/sjis.h"

namespace viewer {

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

}  // namespace viewer
