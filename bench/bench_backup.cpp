// Backup export and import of stores of three sizes (30, 300 and 3,000 bills with a 1 MiB picture
// each and history in proportion) against cp + sync of the same bytes.
// Run on demand: cmake --build build --target bench_backup && build/bin/bench_backup [repeats [bills...]]

#include "BenchTable.h"
#include "exchange/BackupFixture.h"
#include "exchange/LoadBackUpThread.h"
#include "exchange/SaveBackUpThread.h"
#include "support/TempAppFolder.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace backupfixture;

namespace {
constexpr qsizetype kPictureBytes = 1 << 20;

void fillStore(int bills, int historyRows) {
    BillStore store;
    store.ensureBillTypeTable();
    QSqlDatabase db = bill();
    Sql::Transaction tx(db);
    QList<MainItemFlag> entries;
    for (int i = 0; i < bills; ++i) {
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
        entries << store.createBillFromWorkingTemplate(i % 9, name);
        store.changeTypeCount(i % 9, 1);
    }
    for (int r = 0; r < historyRows; ++r) {
        const MainItemFlag& e = entries.at(r % bills);
        Sql::insertRow(db, e.historyTable,
                       {QStringLiteral("打印日期"), QStringLiteral("货币种类"), QStringLiteral("金额"),
                        QStringLiteral("收款人")},
                       {QStringLiteral("2015年09月08日    14:05:09"), 0, QString::number(r * 1.5, 'f', 2),
                        QStringLiteral("某某有限公司%1").arg(r)});
    }
    tx.commit();
}

// The floor: the same bytes copied by cp and forced to the disk.
void copyAndSync(const QString& from, const QString& to) {
    QFile::remove(to);
    QProcess::execute(QStringLiteral("cp"), {from, to});
    QProcess::execute(QStringLiteral("sync"), {to});
}

void measure(int bills, int repeats) {
    const int historyRows = bills * 1000 / 3; // 100,000 rows at 300 bills
    QTemporaryDir out;
    const QString backup = out.filePath(QStringLiteral("bench.SBF"));
    const QString copy = out.filePath(QStringLiteral("copy.SBF"));

    TempAppFolder source;
    const QString sourceHome = source.path();
    std::fprintf(stderr, "filling a store of %d bills...\n", bills);
    fillStore(bills, historyRows);
    Database::closeThreadConnections();

    QString error;
    const bench::Pair exported = bench::measurePairs(
        repeats,
        [&] {
            SaveBackUpThread save(backup, false);
            error += runOnThread(save);
        },
        [&] { copyAndSync(backup, copy); });
    const double backupMiB = QFileInfo(backup).size() / 1048576.0;

    std::unique_ptr<TempAppFolder> target;
    const bench::Pair imported = bench::measurePairs(
        repeats,
        [&] {
            LoadBackUpThread load(backup);
            error += runOnThread(load);
            if (load.counts().added != bills)
                error += QStringLiteral("import added %1 bills of %2").arg(load.counts().added).arg(bills);
        },
        [&] { copyAndSync(backup, copy); },
        [&] {
            target.reset();
            target = std::make_unique<TempAppFolder>();
        });
    target.reset();
    Database::closeThreadConnections();
    AppPaths::setHome(sourceHome);

    std::printf("  %d bills, %d history rows, backup file %.0f MiB%s%s\n", bills, historyRows, backupMiB,
                error.isEmpty() ? "" : ", ERROR: ", qPrintable(error));
    bench::printRow(QStringLiteral("export, %1 bills").arg(bills), exported);
    bench::printRow(QStringLiteral("import into an empty folder, %1 bills").arg(bills), imported);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QList<int> sizes;
    for (int i = 2; i < argc; ++i)
        sizes << std::max(1, atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {30, 300, 3000};
    bench::printHeader("Backup against cp + sync (medians of pairs taken side by side)");
    for (int bills : sizes)
        measure(bills, repeats);
    return 0;
}
