// The test server started by scripts/start-postgres.sh is reachable through QtSql's PostgreSQL
// driver, and keeps text, integers and bytes exactly. The URL comes from TARVEL_TEST_PG_URL; without
// it the test is skipped, unless TARVEL_REQUIRE_POSTGRES=1 (as in CI) makes that a failure.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <QtTest>

class PostgresServerTest : public QObject {
    Q_OBJECT
private slots:
    void connectsAndKeepsValues();
};

void PostgresServerTest::connectsAndKeepsValues() {
    const QString url = qEnvironmentVariable("TARVEL_TEST_PG_URL");
    if (url.isEmpty()) {
        if (qEnvironmentVariable("TARVEL_REQUIRE_POSTGRES") == QLatin1String("1"))
            QFAIL("TARVEL_TEST_PG_URL is not set (scripts/start-postgres.sh prints it)");
        QSKIP("no PostgreSQL test server: set TARVEL_TEST_PG_URL");
    }
    QVERIFY2(QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")),
             "QtSql's PostgreSQL driver is missing (libqt6sql6-psql)");

    const QUrl parsed(url);
    QCOMPARE(parsed.scheme(), QStringLiteral("postgresql"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("server"));
        db.setHostName(parsed.host());
        db.setPort(parsed.port(5432));
        db.setDatabaseName(parsed.path().mid(1));
        db.setUserName(QUrlQuery(parsed).queryItemValue(QStringLiteral("user")));
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));

        QSqlQuery q(db);
        QVERIFY2(q.exec(QStringLiteral("CREATE TEMPORARY TABLE \"probe\" (\"row-key\" BIGSERIAL PRIMARY KEY, "
                                       "\"名称\" TEXT, \"数量\" BIGINT, \"图片\" BYTEA)")),
                 qPrintable(q.lastError().text()));
        const QByteArray bytes("\x00\x01\xff\x89PNG\r\n", 8);
        QVERIFY(
            q.prepare(QStringLiteral("INSERT INTO \"probe\" (\"名称\", \"数量\", \"图片\") VALUES (?, ?, ?) "
                                     "RETURNING \"row-key\"")));
        q.addBindValue(QString::fromUtf8("中国工商银行 '北京'"));
        q.addBindValue(qint64(9007199254740993));
        q.addBindValue(bytes);
        QVERIFY2(q.exec() && q.next(), qPrintable(q.lastError().text()));
        const qint64 key = q.value(0).toLongLong();
        QVERIFY(key > 0);

        QVERIFY(q.prepare(
            QStringLiteral("SELECT \"名称\", \"数量\", \"图片\" FROM \"probe\" WHERE \"row-key\" = ?")));
        q.addBindValue(key);
        QVERIFY2(q.exec() && q.next(), qPrintable(q.lastError().text()));
        QCOMPARE(q.value(0).toString(), QString::fromUtf8("中国工商银行 '北京'"));
        QCOMPARE(q.value(1).toLongLong(), qint64(9007199254740993));
        QCOMPARE(q.value(2).toByteArray(), bytes);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("server"));
}

QTEST_GUILESS_MAIN(PostgresServerTest)
#include "tst_postgresserver.moc"
