#include "issuing/ui/TMonthDayTimeForm.h"

#include "issuing/ui/TypingGuard.h"
#include "issuing/ui/UpDown.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// A typed number must lie in its field's typing range, which for the hour is narrower than the
// arrows' (a typed 0 is refused). The day and minute fields take digits of the main keyboard only.
TypingGuard::Rule typingRule(int low, int high, bool mainKeyboardOnly) {
    return [=](const TypingGuard::Key& key, const QString&, const QString& after) {
        const bool digit = key.isDigit() && !(mainKeyboardOnly && key.keypad);
        if (!digit && !key.isBackspace())
            return false;
        const QString t = after.trimmed();
        if (t.isEmpty())
            return true;
        bool ok = false;
        const int n = t.toInt(&ok);
        return ok && n >= low && n <= high;
    };
}
} // namespace

TMonthDayTimeForm::TMonthDayTimeForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("月、日、时、分"));
    setModal(true);
    auto* grid = new QGridLayout;
    struct Field {
        QLineEdit** memo;
        UpDown** arrows;
        const char* label;
        int low, high;         // arrows
        int typeLow, typeHigh; // typing
        bool mainKeyboardOnly;
    };
    const Field fields[] = {{&monthEditor, &monthArrows, "月", 1, 12, 1, 12, false},
                            {&dayEditor, &dayArrows, "日", 1, 31, 1, 31, true},
                            {&hourEditor, &hourArrows, "时", 0, 24, 1, 24, false},
                            {&minuteEditor, &minuteArrows, "分", 0, 59, 0, 59, true}};
    int column = 0;
    int n = 1;
    for (const Field& f : fields) {
        auto* memo = new QLineEdit(this);
        memo->setObjectName(QStringLiteral("Memo%1").arg(n));
        memo->setAlignment(Qt::AlignRight);
        memo->setFixedWidth(40);
        auto* arrows = new UpDown(this);
        arrows->setObjectName(QStringLiteral("UpDown%1").arg(n));
        arrows->setAssociate(memo);
        arrows->setRange(f.low, f.high);
        auto* guard = new TypingGuard(memo, this);
        guard->setRule(typingRule(f.typeLow, f.typeHigh, f.mainKeyboardOnly));
        auto* box = new QHBoxLayout;
        box->setSpacing(0);
        box->addWidget(memo);
        box->addWidget(arrows);
        grid->addLayout(box, 0, column++);
        grid->addWidget(new QLabel(QString::fromUtf8(f.label), this), 0, column++);
        *f.memo = memo;
        *f.arrows = arrows;
        ++n;
    }
    okButton = new QPushButton(QStringLiteral("确 认"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    cancelButton = new QPushButton(QStringLiteral("取 消"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &TMonthDayTimeForm::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

std::optional<QString> TMonthDayTimeForm::edit(const QString& value) {
    setValue(value);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_value;
}

void TMonthDayTimeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showValue();
}

void TMonthDayTimeForm::showValue() {
    // A value that is not eight digits shows the lowest position in the fields it lacks.
    UpDown* arrows[] = {monthArrows, dayArrows, hourArrows, minuteArrows};
    for (int i = 0; i < 4; ++i)
        arrows[i]->setPosition(m_value.mid(2 * i, 2).toInt());
    monthEditor->setFocus();
}

void TMonthDayTimeForm::confirm() {
    QString value;
    for (const UpDown* arrows : {monthArrows, dayArrows, hourArrows, minuteArrows})
        value += QStringLiteral("%1").arg(arrows->position(), 2, 10, QLatin1Char('0'));
    m_value = value;
    accept();
}
