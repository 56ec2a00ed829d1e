#pragma once

// Sample stores and helpers shared by the backup tests.

#include "platform/AppPaths.h"
#include "platform/Worker.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "store/StoreError.h"
#include "support/StoreFixtures.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QThread>

#include <memory>

namespace backupfixture {

inline QSqlDatabase bill() {
    return Database::get(Db::Bill);
}

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// Runs a worker on a thread of its own, as the busy window does; returns the error, empty on
// success.
inline QString runOnThread(Worker& worker) {
    QString error;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            worker.run();
        } catch (const StoreError& e) {
            error = e.message();
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
        Database::closeThreadConnections();
    }));
    thread->start();
    thread->wait();
    return error.isEmpty() ? QString() : error;
}

// Picture bytes of a bill: a recognisable head and some bulk.
inline QByteArray pictureBytes(const QString& bill, bool bitmap) {
    QByteArray b = bitmap ? QByteArray("BM") : QByteArray("\xFF\xD8\xFF", 3);
    b += bill.toUtf8();
    b += QByteArray(5000, char(bill.size()));
    return b;
}

struct SampleBill {
    int typeIndex;
    QString name;
    QByteArray picture; // empty: the bill has none
};

// Four bills of several types, one of a user type at index 10, with history, pre-bill and
// automatic-number rows; pictures stored under another folder's path, as in a moved store; one
// record in each reference table.
inline QList<SampleBill> fillSampleStore(BillStore& store) {
    store.ensureBillTypeTable();
    Sql::Transaction tx(bill());
    store.addType(QStringLiteral("自定义一"));
    store.addType(QStringLiteral("自定义二"));
    const QList<SampleBill> bills{
        {0, QStringLiteral("现金支票"), pictureBytes(QStringLiteral("现金支票"), false)},
        {2, QStringLiteral("电汇凭证"), pictureBytes(QStringLiteral("电汇凭证"), true)},
        {10, QStringLiteral("外汇单"), pictureBytes(QStringLiteral("外汇单"), false)},
        {1, QStringLiteral("进帐单一"), QByteArray()},
    };
    QSqlDatabase db = bill();
    int k = 1;
    for (const SampleBill& b : bills) {
        QString stored;
        if (!b.picture.isEmpty()) {
            const QString file = BillStore::newPictureFileName();
            writeAll(file, b.picture);
            stored = QStringLiteral("D:\\旧目录\\BackImage\\") + QFileInfo(file).fileName();
        }
        fillWorkingTemplate(
            b.name, {{QStringLiteral("金额"), 8, true, true}, {QStringLiteral("编号"), 16, true, false}},
            b.typeIndex, stored);
        const MainItemFlag e = store.createBillFromWorkingTemplate(b.typeIndex, b.name);
        store.changeTypeCount(b.typeIndex, 1);
        for (int i = 1; i <= 3; ++i)
            Sql::insertRow(db, e.historyTable,
                           {QStringLiteral("HistoryNumber"), QStringLiteral("打印日期"),
                            QStringLiteral("货币种类"), QStringLiteral("金额"), QStringLiteral("编号")},
                           {i, QStringLiteral("2015年09月0%1日    14:05:09").arg(i), 0,
                            QString::number(k * 100 + i), QStringLiteral("N%1").arg(i)});
        for (int i = 1; i <= 2; ++i)
            Sql::insertRow(
                db, e.preBillTable,
                {QStringLiteral("BeforeNumber"), QStringLiteral("货币种类"), QStringLiteral("金额")},
                {i, 1, QString::number(k * 10 + i)});
        Sql::insertRow(db, e.autoTable, {QStringLiteral("编号")}, {QStringLiteral("A%1").arg(k)});
        ++k;
    }
    Sql::insertRow(db, QStringLiteral("本单位帐户"), {QStringLiteral("开户名称"), QStringLiteral("银行帐号")},
                   {QStringLiteral("本公司"), QStringLiteral("6222000011112222")});
    Sql::insertRow(db, QStringLiteral("业务单位"), {QStringLiteral("单位名称"), QStringLiteral("识别码")},
                   {QStringLiteral("往来公司"), QStringLiteral("wl")});
    Sql::insertRow(db, QStringLiteral("票据用途"), {QStringLiteral("用途"), QStringLiteral("识别码")},
                   {QStringLiteral("货款"), QStringLiteral("hk")});
    Sql::insertRow(db, QStringLiteral("联系人"), {QStringLiteral("姓名"), QStringLiteral("识别码")},
                   {QStringLiteral("张三"), QStringLiteral("zs")});
    Sql::insertRow(db, QStringLiteral("其他内容"), {QStringLiteral("票据种类"), QStringLiteral("经办人")},
                   {QStringLiteral("银行汇票\r\n商业汇票"), QStringLiteral("李四")});
    tx.commit();
    return bills;
}

// Everything an import may change: every table of the store with its rows, the picture folder and
// the temporary folder.
inline QString storeSnapshot() {
    QSqlDatabase db = bill();
    QStringList out;
    QStringList tables = Sql::tableNames(db);
    tables.sort();
    for (const QString& t : tables) {
        out << QStringLiteral("table ") + t + QLatin1Char(' ') +
                   Sql::columnNames(db, t).join(QLatin1Char(','));
        for (const QVariantList& row : Sql::allRows(db, t)) {
            QStringList cells;
            for (const QVariant& v : row)
                cells << (v.typeId() == QMetaType::QByteArray ? QString::fromLatin1(v.toByteArray().toHex())
                                                              : v.toString());
            out << cells.join(QLatin1Char('|'));
        }
    }
    for (const QString& dir : {AppPaths::pictureDir(), AppPaths::tmpDir()})
        for (const QString& f : QDir(dir).entryList(QDir::Files, QDir::Name))
            out << dir + f + QLatin1Char(' ') +
                       QString::fromLatin1(
                           QCryptographicHash::hash(readAll(dir + f), QCryptographicHash::Sha1).toHex());
    return out.join(QLatin1Char('\n'));
}

// The rows of a table without its first column (the key).
inline QList<QVariantList> rowsWithoutKey(const QString& table) {
    QList<QVariantList> rows = Sql::allRows(bill(), table);
    for (QVariantList& r : rows)
        r.removeFirst();
    return rows;
}

} // namespace backupfixture
