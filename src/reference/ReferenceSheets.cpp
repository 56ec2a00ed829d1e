#include "reference/ReferenceSheets.h"

#include "platform/SpreadsheetReader.h"
#include "platform/SpreadsheetWriter.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "store/StoreError.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

namespace ReferenceSheets {

namespace {
// Progress goes to the window thread; a report every few hundred rows keeps it moving without
// flooding it.
constexpr qint64 kProgressStep = 250;

void report(const Progress& progress, qint64 done, qint64 total) {
    if (progress && (done % kProgressStep == 0 || done == total))
        progress(done, total);
}
} // namespace

Layout businessUnits() {
    const QStringList columns = Schema::businessUnitColumns();
    const QStringList headers{QStringLiteral("单位名称"), QStringLiteral("银行帐号"),
                              QStringLiteral("开户银行"), QStringLiteral("省"),
                              QStringLiteral("市"),       QStringLiteral("识别码")};
    Layout layout;
    for (qsizetype i = 0; i < headers.size(); ++i)
        layout.append({headers.at(i), columns.at(i)});
    return layout;
}

Layout contacts() {
    Layout layout;
    for (const QString& c : Schema::contactColumns())
        layout.append({c, c});
    return layout;
}

namespace {
// Appends one record per row after the header row as the rows arrive; memory does not grow with
// the number of rows. The caller holds the transaction.
class RecordAppender : public SheetRowSink {
public:
    RecordAppender(const QString& table, const Layout& layout, const Progress& progress)
        : m_table(table), m_progress(progress), m_insert(Database::get(Db::Bill)) {
        for (const SheetColumn& c : layout)
            m_columnOfHeader.insert(c.header, c.column);
    }

    int added() const { return m_added; }

    void sheet(const QString&, int rowCount, int) override {
        m_total = std::max(0, rowCount - 1);
        if (m_progress)
            m_progress(0, m_total);
    }

    void row(int index, const QStringList& cells) override {
        if (index == 0) {
            prepare(cells);
            return;
        }
        for (qsizetype k = 0; k < m_sources.size(); ++k)
            m_insert.bindValue(int(k),
                               m_sources.at(k) < cells.size() ? cells.at(m_sources.at(k)) : QString());
        if (!m_insert.exec())
            throw StoreError(QStringLiteral("数据库错误：%1\n%2").arg(m_insert.lastError().text(), m_sql));
        ++m_added;
        report(m_progress, m_added, m_total);
    }

private:
    // Table column -> sheet column; of two sheet columns with the same header the later one wins,
    // as it was written last.
    void prepare(const QStringList& headers) {
        QStringList targets;
        for (qsizetype j = 0; j < headers.size(); ++j) {
            const auto it = m_columnOfHeader.constFind(headers.at(j));
            if (it == m_columnOfHeader.constEnd())
                continue;
            const qsizetype known = targets.indexOf(it.value());
            if (known >= 0) {
                m_sources[known] = j;
            } else {
                targets << it.value();
                m_sources << j;
            }
        }
        if (targets.isEmpty()) {
            m_sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(Sql::q(m_table));
        } else {
            QStringList quoted;
            QStringList marks;
            for (const QString& t : targets) {
                quoted << Sql::q(t);
                marks << QStringLiteral("?");
            }
            m_sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(Sql::q(m_table), quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
        if (!m_insert.prepare(m_sql))
            throw StoreError(QStringLiteral("数据库错误：%1\n%2").arg(m_insert.lastError().text(), m_sql));
    }

    QString m_table;
    Progress m_progress;
    QHash<QString, QString> m_columnOfHeader;
    QList<qsizetype> m_sources;
    QString m_sql;
    QSqlQuery m_insert;
    qint64 m_total = 0;
    int m_added = 0;
};
} // namespace

int importSheet(const SheetTexts& sheet, const QString& table, const Layout& layout,
                const Progress& progress) {
    Sql::Transaction tx(Database::get(Db::Bill));
    RecordAppender appender(table, layout, progress);
    appender.sheet(sheet.sheetName, sheet.rowCount, sheet.columnCount);
    for (int i = 0; i < sheet.rowCount; ++i)
        appender.row(i, i < sheet.rows.size() ? sheet.rows.at(i) : QStringList());
    tx.commit();
    return appender.added();
}

int importFile(const QString& path, const QString& table, const Layout& layout, const Progress& progress,
               const SpreadsheetReader::Options& options) {
    Sql::Transaction tx(Database::get(Db::Bill));
    RecordAppender appender(table, layout, progress);
    SpreadsheetReader::readRows(path, appender, options);
    tx.commit();
    return appender.added();
}

int exportTable(const QString& table, const Layout& layout, const QString& path, const Progress& progress) {
    QSqlDatabase db = Database::get(Db::Bill);
    const qint64 total = Sql::rowCount(db, table);
    QStringList headers;
    QStringList quoted;
    for (const SheetColumn& c : layout) {
        headers << c.header;
        quoted << Sql::q(c.column);
    }
    SpreadsheetWriter writer(path);
    writer.addRow(headers);
    QSqlQuery rows =
        Sql::exec(db, QStringLiteral("SELECT %1 FROM %2").arg(quoted.join(QLatin1Char(',')), Sql::q(table)) +
                          Sql::naturalOrder());
    qint64 done = 0;
    QStringList texts;
    while (rows.next()) {
        texts.clear();
        for (qsizetype c = 0; c < layout.size(); ++c)
            texts << rows.value(int(c)).toString();
        writer.addRow(texts);
        report(progress, ++done, total);
    }
    writer.save();
    return int(done);
}

} // namespace ReferenceSheets
