// From start to the painted main window, with stores of 100, 1,000 and 10,000 bills, against a bare
// QMainWindow with one menu. Each start is a process of its own; the time runs from just before
// the process is started to the end of the window's first paint. The row "lists filled" is the time
// until the type list shows the store's types, against the same floor. "longest input wait" is the
// longest the window's event loop was busy between paint and filled lists (a timer ticking every
// millisecond), against the same for the bare window; "first type listed" is the first listing of a
// type after the lists were filled (the window's own connection reads the schema first), against a
// second listing of the same type.
// Run on demand: cmake --build build --target bench_startup &&
//   QT_QPA_PLATFORM=offscreen build/bin/bench_startup [repeats [bills...]]

#include "BenchTable.h"
#include "app/ui/TMainForm.h"
#include "exchange/BackupFixture.h"
#include "platform/AppPaths.h"
#include "platform/Fonts.h"
#include "platform/Settings.h"
#include "platform/Translations.h"
#include "store/Schema.h"
#include "support/TempAppFolder.h"

#include <QApplication>
#include <QMenuBar>
#include <QProcess>
#include <QTableWidget>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace backupfixture;

namespace {

qint64 monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Notes the moment the window's first paint has been done: the paint happens while its native
// window handles an expose or update request, so the filter handles those itself and looks
// whether the window was painted meanwhile.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) : m_window(window) {}
    qint64 paintedAt = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (paintedAt == 0 && event->type() == QEvent::Paint && watched == m_window)
            m_sawPaint = true;
        if (paintedAt != 0 || m_inside || watched != m_window->windowHandle() ||
            (event->type() != QEvent::Expose && event->type() != QEvent::UpdateRequest))
            return false;
        m_inside = true;
        watched->event(event);
        m_inside = false;
        if (m_sawPaint)
            paintedAt = monotonicNs();
        return true;
    }

private:
    QWidget* m_window;
    bool m_inside = false;
    bool m_sawPaint = false;
};

// One start in this process: prints when the window was painted and when its lists were filled.
int runChild(int argc, char** argv) {
    const bool program = QByteArray(argv[2]) == "program";
    std::unique_ptr<QMainWindow> window;
    QApplication app(argc, argv);
    if (program) {
        QApplication::setApplicationName(QStringLiteral("Tarvel智能票据打印"));
        Translations::installChinese();
        AppPaths::setHome(QString::fromLocal8Bit(argv[3]));
        AppPaths::ensureFolders();
        AppPaths::restrictToOwner();
        Fonts::installSubstitutions();
        Settings::ensureExists();
        window = std::make_unique<TMainForm>([] { Schema::ensureDatabases(); },
                                             [] { BillStore().removeLeftovers(); });
    } else {
        window = std::make_unique<QMainWindow>();
        window->menuBar()->addMenu(QStringLiteral("文件"))->addAction(QStringLiteral("退出"));
    }
    FirstPaint watch(window.get());
    app.installEventFilter(&watch);
    window->showMaximized();
    qint64 filledAt = 0;
    qint64 lastTick = 0;
    qint64 longestWait = 0;
    qint64 firstListing = 0;
    qint64 secondListing = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (watch.paintedAt == 0)
            return;
        const qint64 now = monotonicNs();
        longestWait = std::max(longestWait, now - std::max(lastTick, watch.paintedAt));
        lastTick = now;
        auto* main = dynamic_cast<TMainForm*>(window.get());
        const bool filled =
            !main || (main->typeList->item(0, 0) && !main->typeList->item(0, 0)->text().isEmpty());
        if (filled) {
            filledAt = now;
            for (qint64* listing : {&firstListing, &secondListing}) {
                const qint64 begin = monotonicNs();
                if (main)
                    main->listBills(main->currentTypeIndex());
                *listing = monotonicNs() - begin;
            }
            QCoreApplication::quit();
        }
    });
    poll.start(1);
    const int status = app.exec();
    std::printf("%lld %lld %lld %lld %lld\n", static_cast<long long>(watch.paintedAt),
                static_cast<long long>(filledAt), static_cast<long long>(longestWait),
                static_cast<long long>(firstListing), static_cast<long long>(secondListing));
    return status;
}

