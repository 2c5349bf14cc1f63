// A statistics table in its window: sortable columns, numbers aligned right, the first
// player's win rate drawn as a bar, copying as text or CSV, and a click on a row (one that has
// a filter) narrowing the list to its records.
#pragma once

#include <QDialog>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>

#include "dalmir/logic/statistics_table.h"

namespace dalmir {

class StatisticsDialog : public QDialog {
    Q_OBJECT
public:
    StatisticsDialog(const QString& title, StatisticsTable table, QWidget* parent = nullptr);

    QTableView* view() { return m_view; }
    const StatisticsTable& table() const { return m_table; }

Q_SIGNALS:
    // The row's records are to become a filter of the list.
    void filterRequested(const FilterDefinition& filter);

private:
    StatisticsTable m_table;
    QStandardItemModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    QTableView* m_view = nullptr;
};

}  // namespace dalmir
