#include "reference/ReferenceTable.h"
#include "reference/ui/TAddBussAccountForm.h"
#include "reference/ui/TBussSelectForm.h"
#include "store/Schema.h"
#include "support/TempAppFolder.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {
void addUnit(const QString& name, const QString& code) {
    ReferenceTable(QStringLiteral("业务单位"))
        .append(Schema::businessUnitColumns(), {name, "6222", "工行", "江苏", "南京", code});
}

// Answers the dialog if it opens: records the first column of its rows, then runs `answer`.
struct DialogWatch {
    bool opened = false;
    QStringList rows;
};
std::shared_ptr<DialogWatch> watch(std::function<void(TBussSelectForm*)> answer) {
    auto w = std::make_shared<DialogWatch>();
    QTimer::singleShot(0, [w, answer] {
        auto* f = qobject_cast<TBussSelectForm*>(QApplication::activeModalWidget());
        if (!f)
            return;
        w->opened = true;
        for (int r = 0; r < f->candidateList->rowCount(); ++r)
            w->rows << f->candidateList->item(r, 0)->text();
        answer(f);
        if (f->isVisible())
            f->reject();
    });
    return w;
}
} // namespace

// The selection dialog: when it shows, what it returns, and the names it always fills.
class TestBussSelect : public QObject {
    Q_OBJECT

    std::unique_ptr<TempAppFolder> m_folder;

private slots:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        addUnit(QStringLiteral("甲"), QStringLiteral("ab"));
        addUnit(QStringLiteral("乙"), QStringLiteral("dup"));
        addUnit(QStringLiteral("丙"), QStringLiteral("dup"));
    }
    void cleanup() { m_folder.reset(); }

    void singleCandidateTakenWithoutDialog() {
        TBussSelectForm form;
        QStringList values, names;
        auto w = watch([](TBussSelectForm*) {});
        QCOMPARE(form.SelectBusinessUnit(QStringLiteral("AB"), values, names), 1);
        QCoreApplication::processEvents();
        QVERIFY(!w->opened);
        QCOMPARE(form.windowTitle(), QStringLiteral("业务单位选择"));
        QCOMPARE(names, Schema::businessUnitColumns());
        QCOMPARE(values.size(), 20);
        QCOMPARE(values.mid(0, 6), (QStringList{"甲", "6222", "工行", "江苏", "南京", "ab"}));
    }

    void severalCandidates_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("Esc") << int(Qt::Key_Escape) << -1 << "?";
        QTest::newRow("down, Enter") << int(Qt::Key_Down) << 1 << "丙";
    }
    void severalCandidates() {
        QFETCH(int, key);
        QFETCH(int, result);
        QFETCH(QString, chosen);
        TBussSelectForm form;
        QStringList values{QStringLiteral("?")}, names;
        int columns = 0, room = 0;
        auto w = watch([key, &columns, &room](TBussSelectForm* f) {
            // Shown, the columns fill the grid: the last one takes what the others leave.
            for (int c = 0; c < f->candidateList->columnCount(); ++c)
                columns += f->candidateList->columnWidth(c);
            room = f->candidateList->viewport()->width();
            QTest::keyClick(f->candidateList, Qt::Key(key));
            if (key != Qt::Key_Escape)
                QTest::keyClick(f->candidateList, Qt::Key_Return);
        });
        QCOMPARE(form.SelectBusinessUnit(QStringLiteral("DUP"), values, names), result);
        QVERIFY(w->opened);
        QCOMPARE(w->rows, (QStringList{"乙", "丙"}));
        QCOMPARE(values.first(), chosen);
        QCOMPARE(names.size(), 6);
        QCOMPARE(columns, room);
    }

    // The quick-add dialog continues the typed name: the first key does not replace it.
    void quickAddKeepsTheTypedName() {
        TAddBussAccountForm form;
        QStringList values;
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<TAddBussAccountForm*>(QApplication::activeModalWidget());
            if (!d)
                return;
            QWidget* first = d->focusWidget();
            QTest::keyClick(first, Qt::Key_A);
            d->okButton->click();
        });
        QVERIFY(form.QuickAddBusinessUnit(QStringLiteral("ZZ"), values));
        QCOMPARE(values.first(), QStringLiteral("ZZa"));
    }

    void noCandidateFillsTheNames() {
        TBussSelectForm form;
        QStringList values{QStringLiteral("?")}, names{QStringLiteral("old")};
        QCOMPARE(form.SelectContact(QStringLiteral("nobody"), values, names), -1);
        QCOMPARE(names, Schema::contactColumns());
        QCOMPARE(values, QStringList{QStringLiteral("?")});
        QCOMPARE(form.SelectOwnAccount(values, names), -1);
        QCOMPARE(names, Schema::ownAccountColumns());
    }

    void purposesForAnEmptyText() {
        for (const char* p : {"货款", "运费"})
            ReferenceTable(QStringLiteral("票据用途"))
                .append(Schema::purposeColumns(), {QString::fromUtf8(p), "x"});
        TBussSelectForm form;
        QStringList values, names;
        auto w = watch([](TBussSelectForm* f) { f->okButton->click(); });
        QCOMPARE(form.SelectPurpose(QString(), values, names), 1);
        QCOMPARE(w->rows, (QStringList{"货款", "运费"}));
        QCOMPARE(values.first(), QStringLiteral("货款"));
        QCOMPARE(form.windowTitle(), QStringLiteral("票据用途选择"));
    }
};

QTEST_MAIN(TestBussSelect)
#include "tst_bussselect.moc"
