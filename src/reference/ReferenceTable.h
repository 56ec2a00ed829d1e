#pragma once

#include "reference/RecordFilter.h"

#include <QList>
#include <QString>
#include <QStringList>

// One record of a reference table: its rowid (which identifies it while the table changes around
// it) and its texts in the order of the columns asked for.
struct StoredRecord {
    qint64 rowId = -1;
    QStringList values;
};

// A reference table of the bill store ("本单位帐户", "业务单位", "票据用途", "联系人"). Column 1 is a
// key no window shows or writes; all other columns are read and written as text. Records are
// reached by their position in the table's natural order, as the grids list them.
//
// A record reached by position must still be the one the caller listed there (its rowid): if the
// table changed under the caller, TableChangedError is thrown and nothing is changed, rather than
// changing whatever record has moved into that position. Store failures throw StoreError.
class ReferenceTable {
public:
    explicit ReferenceTable(const QString& table);

    const QString& name() const { return m_table; }
    // Column names after the key column, as the table has them.
    QStringList fieldNames() const;
    int count() const;

    QList<StoredRecord> records(const QStringList& columns) const;
    // The record at a 0-based position, which must carry rowId.
    StoredRecord recordAt(int position, qint64 rowId, const QStringList& columns) const;
    StoredRecord recordWithId(qint64 rowId, const QStringList& columns) const;
    // The records that pass the filter, the filter's columns indexing `columns`.
    QList<QStringList> matching(const QStringList& columns, const RecordFilter& filter) const;

    // Whether a record's column equals the text over its whole value, ignoring letter case.
    bool containsIgnoringCase(const QString& column, const QString& text) const;
    // Positions of the records whose column equals the text exactly, leaving one position out.
    QList<int> positionsWithText(const QString& column, const QString& text, int skipPosition = -1) const;

    // Appends a record; returns its rowid.
    qint64 append(const QStringList& columns, const QStringList& values);
    // Write or delete the record at a position. A placeholder (rowId -1) stands for "no record
    // here": the call then does nothing and returns false, unless the table has gained a record
    // at that position. Return true when a record was changed.
    // With listed columns and texts (what the caller showed of the record), the record must still
    // hold them: a record another operator changed is reported with TableChangedError, never
    // overwritten or deleted.
    bool replaceAt(int position, qint64 rowId, const QStringList& columns, const QStringList& values,
                   const QStringList& listedColumns = {}, const QStringList& listedValues = {});
    bool removeAt(int position, qint64 rowId, const QStringList& listedColumns = {},
                  const QStringList& listedValues = {});

private:
    // The rowid at the position after checking that it is rowId (-1 when there is no record).
    qint64 checkedRowId(int position, qint64 rowId) const;
    QString selectColumns(const QStringList& columns) const;

    QString m_table;
};
