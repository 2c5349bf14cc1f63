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

int ListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_frozen) return 0;
    return static_cast<int>(m_db.table().displayOrder().size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (m_frozen || !index.isValid() || index.row() >= rowCount()) return {};
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
    if (section < 0 || static_cast<std::size_t>(section) >= m_columns.size()) return {};
    return fromUtf8(m_columns[static_cast<std::size_t>(section)].title);
}

}  // namespace dalmir
