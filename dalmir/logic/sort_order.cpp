#include "dalmir/logic/sort_order.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/text/message_format.h"
#include "core/text/sjis.h"

namespace dalmir {

using model::IndexEntry;
using model::IndexTable;
using model::ListColumn;

namespace {

// The list column of each ascending/descending pair of orders, from code 2 on.
constexpr std::array<ListColumn, 16> kPairColumns = {
    ListColumn::Mark,     ListColumn::FileName,  ListColumn::BlackPlayer, ListColumn::WhitePlayer,
    ListColumn::Handicap, ListColumn::Result,    ListColumn::StartDate,   ListColumn::EndDate,
    ListColumn::Event,    ListColumn::Opening,   ListColumn::Title,       ListColumn::MoveCount,
    ListColumn::NextMove, ListColumn::TimeLimit, ListColumn::Place,       ListColumn::PublishedIn,
};

constexpr std::array<const char*, 16> kPairNames = {
    "マーク", "ﾌｧｲﾙ名", "先手", "後手", "手合割", "結果",     "対局日", "終了日",
    "棋戦",   "戦型",   "標題", "手数", "次の手", "持ち時間", "場所",   "掲載",
};

bool isDateColumn(int column) {
    return column == static_cast<int>(ListColumn::StartDate) ||
           column == static_cast<int>(ListColumn::EndDate);
}

int compareKeys(const IndexEntry& a, const IndexEntry& b, int column) {
    auto three = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    // Text sorts in the order of its Shift-JIS bytes, as the lists always have.
    auto text = [&](std::string_view x, std::string_view y) { return core::compareCp932(x, y); };
    switch (static_cast<ListColumn>(column)) {
        case ListColumn::Mark:
            return three(a.marks, b.marks);
        case ListColumn::FileName:
            return text(a.path(), b.path());
        case ListColumn::BlackPlayer:
            return text(a.blackPlayer(), b.blackPlayer());
        case ListColumn::WhitePlayer:
            return text(a.whitePlayer(), b.whitePlayer());
        case ListColumn::Handicap:
            return three(a.handicap, b.handicap);
        case ListColumn::Result:
            return three(a.result, b.result);
        case ListColumn::StartDate:
            return three(a.start, b.start);
        case ListColumn::EndDate:
            return three(a.end, b.end);
        case ListColumn::Event:
            return text(a.event(), b.event());
        case ListColumn::Opening:
            return text(a.opening(), b.opening());
        case ListColumn::Title:
            return text(a.title(), b.title());
        case ListColumn::MoveCount:
            return three(a.moveCount, b.moveCount);
        case ListColumn::NextMove:
            return text(a.nextMove(), b.nextMove());
        case ListColumn::TimeLimit:
            return text(a.timeLimit(), b.timeLimit());
        case ListColumn::Place:
            return text(a.place(), b.place());
        case ListColumn::PublishedIn:
            return text(a.publishedIn(), b.publishedIn());
        default:
            break;
    }
    if (column >= model::kFirstUserColumn && column < model::kColumnCount) {
        const int k = column - model::kFirstUserColumn;
        return text(a.user(k), b.user(k));
    }
    return 0;
}

// Whether the code is the first (ascending, or oldest-first) order of its pair.
bool isFirstOfPair(int code) { return code % 2 == 0; }

// The first order of a column's pair; -1 for a column without orders.
int pairStart(int column) {
    if (column == static_cast<int>(ListColumn::Number)) return 0;
    for (std::size_t i = 0; i < kPairColumns.size(); ++i) {
        if (static_cast<int>(kPairColumns[i]) == column) return 2 + 2 * static_cast<int>(i);
    }
    if (column >= model::kFirstUserColumn && column < model::kColumnCount) {
        return kFixedSortOrderCount + 2 * (column - model::kFirstUserColumn);
    }
    return -1;
}

}  // namespace

bool isValidSortOrder(int code) { return code >= 0 && code < kSortOrderCount; }

int sortColumn(int code) {
    if (code < 2) return static_cast<int>(ListColumn::Number);
    if (code < kFixedSortOrderCount) return static_cast<int>(kPairColumns[(code - 2) / 2]);
    return model::kFirstUserColumn + (code - kFixedSortOrderCount) / 2;
}

bool sortsDescending(int code) {
    if (!isValidSortOrder(code) || code == 0) return false;
    return code == 1 || !isFirstOfPair(code);
}

std::string sortOrderName(int code, const model::UserFieldNames& userNames) {
    if (!isValidSortOrder(code)) return {};
    if (code == 0) return std::string("登録順");
    if (code == 1) return std::string("登録が新しい順");
    if (code < kFixedSortOrderCount) {
        const int pair = (code - 2) / 2;
        std::string name = std::string(kPairNames[static_cast<std::size_t>(pair)]);
        const bool first = isFirstOfPair(code);
        if (isDateColumn(static_cast<int>(kPairColumns[static_cast<std::size_t>(pair)]))) {
            return name + std::string(first ? "、古い順" : "、新しい順");
        }
        return name + std::string(first ? "、昇順" : "、降順");
    }
    const std::string& user =
        userNames[static_cast<std::size_t>((code - kFixedSortOrderCount) / 2)];
    return core::formatMessageUtf8(isFirstOfPair(code) ? "%s、昇順" : "%s、降順", {user});
}

std::string sortStatusText(int code, const model::UserFieldNames& userNames) {
    return std::string("表示順：") + sortOrderName(code, userNames);
}

bool sortDisplayOrder(IndexTable& table, int code) {
    if (!isValidSortOrder(code)) return false;
    auto& order = table.displayOrder();
    if (code == 0) {
        std::sort(order.begin(), order.end());
    } else if (code == 1) {
        std::sort(order.begin(), order.end(), std::greater<>());
    } else {
        const int column = sortColumn(code);
        const bool ascending = isFirstOfPair(code);
        std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
            const int c = compareKeys(table.entry(a), table.entry(b), column);
            return ascending ? c < 0 : c > 0;
        });
    }
    table.settings().sortOrder = code;
    return true;
}

// An order the table cannot take leaves the list as it was.
void resortList(IndexTable& table) { (void)sortDisplayOrder(table, table.settings().sortOrder); }

bool changeSortOrder(IndexTable& table, int code) {
    if (!isValidSortOrder(code)) return false;
    const int current = table.settings().sortOrder;
    if (isValidSortOrder(current) && current != code && current / 2 == code / 2) {
        auto& order = table.displayOrder();
        std::reverse(order.begin(), order.end());
        table.settings().sortOrder = code;
        return true;
    }
    return sortDisplayOrder(table, code);
}

int headerClickOrder(int column, int current, bool shift, const model::UserFieldNames& names) {
    const int first = pairStart(column);
    if (first < 0) return -1;
    if (column >= model::kFirstUserColumn &&
        names[static_cast<std::size_t>(column - model::kFirstUserColumn)].empty()) {
        return -1;
    }
    if (isDateColumn(column)) {
        const int newest = first + 1;
        return (shift || current == newest) ? first : newest;
    }
    return (shift || current == first) ? first + 1 : first;
}

}  // namespace dalmir
