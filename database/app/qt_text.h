// Dalmir's window converts texts the way Tavrel's does.
#pragma once

#include "viewer/platform/qt_text.h"

namespace dalmir {

using viewer::fromCp932;
using viewer::fromFsPath;
using viewer::fromUtf8;
using viewer::fsPath;
using viewer::toCp932;

}  // namespace dalmir
