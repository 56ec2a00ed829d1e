#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

// The rows of the query list: the header row as the view's header, then the listed rows and the
// total rows as texts.
class HistoryListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(const QStringList& header, const QList<QStringList>& rows);
    void clear() { setRows({}, {}); }
    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList m_header;
    QList<QStringList> m_rows;
};
