// Timings of the spreadsheet transfers, run on demand:
//   cmake --build build --target bench_exchange && build/bin/bench_exchange
#include "platform/SpreadsheetWriter.h"
#include "reference/LoadBussAccountThread.h"
#include "reference/SaveLinkManThread.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"

#include <QSqlQuery>
#include <QTest>

#include <memory>

namespace {
constexpr int kUnits = 10000;
constexpr int kContacts = 10000;
constexpr int kHistory = 200000;

void insertMany(const QString& table, const QStringList& columns, int count,
                const std::function<QVariantList(int)>& row) {
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
    for (int i = 0; i < count; ++i) {
        const QVariantList values = row(i);
        for (int k = 0; k < values.size(); ++k)
            q.bindValue(k, values.at(k));
        q.exec();
    }
    tx.commit();
}
} // namespace

class BenchExchange : public QObject {
    Q_OBJECT

private slots:
    void init() { m_folder = std::make_unique<TempAppFolder>(); }
    void cleanup() { m_folder.reset(); }

    void importBusinessUnits() {
        const QString path = m_folder->file("units.xlsx");
        SpreadsheetWriter w(path);
        w.addRow({"单位名称", "银行帐号", "开户银行", "省", "市", "识别码"});
        for (int i = 0; i < kUnits; ++i)
            w.addRow({QStringLiteral("单位%1有限公司").arg(i),
                      QStringLiteral("62220212%1").arg(i, 11, 10, QChar('0')),
                      QStringLiteral("中国工商银行杭州分行"), QStringLiteral("浙江"), QStringLiteral("杭州"),
                      QStringLiteral("D%1").arg(i)});
        w.save();
        QBENCHMARK {
            LoadBussAccountThread load(path);
            load.run();
        }
    }

    void exportContacts() {
        const QStringList columns = Schema::contactColumns();
        insertMany(QStringLiteral("联系人"), columns, kContacts, [&](int i) {
            QVariantList v;
            for (int c = 0; c < columns.size(); ++c)
                v << QStringLiteral("%1-%2").arg(columns.at(c)).arg(i);
            return v;
        });
        const QString path = m_folder->file("contacts.xlsx");
        QBENCHMARK {
            SaveLinkManThread save(path);
            save.run();
        }
    }

private:
    std::unique_ptr<TempAppFolder> m_folder;
};

QTEST_GUILESS_MAIN(BenchExchange)
#include "bench_exchange.moc"
