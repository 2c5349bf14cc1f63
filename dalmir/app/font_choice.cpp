#include "dalmir/app/font_choice.h"

#include "dalmir/logic/font_setting.h"

namespace dalmir {

QFont screenFont(const FontSetting& setting, double dotsPerInch) {
    QFont font(QString::fromStdString(setting.name));
    font.setPixelSize(screenPixelHeight(setting, dotsPerInch));
    font.setWeight(static_cast<QFont::Weight>(drawnWeight(setting)));
    font.setItalic(setting.italic);
    return font;
}

FontSetting chosenFontSetting(const QFont& font, const FontSetting& previous, double dotsPerInch) {
    return chosenScreenFont(font.family().toStdString(), font.pointSizeF(), font.pixelSize(),
                            static_cast<int>(font.weight()), font.italic(), previous, dotsPerInch);
}

}  // namespace dalmir
