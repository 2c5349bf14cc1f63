#include "dalmir/model/table/list_cells.h"

#include <cstdio>

#include "core/base/path_text.h"
#include "core/classify/classifier.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/era_table.h"
#include "dalmir/model/table/index_codes.h"
#include "dalmir/model/table/index_paths.h"

namespace dalmir::model {

namespace {

std::string twoDigits(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

std::string yearText(IndexDate date, int yearStyle) {
    if (yearStyle == 1) return date.year == 0 ? "????" : twoDigits(date.year);
    if (yearStyle == 2) {
        if (date.year == 0) return "???";
        const Era* era = eraOn(date);
        if (!era) return std::to_string(date.year);
        return std::string(era->name) + twoDigits(date.year - era->start.year + 1);
    }
    return date.year == 0 ? "??" : twoDigits(date.year % 100);
}

}  // namespace

std::string dateCellText(IndexDate date, int yearStyle) {
    std::string out = yearText(date, yearStyle);
    out += '/';
    out += date.month == 0 ? "??" : twoDigits(date.month);
    out += '/';
    out += date.day == 0 ? "??" : twoDigits(date.day);
    return out;
}

std::string fileNameCellText(std::string_view storedPath, int style, bool keepExtension) {
    std::string_view name = core::fileNameOf(storedPath);
    std::string out;
    if (style == 1) {
        out = storedPath;
    } else if (style == 2) {
        std::string_view folder = core::folderOf(storedPath);
        if (!folder.empty()) folder.remove_suffix(1);
        std::string_view parent = core::fileNameOf(folder);
        if (!parent.empty()) {
            out = parent;
            out += '/';
        }
        out += name;
    } else {
        out = name;
    }
    if (!keepExtension) {
        std::string_view shownName = std::string_view(out).substr(out.size() - name.size());
        std::size_t dot = std::string_view::npos;
        core::forEachChar(shownName, [&](std::size_t i, std::size_t n) {
            if (n == 1 && shownName[i] == '.') dot = i;
        });
        if (dot != std::string_view::npos) out.resize(out.size() - name.size() + dot);
    }
    return out;
}

std::string columnTitleText(int column, const UserFieldNames& userNames) {
    if (column == kAutoOpeningColumn) return std::string("自動戦型");
    if (column == kCastlesColumn) return std::string("囲い");
    if (column >= kFirstUserColumn && column < kColumnCount) {
        return userNames[static_cast<std::size_t>(column - kFirstUserColumn)];
    }
    return std::string(columnTitle(column));
}

bool isColumnShown(const IndexSettings& settings, int column, const UserFieldNames& userNames) {
    if (column < 0 || column >= kColumnCount) return false;
    if (column >= kFirstUserColumn &&
        userNames[static_cast<std::size_t>(column - kFirstUserColumn)].empty()) {
        return false;
    }
    return settings.columnShown[static_cast<std::size_t>(column)] != 0;
}

std::string cellText(const IndexTable& table, int row, int column) {
    const auto& order = table.displayOrder();
    if (row < 0 || static_cast<std::size_t>(row) >= order.size()) return {};
    const IndexEntry& e = table.entry(order[static_cast<std::size_t>(row)]);
    const IndexSettings& s = table.settings();
    switch (static_cast<ListColumn>(column)) {
        case ListColumn::Number:
            return std::to_string(row + 1);
        case ListColumn::Mark:
            return markText(e.marks);
        case ListColumn::FileName:
            return fileNameCellText(e.path(), s.fileNameStyle, s.fileNameExtension);
        case ListColumn::BlackPlayer:
            return std::string(e.blackPlayer());
        case ListColumn::WhitePlayer:
            return std::string(e.whitePlayer());
        case ListColumn::Handicap:
            return std::string(handicapText(e.handicap));
        case ListColumn::StartDate:
            return dateCellText(e.start, s.yearStyle);
        case ListColumn::EndDate:
            return dateCellText(e.end, s.yearStyle);
        case ListColumn::Event:
            return std::string(e.event());
        case ListColumn::Opening:
            return std::string(e.opening());
        case ListColumn::MoveCount:
            return std::to_string(e.moveCount);
        case ListColumn::Result:
            return std::string(resultText(e.result, e.handicap));
        case ListColumn::Title:
            return std::string(e.title());
        case ListColumn::TimeLimit:
            return std::string(e.timeLimit());
        case ListColumn::Place:
            return std::string(e.place());
        case ListColumn::PublishedIn:
            return std::string(e.publishedIn());
        case ListColumn::NextMove:
            return std::string(e.nextMove());
        default:
            break;
    }
    if (column >= kFirstUserColumn && column < kColumnCount) {
        return std::string(e.user(column - kFirstUserColumn));
    }
    if (column == kAutoOpeningColumn) return std::string(e.autoOpening());
    if (column == kCastlesColumn) return core::castlesOfSummary(e.autoOpening());
    return {};
}

}  // namespace dalmir::model
