// The screen fonts of the settings as Qt fonts, and a font the user chose as a setting.
#pragma once

#include <QFont>

#include "dalmir/logic/app_settings.h"

namespace dalmir {

QFont screenFont(const FontSetting& setting, double dotsPerInch);
FontSetting chosenFontSetting(const QFont& font, const FontSetting& previous, double dotsPerInch);

}  // namespace dalmir