void fillStore(int bills) {
    BillStore store;
    store.ensureBillTypeTable();
    Sql::Transaction tx(bill());
    const QString picture = BillStore::newPictureFileName();
    writeAll(picture, pictureBytes(QStringLiteral("票据"), false));
    for (int i = 0; i < bills; ++i) {
        const QString name = QStringLiteral("票据%1").arg(i);
        fillWorkingTemplate(
            name, {{QStringLiteral("金额"), 8, true, true}, {QStringLiteral("收款人"), 0, true, false}},
            i % 9, picture);
        store.createBillFromWorkingTemplate(i % 9, name);
        store.changeTypeCount(i % 9, 1);
    }
    tx.commit();
}

struct Start {
    double painted = 0;
    double filled = 0;
    double longestWait = 0;
    double firstListing = 0;
    double secondListing = 0;
};

Start startChild(const QString& kind, const QString& home) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 begin = monotonicNs();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), kind, home});
    child.waitForFinished(-1);
    const QList<QByteArray> stamps = child.readAllStandardOutput().trimmed().split(' ');
    if (child.exitCode() != 0 || stamps.size() != 5 || stamps.at(0).toLongLong() == 0) {
        std::fprintf(stderr, "the %s start failed\n", qPrintable(kind));
        return {};
    }
    return {(stamps.at(0).toLongLong() - begin) / 1e9, (stamps.at(1).toLongLong() - begin) / 1e9,
            stamps.at(2).toLongLong() / 1e9, stamps.at(3).toLongLong() / 1e9,
            stamps.at(4).toLongLong() / 1e9};
}

void measure(int bills, int repeats) {
    TempAppFolder folder;
    std::fprintf(stderr, "filling a store of %d bills...\n", bills);
    fillStore(bills);
    Database::closeThreadConnections();
    std::vector<double> painted, filled, floor, paintedRatio, filledRatio;
    std::vector<double> wait, bareWait, waitRatio, firstListing, secondListing, listingRatio;
    for (int i = 0; i < repeats; ++i) {
        const Start program = startChild(QStringLiteral("program"), folder.path());
        const Start bare = startChild(QStringLiteral("floor"), folder.path());
        painted.push_back(program.painted);
        filled.push_back(program.filled);
        floor.push_back(bare.painted);
        paintedRatio.push_back(bare.painted > 0 ? program.painted / bare.painted : 0);
        filledRatio.push_back(bare.painted > 0 ? program.filled / bare.painted : 0);
        wait.push_back(program.longestWait);
        bareWait.push_back(bare.longestWait);
        waitRatio.push_back(bare.longestWait > 0 ? program.longestWait / bare.longestWait : 0);
        firstListing.push_back(program.firstListing);
        secondListing.push_back(program.secondListing);
        listingRatio.push_back(program.secondListing > 0 ? program.firstListing / program.secondListing : 0);
    }
    const double f = bench::median(floor);
    bench::printRow(QStringLiteral("painted main window, %1 bills").arg(bills),
                    {bench::median(painted), f, bench::median(paintedRatio)});
    bench::printRow(QStringLiteral("  lists filled, %1 bills").arg(bills),
                    {bench::median(filled), f, bench::median(filledRatio)});
    bench::printRow(QStringLiteral("  longest input wait, %1 bills").arg(bills),
                    {bench::median(wait), bench::median(bareWait), bench::median(waitRatio)});
    bench::printRow(QStringLiteral("  first type listed, %1 bills").arg(bills),
                    {bench::median(firstListing), bench::median(secondListing), bench::median(listingRatio)});
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv);
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QList<int> sizes;
    for (int i = 2; i < argc; ++i)
        sizes << std::max(1, atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {100, 1000, 10000};
    bench::printHeader("Start to painted main window against a bare QMainWindow with one menu");
    for (int bills : sizes)
        measure(bills, repeats);
    return 0;
}
