// The card (every field of one record) and the printed list: its page arithmetic, header line
// and cell texts. The window draws what these decide.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "dalmir/model/table/index_table.h"
#include "dalmir/model/table/list_cells.h"

namespace dalmir {

// One line of the card: its label and text (UTF-8). User fields without a name are left out.
struct CardField {
    std::string label;
    std::string text;
};
std::vector<CardField> cardFields(const model::IndexEntry* entry,
                                  const model::IndexSettings& settings,
                                  const model::UserFieldNames& userNames);

// The page arithmetic of one print job, in device units.
struct PrintGeometry {
    double unitsPerMmX = 0;
    double unitsPerMmY = 0;
    double pageHeight = 0;  // printable height
    double fontHeight = 0;  // character height of the print font
    int leftMarginMm = 15;
    int topMarginMm = 10;
    int footMarginMm = 10;
    int lineMarginTenthMm = 5;
};

struct PrintLayout {
    double left = 0;
    double top = 0;
    double lineHeight = 0;
    int linesPerPage = 0;
    int recordsPerPage = 0;  // lines per page less five (header line, gap and the title row)
    int pageCount = 0;       // 0 when no record fits a page
};

PrintLayout printLayout(const PrintGeometry& geometry, int listedRecords);

// "行間隔が大き過ぎます。" (UTF-8).
std::string lineSpacingTooLargeMessage();

// The page header's left part: "%4d/%02d/%02d(%s) %H:%M:%S name", the name shortened to 68
// characters ("..." at the end) when longer; weekday 0 is Sunday. And the right part,
// "Page %d / %d". UTF-8.
std::string printHeaderText(int year, int month, int day, int weekday, int hour, int minute,
                            int second, const std::string& name);
std::string printPageText(int page, int pageCount);

// The printed cell of display row `row`: No. as "%3d", "%4d" or "%5d" by the number of
// listed records, 手数 as "%4d", everything else as the list shows it.
std::string printCellText(const model::IndexTable& table, int row, int column);

}  // namespace dalmir
