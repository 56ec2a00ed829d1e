#include "query/ui/HistoryListModel.h"

void HistoryListModel::setRows(const QStringList& header, const QList<QStringList>& rows) {
    beginResetModel();
    m_header = header;
    m_rows = rows;
    endResetModel();
}

QString HistoryListModel::text(int row, int column) const {
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_rows.at(row).size())
        return {};
    return m_rows.at(row).at(column);
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int HistoryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_header.size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return text(index.row(), index.column());
}

QVariant HistoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= m_header.size())
        return {};
    return m_header.at(section);
}
