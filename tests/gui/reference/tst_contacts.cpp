#include "reference/ContactLists.h"
#include "reference/ReferenceTable.h"
#include "reference/ui/TAddBussAccountForm.h"
#include "reference/ui/TAddLinkManForm.h"
#include "reference/ui/TInfoShowForm.h"
#include "reference/ui/TLinkManForm.h"
#include "store/Schema.h"
#include "support/TempAppFolder.h"
#include "support/ui/ScriptedPrompter.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {
const QString kContacts = QStringLiteral("联系人");

// A contact of 19 columns: name, gender, ethnic group and code given, the rest numbered texts.
QStringList contact(const QString& name, const QString& gender, const QString& ethnic, const QString& code) {
    QStringList r;
    for (int i = 0; i < 19; ++i)
        r << QStringLiteral("f%1").arg(i);
    r[0] = name, r[1] = gender, r[3] = ethnic, r[18] = code;
    return r;
}

void clickRow(QTableWidget* grid, int row) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(row, 0)).center());
}

template <typename T> void whenModal(std::function<void(T*)> step) {
    QTimer::singleShot(0, [step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* w = qobject_cast<T*>(modal))
            step(w);
        else
            QFAIL("the expected dialog did not open");
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()); d && d == modal)
            d->reject();
    });
}
// Runs an action that should open no dialog; cancels and counts any that opens.
int dialogsOpenedBy(const std::function<void()>& action) {
    int opened = 0;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&opened] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++opened;
            d->reject();
        }
    });
    poll.start();
    action();
    QCoreApplication::processEvents();
    return opened;
}
} // namespace

// The contacts window and the two quick-add dialogs.
class TestContacts : public QObject {
    Q_OBJECT

