// The texts the record list shows in its cells, as the database's settings ask for them: row
// number, marks, file name, players, handicap, dates, event, opening, moves, result, title,
// time limit, place, publication, next move and the user fields. Texts are UTF-8.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "dalmir/model/table/index_entry.h"
#include "dalmir/model/table/index_settings.h"
#include "dalmir/model/table/index_table.h"

namespace dalmir::model {

// The names of the five user header fields (Env user1..user5).
using UserFieldNames = std::array<std::string, kUserFieldCount>;

// "%s/%s/%s" of year, month and day: months and days "%02d" or "??"; the year by yearStyle:
// 0 two digits ("??"), 1 four digits ("????"), 2 the era and its year ("???").
std::string dateCellText(IndexDate date, int yearStyle);

// The file-name cell: style 0 the name, 1 the path as stored, 2 the parent folder and the
// name; without the extension unless keepExtension.
std::string fileNameCellText(std::string_view storedPath, int style, bool keepExtension);

// 自動戦型, the classifier's label: a column of the list beyond the 22 whose 表示項目 the index
// stores, shown whenever the database has labels.
inline constexpr int kAutoOpeningColumn = kColumnCount;
// 囲い, both sides' castles read from the same label ("▲美濃囲い △居飛車穴熊"), shown beside it.
inline constexpr int kCastlesColumn = kColumnCount + 1;

// The title of a column: the fixed titles, the user field names for columns 17..21.
std::string columnTitleText(int column, const UserFieldNames& userNames);

// Whether the list shows a column: its 表示項目 flag, and for a user column a name.
bool isColumnShown(const IndexSettings& settings, int column, const UserFieldNames& userNames);

// The cell of the record at display row `row` (0-based) in column `column`.
std::string cellText(const IndexTable& table, int row, int column);

}  // namespace dalmir::model
