#pragma once

#include "app/ui/TStringInputForm.h"
#include "templates/ui/ParameterGrid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

// Acts on the modal dialog of the given class as soon as the next exec() shows it (looking for
// it for about two seconds).
template <typename T> void whenShown(std::function<void(T*)> act, int triesLeft = 200) {
    QTimer::singleShot(triesLeft == 200 ? 0 : 10, [act, triesLeft] {
        if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget()))
            act(d);
        else if (triesLeft > 0)
            whenShown<T>(act, triesLeft - 1);
    });
}

// Types a name into the next text input dialog and confirms it; an empty name cancels.
inline void answerName(const QString& name) {
    whenShown<TStringInputForm>([name](TStringInputForm* d) {
        d->textEdit->setText(name);
        d->findChild<QPushButton*>(QString::fromLatin1(name.isEmpty() ? "cancelButton" : "okButton"))
            ->click();
    });
}

// Double-clicks the value cell of a row as the operator does.
inline void doubleClick(ParameterGrid* grid, int row) {
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    // A double click arrives after the press and release of its first click.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// Types into a widget key by key; Chinese arrives as text without a key of its own, as from an
// input method.
inline void typeKeys(QWidget* widget, const QString& keys) {
    for (const QChar c : keys) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Opens the line edit of a row, empties it and types the keys (not yet committed).
inline void typeInto(ParameterGrid* grid, int row, const QString& keys) {
    doubleClick(grid, row);
    QLineEdit* edit = grid->edit();
    QVERIFY(edit->isVisible());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    typeKeys(edit, keys);
}

// Chooses an entry of an open drop-down as the operator's click in its list would.
inline void choose(QComboBox* combo, const QString& text) {
    QVERIFY(combo->isVisible());
    const int i = combo->findText(text);
    QVERIFY(i >= 0);
    combo->setCurrentIndex(i);
    emit combo->activated(i);
}

// Chooses an entry of a drop-down as a person does: a click on the box opens its list, a click on
// the entry picks it and closes the list.
inline void pickFromDropDown(QComboBox* combo, const QString& text) {
    const int i = combo->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView* list = combo->view();
    QTRY_VERIFY(list->isVisible());
    // The list takes a release that comes sooner than a double click after the opening press as
    // the end of that press, not as a choice.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QRect entry = list->visualRect(list->model()->index(i, combo->modelColumn()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(combo->currentIndex(), i);
}
