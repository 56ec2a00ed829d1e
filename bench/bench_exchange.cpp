// Spreadsheet transfers of the reference lists at 1,000, 10,000 and 100,000 rows, each against the
// plain work it cannot do without:
// - import of business units from a workbook: the workbook's bytes read and the same rows stored
//   by one prepared INSERT in one transaction;
// - export of contacts: the same rows read by one SELECT and written by the same workbook writer.
// Run on demand: cmake --build build --target bench_exchange && build/bin/bench_exchange [repeats [rows...]]

#include "BenchTable.h"
#include "platform/SpreadsheetWriter.h"
#include "reference/LoadBussAccountThread.h"
#include "reference/SaveLinkManThread.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/TempAppFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>

#include <cstdio>
#include <functional>

namespace {

void insertMany(const QString& table, const QStringList& columns, const QList<QStringList>& rows) {
    QSqlDatabase db = Database::get(Db::Bill);
    QStringList quoted;
    QStringList marks;
    for (const QString& c : columns) {
        quoted << Sql::q(c);
        marks << QStringLiteral("?");
    }
    Sql::Transaction tx(db);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(Sql::q(table), quoted.join(','), marks.join(',')));
    for (const QStringList& row : rows) {
        for (int k = 0; k < row.size(); ++k)
            q.bindValue(k, row.at(k));
        if (!q.exec())
            std::fprintf(stderr, "insert failed\n");
    }
    tx.commit();
}

void emptyTable(const QString& table) {
    Sql::exec(Database::get(Db::Bill), QStringLiteral("DELETE FROM %1").arg(Sql::q(table)));
}

void importUnits(int rows, int repeats, TempAppFolder& folder) {
    const QString table = QStringLiteral("业务单位");
    const QString path = folder.file(QStringLiteral("/units.xlsx"));
    QList<QStringList> units;
    for (int i = 0; i < rows; ++i)
        units << QStringList{QStringLiteral("单位%1有限公司").arg(i),
                             QStringLiteral("62220212%1").arg(i, 11, 10, QChar('0')),
                             QStringLiteral("中国工商银行杭州分行"),
                             QStringLiteral("浙江"),
                             QStringLiteral("杭州"),
                             QStringLiteral("D%1").arg(i)};
    {
        SpreadsheetWriter w(path);
        w.addRow({QStringLiteral("单位名称"), QStringLiteral("银行帐号"), QStringLiteral("开户银行"),
                  QStringLiteral("省"), QStringLiteral("市"), QStringLiteral("识别码")});
        for (const QStringList& u : units)
            w.addRow(u);
        w.save();
    }
    int added = 0;
    const bench::Pair pair = bench::measurePairs(
        repeats,
        [&] {
            LoadBussAccountThread load(path);
            load.run();
            added = load.recordsAdded();
        },
        [&] {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly))
                f.readAll();
            insertMany(table, Schema::businessUnitColumns(), units);
        },
        [&] { emptyTable(table); });
    if (added != rows)
        std::printf("  ERROR: the import added %d rows of %d\n", added, rows);
    bench::printRow(QStringLiteral("import of %1 business units").arg(rows), pair);
}

void exportContacts(int rows, int repeats, TempAppFolder& folder) {
    const QString table = QStringLiteral("联系人");
    const QStringList columns = Schema::contactColumns();
    QList<QStringList> contacts;
    for (int i = 0; i < rows; ++i) {
        QStringList v;
        for (const QString& c : columns)
            v << QStringLiteral("%1-%2").arg(c).arg(i);
        contacts << v;
    }
    emptyTable(table);
    insertMany(table, columns, contacts);
    const QString path = folder.file(QStringLiteral("/contacts.xlsx"));
    const QString plainPath = folder.file(QStringLiteral("/plain.xlsx"));
    QStringList quoted;
    for (const QString& c : columns)
        quoted << Sql::q(c);
    int written = 0;
    const bench::Pair pair = bench::measurePairs(
        repeats,
        [&] {
            SaveLinkManThread save(path);
            save.run();
            written = save.recordsWritten();
        },
        [&] {
            SpreadsheetWriter w(plainPath);
            w.addRow(columns);
            QSqlQuery q(Database::get(Db::Bill));
            q.exec(QStringLiteral("SELECT %1 FROM %2").arg(quoted.join(','), Sql::q(table)));
            QStringList row;
            while (q.next()) {
                row.clear();
                for (int c = 0; c < columns.size(); ++c)
                    row << q.value(c).toString();
                w.addRow(row);
            }
            w.save();
        });
    if (written != rows)
        std::printf("  ERROR: the export wrote %d rows of %d\n", written, rows);
    bench::printRow(QStringLiteral("export of %1 contacts").arg(rows), pair);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QList<int> sizes;
    for (int i = 2; i < argc; ++i)
        sizes << std::max(1, atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {1000, 10000, 100000};
    bench::printHeader("Spreadsheet transfers (medians of pairs taken side by side)");
    for (int rows : sizes) {
        TempAppFolder folder;
        importUnits(rows, repeats, folder);
        exportContacts(rows, repeats, folder);
    }
    return 0;
}
