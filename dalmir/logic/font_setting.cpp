#include "dalmir/logic/font_setting.h"

#include <algorithm>
#include <cmath>

namespace dalmir {

namespace {

constexpr int kNormalWeight = 400;

}  // namespace

int drawnWeight(const FontSetting& font) {
    return font.weight <= 0 ? kNormalWeight : std::clamp(font.weight, 1, 1000);
}

int screenPixelHeight(const FontSetting& font, double dotsPerInch) {
    if (font.size < 0) return -font.size;
    if (font.size == 0) return 12;
    return std::max(1, static_cast<int>(std::lround(font.size * dotsPerInch / 72.0)));
}

FontSetting chosenScreenFont(const std::string& family, double pointSize, int pixelSize, int weight,
                             bool italic, const FontSetting& previous, double dotsPerInch) {
    FontSetting out;
    out.name = family.empty() ? previous.name : family;
    if (pixelSize > 0) {
        out.size = -pixelSize;
    } else if (pointSize > 0) {
        out.size = -std::max(1, static_cast<int>(std::lround(pointSize * dotsPerInch / 72.0)));
    } else {
        out.size = previous.size;
    }
    out.weight = weight == kNormalWeight && previous.weight <= 0 ? 0 : std::clamp(weight, 0, 1000);
    out.italic = italic;
    return out;
}

}  // namespace dalmir
