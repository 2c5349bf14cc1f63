// Dalmir's windows convert texts with the shared desktop conversions.
#pragma once

#include "desktop/qt_text.h"

namespace dalmir {

using desktop::fromFsPath;
using desktop::fromUtf8;
using desktop::fsPath;
using desktop::toUtf8;

}  // namespace dalmir