    std::unique_ptr<TempAppFolder> m_folder;
    ScriptedPrompter* m_prompter = nullptr;

private slots:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
        ReferenceTable t(kContacts);
        const QStringList cols = Schema::contactColumns();
        t.append(cols, contact(QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("汉族"), "zs"));
        t.append(cols, contact(QStringLiteral("张四"), QStringLiteral("女"), QStringLiteral("汉族"), "z4"));
        t.append(cols, contact(QStringLiteral("张五"), QStringLiteral("男"), QStringLiteral("满族"), ""));
        t.append(cols, contact(QString(), QStringLiteral("男"), QStringLiteral("汉族"), ""));
        t.append(cols, contact(QStringLiteral("洋"), QStringLiteral("未知"), QStringLiteral("汉族"), ""));
    }
    void cleanup() {
        QCOMPARE(m_prompter->unexpected, 0);
        m_folder.reset();
    }

    void listsAndGrid() {
        TLinkManForm form;
        QCOMPARE(form.ComboBox1->count(), 2);
        QCOMPARE(form.ComboBox2->count(), 58);
        QCOMPARE(form.ComboBox2->itemText(57), QStringLiteral("外国血统中国籍人士"));
        form.show();
        QCOMPARE(form.RecordShow->columnCount(), 19);
        QCOMPARE(form.RecordShow->horizontalHeaderItem(18)->text(), QStringLiteral("识别码"));
        QCOMPARE(form.RecordShow->rowCount(), 5);
        QCOMPARE(form.ComboBox2->currentText(), QStringLiteral("汉族"));

        clickRow(form.RecordShow, 2);
        QCOMPARE(form.Edit1->text(), QStringLiteral("张五"));
        QCOMPARE(form.ComboBox2->currentText(), QStringLiteral("满族"));
        QVERIFY(form.SpeedButton2->isEnabled());

        clickRow(form.RecordShow, 4); // a gender not in the list shows no selection
        QCOMPARE(form.ComboBox1->currentIndex(), -1);
        QCOMPARE(form.ComboBox2->currentText(), QStringLiteral("汉族"));
    }

    // The query always filters by the two lists; a name text excludes contacts without a name.
    void query_data() {
        QTest::addColumn<int>("gender");
        QTest::addColumn<int>("ethnic");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("男 汉族") << 0 << 0 << "张" << QStringList{"张三"};
        QTest::newRow("女 汉族") << 1 << 0 << "张" << QStringList{"张四"};
        QTest::newRow("男 满族") << 0 << 10 << "张" << QStringList{"张五"};
        QTest::newRow("no gender selected") << -1 << 0 << "张" << QStringList{};
    }
    void query() {
        QFETCH(int, gender);
        QFETCH(int, ethnic);
        QFETCH(QString, name);
        QFETCH(QStringList, found);
        TLinkManForm form;
        form.show();
        form.Edit1->setText(name);
        form.ComboBox1->setCurrentIndex(gender);
        form.ComboBox2->setCurrentIndex(ethnic);
        if (found.isEmpty()) {
            QCOMPARE(dialogsOpenedBy([&form] { form.SpeedButton4->click(); }), 0);
            return;
        }
        QStringList listed;
        whenModal<TInfoShowForm>([&](TInfoShowForm* info) {
            QCOMPARE(info->RecordShow->columnCount(), 19);
            for (int r = 0; r < info->RecordShow->rowCount(); ++r)
                listed << info->RecordShow->item(r, 0)->text();
        });
        form.SpeedButton4->click();
        QCOMPARE(listed, found);
    }

    void addModifyDelete() {
        TLinkManForm form;
        form.show();
        form.Edit1->setText(QStringLiteral("王六"));
        form.ComboBox2->setCurrentText(QStringLiteral("回族"));
        form.Edit10->setText(QStringLiteral("ZS")); // "zs" in another case
        m_prompter->answers = {false};
        form.SpeedButton1->click();
        QCOMPARE(m_prompter->texts(QStringLiteral("question")).size(), 1);
        QCOMPARE(form.RecordShow->rowCount(), 6);
        QCOMPARE(form.RecordShow->item(5, 3)->text(), QStringLiteral("回族"));
        QCOMPARE(form.ComboBox2->currentText(), QStringLiteral("汉族")); // reset after the add

        clickRow(form.RecordShow, 5);
        form.Edit11->setText(QStringLiteral("40"));
        form.SpeedButton7->click(); // its own code: no question
        QCOMPARE(m_prompter->texts(QStringLiteral("question")).size(), 1);
        QCOMPARE(ReferenceTable(kContacts).records({QStringLiteral("年龄")}).last().values,
                 QStringList{QStringLiteral("40")});
        QCOMPARE(form.RecordShow->item(5, 2)->text(), QStringLiteral("40"));

        clickRow(form.RecordShow, 0);
        form.SpeedButton2->click();
        QCOMPARE(ReferenceTable(kContacts).count(), 5);
        QCOMPARE(form.RecordShow->item(0, 0)->text(), QStringLiteral("张四"));
        for (QPushButton* b : {form.SpeedButton1, form.SpeedButton2, form.SpeedButton7, form.SpeedButton8})
            QVERIFY(!b->isEnabled());
    }

    void pickContactReturnsTheStoredRecord() {
        TLinkManForm form;
        QStringList values, names;
        whenModal<TLinkManForm>([](TLinkManForm* f) {
            clickRow(f->RecordShow, 1);
            QVERIFY(f->SpeedButton8->isEnabled());
            f->SpeedButton8->click();
        });
        QCOMPARE(form.PickContact(values, names), 1);
        QCOMPARE(names, Schema::contactColumns());
        QCOMPARE(values.size(), 20);
        QCOMPARE(values.mid(0, 19),
                 contact(QStringLiteral("张四"), QStringLiteral("女"), QStringLiteral("汉族"), "z4"));
    }

    void quickAddContact() {
        TAddLinkManForm dialog;
        QStringList values;
        whenModal<TAddLinkManForm>([](TAddLinkManForm* d) {
            QVERIFY(!d->okButton->isEnabled());
            d->CurrentRecord->lineEdit(QStringLiteral("Edit10"))->setText(QStringLiteral("lq"));
            d->okButton->click();
        });
        QVERIFY(dialog.QuickAddContact(QStringLiteral("刘七"), values));
        QCOMPARE(values.size(), 20);
        QCOMPARE(values.at(0), QStringLiteral("刘七"));
        QCOMPARE(values.at(1), QStringLiteral("男"));
        QCOMPARE(values.at(3), QStringLiteral("汉族"));
        QCOMPARE(values.at(18), QStringLiteral("lq"));
        QCOMPARE(ReferenceTable(kContacts).records(Schema::contactColumns()).last().values,
                 values.mid(0, 19));

        // A taken code answered Yes keeps the dialog open; cancelling then adds nothing.
        m_prompter->answers = {true};
        whenModal<TAddLinkManForm>([](TAddLinkManForm* d) {
            d->CurrentRecord->lineEdit(QStringLiteral("Edit10"))->setText(QStringLiteral("LQ"));
            d->okButton->click();
            QVERIFY(d->isVisible());
            d->cancelButton->click();
        });
        QStringList untouched{QStringLiteral("x")};
        QVERIFY(!dialog.QuickAddContact(QStringLiteral("刘八"), untouched));
        QCOMPARE(untouched, QStringList{QStringLiteral("x")});
        QCOMPARE(ReferenceTable(kContacts).count(), 6);
    }

    void quickAddBusinessUnit() {
        TAddBussAccountForm dialog;
        QStringList values(20, QStringLiteral("?"));
        whenModal<TAddBussAccountForm>([](TAddBussAccountForm* d) {
            d->CurrentRecord->lineEdit(QStringLiteral("Edit2"))->setText(QStringLiteral("6222"));
            d->CurrentRecord->lineEdit(QStringLiteral("Edit6"))->setText(QStringLiteral("nj"));
            d->okButton->click();
        });
        QVERIFY(dialog.QuickAddBusinessUnit(QStringLiteral("南京厂"), values));
        QCOMPARE(values.mid(0, 6),
                 (QStringList{"南京厂", "6222", "", "", "", "?"})); // the code is not returned
        QCOMPARE(
            ReferenceTable(QStringLiteral("业务单位")).records(Schema::businessUnitColumns()).first().values,
            (QStringList{"南京厂", "6222", "", "", "", "nj"}));
    }
};

QTEST_MAIN(TestContacts)
#include "tst_contacts.moc"
