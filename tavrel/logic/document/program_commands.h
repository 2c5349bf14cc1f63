// The commands about the program rather than the record: 終了 (closing the main window), the
// help index (目次) and the version information.
#pragma once

#include <string>
#include <vector>

#include "tavrel/logic/document/document.h"

namespace tavrel {

// Whether the main window may close. While a position is edited "プログラムを終了しますか？" comes
// first and only Yes goes on; then a modified record is offered for saving, and Cancel (or a save
// that failed) keeps the window.
bool confirmClose(Document& doc);

// 目次: the help's first page shown by the desktop: the first of helpIndexCandidates that exists
// (beside the program when run from the build, else where the install puts it). The warning
// sound when there is none or it could not be shown. programFolder ends with '/' (file system's
// bytes). ヘルプ › Veskのサイト opens the same page, the project's own.
void showHelpIndex(Document& doc, const std::string& programFolder);
std::vector<std::string> helpIndexCandidates(const std::string& programFolder);

// バージョン情報: the caption and the text "<name> <version>".
std::string versionCaption();
std::string versionText();

}  // namespace tavrel
