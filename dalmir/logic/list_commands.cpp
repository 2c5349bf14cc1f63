#include "dalmir/logic/list_commands.h"

#include <algorithm>
#include <cstdio>

#include "core/base/path_text.h"
#include "core/classify/classifier.h"
#include "core/text/sjis.h"

namespace dalmir {

using model::Database;
using model::IndexEntry;
using model::IndexTable;

std::vector<ListColumnView> shownColumns(const IndexTable& table,
                                         const model::UserFieldNames& userNames) {
    std::vector<ListColumnView> out;
    for (int c = 0; c < model::kColumnCount; ++c) {
        if (!model::isColumnShown(table.settings(), c, userNames)) continue;
        ListColumnView view;
        view.column = c;
        view.title = model::columnTitleText(c, userNames);
        view.width = table.settings().columnWidth[static_cast<std::size_t>(c)];
        view.rightAligned = c == static_cast<int>(model::ListColumn::Number) ||
                            c == static_cast<int>(model::ListColumn::MoveCount);
        out.push_back(std::move(view));
    }
    if (hasOpeningLabels(table)) {
        ListColumnView view;
        view.column = model::kAutoOpeningColumn;
        view.title = model::columnTitleText(model::kAutoOpeningColumn, userNames);
        view.width = kAutoOpeningWidth;
        out.push_back(view);
        view.column = model::kCastlesColumn;
        view.title = model::columnTitleText(model::kCastlesColumn, userNames);
        view.width = kCastlesWidth;
        out.push_back(std::move(view));
    }
    return out;
}

bool setShownColumnWidth(IndexTable& table, const model::UserFieldNames& userNames, int section,
                         int width) {
    const std::vector<ListColumnView> columns = shownColumns(table, userNames);
    if (section < 0 || section >= static_cast<int>(columns.size())) return false;
    const int column = columns[static_cast<std::size_t>(section)].column;
    if (column < 0 || column >= model::kColumnCount) return false;
    int& stored = table.settings().columnWidth[static_cast<std::size_t>(
        columns[static_cast<std::size_t>(section)].column)];
    const int kept = std::clamp(width, 0, kMaxColumnWidth);
    if (stored == kept) return false;
    stored = kept;
    return true;
}

bool hasOpeningLabels(const IndexTable& table) {
    for (int slot = 0; slot < table.size(); ++slot) {
        if (!table.entry(slot).autoOpening().empty()) return true;
    }
    return false;
}

bool isLabelColumn(int column) {
    return column == model::kAutoOpeningColumn || column == model::kCastlesColumn;
}

void sortListedByLabel(IndexTable& table, int column, bool descending) {
    if (!isLabelColumn(column)) return;
    std::vector<int32_t>& order = table.displayOrder();
    // The castles are read from the labels once, not at every comparison.
    std::vector<std::string> castles;
    if (column == model::kCastlesColumn) {
        castles.resize(static_cast<std::size_t>(table.size()));
        for (const int32_t slot : order) {
            castles[static_cast<std::size_t>(slot)] =
                core::castlesOfSummary(table.entry(slot).autoOpening());
        }
    }
    auto key = [&](int32_t slot) -> std::string_view {
        if (column == model::kCastlesColumn) return castles[static_cast<std::size_t>(slot)];
        return table.entry(slot).autoOpening();
    };
    // In the order of the texts' Shift-JIS codes, as the lists sort; records without one go
    // last.
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        std::string_view x = key(a);
        std::string_view y = key(b);
        if (x.empty() != y.empty()) return y.empty();
        const int c = core::compareCp932(x, y);
        return descending ? c > 0 : c < 0;
    });
}

std::string listInfoText(const IndexTable& table, const std::vector<int>& rows,
                         const model::UserFieldNames& userNames) {
    const auto columns = shownColumns(table, userNames);
    const int listed = static_cast<int>(table.displayOrder().size());
    std::string out;
    for (const int row : rows) {
        if (row < 0 || row >= listed) continue;
        for (const auto& view : columns) {
            if (view.column == static_cast<int>(model::ListColumn::Number)) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "%5d", row + 1);
                out += buf;
            } else {
                out += model::cellText(table, row, view.column);
            }
            out += ',';
        }
        out += "\r\n";
    }
    return out;
}

namespace {

// Rebuilds the table (and the lists of a binary database) from the given slots, in that order.
void rebuildFromSlots(Database& db, std::vector<int32_t> slots) {
    IndexTable& table = db.table();
    std::vector<IndexEntry> kept;
    kept.reserve(slots.size());
    for (const int32_t slot : slots) kept.push_back(std::move(table.entry(slot)));
    if (db.isBinary()) {
        db.lists().resize(table.size());
        db.lists().reorder(slots);
    }
    table.clear();
    for (auto& entry : kept) table.appendLoaded(std::move(entry));
    table.rebuildDisplayOrder();
    db.setModified();
}

}  // namespace

