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
        QCOMPARE(form.genderSelector->count(), 2);
        QCOMPARE(form.ethnicSelector->count(), 58);
        QCOMPARE(form.ethnicSelector->itemText(57), QStringLiteral("外国血统中国籍人士"));
        form.show();
        QCOMPARE(form.recordList->columnCount(), 19);
        QCOMPARE(form.recordList->horizontalHeaderItem(18)->text(), QStringLiteral("识别码"));
        QCOMPARE(form.recordList->rowCount(), 5);
        QCOMPARE(form.ethnicSelector->currentText(), QStringLiteral("汉族"));

        clickRow(form.recordList, 2);
        QCOMPARE(form.nameEdit->text(), QStringLiteral("张五"));
        QCOMPARE(form.ethnicSelector->currentText(), QStringLiteral("满族"));
        QVERIFY(form.deleteButton->isEnabled());

        clickRow(form.recordList, 4); // a gender not in the list shows no selection
        QCOMPARE(form.genderSelector->currentIndex(), -1);
        QCOMPARE(form.ethnicSelector->currentText(), QStringLiteral("汉族"));
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
        form.nameEdit->setText(name);
        form.genderSelector->setCurrentIndex(gender);
        form.ethnicSelector->setCurrentIndex(ethnic);
        if (found.isEmpty()) {
            QCOMPARE(dialogsOpenedBy([&form] { form.queryButton->click(); }), 0);
            return;
        }
        QStringList listed;
        whenModal<TInfoShowForm>([&](TInfoShowForm* info) {
            QCOMPARE(info->recordList->columnCount(), 19);
            for (int r = 0; r < info->recordList->rowCount(); ++r)
                listed << info->recordList->item(r, 0)->text();
        });
        form.queryButton->click();
        QCOMPARE(listed, found);
    }

    void addModifyDelete() {
        TLinkManForm form;
        form.show();
        form.nameEdit->setText(QStringLiteral("王六"));
        form.ethnicSelector->setCurrentText(QStringLiteral("回族"));
        form.codeEdit->setText(QStringLiteral("ZS")); // "zs" in another case
        m_prompter->answers = {false};
        form.addButton->click();
        QCOMPARE(m_prompter->texts(QStringLiteral("question")).size(), 1);
        QCOMPARE(form.recordList->rowCount(), 6);
        QCOMPARE(form.recordList->item(5, 3)->text(), QStringLiteral("回族"));
        QCOMPARE(form.ethnicSelector->currentText(), QStringLiteral("汉族")); // reset after the add

        clickRow(form.recordList, 5);
        form.ageEdit->setText(QStringLiteral("40"));
        form.modifyButton->click(); // its own code: no question
        QCOMPARE(m_prompter->texts(QStringLiteral("question")).size(), 1);
        QCOMPARE(ReferenceTable(kContacts).records({QStringLiteral("年龄")}).last().values,
                 QStringList{QStringLiteral("40")});
        QCOMPARE(form.recordList->item(5, 2)->text(), QStringLiteral("40"));

        clickRow(form.recordList, 0);
        form.deleteButton->click();
        QCOMPARE(ReferenceTable(kContacts).count(), 5);
        QCOMPARE(form.recordList->item(0, 0)->text(), QStringLiteral("张四"));
        for (QPushButton* b : {form.addButton, form.deleteButton, form.modifyButton, form.selectButton})
            QVERIFY(!b->isEnabled());
    }

    void pickContactReturnsTheStoredRecord() {
        TLinkManForm form;
        QStringList values, names;
        whenModal<TLinkManForm>([](TLinkManForm* f) {
            clickRow(f->recordList, 1);
            QVERIFY(f->selectButton->isEnabled());
            f->selectButton->click();
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
            d->recordFields->lineEdit(QStringLiteral("codeEdit"))->setText(QStringLiteral("lq"));
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
            d->recordFields->lineEdit(QStringLiteral("codeEdit"))->setText(QStringLiteral("LQ"));
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
            d->recordFields->lineEdit(QStringLiteral("accountNumberEdit"))->setText(QStringLiteral("6222"));
            d->recordFields->lineEdit(QStringLiteral("codeEdit"))->setText(QStringLiteral("nj"));
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
