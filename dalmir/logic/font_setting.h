// The list and status fonts as the settings keep them and as a font chooser gives them: sizes
// are stored as a negative character height in pixels, weights on the 0..1000 scale with 0
// for the normal weight.
#pragma once

#include <string>

#include "dalmir/logic/app_settings.h"

namespace dalmir {

// The weight to draw with: 400 for the stored 0, else the stored weight kept to 1..1000.
int drawnWeight(const FontSetting& font);

// The pixel height of a screen font at the given dots per inch: the stored height, or a stored
// point size converted.
int screenPixelHeight(const FontSetting& font, double dotsPerInch);

// A font the user chose: its family, its size in pixels (pixelSize > 0) or points, its weight and
// slant. The stored size is a negative pixel height; the normal weight is stored as the
// previous setting had it (0 or 400).
FontSetting chosenScreenFont(const std::string& family, double pointSize, int pixelSize, int weight,
                             bool italic, const FontSetting& previous, double dotsPerInch);

}  // namespace dalmir
