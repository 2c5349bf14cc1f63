// The list's commands that change or read the table as plain data: the columns shown, the
// 棋譜情報出力 text, rearranging the slots, keeping only the listed records, deleting, marks,
// and showing or hiding the selected rows. Rows are display-order positions (0-based); texts
// are UTF-8 like the index.
#pragma once

#include <string>
#include <vector>

#include "dalmir/model/store/database.h"
#include "dalmir/model/table/list_cells.h"

namespace dalmir {

// A shown column of the list.
struct ListColumnView {
    int column = 0;  // the column number of the index (0..21)
    std::string title;
    int width = 0;
    bool rightAligned = false;  // No. and 手数
};

// The columns the list shows, in column order: their 表示項目 flags, user columns only when
// named.
std::vector<ListColumnView> shownColumns(const model::IndexTable& table,
                                         const model::UserFieldNames& userNames);

// The widest column the DLS file can keep (its widths have three digits).
inline constexpr int kMaxColumnWidth = 999;

// A column of the list dragged to a new width: section is the shown column's position. The
// width (kept within 0..kMaxColumnWidth) goes into the database's settings, so that it is saved
// and printed; true when it changed. A label column's width is not stored: false.
bool setShownColumnWidth(model::IndexTable& table, const model::UserFieldNames& userNames,
                         int section, int width);

// Whether any record has a 自動戦型 label: the list then shows the label column and the castles
// column (囲い) last. Their widths are the list's own: the index keeps widths of its 22 columns.
bool hasOpeningLabels(const model::IndexTable& table);
inline constexpr int kAutoOpeningWidth = 220;
inline constexpr int kCastlesWidth = 170;
// Whether a column is one of the label columns (自動戦型, 囲い), sorted by sortListedByLabel.
bool isLabelColumn(int column);
// A click on a label column's header: the listed records in the order of that column's text
// (without one last), stable. The sort order the index stores stays as it was.
void sortListedByLabel(model::IndexTable& table, int column, bool descending);

// 棋譜情報出力: one line per row, in the order given, of the shown columns' texts as the list
// shows them (No. as "%5d"), each followed by ","; every line ends with CR LF.
std::string listInfoText(const model::IndexTable& table, const std::vector<int>& rows,
                         const model::UserFieldNames& userNames);

enum class [[nodiscard]] TableCommandResult : int{
    Done = 0,
    NotAvailable,  // the command does not apply to the table as it is listed
};

// 棋譜登録順の変更: when every record is listed, rearranges the slots (entries and move lists)
// into list order; the display order becomes 0 .. n-1 and the database is marked modified.
TableCommandResult adoptListOrder(model::Database& db);

// 表示棋譜以外を削除: when fewer records are listed than registered, keeps only the listed ones
// (with their move lists), moved to slots 0 .. n-1 in list order; the display order becomes
// 0 .. n-1 and the database is marked modified. Record files are not touched.
TableCommandResult keepListedOnly(model::Database& db);

// The slots of the given rows, in row order; rows out of range are skipped.
std::vector<int> slotsOfRows(const model::IndexTable& table, const std::vector<int>& rows);

// 削除: removes the slots (in one pass, however many) and marks the database modified; the list
// keeps its order without them.
void deleteSlots(model::Database& db, std::vector<int> slots);

// マーク(&1)を反転 on the given slots.
void toggleMarkOne(model::Database& db, const std::vector<int>& slots);
// マークの編集: sets marks 1 and 2 of one slot; the comment bit stays, the variation bit is
// cleared.
void editMarks(model::Database& db, int slot, bool mark1, bool mark2);
// マークをすべて解除: clears the whole mark byte of every listed record.
void clearListedMarks(model::Database& db);

// 選択棋譜だけを表示する / 選択棋譜を表示しない: the display order becomes the given rows, or
// loses them.
void showOnlyRows(model::IndexTable& table, const std::vector<int>& rows);
void hideRows(model::IndexTable& table, const std::vector<int>& rows);

// The window title: the document name, or "無題" / "無題(バイナリ)" when untitled, with " *"
// when modified. UTF-8.
std::string windowTitle(const model::Database& db);
// The second status pane: "棋譜数：%d / %d" (listed, registered). UTF-8.
std::string recordCountText(const model::IndexTable& table);

}  // namespace dalmir
