// What the window shows with the desktop's programs rather than its own: the help pages and the
// error log of registration.
#pragma once

#include <string>

#include "dalmir/logic/dalmir_ui.h"

namespace dalmir {

// 目次: the help's first page, beside the program when run from the build, else where the
// install puts it (programFolder ends with '/'). Beeps and names the installed page when neither
// opens.
void showHelp(DalmirUi& ui, const std::string& programFolder);

// バージョン情報: the program's name and the version its database files state ("Dalmir V6.20").
std::string versionText();

// エラー記録を見る: the error log file, or "エラー記録はありません。" when there is none yet.
// Beeps and says so when it can't be shown.
void showErrorLog(DalmirUi& ui, const std::string& logPath);

}  // namespace dalmir
