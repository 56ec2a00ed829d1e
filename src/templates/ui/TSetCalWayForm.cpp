#include "templates/ui/TSetCalWayForm.h"

#include "platform/ui/Prompter.h"
#include "templates/ItemRelations.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

TSetCalWayForm::TSetCalWayForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("计算方法"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    formulaEditor = new QPlainTextEdit(this);
    formulaEditor->setObjectName(QStringLiteral("formulaEditor"));
    formulaEditor->setContextMenuPolicy(Qt::NoContextMenu);
    formulaEditor->installEventFilter(this);
    layout->addWidget(formulaEditor);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("插入的子项名称:"), this));
    entrySelector = new QComboBox(this);
    entrySelector->setObjectName(QStringLiteral("entrySelector"));
    row->addWidget(entrySelector, 1);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确 认"), this);
    auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &TSetCalWayForm::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(entrySelector, &QComboBox::activated, this, &TSetCalWayForm::insertEntry);
    resize(420, 220);
}

void TSetCalWayForm::setFormula(const QString& formula, const QStringList& entries) {
    m_entries = entries;
    m_formula = formula;
    formulaEditor->setPlainText(formula);
    entrySelector->clear();
    entrySelector->addItems(entries);
    entrySelector->setCurrentIndex(-1);
}

void TSetCalWayForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    formulaEditor->setFocus();
    formulaEditor->moveCursor(QTextCursor::End);
}

bool TSetCalWayForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == formulaEditor && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        // Names come only from the list; typed are figures, operators and the point.
        if (!text.isEmpty() && text.at(0) != QLatin1Char('\b') &&
            !QStringLiteral("0123456789*+-.").contains(text.at(0)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TSetCalWayForm::insertEntry(int index) {
    if (index < 0)
        return;
    formulaEditor->insertPlainText(entrySelector->itemText(index));
    formulaEditor->setFocus();
}

void TSetCalWayForm::confirm() {
    const QString text = formulaEditor->toPlainText();
    const ItemRelations::FormulaCheck check = ItemRelations::validateFormula(text, m_entries);
    if (!check.ok) {
        Prompter::instance().warning(this, QStringLiteral("算法错误 ！"));
        formulaEditor->setFocus();
        QTextCursor c = formulaEditor->textCursor();
        c.setPosition(check.stop);
        formulaEditor->setTextCursor(c);
        return;
    }
    m_formula = check.formula;
    accept();
}
