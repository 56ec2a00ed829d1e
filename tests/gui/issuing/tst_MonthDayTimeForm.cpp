#include "issuing/ui/TMonthDayTimeForm.h"
#include "issuing/ui/UpDown.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {
// Types into a field of the dialog once it shows, then presses one of its buttons.
void whenShown(const std::function<void(TMonthDayTimeForm*)>& act) {
    QTimer::singleShot(0, [act] {
        if (auto* dlg = qobject_cast<TMonthDayTimeForm*>(QApplication::activeModalWidget()))
            act(dlg);
    });
}

void retype(QLineEdit* field, const QString& keys, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    for (const QChar c : keys)
        QTest::keyClick(field, c.toLatin1(), modifiers);
}
} // namespace

class TestMonthDayTimeForm : public QObject {
    Q_OBJECT
private slots:
    void showsAndReturnsTheValue() {
        TMonthDayTimeForm form;
        whenShown([](TMonthDayTimeForm* dlg) {
            QCOMPARE(dlg->monthEditor->text(), QStringLiteral("3"));
            QCOMPARE(dlg->dayEditor->text(), QStringLiteral("8"));
            QCOMPARE(dlg->hourEditor->text(), QStringLiteral("14"));
            QCOMPARE(dlg->minuteEditor->text(), QStringLiteral("5"));
            dlg->okButton->click();
        });
        QCOMPARE(form.edit(QStringLiteral("03081405")), std::optional<QString>(QStringLiteral("03081405")));

        whenShown([](TMonthDayTimeForm* dlg) {
            retype(dlg->monthEditor, QStringLiteral("12"));
            retype(dlg->hourEditor, QStringLiteral("9"));
            dlg->minuteArrows->upButton()->click(); // 5 -> 6
            dlg->okButton->click();
        });
        QCOMPARE(form.edit(QStringLiteral("03081405")), std::optional<QString>(QStringLiteral("12080906")));

        whenShown([](TMonthDayTimeForm* dlg) {
            retype(dlg->monthEditor, QStringLiteral("7"));
            dlg->cancelButton->click();
        });
        QCOMPARE(form.edit(QStringLiteral("03081405")), std::nullopt);
    }

    void typingOutsideTheRangesIsRefused_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<QString>("left");
        QTest::newRow("month 13") << 1 << "13" << false << "1";
        QTest::newRow("month 0") << 1 << "0" << false << "";
        QTest::newRow("day 32") << 2 << "32" << false << "3";
        QTest::newRow("hour 0") << 3 << "0" << false << "";
        QTest::newRow("hour 24") << 3 << "24" << false << "24";
        QTest::newRow("minute 60") << 4 << "60" << false << "6";
        QTest::newRow("minute 0") << 4 << "0" << false << "0";
        QTest::newRow("letters") << 1 << "a" << false << "";
        QTest::newRow("month on the keypad") << 1 << "7" << true << "7";
        QTest::newRow("day on the keypad") << 2 << "7" << true << "";
    }
    void typingOutsideTheRangesIsRefused() {
        QFETCH(int, field);
        QFETCH(QString, keys);
        QFETCH(bool, keypad);
        QFETCH(QString, left);
        TMonthDayTimeForm form;
        form.setValue(QStringLiteral("03081405"));
        form.show();
        QLineEdit* fields[] = {form.monthEditor, form.dayEditor, form.hourEditor, form.minuteEditor};
        retype(fields[field - 1], keys, keypad ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(fields[field - 1]->text(), left);
    }
};

QTEST_MAIN(TestMonthDayTimeForm)
#include "tst_MonthDayTimeForm.moc"
