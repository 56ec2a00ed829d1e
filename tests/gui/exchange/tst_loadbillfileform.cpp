#include "app/ui/TMainForm.h"
#include "exchange/BillDefineFile.h"
#include "exchange/ui/TLoadBillFileForm.h"
#include "platform/AppPaths.h"
#include "store/BillStore.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "support/StoreFixtures.h"
#include "support/TempAppFolder.h"
#include "support/ui/ScriptedPrompter.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

const QByteArray kPicture = QByteArrayLiteral("\xFF\xD8\xFF\xE0 picture of the form");

QStringList pictureFolder() {
    return QDir(AppPaths::pictureDir()).entryList(QDir::Files);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList masterRows() {
    QStringList rows;
    for (const QVariantList& r : Sql::allRows(Database::get(Db::Bill), BillStore::masterTable()))
        rows << QStringLiteral("%1|%2").arg(r.at(1).toString(), r.at(2).toString());
    return rows;
}

} // namespace

class TestLoadBillFileForm : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_app = std::make_unique<TempAppFolder>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<BillStore>();
        m_store->ensureBillTypeTable();
        m_prompter = ScriptedPrompter::install();
    }
    void cleanup() {
        QCOMPARE(m_prompter->unexpected, 0);
        m_store.reset();
        m_app.reset();
        m_dir.reset();
    }

    void importsNewBill() {
        const QString path = definitionFile(QStringLiteral("转帐支票"), 3);
        TLoadBillFileForm form(*m_store);
        form.show();
        QVERIFY(!form.okButton->isEnabled());
        QVERIFY(!form.typeSelector->isEnabled());
        QCOMPARE(form.typeSelector->count(), 9);
        QCOMPARE(form.typeSelector->currentIndex(), 0);

        browse(form, path);
        QCOMPARE(m_prompter->texts(QStringLiteral("open")), QStringList{QStringLiteral("导入票据定义文件")});
        QCOMPARE(form.fileNameLabel->text(), path);
        QCOMPARE(form.fileTypeLabel->text(), QStringLiteral("汇票"));
        QCOMPARE(form.fileBillNameLabel->text(), QStringLiteral("转帐支票"));
        QCOMPARE(form.billNameEdit->text(), QStringLiteral("转帐支票"));
        QCOMPARE(form.typeSelector->currentIndex(), 3);
        QVERIFY(form.typeSelector->isEnabled());
        QVERIFY(form.okButton->isEnabled());
        QCOMPARE(pictureFolder().size(), 1);

        QTest::mouseClick(form.okButton, Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.chosenTypeIndex(), 3);
        QVERIFY(!form.replacedBill());
        QCOMPARE(masterRows(), QStringList{QStringLiteral("3|转帐支票")});
        QCOMPARE(m_store->typeBillCount(3), 1);
        const QString picture = m_store->storedPicturePath(m_store->billEntriesOfType(3).constFirst());
        QCOMPARE(fileBytes(picture), kPicture);
    }

    void typeIndexOutsideTheListBecomesZero_data() {
        QTest::addColumn<int>("fileType");
        QTest::addColumn<int>("extraTypes");
        QTest::newRow("12 of 10 types") << 12 << 1;
        QTest::newRow("9 of 9 types") << 9 << 0;
        QTest::newRow("negative") << -1 << 0;
    }

    void typeIndexOutsideTheListBecomesZero() {
        QFETCH(int, fileType);
        QFETCH(int, extraTypes);
        const QString path = definitionFile(QStringLiteral("甲"), fileType);
        for (int i = 0; i < extraTypes; ++i)
            m_store->addType(QStringLiteral("新类型%1").arg(i));
        TLoadBillFileForm form(*m_store);
        form.show();
        browse(form, path);
        QCOMPARE(form.typeSelector->currentIndex(), 0);
        QCOMPARE(form.fileTypeLabel->text(), QStringLiteral("支票"));
        const QVariant stored =
            Sql::scalar(Database::get(Db::Define), QStringLiteral("SELECT \"票据类型\" FROM \"票据类型\""));
        QCOMPARE(stored.toInt(), 0);
    }

    void sameNameAnsweredNoKeepsDialogOpen() {
        addFixtureBill(*m_store, 3, QStringLiteral("甲"));
        TLoadBillFileForm form(*m_store);
        form.show();
        browse(form, definitionFile(QStringLiteral("甲"), 3));
        QVERIFY(!form.okButton->isEnabled());

        // Any edit enables the button again, even one that ends at the same name.
        form.billNameEdit->setText(QStringLiteral("甲乙"));
        QVERIFY(form.okButton->isEnabled());
        form.billNameEdit->setText(QStringLiteral("甲"));
        m_prompter->answers << false;
        QTest::mouseClick(form.okButton, Qt::LeftButton);
        QCOMPARE(m_prompter->texts(QStringLiteral("question")),
                 QStringList{QStringLiteral("有相同的票据名称 ！需要覆盖吗？")});
        QVERIFY(form.isVisible());
        QVERIFY(!form.okButton->isEnabled());
        QCOMPARE(masterRows(), QStringList{QStringLiteral("3|甲")});
        QCOMPARE(Sql::columnNames(Database::get(Db::Bill), QStringLiteral("H1Bef")).mid(2),
                 QStringList{QStringLiteral("金额")});

        QTest::keyClicks(form.billNameEdit, QStringLiteral("2"));
        QVERIFY(form.okButton->isEnabled());
        QTest::mouseClick(form.okButton, Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(masterRows(), QStringList({QStringLiteral("3|甲"), QStringLiteral("3|甲2")}));
        QCOMPARE(m_store->typeBillCount(3), 2);
    }

    void sameNameAnsweredYesReplacesBill() {
        addFixtureBill(*m_store, 3, QStringLiteral("乙"));
        {
            QFile f(AppPaths::pictureDir() + QStringLiteral("7.bkg"));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        fillWorkingTemplate(QStringLiteral("甲"), {{QStringLiteral("旧项"), 0}}, 3,
                            AppPaths::pictureDir() + QStringLiteral("7.bkg"));
        m_store->createBillFromWorkingTemplate(3, QStringLiteral("甲"));
        m_store->changeTypeCount(3, 1);

        TLoadBillFileForm form(*m_store);
        form.show();
        browse(form, definitionFile(QStringLiteral("甲"), 3));
        QVERIFY(!form.okButton->isEnabled());
        QTest::keyClicks(form.billNameEdit, QStringLiteral("x"));
        QTest::keyClick(form.billNameEdit, Qt::Key_Backspace);
        m_prompter->answers << true;
        QTest::mouseClick(form.okButton, Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(form.replacedBill());
        QCOMPARE(masterRows(), QStringList({QStringLiteral("3|乙"), QStringLiteral("3|甲")}));
        QCOMPARE(m_store->typeBillCount(3), 2);
        QCOMPARE(Sql::columnNames(Database::get(Db::Bill), QStringLiteral("H2Bef")).mid(2),
                 QStringList{QStringLiteral("金额")});
        QVERIFY(!QFile::exists(AppPaths::pictureDir() + QStringLiteral("7.bkg")));
        const QString picture = m_store->storedPicturePath(m_store->billEntriesOfType(3).constLast());
        QCOMPARE(fileBytes(picture), kPicture);
    }

    void typedTypeNameBecomesType_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }

    void typedTypeNameBecomesType() {
        QFETCH(bool, confirm);
        TLoadBillFileForm form(*m_store);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        browse(form, definitionFile(QStringLiteral("甲"), 3));

        form.typeSelector->setFocus();
        form.typeSelector->lineEdit()->selectAll();
        form.typeSelector->lineEdit()->insert(QStringLiteral("工资单"));
        QVERIFY(form.okButton->isEnabled());
        form.billNameEdit->setFocus();
        QCOMPARE(m_store->typeNames().size(), 10);
        QCOMPARE(m_store->typeNames().last(), QStringLiteral("工资单"));
        QCOMPARE(Sql::rowCount(Database::get(Db::Bill), BillStore::typeTable()), 10);
        QCOMPARE(form.typeSelector->currentIndex(), 9);
        QCOMPARE(form.typeSelector->count(), 10);

        // An emptied list falls back to the last valid type.
        form.typeSelector->setFocus();
        form.typeSelector->lineEdit()->clear();
        form.billNameEdit->setFocus();
        QCOMPARE(form.typeSelector->currentText(), QStringLiteral("工资单"));
        QCOMPARE(m_store->typeNames().size(), 10);

        if (confirm) {
            QTest::mouseClick(form.okButton, Qt::LeftButton);
            QCOMPARE(form.chosenTypeIndex(), 9);
            QCOMPARE(masterRows(), QStringList{QStringLiteral("9|甲")});
            QCOMPARE(m_store->typeBillCount(9), 1);
        } else {
            QTest::mouseClick(form.cancelButton, Qt::LeftButton);
            QCOMPARE(form.result(), int(QDialog::Rejected));
            QVERIFY(masterRows().isEmpty());
            BillStore fresh;
            fresh.reloadTypeNames();
            QCOMPARE(fresh.typeNames().last(), QStringLiteral("工资单"));
        }
    }

    void cancelDeletesPendingPicture() {
        TLoadBillFileForm form(*m_store);
        form.show();
        browse(form, definitionFile(QStringLiteral("甲"), 3));
        const QString first = form.pendingPicture();
        QVERIFY(QFile::exists(first));
        // Another file replaces the pending picture.
        browse(form, definitionFile(QStringLiteral("乙"), 4));
        QVERIFY(!QFile::exists(first));
        QCOMPARE(pictureFolder().size(), 1);
        QCOMPARE(form.billNameEdit->text(), QStringLiteral("乙"));
        QTest::mouseClick(form.cancelButton, Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(pictureFolder().isEmpty());
        QVERIFY(masterRows().isEmpty());
    }

    void refusedInputs_data() {
        QTest::addColumn<bool>("validFile");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("invalid file")
            << false << QString() << QStringLiteral("票据定义文件不存在或是非法的 ！");
        QTest::newRow("empty name") << true << QString()
                                    << QStringLiteral("票据名称不能为空 ！\n请重新输入...");
    }

    void refusedInputs() {
        QFETCH(bool, validFile);
        QFETCH(QString, name);
        QFETCH(QString, message);
        QString path = definitionFile(QStringLiteral("甲"), 3);
        if (!validFile) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(300);
            f.write("x");
        }
        TLoadBillFileForm form(*m_store);
        form.show();
        browse(form, path);
        if (validFile) {
            form.billNameEdit->setText(name);
            QTest::mouseClick(form.okButton, Qt::LeftButton);
        }
        QCOMPARE(m_prompter->texts(QStringLiteral("notice")), QStringList{message});
        QVERIFY(!form.okButton->isEnabled());
        QVERIFY(form.isVisible());
        QVERIFY(masterRows().isEmpty());
        QCOMPARE(pictureFolder().size(), validFile ? 1 : 0);
    }

    void importFromMainWindow() {
        addFixtureBill(*m_store, 1, QStringLiteral("进帐单一"));
        TMainForm main;
        main.show();
        QCOMPARE(main.currentTypeIndex(), 1);

        // Into the listed type: the new bill joins the list.
        runImport(main, definitionFile(QStringLiteral("进帐单二"), 1));
        QCOMPARE(main.currentTypeIndex(), 1);
        QCOMPARE(main.billList->item(2, 0)->text(), QStringLiteral("进帐单二"));
        QCOMPARE(main.billStore().typeBillCount(1), 2);

        // Into another type: the type list gains it, the listed bills stay.
        runImport(main, definitionFile(QStringLiteral("支票一"), 0));
        QCOMPARE(main.typeList->rowCount(), 2);
        QCOMPARE(main.typeList->item(0, 0)->text(), QStringLiteral("支票"));
        QCOMPARE(main.currentTypeIndex(), 1);
        QCOMPARE(main.billList->item(1, 0)->text(), QStringLiteral("进帐单一"));
        QCOMPARE(main.typeList->item(main.highlightedTypeRow(), 0)->text(), QStringLiteral("进帐单"));
    }

    void importIntoEmptyStoreListsTheType() {
        TMainForm main;
        main.show();
        QCOMPARE(main.currentTypeIndex(), -1);
        // The banner button does what the menu command does.
        runImport(main, definitionFile(QStringLiteral("电汇一"), 2), main.importBillButton);
        QCOMPARE(main.currentTypeIndex(), 2);
        QCOMPARE(main.typeList->item(0, 0)->text(), QStringLiteral("电汇"));
        QCOMPARE(main.billList->item(1, 0)->text(), QStringLiteral("电汇一"));
        QVERIFY(main.selectedBill());
    }

private:
    // A definition file written from a small template with a picture.
    QString definitionFile(const QString& billName, int typeIndex) {
        const QString picture = m_dir->filePath(QStringLiteral("src.jpg"));
        QFile f(picture);
        if (f.open(QIODevice::WriteOnly))
            f.write(kPicture);
        f.close();
        fillWorkingTemplate(billName, {{QStringLiteral("金额"), 8, true, true}}, typeIndex);
        Sql::exec(Database::get(Db::Define), QStringLiteral("UPDATE \"票据类型\" SET \"图形文件\"=?"),
                  {picture});
        const QString path = m_dir->filePath(billName + QStringLiteral(".BDF"));
        QString error;
        if (!BillDefineFile::write(path, &error))
            qWarning() << error;
        Sql::emptyTable(Database::get(Db::Define), BillStore::workingPageTable());
        Sql::emptyTable(Database::get(Db::Define), BillStore::workingItemTable());
        return path;
    }

    void browse(TLoadBillFileForm& form, const QString& path) {
        m_prompter->files << path;
        QTest::mouseClick(form.chooseFileButton, Qt::LeftButton);
    }

    // Runs the import command and answers its dialog: the file is chosen and confirmed.
    void runImport(TMainForm& main, const QString& path, QPushButton* button = nullptr) {
        m_prompter->files << path;
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto* form = qobject_cast<TLoadBillFileForm*>(QApplication::activeModalWidget());
            if (!form)
                return;
            seen = true;
            QTest::mouseClick(form->chooseFileButton, Qt::LeftButton);
            QTest::mouseClick(form->okButton, Qt::LeftButton);
            if (form->isVisible())
                form->reject();
        });
        if (button)
            QTest::mouseClick(button, Qt::LeftButton);
        else
            main.importBillAction->trigger();
        QVERIFY(seen);
    }

    std::unique_ptr<TempAppFolder> m_app;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<BillStore> m_store;
    ScriptedPrompter* m_prompter = nullptr;
};

QTEST_MAIN(TestLoadBillFileForm)
#include "tst_loadbillfileform.moc"
