#include "app/ui/TMainForm.h"
#include "reference/ReferenceTable.h"
#include "reference/ui/TBussAccountForm.h"
#include "reference/ui/TInfoShowForm.h"
#include "reference/ui/TOwnAccountForm.h"
#include "reference/ui/TPurposeForm.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sql.h"
#include "support/TempAppFolder.h"
#include "support/ui/ScriptedPrompter.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {
const QString kUnits = QStringLiteral("业务单位");
const QString kPurposes = QStringLiteral("票据用途");
const QString kDuplicate = QStringLiteral("存在相同的识别码，需要修改吗 ？");

void addUnit(const QString& name, const QString& code) {
    ReferenceTable(kUnits).append(Schema::businessUnitColumns(),
                                  {name, "6222", "工行", "江苏", "南京", code});
}

QList<QStringList> stored(const QString& table, const QStringList& columns) {
    QList<QStringList> out;
    for (const StoredRecord& r : ReferenceTable(table).records(columns))
        out << r.values;
    return out;
}

QStringList column(const QTableWidget* grid, int c) {
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
    return out;
}

void clickRow(QTableWidget* grid, int row) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(row, 0)).center());
}

// Runs `step` once the modal dialog of the given class is up; a dialog still open afterwards (a
// failed check) is cancelled so that the test goes on.
template <typename T> void whenModal(std::function<void(T*)> step) {
    QTimer::singleShot(0, [step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* w = qobject_cast<T*>(modal))
            step(w);
        else
            QFAIL(qPrintable(QStringLiteral("the expected dialog did not open: ") +
                             (modal ? modal->metaObject()->className() : "none")));
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

// The manager windows driven through their widgets, with scripted answers.
class TestRecordManagers : public QObject {
    Q_OBJECT

    std::unique_ptr<TempAppFolder> m_folder;
    ScriptedPrompter* m_prompter = nullptr;

private slots:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        m_prompter = ScriptedPrompter::install();
    }
    void cleanup() {
        QCOMPARE(m_prompter->unexpected, 0);
        m_folder.reset();
    }

    void emptyTableShowsOneEmptyRow() {
        TBussAccountForm form;
        form.show();
        QCOMPARE(form.recordList->rowCount(), 1);
        QCOMPARE(column(form.recordList, 0), QStringList{QString()});
        QCOMPARE(form.recordList->horizontalHeaderItem(3)->text(), QStringLiteral("银行地址(省/自治区)"));
        clickRow(form.recordList, 0);
        QVERIFY(form.unitNameEdit->text().isEmpty());
        for (QPushButton* b : {form.addButton, form.deleteButton, form.modifyButton, form.selectButton})
            QVERIFY(!b->isEnabled());
    }

    void enablingFollowsTheEdits() {
        addUnit(QStringLiteral("甲"), QStringLiteral("a"));
        TBussAccountForm form;
        form.show();
        clickRow(form.recordList, 0);
        QCOMPARE(form.unitNameEdit->text(), QStringLiteral("甲"));
        QVERIFY(form.deleteButton->isEnabled());
        QVERIFY(!form.selectButton->isEnabled()); // not in select mode
        QTest::keyClick(form.unitNameEdit, Qt::Key_X);
        QVERIFY(form.addButton->isEnabled() && form.modifyButton->isEnabled());
        QVERIFY(!form.deleteButton->isEnabled());
        // With every edit erased the business units keep "修改记录"; it then writes empty texts.
        for (QLineEdit* e : {form.unitNameEdit, form.accountNumberEdit, form.bankEdit, form.provinceEdit,
                             form.cityEdit, form.codeEdit})
            e->clear();
        QVERIFY(!form.addButton->isEnabled());
        QVERIFY(form.modifyButton->isEnabled());
        form.modifyButton->click();
        QCOMPARE(stored(kUnits, Schema::businessUnitColumns()),
                 QList<QStringList>{QStringList(6, QString())});

        TOwnAccountForm own;
        own.show();
        QTest::keyClick(own.accountNameEdit, Qt::Key_X);
        own.accountNameEdit->clear();
        QVERIFY(!own.modifyButton->isEnabled());
    }

    void addWithDuplicateCode_data() {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("records");
        QTest::newRow("Yes: change the code") << true << 1;
        QTest::newRow("No: store it anyway") << false << 2;
    }
    void addWithDuplicateCode() {
        QFETCH(bool, answer);
        QFETCH(int, records);
        addUnit(QStringLiteral("甲"), QStringLiteral("ab"));
        TBussAccountForm form;
        form.show();
        form.unitNameEdit->setText(QStringLiteral("乙"));
        form.codeEdit->setText(QStringLiteral("AB"));
        m_prompter->answers = {answer};
        form.addButton->click();
        QCOMPARE(m_prompter->texts(QStringLiteral("question")), QStringList{kDuplicate});
        QCOMPARE(ReferenceTable(kUnits).count(), records);
        QCOMPARE(form.recordList->rowCount(), records);
        // Yes keeps the edits for changing the code; a stored record clears them.
        QCOMPARE(form.unitNameEdit->text(), answer ? QStringLiteral("乙") : QString());
        if (!answer) {
            QCOMPARE(column(form.recordList, 0), (QStringList{"甲", "乙"}));
            QCOMPARE(form.recordList->currentRow(), 1);
            QVERIFY(!form.addButton->isEnabled() && !form.modifyButton->isEnabled());
        }
    }

    // Modify compares codes exactly and skips the record's own row.
    void modifyCode_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("questions");
        QTest::newRow("own code unchanged") << "cd" << 0;
        QTest::newRow("other code in other case") << "AB" << 0;
        QTest::newRow("other code exactly") << "ab" << 1;
    }
    void modifyCode() {
        QFETCH(QString, code);
        QFETCH(int, questions);
        addUnit(QStringLiteral("甲"), QStringLiteral("ab"));
        addUnit(QStringLiteral("乙"), QStringLiteral("cd"));
        TBussAccountForm form;
        form.show();
        clickRow(form.recordList, 1);
        form.unitNameEdit->setText(QStringLiteral("乙二"));
        form.codeEdit->setText(code);
        m_prompter->answers = {true}; // Yes abandons the change
        form.modifyButton->click();
        QCOMPARE(m_prompter->texts(QStringLiteral("question")).size(), questions);
        const QString name = questions ? QStringLiteral("乙") : QStringLiteral("乙二");
        QCOMPARE(stored(kUnits, {QStringLiteral("单位名称")}).last(), QStringList{name});
        QCOMPARE(form.recordList->item(1, 0)->text(), name);
        m_prompter->answers.clear();
    }

    void deleteLastRecord() {
        addUnit(QStringLiteral("甲"), QStringLiteral("ab"));
        TBussAccountForm form;
        form.show();
        clickRow(form.recordList, 0);
        form.deleteButton->click();
        QCOMPARE(ReferenceTable(kUnits).count(), 0);
        QCOMPARE(form.recordList->rowCount(), 1);
        QCOMPARE(column(form.recordList, 0), QStringList{QString()});
        QVERIFY(form.unitNameEdit->text().isEmpty());
        QVERIFY(!form.deleteButton->isEnabled());
    }

    void deleteMovesTheRowsUp() {
        for (const char* n : {"甲", "乙", "丙"})
            addUnit(QString::fromUtf8(n), QString());
        TBussAccountForm form;
        form.show();
        clickRow(form.recordList, 1);
        form.deleteButton->click();
        QCOMPARE(column(form.recordList, 0), (QStringList{"甲", "丙"}));
        QCOMPARE(stored(kUnits, {QStringLiteral("单位名称")}), (QList<QStringList>{{"甲"}, {"丙"}}));
    }

    // Another action removed a record under the grid: the manager says so and changes nothing.
    void tableChangedUnderTheGrid() {
        for (const char* n : {"甲", "乙", "丙"})
            addUnit(QString::fromUtf8(n), QString());
        TBussAccountForm form;
        form.show();
        clickRow(form.recordList, 1);
        Sql::exec(Database::get(Db::Bill),
                  QStringLiteral("DELETE FROM \"业务单位\" WHERE \"单位名称\"='甲'"));
        form.deleteButton->click();
        QCOMPARE(m_prompter->texts(QStringLiteral("error")).size(), 1);
        QCOMPARE(stored(kUnits, {QStringLiteral("单位名称")}), (QList<QStringList>{{"乙"}, {"丙"}}));
        QCOMPARE(column(form.recordList, 0), (QStringList{"乙", "丙"}));
    }

    void pickBusinessUnit() {
        addUnit(QStringLiteral("甲"), QStringLiteral("a1"));
        addUnit(QStringLiteral("乙"), QStringLiteral("b2"));
        TBussAccountForm form;
        QStringList values(20, QStringLiteral("?")), names{QStringLiteral("old")};

        whenModal<TBussAccountForm>([](TBussAccountForm* f) { f->exitButton->click(); });
        QCOMPARE(form.PickBusinessUnit(values, names), 0);
        QCOMPARE(names, QStringList{QStringLiteral("old")});
        QVERIFY(!form.selectMode());

        whenModal<TBussAccountForm>([](TBussAccountForm* f) {
            clickRow(f->recordList, 1);
            QVERIFY(f->selectButton->isEnabled());
            f->selectButton->click();
        });
        QCOMPARE(form.PickBusinessUnit(values, names), 1);
        QCOMPARE(names, Schema::businessUnitColumns());
        QCOMPARE(values.mid(0, 7), (QStringList{"乙", "6222", "工行", "江苏", "南京", "b2", "?"}));
    }

    void queryBusinessUnits() {
        addUnit(QStringLiteral("南京机械厂"), QString());
        addUnit(QString(), QString());
        addUnit(QStringLiteral("上海纺织"), QString());
        TBussAccountForm form;
        form.show();
        // Nothing typed and no row picked: no query.
        QCOMPARE(dialogsOpenedBy([&form] { form.queryButton->click(); }), 0);
        form.unitNameEdit->setText(QStringLiteral("机械"));
        QStringList names;
        whenModal<TInfoShowForm>([&names](TInfoShowForm* info) {
            names = column(info->recordList, 0);
            QCOMPARE(info->recordList->columnCount(), 6);
            info->exitButton->click();
        });
        form.queryButton->click();
        QCOMPARE(names, (QStringList{"南京机械厂", ""}));
    }

    void purposeManager() {
        ReferenceTable(kPurposes).append(Schema::purposeColumns(), {"货款\n第二行", "hk"});
        ReferenceTable(kPurposes).append(Schema::purposeColumns(), {"运费二", ""});
        TPurposeForm form;
        form.show();
        clickRow(form.recordList, 0);
        QCOMPARE(form.purposeEditor->toPlainText(),
                 QStringLiteral("货款\n第二行")); // from the table, lines kept
        QCOMPARE(form.codeEdit->text(), QStringLiteral("hk"));

        // A code or a text spanning the lines finds only the purposes holding it.
        QStringList found;
        whenModal<TInfoShowForm>([&found](TInfoShowForm* info) {
            found = column(info->recordList, 0);
            info->reject();
        });
        form.purposeEditor->setPlainText(QStringLiteral("款\n第二"));
        form.queryButton->click();
        QCOMPARE(found, QStringList{QStringLiteral("货款\n第二行")});

        form.purposeEditor->setPlainText(QStringLiteral("货款"));
        form.codeEdit->setText(QStringLiteral("HK"));
        m_prompter->answers = {false};
        form.modifyButton->click(); // another record has no "HK": no question
        QVERIFY(m_prompter->asked.isEmpty());
        QVERIFY(form.selectButton->isEnabled()); // "选 择" after a purpose change
        QCOMPARE(stored(kPurposes, Schema::purposeColumns()).first(), (QStringList{"货款", "HK"}));
        m_prompter->answers.clear();

        form.hide(); // the pick shows it modally
        QStringList values, names;
        whenModal<TPurposeForm>([](TPurposeForm* f) {
            clickRow(f->recordList, 1);
            f->selectButton->click();
        });
        QCOMPARE(form.PickPurpose(QString(), values, names), 1);
        QCOMPARE(names, (QStringList{"用途", "识别码"}));
        QCOMPARE(values.size(), 20);
        QCOMPARE(values.mid(0, 2), (QStringList{"运费二", ""}));
    }

    void ownAccountsAskNothing() {
        TOwnAccountForm form;
        form.show();
        for (int i = 0; i < 2; ++i) {
            form.accountNameEdit->setText(QStringLiteral("本公司"));
            form.addressEdit->setText(QStringLiteral("中山路1号"));
            form.addButton->click();
        }
        QCOMPARE(form.recordList->rowCount(), 2);
        QCOMPARE(form.recordList->horizontalHeaderItem(6)->text(), QStringLiteral("银行地址(详细地址)"));
        clickRow(form.recordList, 1);
        QCOMPARE(form.addressEdit->text(), QStringLiteral("中山路1号"));
        form.accountNumberEdit->setText(QStringLiteral("9558"));
        form.modifyButton->click();
        QCOMPARE(stored(QStringLiteral("本单位帐户"), Schema::ownAccountColumns()).last(),
                 (QStringList{"本公司", "9558", "", "", "", "", "中山路1号"}));
        QVERIFY(m_prompter->asked.isEmpty());
    }

    void mainWindowOpensTheManagers_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("caption");
        QTest::newRow("own accounts") << 0 << "本单位帐户-信息管理";
        QTest::newRow("business units") << 1 << "往来业务单位帐户-信息管理";
        QTest::newRow("purposes") << 2 << "用途-信息管理";
        QTest::newRow("contacts") << 3 << "联系人-信息管理";
    }
    void mainWindowOpensTheManagers() {
        QFETCH(int, item);
        QFETCH(QString, caption);
        TMainForm main;
        const QList<QAction*> popup = main.informationMenu->actions();
        QCOMPARE(popup.size(), 4);
        QCOMPARE(popup.at(item), (QList<QAction*>{main.ownAccountsAction, main.businessUnitsAction,
                                                  main.purposesAction, main.contactsAction})
                                     .at(item));
        QString shown;
        bool selecting = true;
        whenModal<RecordManagerForm>([&](RecordManagerForm* f) {
            shown = f->windowTitle();
            selecting = f->selectMode();
        });
        popup.at(item)->trigger();
        QCOMPARE(shown, caption);
        QVERIFY(!selecting);
    }
};

QTEST_MAIN(TestRecordManagers)
#include "tst_recordmanagers.moc"
