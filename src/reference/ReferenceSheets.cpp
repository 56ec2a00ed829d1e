#include "reference/ReferenceSheets.h"

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

int importSheet(const SheetTexts& sheet, const QString& table, const Layout& layout,
                const Progress& progress) {
    QHash<QString, QString> columnOfHeader;
    for (const SheetColumn& c : layout)
        columnOfHeader.insert(c.header, c.column);

    // Table column -> sheet column; of two sheet columns with the same header the later one wins,
    // as it was written last.
    QStringList targets;
    QList<int> sources;
    for (int j = 0; j < sheet.columnCount; ++j) {
        const auto it = columnOfHeader.constFind(sheet.cell(0, j));
        if (it == columnOfHeader.constEnd())
            continue;
        const qsizetype known = targets.indexOf(it.value());
        if (known >= 0) {
            sources[known] = j;
        } else {
            targets << it.value();
            sources << j;
        }
    }

    QSqlDatabase db = Database::get(Db::Bill);
    QString sql;
    if (targets.isEmpty()) {
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(Sql::q(table));
    } else {
        QStringList quoted;
        QStringList marks;
        for (const QString& t : targets) {
            quoted << Sql::q(t);
            marks << QStringLiteral("?");
        }
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(Sql::q(table), quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    }

    const qint64 total = std::max(0, sheet.rowCount - 1);
    Sql::Transaction tx(db);
    QSqlQuery insert(db);
    if (!insert.prepare(sql))
        throw StoreError(QStringLiteral("数据库错误：%1\n%2").arg(insert.lastError().text(), sql));
    for (int i = 1; i < sheet.rowCount; ++i) {
        for (qsizetype k = 0; k < sources.size(); ++k)
            insert.bindValue(int(k), sheet.cell(i, sources.at(k)));
        if (!insert.exec())
            throw StoreError(QStringLiteral("数据库错误：%1\n%2").arg(insert.lastError().text(), sql));
        report(progress, i, total);
    }
    tx.commit();
    return int(total);
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
