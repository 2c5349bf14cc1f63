// A binary database's record whose file is gone, rebuilt from its move list and index fields
// and handed to the viewer on the clipboard as KI2 text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "dalmir/model/store/database.h"

namespace dalmir {

// The KI2 text (CP932) of slot's record: the start position of its handicap, the moves of its
// list, players and header fields from the entry, and the title "%s No.%d" (databaseName
// without " *", slot + 1). nullopt when the slot has no list that replays.
std::optional<std::string> clipboardRecordText(const model::Database& db, int slot,
                                               std::string_view databaseName);

// "クリップボードへ棋譜(KI2形式)を出力しました。" (UTF-8).
std::string clipboardRecordStatus();

}  // namespace dalmir