TableCommandResult adoptListOrder(Database& db) {
    IndexTable& table = db.table();
    if (table.empty() || static_cast<int>(table.displayOrder().size()) != table.size()) {
        return TableCommandResult::NotAvailable;
    }
    rebuildFromSlots(db, table.displayOrder());
    return TableCommandResult::Done;
}

TableCommandResult keepListedOnly(Database& db) {
    IndexTable& table = db.table();
    if (static_cast<int>(table.displayOrder().size()) >= table.size()) {
        return TableCommandResult::NotAvailable;
    }
    rebuildFromSlots(db, table.displayOrder());
    return TableCommandResult::Done;
}

std::vector<int> slotsOfRows(const IndexTable& table, const std::vector<int>& rows) {
    std::vector<int> out;
    const auto& order = table.displayOrder();
    for (const int row : rows) {
        if (row >= 0 && static_cast<std::size_t>(row) < order.size()) {
            out.push_back(order[static_cast<std::size_t>(row)]);
        }
    }
    return out;
}

void deleteSlots(Database& db, std::vector<int> slots) {
    IndexTable& table = db.table();
    const std::size_t n = static_cast<std::size_t>(table.size());
    std::vector<bool> gone(n, false);
    bool changed = false;
    for (const int slot : slots) {
        if (slot < 0 || static_cast<std::size_t>(slot) >= n) continue;
        gone[static_cast<std::size_t>(slot)] = true;
        changed = true;
    }
    if (!changed) return;
    // One pass however many go (removing them one by one moves the rest each time): the kept
    // slots close up in their order, and the list keeps its order without the deleted rows.
    std::vector<int32_t> kept;
    std::vector<int32_t> renumbered(n, -1);
    for (std::size_t slot = 0; slot < n; ++slot) {
        if (gone[slot]) continue;
        renumbered[slot] = static_cast<int32_t>(kept.size());
        kept.push_back(static_cast<int32_t>(slot));
    }
    std::vector<int32_t> order;
    order.reserve(table.displayOrder().size());
    for (const int32_t slot : table.displayOrder()) {
        if (!gone[static_cast<std::size_t>(slot)]) {
            order.push_back(renumbered[static_cast<std::size_t>(slot)]);
        }
    }
    rebuildFromSlots(db, std::move(kept));
    table.displayOrder() = std::move(order);
    db.setModified();
}

void toggleMarkOne(Database& db, const std::vector<int>& slots) {
    for (const int slot : slots) {
        if (slot < 0 || slot >= db.table().size()) continue;
        db.table().entry(slot).marks ^= model::kMarkUser1;
        db.setModified();
    }
}

void editMarks(Database& db, int slot, bool mark1, bool mark2) {
    if (slot < 0 || slot >= db.table().size()) return;
    uint8_t& marks = db.table().entry(slot).marks;
    marks &= model::kMarkComments;
    if (mark1) marks |= model::kMarkUser1;
    if (mark2) marks |= model::kMarkUser2;
    db.setModified();
}

void clearListedMarks(Database& db) {
    for (const int32_t slot : db.table().displayOrder()) db.table().entry(slot).marks = 0;
    db.setModified();
}

namespace {

std::vector<bool> rowFlags(std::size_t count, const std::vector<int>& rows) {
    std::vector<bool> flags(count, false);
    for (const int row : rows) {
        if (row >= 0 && static_cast<std::size_t>(row) < count) {
            flags[static_cast<std::size_t>(row)] = true;
        }
    }
    return flags;
}

void keepRows(IndexTable& table, const std::vector<int>& rows, bool keepSelected) {
    auto& order = table.displayOrder();
    const auto flags = rowFlags(order.size(), rows);
    std::vector<int32_t> kept;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (flags[i] == keepSelected) kept.push_back(order[i]);
    }
    order = std::move(kept);
}

}  // namespace

void showOnlyRows(IndexTable& table, const std::vector<int>& rows) { keepRows(table, rows, true); }

void hideRows(IndexTable& table, const std::vector<int>& rows) { keepRows(table, rows, false); }

std::string windowTitle(const Database& db) {
    std::string out;
    if (db.table().path().empty()) {
        out = db.isBinary() ? "無題(バイナリ)" : "無題";
    } else {
        out = core::toUtf8Lossy(core::fileNameOf(db.table().path()));
    }
    if (db.isModified()) out += " *";
    return out;
}

std::string recordCountText(const IndexTable& table) {
    return "棋譜数：" + std::to_string(table.displayOrder().size()) + " / " +
           std::to_string(table.size());
}

}  // namespace dalmir
