#include "reference/ReferenceTable.h"

#include "reference/TableChangedError.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QSqlQuery>

using Sql::q;

namespace {
QSqlDatabase bill() {
    return Database::get(Db::Bill);
}

QStringList textsOf(const QSqlQuery& query, int first, int n) {
    QStringList texts;
    texts.reserve(n);
    for (int i = 0; i < n; ++i)
        texts << query.value(first + i).toString();
    return texts;
}

// Empty texts are stored as empty text, not as NULL.
QVariant textValue(const QStringList& values, int i) {
    const QString v = values.value(i);
    return v.isNull() ? QVariant(QStringLiteral("")) : QVariant(v);
}
} // namespace

ReferenceTable::ReferenceTable(const QString& table) : m_table(table) {}

QStringList ReferenceTable::fieldNames() const {
    return Sql::columnNames(bill(), m_table).mid(1);
}

int ReferenceTable::count() const {
    return Sql::rowCount(bill(), m_table);
}

QString ReferenceTable::selectColumns(const QStringList& columns) const {
    QStringList quoted{QStringLiteral("rowid")};
    for (const QString& c : columns)
        quoted << q(c);
    return QStringLiteral("SELECT %1 FROM %2").arg(quoted.join(QLatin1Char(',')), q(m_table));
}

QList<StoredRecord> ReferenceTable::records(const QStringList& columns) const {
    QList<StoredRecord> out;
    QSqlQuery query = Sql::exec(bill(), selectColumns(columns) + Sql::naturalOrder());
    while (query.next())
        out.append({query.value(0).toLongLong(), textsOf(query, 1, columns.size())});
    return out;
}

StoredRecord ReferenceTable::recordAt(int position, qint64 rowId, const QStringList& columns) const {
    const qint64 id = checkedRowId(position, rowId);
    if (id < 0)
        return {};
    return recordWithId(id, columns);
}

StoredRecord ReferenceTable::recordWithId(qint64 rowId, const QStringList& columns) const {
    QSqlQuery query = Sql::exec(bill(), selectColumns(columns) + QStringLiteral(" WHERE rowid=?"), {rowId});
    if (!query.next())
        return {};
    return {rowId, textsOf(query, 1, columns.size())};
}

QList<QStringList> ReferenceTable::matching(const QStringList& columns, const RecordFilter& filter) const {
    QList<QStringList> out;
    for (const StoredRecord& r : records(columns))
        if (filter.accepts(r.values))
            out << r.values;
    return out;
}

bool ReferenceTable::containsIgnoringCase(const QString& column, const QString& text) const {
    for (const StoredRecord& r : records({column}))
        if (r.values.constFirst().compare(text, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QList<int> ReferenceTable::positionsWithText(const QString& column, const QString& text,
                                             int skipPosition) const {
    QList<int> out;
    const QList<StoredRecord> all = records({column});
    for (int i = 0; i < all.size(); ++i)
        if (i != skipPosition && all.at(i).values.constFirst() == text)
            out << i;
    return out;
}

qint64 ReferenceTable::append(const QStringList& columns, const QStringList& values) {
    QSqlDatabase db = bill();
    Sql::Transaction tx(db);
    QVariantList bound;
    for (int i = 0; i < columns.size(); ++i)
        bound << textValue(values, i);
    const qint64 id = Sql::insertRowReturning(db, m_table, columns, bound);
    tx.commit();
    return id;
}

qint64 ReferenceTable::checkedRowId(int position, qint64 rowId) const {
    const qint64 actual = Sql::rowIdAt(bill(), m_table, position);
    if (actual != rowId)
        throw TableChangedError(m_table);
    return actual;
}

namespace {
// " AND <column> = <listed text>" for each listed column: a write applies only while the record
// still holds what the caller listed, so that a change another operator saved meanwhile is never
// overwritten (the condition is checked again after a concurrent writer's lock is released).
QString stillListed(const QStringList& listedColumns, const QStringList& listedValues, QVariantList& bound) {
    QString condition;
    for (int i = 0; i < listedColumns.size(); ++i) {
        condition += QStringLiteral(" AND coalesce(%1, '') = ?").arg(q(listedColumns.at(i)));
        bound << listedValues.value(i);
    }
    return condition;
}
} // namespace

bool ReferenceTable::replaceAt(int position, qint64 rowId, const QStringList& columns,
                               const QStringList& values, const QStringList& listedColumns,
                               const QStringList& listedValues) {
    QSqlDatabase db = bill();
    Sql::Transaction tx(db);
    const qint64 id = checkedRowId(position, rowId);
    if (id < 0)
        return false;
    QStringList sets;
    QVariantList bound;
    for (int i = 0; i < columns.size(); ++i) {
        sets << q(columns.at(i)) + QStringLiteral("=?");
        bound << textValue(values, i);
    }
    bound << id;
    const QString condition = stillListed(listedColumns, listedValues, bound);
    const QSqlQuery update = Sql::exec(
        db,
        QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(q(m_table), sets.join(QLatin1Char(','))) +
            condition,
        bound);
    if (update.numRowsAffected() != 1)
        throw TableChangedError(m_table);
    tx.commit();
    return true;
}

bool ReferenceTable::removeAt(int position, qint64 rowId, const QStringList& listedColumns,
                              const QStringList& listedValues) {
    QSqlDatabase db = bill();
    Sql::Transaction tx(db);
    const qint64 id = checkedRowId(position, rowId);
    if (id < 0)
        return false;
    QVariantList bound{id};
    const QString condition = stillListed(listedColumns, listedValues, bound);
    const QSqlQuery removal =
        Sql::exec(db, QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(q(m_table)) + condition, bound);
    if (removal.numRowsAffected() != 1)
        throw TableChangedError(m_table);
    tx.commit();
    return true;
}
