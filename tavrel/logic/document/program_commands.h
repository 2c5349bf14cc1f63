// The commands about the program rather than the record: 終了 (closing the main window), the
// help index (目次) and the version information.
#pragma once

#include <string>

#include "tavrel/logic/document/document.h"

namespace tavrel {

// Whether the main window may close. While a position is edited "プログラムを終了しますか？" comes
// first and only Yes goes on; then a modified record is offered for saving, and Cancel (or a save
// that failed) keeps the window.
bool confirmClose(Document& doc);

// 目次: "<program folder>help/index.html" shown by the desktop; the warning sound when the file is
// missing or could not be shown. programFolder ends with '/' (file system's bytes).
void showHelpIndex(Document& doc, const std::string& programFolder);

// バージョン情報: the caption and the text "<name> <version>" (CP932).
std::string versionCaption();
std::string versionText();

}  // namespace tavrel
