#include "platform/AppPaths.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// chooseHome as a user other than root would see it: root writes into any folder, so a read-only
// folder is only read-only to someone else.
QString chooseHomeAsUser(const QString& option, const QString& exeDir, const QString& userDir) {
    if (::geteuid() != 0)
        return AppPaths::chooseHome(option, exeDir, userDir);
    int fds[2];
    if (::pipe(fds) != 0)
        return QStringLiteral("<no pipe>");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        int rc = 1;
        if (::setgid(65534) == 0 && ::setuid(65534) == 0) {
            const QByteArray chosen = AppPaths::chooseHome(option, exeDir, userDir).toUtf8();
            rc = ::write(fds[1], chosen.constData(), size_t(chosen.size())) == chosen.size() ? 0 : 1;
        }
        ::_exit(rc);
    }
    ::close(fds[1]);
    QByteArray chosen;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        chosen.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? QString::fromUtf8(chosen)
                                                         : QStringLiteral("<failed>");
}

} // namespace

class TestAppPaths : public QObject {
    Q_OBJECT

private slots:
    void chooseHome_data() {
        QTest::addColumn<bool>("homeOption");
        QTest::addColumn<bool>("exeHasDataBase");
        QTest::addColumn<bool>("exeWritable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("--home wins over a build folder") << true << true << true << "option";
        QTest::newRow("writable executable folder with a DataBase") << false << true << true << "exe";
        QTest::newRow("writable executable folder without a DataBase") << false << false << true << "user";
        QTest::newRow("read-only executable folder with a DataBase") << false << true << false << "user";
        QTest::newRow("--home beside a read-only installation") << true << false << false << "option";
    }

    void chooseHome() {
        QFETCH(bool, homeOption);
        QFETCH(bool, exeHasDataBase);
        QFETCH(bool, exeWritable);
        QFETCH(QString, expected);
        QTemporaryDir root;
        // Another user must reach the folders to find them read-only.
        QCOMPARE(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
        const QString exe = root.filePath(QStringLiteral("bin"));
        const QString option = root.filePath(QStringLiteral("我的票据"));
        const QString user = root.filePath(QStringLiteral("用户数据/Tarvel智能票据打印"));
        QVERIFY(QDir().mkpath(exe));
        if (exeHasDataBase)
            QVERIFY(QDir(exe).mkdir(QStringLiteral("DataBase")));
        QCOMPARE(::chmod(QFile::encodeName(exe).constData(), exeWritable ? 0777 : 0555), 0);

        const QString chosen = chooseHomeAsUser(homeOption ? option : QString(), exe, user);
        const QString want = expected == QLatin1String("option") ? option
                             : expected == QLatin1String("exe")  ? exe
                                                                 : user;
        QCOMPARE(chosen, want + QLatin1Char('/'));
        ::chmod(QFile::encodeName(exe).constData(), 0755);
    }
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
