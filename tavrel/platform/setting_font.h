// The one conversion of a font setting (face, height, bold, italic) into the QFont the windows
// draw with, so the board, the record window and the status bar read the settings alike.
#pragma once

#include <QFont>

#include "tavrel/settings/settings.h"

namespace tavrel {

// The face by name, |height| pixels (12 for a height of 0, never below 6), bold and
// italic as set.
QFont settingFont(const FontSetting& setting);
// The setting a chosen font is kept as: face cut to kFontFaceBytes (CP932), the pixel height as a
// negative height, bold and italic.
FontSetting fontSetting(const QFont& font);

}  // namespace tavrel
