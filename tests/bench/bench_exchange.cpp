// Timings of the long transfers and of the history listing, run on demand:
//   cmake --build build --target bench_exchange && build/bin/bench_exchange
#include "platform/SpreadsheetWriter.h"
#include "query/HistoryQuery.h"
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

    void listOneMonthOfHistory() {
        BillStore store;
        store.ensureBillTypeTable();
        const MainItemFlag bill = addFixtureBill(store, 0, QStringLiteral("转帐支票"),
                                                 {{QStringLiteral("金额"), 8, true, true},
                                                  {QStringLiteral("大写"), 7, true, false},
                                                  {QStringLiteral("数量"), 17, false, true},
                                                  {QStringLiteral("收款人"), 0, true, false}});
        // Spread over twelve months of 2015, so one month holds about a twelfth of the rows.
        insertMany(bill.historyTable,
                   {"HistoryNumber", "打印日期", "货币种类", "金额", "大写", "数量", "收款人"}, kHistory,
                   [](int i) {
                       const QDate d = QDate(2015, 1, 1).addDays(i % 365);
                       const QString amount =
                           QStringLiteral("%1.%2").arg(i % 100000).arg(i % 100, 2, 10, QChar('0'));
                       return QVariantList{i + 1,
                                           d.toString(QStringLiteral("yyyy年MM月dd日    10:20:30")),
                                           i % 3,
                                           amount,
                                           amount,
                                           QString::number(i % 7),
                                           QStringLiteral("收款人%1").arg(i)};
                   });
        HistoryListing list;
        int listed = 0;
        QBENCHMARK {
            listed = ListHistory(bill.historyTable, bill.itemTable, "20150601", "20150630", list);
        }
        qInfo("listed %d of %d rows, %d total rows", listed, kHistory, int(list.totals.size()));
    }

private:
    std::unique_ptr<TempAppFolder> m_folder;
};

QTEST_GUILESS_MAIN(BenchExchange)
#include "bench_exchange.moc"
