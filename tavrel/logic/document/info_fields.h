// The text fields of the information dialogs and the new-game sheet: where each field's
// drop-down choices come from (its history and its list file), the 100-byte cut of a field, and
// what OK does to the history of a field the user changed. The dialogs keep one
// InfoFieldSource per field and call these; the widgets only show texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tavrel/settings/history.h"
#include "tavrel/settings/list_file.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

// Every information field holds at most this many bytes of CP932.
inline constexpr std::size_t kInfoFieldBytes = 100;

// Where a field's choices come from: a history (absent for fields that keep none), and a list
// file (absent for fields without one).
struct InfoFieldSource {
    std::optional<HistoryField> history;
    std::optional<ListField> list;
};

// The history switch of a field (対局者履歴, 棋戦履歴, 戦型履歴, 持ち時間履歴, 場所履歴, 掲載履歴,
// ユーザ履歴: 0 off, 1 on, 2 on without repeating list lines); 0 for fields without a switch.
int historySetting(const Settings& settings, HistoryField field);

// The field's value cut to kInfoFieldBytes on a character boundary.
std::string cutInfoField(std::string_view value);

// The drop-down choices of a field, history first (when its switch is on), then the list file
// read from folder.
std::vector<std::string> infoFieldChoices(const InfoFieldSource& source, const Settings& settings,
                                          const Histories& histories, const std::string& folder);

// OK for one field: when the value differs from the one shown at opening, is not empty after the
// cut, and the field's history switch is on, the cut value enters the history and the history
// file in folder is written at once. Returns true when the history changed; a failed write
// leaves the history in memory changed and sets *writeFailed.
bool rememberInfoField(const InfoFieldSource& source, const Settings& settings,
                       Histories& histories, const std::string& folder,
                       std::string_view valueAtOpening, std::string_view value,
                       bool* writeFailed = nullptr);

}  // namespace tavrel
