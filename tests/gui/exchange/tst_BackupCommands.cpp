#include "app/ui/TMainForm.h"
#include "exchange/BackupFixture.h"
#include "support/TempAppFolder.h"
#include "support/ui/ScriptedPrompter.h"

#include <QAction>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace backupfixture;

namespace {
QStringList column(QTableWidget* grid) {
    QStringList texts;
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0) && !grid->item(r, 0)->text().isEmpty())
            texts << grid->item(r, 0)->text();
    return texts;
}
} // namespace

class TestBackupCommands : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempAppFolder> m_app;
    ScriptedPrompter* m_prompter = nullptr;
    QTemporaryDir m_out;

    std::unique_ptr<TMainForm> showMain() {
        auto form = std::make_unique<TMainForm>();
        form->resize(1000, 800);
        form->show();
        return form;
    }

private slots:
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
        BillStore store;
        fillSampleStore(store);
    }
    void cleanup() {
        QCOMPARE(m_prompter->unexpected, 0);
        m_app.reset();
    }

    void exportWithClearingThenImport() {
        const QString path = m_out.filePath(QStringLiteral("all.SBF"));
        auto form = showMain();
        QCOMPARE(column(form->typeList), (QStringList{QStringLiteral("支票"), QStringLiteral("进帐单"),
                                                      QStringLiteral("电汇"), QStringLiteral("自定义二")}));

        m_prompter->files << path;
        m_prompter->answers << true;
        form->exportBackupAction->trigger();
        QCOMPARE(m_prompter->texts(QStringLiteral("save")), QStringList{QStringLiteral("导出备份文件")});
        QCOMPARE(m_prompter->texts(QStringLiteral("question")),
                 QStringList{QStringLiteral("备份后清除系统记录吗？")});
        QVERIFY(m_prompter->texts(QStringLiteral("error")).isEmpty());
        QVERIFY(QFile::exists(path));
        QVERIFY(column(form->typeList).isEmpty());
        QCOMPARE(form->selectedBill(), nullptr);

        m_prompter->clear();
        m_prompter->files << path;
        form->importBackupAction->trigger();
        QCOMPARE(m_prompter->texts(QStringLiteral("open")), QStringList{QStringLiteral("导入备份文件")});
        QVERIFY(m_prompter->texts(QStringLiteral("error")).isEmpty());
        QCOMPARE(column(form->typeList), (QStringList{QStringLiteral("支票"), QStringLiteral("进帐单"),
                                                      QStringLiteral("电汇"), QStringLiteral("自定义二")}));
        QCOMPARE(form->selectedBill()->billName, QStringLiteral("现金支票"));
    }

    void exportEndsWithoutFileOrOverwrite_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("exists");
        QTest::newRow("dialog cancelled") << QString() << false;
        QTest::newRow("existing file kept") << QStringLiteral("old.SBF") << true;
    }

    void exportEndsWithoutFileOrOverwrite() {
        QFETCH(QString, file);
        QFETCH(bool, exists);
        const QString path = file.isEmpty() ? QString() : m_out.filePath(file);
        if (exists)
            writeAll(path, "old");
        auto form = showMain();
        m_prompter->files << path;
        if (exists)
            m_prompter->answers << false;
        form->exportBackupAction->trigger();
        const QStringList questions = m_prompter->texts(QStringLiteral("question"));
        QCOMPARE(questions,
                 exists ? QStringList{QStringLiteral("已经有同名的文件，覆盖吗 ？")} : QStringList());
        if (exists)
            QCOMPARE(readAll(path), QByteArray("old"));
        QCOMPARE(Sql::rowCount(bill(), BillStore::masterTable()), 4);
    }

    void importOfMissingFileIsRefused_data() {
        QTest::addColumn<bool>("information");
        QTest::newRow("导入系统备份") << false;
        QTest::newRow("导入信息") << true;
    }

    void importOfMissingFileIsRefused() {
        QFETCH(bool, information);
        auto form = showMain();
        m_prompter->files << m_out.filePath(QStringLiteral("none.SBF"));
        (information ? form->importInformationAction : form->importBackupAction)->trigger();
        QCOMPARE(m_prompter->texts(QStringLiteral("notice")), QStringList{QStringLiteral("没有备份文件")});
    }

    void damagedImportIsReportedAndChangesNothing() {
        const QString path = m_out.filePath(QStringLiteral("bad.SBF"));
        writeAll(path, QByteArray("B0.002\x10\0\0\0", 10) + QByteArray(16, 'x'));
        auto form = showMain();
        const QString before = storeSnapshot();
        m_prompter->files << path;
        form->importBackupAction->trigger();
        const QStringList errors = m_prompter->texts(QStringLiteral("error"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.constFirst().startsWith(QStringLiteral("导入系统备份失败")),
                 qPrintable(errors.constFirst()));
        QVERIFY(errors.constFirst().contains(QStringLiteral("系统记录没有改变")));
        QCOMPARE(storeSnapshot(), before);
        QCOMPARE(form->selectedBill()->billName, QStringLiteral("现金支票"));
    }

    void informationImportLeavesListsAlone() {
        const QString path = m_out.filePath(QStringLiteral("info.SBF"));
        auto form = showMain();
        m_prompter->files << path;
        m_prompter->answers << false;
        form->exportBackupAction->trigger();
        m_prompter->clear();
        m_prompter->files << path;
        form->importInformationAction->trigger();
        QVERIFY(m_prompter->texts(QStringLiteral("error")).isEmpty());
        QCOMPARE(Sql::rowCount(bill(), QStringLiteral("业务单位")), 2);
        QCOMPARE(Sql::rowCount(bill(), BillStore::masterTable()), 4);
    }
};

QTEST_MAIN(TestBackupCommands)
#include "tst_BackupCommands.moc"
