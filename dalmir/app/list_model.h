// The record list as a table model over the database's display order: one row per listed
// record, one column per shown list column. Texts are made when a row is painted, so a list of
// any length costs only what is visible.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "dalmir/logic/analysis_list_columns.h"
#include "dalmir/logic/list_commands.h"
#include "dalmir/model/store/database.h"

namespace dalmir {

class ListModel : public QAbstractTableModel {
public:
    ListModel(const model::Database& db, const model::UserFieldNames& userNames,
              QObject* parent = nullptr);

    // Reads the columns and rows again (after any change of the table or its settings).
    void rebuild();
    // While a long operation changes the table on another thread the list shows nothing.
    void setFrozen(bool frozen);
    bool isFrozen() const { return m_frozen; }

    // The index column (0..21) of a section; -1 when out of range.
    int columnOfSection(int section) const;
    const std::vector<ListColumnView>& columns() const { return m_columns; }
    // The analysis columns shown after the index columns (null: none); they outlive the model.
    void setAnalysisColumns(AnalysisListColumns* columns) { m_analysis = columns; }
    // The analysis column of a section; -1 when it is none.
    int analysisColumnOfSection(int section) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const model::Database& m_db;
    const model::UserFieldNames& m_userNames;
    std::vector<ListColumnView> m_columns;
    AnalysisListColumns* m_analysis = nullptr;
    bool m_frozen = false;
};

}  // namespace dalmir
