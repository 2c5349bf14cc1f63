#include "dalmir/app/list_model.h"

#include "dalmir/app/qt_text.h"
#include "dalmir/model/table/list_cells.h"

namespace dalmir {

ListModel::ListModel(const model::Database& db, const model::UserFieldNames& userNames,
                     QObject* parent)
    : QAbstractTableModel(parent), m_db(db), m_userNames(userNames) {
    m_columns = shownColumns(m_db.table(), m_userNames);
}

void ListModel::rebuild() {
    beginResetModel();
    if (m_analysis) m_analysis->forget();
    m_columns = shownColumns(m_db.table(), m_userNames);
    endResetModel();
}

void ListModel::setFrozen(bool frozen) {
    if (frozen == m_frozen) return;
    beginResetModel();
    m_frozen = frozen;
    if (!frozen) m_columns = shownColumns(m_db.table(), m_userNames);
    endResetModel();
}

int ListModel::columnOfSection(int section) const {
    if (section < 0 || static_cast<std::size_t>(section) >= m_columns.size()) return -1;
    return m_columns[static_cast<std::size_t>(section)].column;
}

int ListModel::analysisColumnOfSection(int section) const {
    const int first = static_cast<int>(m_columns.size());
    if (!m_analysis || section < first || section >= first + static_cast<int>(m_analysis->count()))
        return -1;
    return section - first;
}

int ListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_frozen) return 0;
    return static_cast<int>(m_db.table().displayOrder().size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(m_columns.size() + (m_analysis ? m_analysis->count() : 0));
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (m_frozen || !index.isValid() || index.row() >= rowCount()) return {};
    if (const int figure = analysisColumnOfSection(index.column()); figure >= 0) {
        if (role == Qt::TextAlignmentRole) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole) return {};
        const int32_t slot = m_db.table().displayOrder()[static_cast<std::size_t>(index.row())];
        return fromUtf8(m_analysis->cells(slot)[static_cast<std::size_t>(figure)]);
    }
    const auto& column = m_columns[static_cast<std::size_t>(index.column())];
    if (role == Qt::DisplayRole) {
        return fromUtf8(model::cellText(m_db.table(), index.row(), column.column));
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue((column.rightAligned ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    }
    return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (const int figure = analysisColumnOfSection(section); figure >= 0) {
        return fromUtf8(AnalysisListColumns::headers()[static_cast<std::size_t>(figure)]);
    }
    if (section < 0 || static_cast<std::size_t>(section) >= m_columns.size()) return {};
    return fromUtf8(m_columns[static_cast<std::size_t>(section)].title);
}

}  // namespace dalmir
