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
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setContextMenuPolicy(Qt::NoContextMenu);
    Memo1->installEventFilter(this);
    layout->addWidget(Memo1);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("插入的子项名称:"), this));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    row->addWidget(ComboBox1, 1);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确 认"), this);
    auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &TSetCalWayForm::BitBtn1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ComboBox1, &QComboBox::activated, this, &TSetCalWayForm::ComboBox1Change);
    resize(420, 220);
}

void TSetCalWayForm::setFormula(const QString& formula, const QStringList& entries) {
    m_entries = entries;
    m_formula = formula;
    Memo1->setPlainText(formula);
    ComboBox1->clear();
    ComboBox1->addItems(entries);
    ComboBox1->setCurrentIndex(-1);
}

void TSetCalWayForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Memo1->setFocus();
    Memo1->moveCursor(QTextCursor::End);
}

bool TSetCalWayForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1 && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        // Names come only from the list; typed are figures, operators and the point.
        if (!text.isEmpty() && text.at(0) != QLatin1Char('\b') &&
            !QStringLiteral("0123456789*+-.").contains(text.at(0)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TSetCalWayForm::ComboBox1Change(int index) {
    if (index < 0)
        return;
    Memo1->insertPlainText(ComboBox1->itemText(index));
    Memo1->setFocus();
}

void TSetCalWayForm::BitBtn1Click() {
    const QString text = Memo1->toPlainText();
    const ItemRelations::FormulaCheck check = ItemRelations::validateFormula(text, m_entries);
    if (!check.ok) {
        Prompter::instance().warning(this, QStringLiteral("算法错误 ！"));
        Memo1->setFocus();
        QTextCursor c = Memo1->textCursor();
        c.setPosition(check.stop);
        Memo1->setTextCursor(c);
        return;
    }
    m_formula = check.formula;
    accept();
}
