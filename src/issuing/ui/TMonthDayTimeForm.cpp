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
    const Field fields[] = {{&Memo1, &UpDown1, "月", 1, 12, 1, 12, false},
                            {&Memo2, &UpDown2, "日", 1, 31, 1, 31, true},
                            {&Memo3, &UpDown3, "时", 0, 24, 1, 24, false},
                            {&Memo4, &UpDown4, "分", 0, 59, 0, 59, true}};
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
    BitBtn1 = new QPushButton(QStringLiteral("确 认"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(QStringLiteral("取 消"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TMonthDayTimeForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
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
    FormShow();
}

void TMonthDayTimeForm::FormShow() {
    // A value that is not eight digits shows the lowest position in the fields it lacks.
    UpDown* arrows[] = {UpDown1, UpDown2, UpDown3, UpDown4};
    for (int i = 0; i < 4; ++i)
        arrows[i]->setPosition(m_value.mid(2 * i, 2).toInt());
    Memo1->setFocus();
}

void TMonthDayTimeForm::BitBtn1Click() {
    QString value;
    for (const UpDown* arrows : {UpDown1, UpDown2, UpDown3, UpDown4})
        value += QStringLiteral("%1").arg(arrows->position(), 2, 10, QLatin1Char('0'));
    m_value = value;
    accept();
}
