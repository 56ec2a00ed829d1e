// Times a backup export and import of a large store against a plain copy of the same bytes.
// Run on demand: cmake --build build --target bench_backup && build/bin/bench_backup

#include "exchange/BackupFixture.h"
#include "exchange/LoadBackUpThread.h"
#include "exchange/SaveBackUpThread.h"
#include "support/TempAppFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

using namespace backupfixture;

namespace {
constexpr int kBills = 300;
constexpr int kHistoryRows = 100000;
constexpr qsizetype kPictureBytes = 1 << 20;

void fillLargeStore() {
    BillStore store;
    store.ensureBillTypeTable();
    QSqlDatabase db = bill();
    Sql::Transaction tx(db);
    QList<MainItemFlag> bills;
    for (int i = 0; i < kBills; ++i) {
        const QString file = BillStore::newPictureFileName();
        QByteArray picture(kPictureBytes, Qt::Uninitialized);
        QRandomGenerator gen(i);
        gen.fillRange(reinterpret_cast<quint32*>(picture.data()), picture.size() / 4);
        picture[0] = char(0xFF), picture[1] = char(0xD8), picture[2] = char(0xFF);
        writeAll(file, picture);
        const QString name = QStringLiteral("票据%1").arg(i);
        fillWorkingTemplate(
            name, {{QStringLiteral("金额"), 8, true, true}, {QStringLiteral("收款人"), 0, true, false}},
            i % 9, file);
        bills << store.createBillFromWorkingTemplate(i % 9, name);
        store.changeTypeCount(i % 9, 1);
    }
    for (int r = 0; r < kHistoryRows; ++r) {
        const MainItemFlag& e = bills.at(r % kBills);
        Sql::insertRow(db, e.historyTable,
                       {QStringLiteral("打印日期"), QStringLiteral("货币种类"), QStringLiteral("金额"),
                        QStringLiteral("收款人")},
                       {QStringLiteral("2015年09月08日    14:05:09"), 0, QString::number(r * 1.5, 'f', 2),
                        QStringLiteral("某某有限公司%1").arg(r)});
    }
    tx.commit();
}

double seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir out;
    const QString backup = out.filePath(QStringLiteral("bench.SBF"));

    TempAppFolder source;
    fillLargeStore();
    const qint64 storeBytes = QFileInfo(AppPaths::billStoreFile()).size();

    QElapsedTimer t;
    t.start();
    SaveBackUpThread save(backup, false);
    const QString saveError = runOnThread(save);
    const double exportTime = seconds(t);
    const qint64 backupBytes = QFileInfo(backup).size();

    t.restart();
    QFile::copy(backup, out.filePath(QStringLiteral("copy.SBF")));
    const double copyTime = seconds(t);

    t.restart();
    LoadBackUpThread merge(backup);
    const QString mergeError = runOnThread(merge);
    const double mergeTime = seconds(t);

    TempAppFolder target;
    t.restart();
    LoadBackUpThread load(backup);
    const QString loadError = runOnThread(load);
    const double importTime = seconds(t);

    std::printf("store %.1f MB, backup %.1f MB (%d bills, %d history rows, %d MB of pictures)\n",
                storeBytes / 1048576.0, backupBytes / 1048576.0, kBills, kHistoryRows,
                int(kBills * kPictureBytes >> 20));
    std::printf("plain copy             %7.2f s\n", copyTime);
    std::printf("export                 %7.2f s  (%.1f x copy) %s\n", exportTime, exportTime / copyTime,
                qPrintable(saveError));
    std::printf("import into empty      %7.2f s  (%.1f x copy) added %d %s\n", importTime,
                importTime / copyTime, load.counts().added, qPrintable(loadError));
    std::printf("import into same store %7.2f s  (%.1f x copy) merged %d %s\n", mergeTime,
                mergeTime / copyTime, merge.counts().merged, qPrintable(mergeError));
    return saveError.isEmpty() && loadError.isEmpty() && mergeError.isEmpty() ? 0 : 1;
}
