// Tavrel's windows convert texts with the shared desktop conversions.
#pragma once

#include "desktop/qt_text.h"

namespace tavrel {

using desktop::fromFsPath;
using desktop::fromUtf8;
using desktop::fsPath;
using desktop::toUtf8;

}  // namespace tavrel
