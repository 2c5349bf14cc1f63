// The list's sort orders: their codes (stored as the database's 表示順 and the default_sort
// setting), names, the stable sorts of the display order, and what a click on a column header
// chooses.
#pragma once

#include <string>

#include "dalmir/model/table/index_table.h"
#include "dalmir/model/table/list_cells.h"

namespace dalmir {

// Codes 0..33 are the fixed orders; 34 + 2k and 35 + 2k sort by user field k (0..4).
inline constexpr int kFixedSortOrderCount = 34;
inline constexpr int kSortOrderCount = 44;

bool isValidSortOrder(int code);

// The name of an order ("登録順", "先手、昇順", a user field "%s、昇順"); empty for a code
// out of range.
std::string sortOrderName(int code, const model::UserFieldNames& userNames);

// The third status pane: "表示順：" and the name.
std::string sortStatusText(int code, const model::UserFieldNames& userNames);

// The list column an order sorts by; 0 (No.) for the two registration orders.
int sortColumn(int code);

// Whether the order runs from the largest (newest) down: the header's arrow points down. 登録が
// 新しい順 does; 登録順 and invalid codes don't.
bool sortsDescending(int code);

// Sorts the display order by the order's keys, stably: rows with equal keys keep their current
// relative order. 登録順 lists the listed slots in slot order, 登録が新しい順 in reverse. Stores
// the code as the table's 表示順. An invalid code changes nothing and returns false.
bool sortDisplayOrder(model::IndexTable& table, int code);

// Sorts the display order again by the table's own 表示順, as after records were added, found
// or rearranged.
void resortList(model::IndexTable& table);

// Chooses a new order as sortDisplayOrder does, but when only the direction of the current
// order changes the display order is reversed rather than sorted again.
bool changeSortOrder(model::IndexTable& table, int code);

// The order a click on a column header chooses given the current one, or -1 when the click is
// ignored (a user column without a name, a column out of range). Dates: newest first, or oldest
// first when shift is held or newest first is current. Others: ascending, or descending when
// shift is held or ascending is current.
int headerClickOrder(int column, int current, bool shift, const model::UserFieldNames& names);

}  // namespace dalmir
